#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "ByteIO.h"

using namespace swf;

namespace {

using Bytes = std::vector<uint8_t>;

// Runs F and returns the SwfError it raises; fails the test when it raises nothing.
SwfError Raised(const std::function<void()>& F)
{
    try {
        F();
    } catch (const SwfError& E) {
        return E;
    }
    ADD_FAILURE() << "no SwfError raised";
    return SwfError(SIZE_MAX, "none");
}

}  // namespace

TEST(ByteIO, ErrorMessageCarriesTheOffset)
{
    const SwfError E(1234, "tag DefineShape runs past its parent");
    EXPECT_STREQ(E.what(), "offset 1234: tag DefineShape runs past its parent");
    EXPECT_EQ(E.Offset(), 1234u);
    const Exception& Base = E;
    EXPECT_EQ(Base.Message(), E.what());
}

struct PrimitiveCase {
    const char* Name;
    Bytes Data;
    std::function<void(Writer&)> Write;
    std::function<bool(Reader&)> ReadMatches;
};

TEST(ByteIO, PrimitivesReadAndWriteTheSameBytes)
{
    const PrimitiveCase Cases[] = {
        {"UI8", {0xFE}, [](Writer& W) { W.UI8(0xFE); }, [](Reader& R) { return R.UI8() == 0xFE; }},
        {"UI16", {0x34, 0x12}, [](Writer& W) { W.UI16(0x1234); }, [](Reader& R) { return R.UI16() == 0x1234; }},
        {"UI32", {0x78, 0x56, 0x34, 0x12}, [](Writer& W) { W.UI32(0x12345678); },
         [](Reader& R) { return R.UI32() == 0x12345678; }},
        {"SI16", {0xFE, 0xFF}, [](Writer& W) { W.SI16(-2); }, [](Reader& R) { return R.SI16() == -2; }},
        {"SI32", {0x00, 0x00, 0x00, 0x80}, [](Writer& W) { W.SI32(INT32_MIN); },
         [](Reader& R) { return R.SI32() == INT32_MIN; }},
        {"FIXED", {0x00, 0x80, 0xFF, 0xFF}, [](Writer& W) { W.Fixed(-0x8000); },
         [](Reader& R) { return FixedToDouble(R.Fixed()) == -0.5; }},
        {"FIXED8", {0x80, 0x07}, [](Writer& W) { W.Fixed8(0x0780); },
         [](Reader& R) { return Fixed8ToDouble(R.Fixed8()) == 7.5; }},
        {"FLOAT", {0x00, 0x00, 0x80, 0x3F}, [](Writer& W) { W.Float(1.0f); }, [](Reader& R) { return R.Float() == 1.0f; }},
        // 1.5 is 0x3FF8000000000000: the high word comes first.
        {"DOUBLE", {0x00, 0x00, 0xF8, 0x3F, 0x00, 0x00, 0x00, 0x00}, [](Writer& W) { W.Double(1.5); },
         [](Reader& R) { return R.Double() == 1.5; }},
        {"DOUBLE low word", {0x00, 0x00, 0xF0, 0x3F, 0x01, 0x00, 0x00, 0x00},
         [](Writer& W) { W.Double(std::bit_cast<double>(0x3FF0000000000001ull)); },
         [](Reader& R) { return std::bit_cast<uint64_t>(R.Double()) == 0x3FF0000000000001ull; }},
        {"EncodedU32 0", {0x00}, [](Writer& W) { W.EncodedU32(0); }, [](Reader& R) { return R.EncodedU32() == 0; }},
        {"EncodedU32 127", {0x7F}, [](Writer& W) { W.EncodedU32(127); }, [](Reader& R) { return R.EncodedU32() == 127; }},
        {"EncodedU32 128", {0x80, 0x01}, [](Writer& W) { W.EncodedU32(128); },
         [](Reader& R) { return R.EncodedU32() == 128; }},
        {"EncodedU32 max", {0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, [](Writer& W) { W.EncodedU32(UINT32_MAX); },
         [](Reader& R) { return R.EncodedU32() == UINT32_MAX; }},
        {"STRING", {'a', 'b', 0}, [](Writer& W) { W.String("ab"); }, [](Reader& R) { return R.String() == "ab"; }},
        {"empty STRING", {0}, [](Writer& W) { W.String(""); }, [](Reader& R) { return R.String().empty(); }},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        Writer W;
        C.Write(W);
        EXPECT_EQ(W.Take(), C.Data);
        Reader R(C.Data);
        EXPECT_TRUE(C.ReadMatches(R));
        EXPECT_TRUE(R.AtEnd());
    }
}

TEST(ByteIO, TruncatedReadsRaiseAtTheirOffset)
{
    // Each reader sits at file offset 100 and has 1 byte consumed; the read must fail at 101.
    const std::pair<const char*, std::function<void(Reader&)>> Cases[] = {
        {"UI16", [](Reader& R) { R.UI16(); }},
        {"UI32", [](Reader& R) { R.UI32(); }},
        {"UI32", [](Reader& R) { R.SI32(); }},
        {"FLOAT", [](Reader& R) { R.Float(); }},
        {"DOUBLE", [](Reader& R) { R.Double(); }},
        {"EncodedU32", [](Reader& R) { R.EncodedU32(); }},
        {"string", [](Reader& R) { R.String(); }},
        {"byte block", [](Reader& R) { R.Bytes(2); }},
        {"bit field", [](Reader& R) { R.UB(9); }},
    };
    const Bytes Data = {0x00, 0xFF};
    for (const auto& [Name, Read] : Cases) {
        SCOPED_TRACE(Name);
        Reader R(Data, 100, "tag Test");
        R.UI8();
        const SwfError E = Raised([&] { Read(R); });
        EXPECT_EQ(E.Offset(), 101u);
        EXPECT_NE(E.Reason().find(Name), std::string::npos) << E.what();
        EXPECT_NE(E.Reason().find("tag Test"), std::string::npos) << E.what();
    }
}

TEST(ByteIO, BitFieldsReadMostSignificantFirstAndSignExtend)
{
    const Bytes Data = {0b1110'0111, 0b1000'0000, 0x42, 0xFF, 0xFF, 0xFF, 0xFF};
    Reader R(Data);
    EXPECT_EQ(R.UB(1), 1u);
    EXPECT_EQ(R.SB(3), -2);  // 110
    EXPECT_EQ(R.UB(0), 0u);
    EXPECT_EQ(R.SB(5), 15);  // 0111 1, across the byte boundary
    EXPECT_EQ(R.UI8(), 0x42) << "a byte read aligns first";
    EXPECT_EQ(R.SB(32), -1);
    EXPECT_TRUE(R.AtEnd());
}

TEST(ByteIO, SubReaderBoundsBitsAndReportsFileOffsets)
{
    const Bytes Data = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
    Reader Parent(Data, 50, "file");
    Parent.UI8();
    Reader Body = Parent.Sub(2, "tag DefineShape");
    EXPECT_EQ(Body.Offset(), 51u);
    EXPECT_EQ(Parent.Offset(), 53u) << "the parent skips the body";
    EXPECT_EQ(Body.UB(12), 0xBBCu);
    const SwfError E = Raised([&] { Body.UB(5); });  // 4 bits left, the parent has more
    EXPECT_EQ(E.Offset(), 52u);
    EXPECT_NE(E.Reason().find("4 bits left"), std::string::npos) << E.what();

    const SwfError Past = Raised([&] { Parent.Sub(3, "tag DefineShape"); });
    EXPECT_STREQ(Past.what(), "offset 53: tag DefineShape runs past its parent (declares 3 bytes, 2 left in file)");
    EXPECT_EQ(Parent.Offset(), 53u) << "a failed Sub consumes nothing";
}

TEST(ByteIO, MinimumBitCounts)
{
    const std::pair<int32_t, unsigned> Signed[] = {
        {0, 0}, {1, 2}, {-1, 1}, {3, 3}, {-4, 3}, {4, 4}, {-5, 4}, {INT32_MAX, 32}, {INT32_MIN, 32}};
    for (const auto& [V, N] : Signed) {
        EXPECT_EQ(SignedBits(V), N) << V;
        if (N > 0) {
            EXPECT_THROW(Writer().SB(N - 1, V), SwfError) << "one bit fewer must not fit " << V;
        }
        Writer W;
        W.SB(N, V);  // fits exactly
        Reader R(W.Data());
        EXPECT_EQ(R.SB(N), V);
    }
    const std::pair<uint32_t, unsigned> Unsigned[] = {{0, 0}, {1, 1}, {255, 8}, {256, 9}, {UINT32_MAX, 32}};
    for (const auto& [V, N] : Unsigned)
        EXPECT_EQ(UnsignedBits(V), N) << V;
    EXPECT_EQ(SignedBits({3, -9, 0}), 5u);
}

TEST(ByteIO, WriterPacksBitsAndRejectsValuesThatDoNotFit)
{
    Writer W;
    W.UB(1, 1);
    W.SB(3, -2);
    W.UB(5, 0b01111);
    W.UI8(0x42);  // flushes the partial byte with zero bits
    W.UB(2, 3);
    W.Flush();
    EXPECT_EQ(W.Data(), (Bytes{0b1110'0111, 0b1000'0000, 0x42, 0b1100'0000}));

    const SwfError E = Raised([&] { W.UB(8, 256); });
    EXPECT_EQ(E.Offset(), 4u);
    EXPECT_NE(E.Reason().find("UB[8]"), std::string::npos);
    EXPECT_THROW(W.SB(3, 4), SwfError);
    EXPECT_THROW(W.UB(33, 0), SwfError);
    EXPECT_THROW(W.String(std::string("a\0b", 3)), SwfError);
    W.PatchUI32(0, 0x01020304);
    EXPECT_EQ(W.Data()[0], 0x04);
    EXPECT_THROW(W.PatchUI32(1, 0), SwfError) << "patch must stay inside the data";
    W.PatchUI16(2, 0xA1B2);
    EXPECT_EQ(W.Data(), (Bytes{0x04, 0x03, 0xB2, 0xA1}));
    EXPECT_THROW(W.PatchUI16(3, 0), SwfError);
}
