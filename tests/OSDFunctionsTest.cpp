#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BmpFixture.h"
#include "StreamHelpers.h"
#include "UnitOSDFunctions.h"

namespace {

struct Converted {
    std::vector<uint8_t> Bytes;
    const uint8_t* Palette() const { return Bytes.data() + OSDHeaderSize; }
    const uint8_t* Pixels() const { return Bytes.data() + OSDPixelOffset; }
};

Converted Convert(const BmpFixture& F)
{
    TMemoryStream Src, Dst;
    Fill(Src, F.Build());
    EXPECT_TRUE(BmpToOSDBitmap(Src, Dst));
    return {Contents(Dst)};
}

std::vector<uint8_t> Palette(const std::vector<uint8_t>& Bmp)
{
    TMemoryStream Src, Dst;
    Fill(Src, Bmp);
    EXPECT_TRUE(BmpToOSDPalette(Src, Dst));
    return Contents(Dst);
}

}  // namespace

TEST(ColourComponents, PublishedCasesAndExactness)
{
    struct Case { int R, G, B, Y, U, V; };
    const Case Cases[] = {
        {0, 0, 0, 16, 128, 128},       {255, 255, 255, 235, 128, 128}, {128, 128, 128, 125, 128, 128},
        {255, 0, 0, 81, 90, 239},      {0, 255, 0, 144, 53, 34},       {0, 0, 255, 40, 239, 109},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << "RGB " << C.R << "," << C.G << "," << C.B);
        EXPECT_EQ(RGBToY(C.R, C.G, C.B), C.Y);
        EXPECT_EQ(RGBToU(C.R, C.G, C.B), C.U);
        EXPECT_EQ(RGBToV(C.R, C.G, C.B), C.V);
    }
    // Whole-number results must not fall one short, as a floating-point evaluation does.
    EXPECT_EQ(RGBToY(36, 144, 114), 109);
    EXPECT_EQ(RGBToV(156, 249, 12), 104);

    for (int R = 0; R < 256; R += 15)
        for (int G = 0; G < 256; G += 15)
            for (int B = 0; B < 256; B += 15) {
                ASSERT_GE(RGBToY(R, G, B), 16);
                ASSERT_LE(RGBToY(R, G, B), 235);
                ASSERT_GE(RGBToU(R, G, B), 16);
                ASSERT_LE(RGBToU(R, G, B), 239);
                ASSERT_GE(RGBToV(R, G, B), 16);
                ASSERT_LE(RGBToV(R, G, B), 239);
            }
}

TEST(BmpToOSDBitmap, FullFrameHeaderAndLength)
{
    BmpFixture F;
    F.Width = 640;
    F.Height = 480;
    const Converted C = Convert(F);
    ASSERT_EQ(C.Bytes.size(), 308232u);
    EXPECT_EQ(std::vector<uint8_t>(C.Bytes.begin(), C.Bytes.begin() + 8),
              (std::vector<uint8_t>{0x3E, 0x04, 0xB4, 0x08, 0x02, 0x80, 0x01, 0xE0}));
}

TEST(BmpToOSDBitmap, EmptyPictureIsHeaderAndPaletteOnly)
{
    for (auto [W, H] : {std::pair{0, 5}, std::pair{7, 0}, std::pair{0, 0}}) {
        SCOPED_TRACE(testing::Message() << W << " x " << H);
        BmpFixture F;
        F.Width = W;
        F.Height = H;
        const Converted C = Convert(F);
        ASSERT_EQ(C.Bytes.size(), 1032u);
        EXPECT_EQ(C.Bytes[1], 0x00);
        EXPECT_EQ(C.Bytes[2], 0x04);
        EXPECT_EQ(C.Bytes[3], 0x08);
        EXPECT_EQ(C.Bytes[4] << 8 | C.Bytes[5], W);
        EXPECT_EQ(C.Bytes[6] << 8 | C.Bytes[7], H);
    }
}

TEST(BmpToOSDBitmap, PixelsAreSevenBitTopRowFirstWithoutFiller)
{
    // Widths around a multiple of 4: each skips (4 - w mod 4) mod 4 filler bytes per row.
    for (int W : {640, 641, 642, 643, 644, 1, 3}) {
        SCOPED_TRACE(testing::Message() << "width " << W);
        BmpFixture F;
        F.Width = W;
        F.Height = 3;
        F.Pixel = [](int x, int y) { return uint8_t((x * 5 + y * 101) & 0xFF); };
        const Converted C = Convert(F);
        ASSERT_EQ(C.Bytes.size(), size_t(1032 + 3 * W));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(C.Pixels()[y * W + x], F.Pixel(x, y) & 0x7F) << "at " << x << "," << y;
    }

    BmpFixture F;
    F.Width = 3;
    F.Height = 1;
    F.Pixel = [](int x, int) { return uint8_t(x == 0 ? 127 : x == 1 ? 255 : 128); };
    const Converted C = Convert(F);
    EXPECT_EQ(C.Pixels()[0], 127);
    EXPECT_EQ(C.Pixels()[1], 127) << "255 turns transparent";
    EXPECT_EQ(C.Pixels()[2], 0) << "128 loses its top bit";
}

