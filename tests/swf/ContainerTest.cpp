#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <zlib.h>

#include "Container.h"

using namespace swf;

namespace {

// FWS 8, 550 x 400 px stage, 12 fps, 1 frame: SetBackgroundColor, ShowFrame with a long
// header on its empty body, a 100-byte tag, End.
std::vector<uint8_t> SmallMovie()
{
    std::vector<uint8_t> B = {'F', 'W', 'S', 8, 0, 0, 0, 0};
    // RECT nbits 15: 0..11000 x 0..8000 twips
    Writer W;
    W.UB(5, 15); W.SB(15, 0); W.SB(15, 11000); W.SB(15, 0); W.SB(15, 8000);
    W.Flush();
    const std::vector<uint8_t>& R = W.Data();
    B.insert(B.end(), R.begin(), R.end());
    B.insert(B.end(), {0x00, 0x0C, 0x01, 0x00});            // 12.0 fps, 1 frame
    B.insert(B.end(), {0x43, 0x02, 0xFF, 0xFF, 0xFF});      // SetBackgroundColor (9), 3 bytes
    B.insert(B.end(), {0x7F, 0x00, 0x00, 0x00, 0x00, 0x00}); // ShowFrame, long header, 0 bytes
    B.insert(B.end(), {0xBF, 0x0F, 100, 0, 0, 0});           // tag 62, long header, 100 bytes
    for (int i = 0; i < 100; ++i)
        B.push_back(uint8_t(i));
    B.insert(B.end(), {0x00, 0x00});                         // End
    const uint32_t L = uint32_t(B.size());
    for (int i = 0; i < 4; ++i)
        B[4 + i] = uint8_t(L >> (8 * i));
    return B;
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& Fws)
{
    std::vector<uint8_t> Out(Fws.begin(), Fws.begin() + 8);
    Out[0] = 'C';
    uLongf N = compressBound(uLong(Fws.size()));
    std::vector<uint8_t> Z(N);
    compress2(Z.data(), &N, Fws.data() + 8, uLong(Fws.size() - 8), 9);
    Out.insert(Out.end(), Z.begin(), Z.begin() + N);
    return Out;
}

}  // namespace

TEST(SwfContainer, DecodeThenEncodeGivesTheSameBytes)
{
    const std::vector<uint8_t> Fws = SmallMovie();
    const SwfMovie M = Decode(Fws);
    EXPECT_TRUE(M.Warnings.empty());
    EXPECT_FALSE(M.Header.Compressed);
    EXPECT_EQ(M.Header.Version, 8);
    EXPECT_EQ(M.Header.FileLength, Fws.size());
    EXPECT_EQ(M.Header.FrameRate, 0x0C00);
    EXPECT_EQ(M.Header.FrameCount, 1);
    ASSERT_EQ(M.Tags.size(), 4u);
    EXPECT_EQ(M.Tags[0].Code, 9);
    EXPECT_EQ(M.Tags[1].Code, TagCode::ShowFrame);
    EXPECT_TRUE(M.Tags[1].LongHeader);
    EXPECT_EQ(M.Tags[2].Body.size(), 100u);
    EXPECT_EQ(M.Tags[3].Code, TagCode::End);
    EXPECT_EQ(Encode(M), Fws);

    const std::vector<uint8_t> Cws = Compress(Fws);
    SwfMovie C = Decode(Cws);
    EXPECT_TRUE(C.Header.Compressed);
    EXPECT_EQ(C.Tags, M.Tags);
    const std::vector<uint8_t> Again = Encode(C);
    EXPECT_EQ(Decode(Again).Tags, M.Tags);
    EXPECT_EQ(std::string(Again.begin(), Again.begin() + 3), "CWS");
}

TEST(SwfContainer, LyingLengthIsToleratedWithAWarning)
{
    std::vector<uint8_t> Fws = SmallMovie();
    Fws[4] = 0xFF, Fws[5] = 0xFF, Fws[6] = 0xFF, Fws[7] = 0x7F;  // claims ~2 GiB
    const SwfMovie M = Decode(Fws);
    ASSERT_FALSE(M.Warnings.empty());
    EXPECT_EQ(M.Tags.size(), 4u);
    const std::vector<uint8_t> Out = Encode(M);
    EXPECT_EQ(Out, SmallMovie()) << "the length written is the true one";
    EXPECT_NO_THROW(Decode(Compress(Fws)));
}

TEST(SwfContainer, DamagedInputGivesErrorsWithOffsets)
{
    const std::vector<uint8_t> Fws = SmallMovie();
    struct Case { const char* What; std::vector<uint8_t> Bytes; };
    std::vector<uint8_t> Cws = Compress(Fws);
    std::vector<uint8_t> BadZ = Cws;
    BadZ[8] ^= 0xFF;  // zlib header
    std::vector<uint8_t> ShortZ(Cws.begin(), Cws.begin() + Cws.size() / 2);
    std::vector<uint8_t> BadSig = Fws;
    BadSig[0] = 'X';
    const size_t TagStart = Fws.size() - 2 - 106;
    std::vector<uint8_t> ShortTag(Fws.begin(), Fws.begin() + TagStart + 50);
    const Case Cases[] = {
        {"empty", {}},
        {"signature", BadSig},
        {"header cut", std::vector<uint8_t>(Fws.begin(), Fws.begin() + 10)},
        {"tag body cut", ShortTag},
        {"damaged zlib", BadZ},
        {"truncated zlib", ShortZ},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        try {
            Decode(C.Bytes);
            ADD_FAILURE() << "accepted";
        } catch (const SwfError& E) {
            EXPECT_NE(std::string(E.what()).find("offset"), std::string::npos) << E.what();
        }
    }
    DecodeOptions Small;
    Small.MaxFileSize = 64;
    EXPECT_THROW(Decode(Cws, Small), SwfError) << "inflating past the cap is refused";
}
