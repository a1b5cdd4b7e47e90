// The host tools as a user runs them: exit codes, messages, and the files they leave.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Artwork.h"
#include "BmpFixture.h"
#include "Png.h"
#include "StreamHelpers.h"
#include "ToolRun.h"
#include "UnitOSDFunctions.h"

namespace {

class Tools : public testing::Test {
protected:
    void SetUp() override { FreshDir(); }
    const std::string Convert = OSDCONVERT_PATH, View = OSDVIEW_PATH, Preview = ARTPREVIEW_PATH;
};

}  // namespace

TEST_F(Tools, OsdconvertWritesWhatTheConvertersGive)
{
    BmpFixture F;
    F.Width = 5;
    F.Height = 3;
    const std::string In = Dir() + "in.bmp";
    WriteFile(In, F.Build());

    TMemoryStream Src, Expected;
    Fill(Src, F.Build());
    BmpToOSDBitmap(Src, Expected);
    ToolRun R = Exec(Convert + " bitmap " + In + " " + Dir() + "out.osd");
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(ReadFile(Dir() + "out.osd"), Contents(Expected));

    BmpToOSDPalette(Src, Expected);
    R = Exec(Convert + " palette " + In + " " + Dir() + "out.pal");
    ASSERT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(ReadFile(Dir() + "out.pal"), Contents(Expected));

    R = Exec(Convert + " yuv 255 0 0");
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Out, "81 90 239\n");
}

TEST_F(Tools, OsdconvertErrorsNameTheFileAndLeaveNoOutput)
{
    BmpFixture F;
    const std::vector<uint8_t> Good = F.Build();
    WriteFile(Dir() + "short.bmp", std::vector<uint8_t>(Good.begin(), Good.begin() + 60));
    std::vector<uint8_t> Hostile = Good;
    Hostile[46] = 0x01, Hostile[47] = 0x02;  // colours used 513
    WriteFile(Dir() + "hostile.bmp", Hostile);
    F.BitCount = 24;
    WriteFile(Dir() + "rgb.bmp", F.Build());

    struct Case { std::string Args, Status, Message; };
    const Case Cases[] = {
        {"bitmap " + Dir() + "short.bmp " + Dir() + "o", "1", "short.bmp: Stream read error"},
        {"bitmap " + Dir() + "hostile.bmp " + Dir() + "o", "1", "hostile.bmp: BMP info header: colours used"},
        {"bitmap " + Dir() + "missing.bmp " + Dir() + "o", "1", "missing.bmp"},
        {"palette " + Dir() + "rgb.bmp " + Dir() + "o", "2", "rgb.bmp: not a 7- or 8-bit bitmap"},
        {"palette " + Dir() + "short.bmp " + Dir() + "o", "1", "short.bmp: Stream read error"},
        {"yuv 1 2 256", "1", "\"256\" is not a number"},
        {"yuv 1 x 3", "1", "\"x\" is not a number"},
        {"bitmap onlyone", "1", "usage:"},
        {"", "1", "usage:"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Args);
        const ToolRun R = Exec(Convert + " " + C.Args);
        EXPECT_EQ(std::to_string(R.Status), C.Status);
        EXPECT_NE(R.Err.find(C.Message), std::string::npos) << R.Err;
        EXPECT_FALSE(Exists(Dir() + "o")) << "no output file after a failure";
    }
}

TEST_F(Tools, OsdviewDrawsColoursAlphaAndBackgrounds)
{
    // 3 x 1 OSD bitmap: opaque red (entry 1), transparent (127), opaque white (2).
    std::vector<uint8_t> Osd(1032 + 3, 0);
    const uint8_t Header[8] = {0x3E, 0x00, 0x04, 0x0B, 0x00, 0x03, 0x00, 0x01};
    std::copy(Header, Header + 8, Osd.begin());
    auto Entry = [&](int i, uint8_t A, uint8_t Y, uint8_t U, uint8_t V) {
        uint8_t* E = Osd.data() + 8 + 4 * i;
        E[0] = A, E[1] = Y, E[2] = U, E[3] = V;
    };
    Entry(1, 0xFF, 81, 90, 239);
    Entry(127, 0x00, 235, 128, 128);
    Entry(2, 0xFF, 235, 128, 128);
    Osd[1032] = 1, Osd[1033] = 127, Osd[1034] = 2;
    WriteFile(Dir() + "t.osd", Osd);

    TPicture Blue;
    Blue.Width = Blue.Height = 2;
    Blue.Pixels = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255};
    WritePng(Dir() + "blue.png", Blue);

    struct Case { std::string Over; uint8_t Behind[3]; };
    const Case Cases[] = {{"black", {0, 0, 0}}, {"", {0x66, 0x66, 0x66}}, {Dir() + "blue.png", {0, 0, 255}}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Over);
        const ToolRun R = Exec(View + " " + Dir() + "t.osd " + Dir() + "t.png" + (C.Over.empty() ? "" : " --over " + C.Over));
        ASSERT_EQ(R.Status, 0) << R.Err;
        const TPicture P = ReadPng(Dir() + "t.png");
        ASSERT_EQ(P.Width, 3);
        ASSERT_EQ(P.Height, 1);
        EXPECT_NEAR(P.At(0, 0)[0], 255, 2);
        EXPECT_NEAR(P.At(0, 0)[1], 0, 2);
        EXPECT_NEAR(P.At(0, 0)[2], 0, 2);
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(P.At(1, 0)[c], C.Behind[c]) << "transparent pixel shows the background";
            EXPECT_EQ(P.At(2, 0)[c], 255);
        }
    }
}