TEST(BmpToOSDBitmap, PaletteAlphaAndColours)
{
    BmpFixture F;
    F.Colour = [](int i, uint8_t& b, uint8_t& g, uint8_t& r) {
        r = uint8_t(i == 1 ? 255 : 0);
        g = uint8_t(i == 2 ? 255 : 0);
        b = uint8_t(i == 3 || i == 127 ? 255 : 0);
    };
    const Converted C = Convert(F);
    const uint8_t* P = C.Palette();
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(P[4 * i], i == 127 ? 0x00 : 0xFF) << "alpha of entry " << i;
    EXPECT_EQ(std::vector<uint8_t>(P + 4, P + 8), (std::vector<uint8_t>{0xFF, 81, 90, 239}));
    EXPECT_EQ(std::vector<uint8_t>(P + 8, P + 12), (std::vector<uint8_t>{0xFF, 144, 53, 34}));
    EXPECT_EQ(std::vector<uint8_t>(P + 12, P + 16), (std::vector<uint8_t>{0xFF, 40, 239, 109}));
    EXPECT_EQ(std::vector<uint8_t>(P + 508, P + 512), (std::vector<uint8_t>{0x00, 40, 239, 109}))
        << "entry 127 keeps its colour, only its alpha is 0";
}

TEST(BmpToOSDBitmap, ColoursUsedCount)
{
    // 0 and 1 mean a full table; 16 reads 16 entries with the rows right behind them.
    for (uint32_t Used : {0u, 1u, 16u}) {
        SCOPED_TRACE(testing::Message() << "colours used " << Used);
        BmpFixture F;
        F.ClrUsed = Used;
        F.TableEntries = Used == 16 ? 16 : 256;
        F.Colour = [](int, uint8_t& b, uint8_t& g, uint8_t& r) { b = 255; g = r = 0; };  // all blue
        F.Pixel = [](int x, int y) { return uint8_t(x + 4 * y + 200); };
        const Converted C = Convert(F);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                ASSERT_EQ(C.Pixels()[y * 4 + x], (x + 4 * y + 200) & 0x7F);
        const int Given = F.TableEntries;
        for (int i = 0; i < 256; ++i) {
            const uint8_t* E = C.Palette() + 4 * i;
            const bool Blue = i < Given;
            ASSERT_EQ(E[0], i == 127 ? 0 : 0xFF) << i;
            ASSERT_EQ(E[1], Blue ? 40 : 16) << "entries the source does not give are black: " << i;
            ASSERT_EQ(E[2], Blue ? 239 : 128) << i;
            ASSERT_EQ(E[3], Blue ? 109 : 128) << i;
        }
    }
}

TEST(BmpToOSDBitmap, ShortSourceRaisesReadErrorAndLeavesTargetEmpty)
{
    BmpFixture F;
    F.Width = 5;  // 3 filler bytes per row
    F.Height = 3;
    const std::vector<uint8_t> Full = F.Build();
    const size_t Rows = 54 + 1024;
    struct Cut { const char* What; size_t Length; };
    const Cut Cuts[] = {
        {"empty", 0},
        {"inside the file header", 10},
        {"inside the info header", 40},
        {"inside the colour table", 54 + 512},
        {"before the first row", Rows},
        {"inside the last row", Full.size() - 3 - 2},
    };
    for (const Cut& C : Cuts) {
        SCOPED_TRACE(C.What);
        TMemoryStream Src, Dst;
        Fill(Src, std::vector<uint8_t>(Full.begin(), Full.begin() + C.Length));
        Dst.WriteBuffer("old", 3);
        try {
            BmpToOSDBitmap(Src, Dst);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& E) {
            EXPECT_STREQ(E.what(), "Stream read error");
        }
        EXPECT_EQ(Dst.Size(), 0);
    }

    // Filler missing after the last row is no error.
    TMemoryStream Src, Dst;
    Fill(Src, std::vector<uint8_t>(Full.begin(), Full.end() - 3));
    EXPECT_TRUE(BmpToOSDBitmap(Src, Dst));
    EXPECT_EQ(Dst.Size(), 1032 + 15);
}

