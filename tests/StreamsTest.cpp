#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Classes.h"
#include "StreamHelpers.h"

namespace {

// A stream that accepts at most Limit bytes in all.
class TLimitedStream : public TMemoryStream {
public:
    explicit TLimitedStream(int32_t Limit) : FLimit(Limit) {}
    int32_t Write(const void* Buffer, int32_t Count) override
    {
        const int32_t N = std::min(Count, FLimit);
        FLimit -= N;
        return TMemoryStream::Write(Buffer, N);
    }

private:
    int32_t FLimit;
};

std::vector<uint8_t> Bytes(std::initializer_list<int> L) { return std::vector<uint8_t>(L.begin(), L.end()); }

}  // namespace

TEST(Streams, ShortReadAndWriteRaiseTheFrameworkErrors)
{
    TMemoryStream S;
    Fill(S, Bytes({1, 2, 3}));
    uint8_t Buf[8] = {};
    EXPECT_EQ(S.Read(Buf, 8), 3) << "Read moves what there is";
    S.SetPosition(1);
    try {
        S.ReadBuffer(Buf, 3);
        FAIL() << "ReadBuffer past the end must raise";
    } catch (const EReadError& E) {
        EXPECT_STREQ(E.what(), "Stream read error");
    }

    TLimitedStream L(2);
    try {
        L.WriteBuffer(Buf, 3);
        FAIL() << "WriteBuffer that moves fewer bytes must raise";
    } catch (const EWriteError& E) {
        EXPECT_STREQ(E.what(), "Stream write error");
    }
    // Both derive from the one exception base.
    EXPECT_THROW(S.ReadBuffer(Buf, 8), Exception);
}

TEST(Streams, MemoryStreamGrowsSeeksAndResizes)
{
    TMemoryStream S;
    EXPECT_EQ(S.Size(), 0);
    S.WriteBuffer("abc", 3);
    EXPECT_EQ(S.Position(), 3);

    S.Seek(2, TSeekOrigin::soEnd);  // past the end: the gap reads as zeros after a write
    S.WriteBuffer("z", 1);
    EXPECT_EQ(Contents(S), Bytes({'a', 'b', 'c', 0, 0, 'z'}));

    EXPECT_EQ(S.Seek(-1, TSeekOrigin::soCurrent), 5);
    EXPECT_EQ(S.Seek(-10, TSeekOrigin::soBeginning), 5) << "a negative position is refused";

    S.SetSize(2);
    EXPECT_EQ(S.Size(), 2);
    EXPECT_EQ(S.Position(), 2) << "position clamps to the new end";
    S.SetSize(4);
    EXPECT_EQ(Contents(S), Bytes({'a', 'b', 0, 0}));

    // Many small writes keep all bytes in order across reallocations.
    TMemoryStream Big;
    for (int i = 0; i < 100000; ++i) {
        const uint8_t B = uint8_t(i * 7);
        Big.WriteBuffer(&B, 1);
    }
    ASSERT_EQ(Big.Size(), 100000);
    for (int i = 0; i < 100000; i += 997)
        ASSERT_EQ(Big.Memory()[i], uint8_t(i * 7));

    Big.Clear();
    EXPECT_EQ(Big.Size(), 0);
    EXPECT_EQ(Big.Position(), 0);
    EXPECT_EQ(Big.Memory(), nullptr);
}

TEST(Streams, CopyFrom)
{
    TMemoryStream Src, Dst;
    Fill(Src, Bytes({10, 11, 12, 13, 14}));

    Src.SetPosition(3);
    EXPECT_EQ(Dst.CopyFrom(Src, 0), 5) << "count 0 copies the whole source from its start";
    EXPECT_EQ(Contents(Dst), Bytes({10, 11, 12, 13, 14}));

    Dst.Clear();
    Src.SetPosition(1);
    EXPECT_EQ(Dst.CopyFrom(Src, 2), 2);
    EXPECT_EQ(Contents(Dst), Bytes({11, 12}));
    EXPECT_EQ(Src.Position(), 3);

    EXPECT_THROW(Dst.CopyFrom(Src, 3), EReadError) << "only 2 bytes remain";

    // Larger than one internal block.
    std::vector<uint8_t> Large(200001);
    for (size_t i = 0; i < Large.size(); ++i)
        Large[i] = uint8_t(i % 251);
    Fill(Src, Large);
    Dst.Clear();
    Dst.CopyFrom(Src, 0);
    EXPECT_EQ(Contents(Dst), Large);
}

TEST(Streams, FileStreamRoundTripAndOpenError)
{
    const std::string Name = testing::TempDir() + "tarnel-stream-test.bin";
    {
        TMemoryStream S;
        Fill(S, Bytes({1, 2, 3, 4, 5}));
        S.SaveToFile(Name);
    }
    TMemoryStream Back;
    Back.LoadFromFile(Name);
    EXPECT_EQ(Contents(Back), Bytes({1, 2, 3, 4, 5}));
    {
        TFileStream F(Name, fmOpenRead);
        EXPECT_EQ(F.Size(), 5);
        F.SetPosition(3);
        uint8_t B[4];
        EXPECT_EQ(F.Read(B, 4), 2);
        EXPECT_EQ(B[0], 4);
    }
    std::remove(Name.c_str());

    const std::string Missing = testing::TempDir() + "no-such-dir/none.bin";
    try {
        TFileStream F(Missing, fmOpenRead);
        FAIL() << "opening a missing file must raise";
    } catch (const EFOpenError& E) {
        EXPECT_NE(std::string(E.what()).find("none.bin"), std::string::npos) << E.what();
    }
}