TEST_F(Tools, OsdviewRejectsDamagedBitmaps)
{
    std::vector<uint8_t> Osd(1032 + 4, 0);
    const uint8_t Header[8] = {0x3E, 0x00, 0x04, 0x0C, 0x00, 0x02, 0x00, 0x02};
    std::copy(Header, Header + 8, Osd.begin());
    WriteFile(Dir() + "ok.osd", Osd);
    WriteFile(Dir() + "short.osd", std::vector<uint8_t>(Osd.begin(), Osd.end() - 1));
    std::vector<uint8_t> Lying = Osd;
    Lying[3] = 0x0D;
    WriteFile(Dir() + "lying.osd", Lying);

    struct Case { std::string Args, Message; };
    const Case Cases[] = {
        {Dir() + "short.osd " + Dir() + "o.png", "short.osd: truncated"},
        {Dir() + "lying.osd " + Dir() + "o.png", "lying.osd: header length 1037 does not match"},
        {Dir() + "none.osd " + Dir() + "o.png", "none.osd"},
        {Dir() + "ok.osd " + Dir() + "o.png --over " + Dir() + "none.png", "none.png"},
        {Dir() + "ok.osd", "usage:"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Args);
        const ToolRun R = Exec(View + " " + C.Args);
        EXPECT_EQ(R.Status, 1);
        EXPECT_NE(R.Err.find(C.Message), std::string::npos) << R.Err;
        EXPECT_FALSE(Exists(Dir() + "o.png"));
    }
}

TEST_F(Tools, ArtpreviewWritesTheBitmapsAsTheyAre)
{
    const ToolRun R = Exec(Preview + " " + Dir());
    ASSERT_EQ(R.Status, 0) << R.Err;
    const art::Image Want[] = {art::EmblemLayer(0), art::EmblemLayer(1), art::EmblemLayer(2), art::ClockPlate()};
    const char* Names[] = {"emblem-0.png", "emblem-1.png", "emblem-2.png", "clock-plate.png"};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(Names[k]);
        const TPicture P = ReadPng(Dir() + Names[k], 4);
        EXPECT_EQ(P.Width, Want[k].Width);
        EXPECT_EQ(P.Height, Want[k].Height);
        EXPECT_TRUE(P.Pixels == Want[k].Rgba);
    }
    const TPicture P = ReadPng(Dir() + "preview.png");
    EXPECT_GT(P.Width, 0);
    EXPECT_GT(P.Height, 0);
}

TEST_F(Tools, ArtpreviewErrors)
{
    ToolRun R = Exec(Preview);
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Err.find("usage: artpreview OUTDIR"), std::string::npos) << R.Err;
    R = Exec(Preview + " " + Dir() + " extra");
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Err.find("usage:"), std::string::npos) << R.Err;

    R = Exec(Preview + " " + Dir() + "missing");
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Err.find(Dir() + "missing/emblem-0.png"), std::string::npos) << R.Err;

    // The last file cannot be written: the ones before it go too, what stood in the way stays.
    ASSERT_EQ(std::system(("mkdir '" + Dir() + "preview.png'").c_str()), 0);
    R = Exec(Preview + " " + Dir());
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Err.find(Dir() + "preview.png"), std::string::npos) << R.Err;
    EXPECT_FALSE(Exists(Dir() + "emblem-0.png"));
    EXPECT_FALSE(Exists(Dir() + "clock-plate.png"));
    EXPECT_TRUE(Exists(Dir() + "preview.png"));
}