TEST(BmpToOSDBitmap, HostileHeadersAreRejectedByField)
{
    struct Case { const char* Field; int32_t W, H; uint32_t Used; };
    const Case Cases[] = {
        {"colours used", 4, 2, 257},
        {"colours used", 4, 2, 0xFFFFFFFF},
        {"width", -1, 2, 256},
        {"height", 4, -2, 256},
        {"width", 65536, 1, 256},
        {"height", 1, 65536, 256},
        {"width x height", 65535, 256, 256},  // each fits 16 bits, the total not 24
        {"width", 0x7FFFFFFF, 0x7FFFFFFF, 256},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Field << " " << C.W << " x " << C.H << " used " << C.Used);
        BmpFixture F;  // a small body: the header alone must be refused, before any allocation
        F.ClrUsed = C.Used;
        std::vector<uint8_t> Bmp = F.Build();
        for (int i = 0; i < 4; ++i) {
            Bmp[18 + i] = uint8_t(uint32_t(C.W) >> (8 * i));
            Bmp[22 + i] = uint8_t(uint32_t(C.H) >> (8 * i));
        }
        TMemoryStream Src, Dst;
        Fill(Src, Bmp);
        Dst.WriteBuffer("old", 3);
        try {
            BmpToOSDBitmap(Src, Dst);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidBitmap& E) {
            EXPECT_NE(std::string(E.what()).find(C.Field), std::string::npos) << E.what();
        }
        EXPECT_EQ(Dst.Size(), 0);
    }
}

TEST(BmpToOSDBitmap, LargestTotalLengthStillConverts)
{
    BmpFixture F;
    F.Width = 65535;
    F.Height = 255;  // 8 + 1024 + 16711425 bytes: fits 24 bits
    F.Pixel = [](int x, int y) { return uint8_t(x ^ y); };
    const Converted C = Convert(F);
    ASSERT_EQ(C.Bytes.size(), 1032u + 65535u * 255u);
    const uint32_t Total = C.Bytes[1] << 16 | C.Bytes[2] << 8 | C.Bytes[3];
    EXPECT_EQ(Total, C.Bytes.size());
    EXPECT_EQ(C.Pixels()[65535 * 254 + 65534], uint8_t(65534 ^ 254) & 0x7F);
}

TEST(BmpToOSDPalette, ConvertsTheColourTableOnly)
{
    BmpFixture F;
    F.Colour = [](int i, uint8_t& b, uint8_t& g, uint8_t& r) { r = 255; g = b = 0; };
    const std::vector<uint8_t> P = Palette(F.Build());
    ASSERT_EQ(P.size(), 1024u);
    EXPECT_EQ(std::vector<uint8_t>(P.begin(), P.begin() + 4), (std::vector<uint8_t>{0xFF, 81, 90, 239}));
    EXPECT_EQ(P[4 * 127], 0);

    // A 7-bit bitmap is taken like an 8-bit one; 16 colours fill 16 entries.
    F.BitCount = 7;
    F.ClrUsed = 16;
    F.TableEntries = 16;
    const std::vector<uint8_t> Q = Palette(F.Build());
    ASSERT_EQ(Q.size(), 1024u);
    EXPECT_EQ(Q[4 * 15 + 1], 81);
    EXPECT_EQ(Q[4 * 16 + 1], 16) << "entries past the table are black";

    // The rows are not needed: a source of headers and table alone converts.
    std::vector<uint8_t> HeadersOnly = F.Build();
    HeadersOnly.resize(54 + 64);
    EXPECT_EQ(Palette(HeadersOnly).size(), 1024u);
}

TEST(BmpToOSDPalette, FalseResultsAndErrors)
{
    TMemoryStream Empty, Dst;
    Dst.WriteBuffer("keep", 4);
    EXPECT_FALSE(BmpToOSDPalette(Empty, Dst));
    EXPECT_EQ(Dst.Size(), 4) << "an empty source leaves the target as it was";

    BmpFixture F;
    F.BitCount = 24;
    TMemoryStream Src;
    Fill(Src, F.Build());
    EXPECT_FALSE(BmpToOSDPalette(Src, Dst));
    EXPECT_EQ(Dst.Size(), 0) << "a 24-bit source leaves the target empty";

    F.BitCount = 8;
    std::vector<uint8_t> Short = F.Build();
    Short.resize(54 + 100);
    Fill(Src, Short);
    EXPECT_THROW(BmpToOSDPalette(Src, Dst), EReadError);
    EXPECT_EQ(Dst.Size(), 0);

    F.ClrUsed = 300;
    Fill(Src, F.Build());
    EXPECT_THROW(BmpToOSDPalette(Src, Dst), EInvalidBitmap);
}

TEST(FlipRows, ReversesRowsInPlace)
{
    std::vector<uint8_t> P = {1, 2, 3, 4, 5, 6};
    FlipRows(P.data(), 2, 3);
    EXPECT_EQ(P, (std::vector<uint8_t>{5, 6, 3, 4, 1, 2}));
    FlipRows(P.data(), 0, 3);
    FlipRows(P.data(), 2, 0);
    EXPECT_EQ(P, (std::vector<uint8_t>{5, 6, 3, 4, 1, 2}));
}
