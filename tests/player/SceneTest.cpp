// Painting clip trees: the built-in movie's first frame with its fields filled as its scripts
// fill them, the show-all mapping, static text and a field's clipping and scrolling.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "DebianFonts.h"
#include "Scene.h"

using namespace swf;
using namespace swf::player;

namespace {

std::vector<uint8_t> ReadFile(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// Straight RGB of a pixel (the canvas is opaque wherever the background was painted).
struct Rgb3 {
    int R, G, B;
};
Rgb3 At(const render::Canvas& C, int X, int Y)
{
    const render::Argb P = C.Pixel(X, Y);
    return {int(P >> 16 & 0xFF), int(P >> 8 & 0xFF), int(P & 0xFF)};
}

// Counts pixels in [X0, X1) x [Y0, Y1) for which Test holds.
template <class F>
int Count(const render::Canvas& C, int X0, int Y0, int X1, int Y1, F Test)
{
    int N = 0;
    for (int Y = Y0; Y < Y1; ++Y)
        for (int X = X0; X < X1; ++X)
            N += Test(At(C, X, Y));
    return N;
}

bool White(Rgb3 P) { return P.R == 255 && P.G == 255 && P.B == 255; }

// TARNEL_SCENE_DUMP=DIR writes the canvas as DIR/NAME.ppm, to look at.
void Dump(const render::Canvas& C, const std::string& Name)
{
    const char* Dir = std::getenv("TARNEL_SCENE_DUMP");
    if (!Dir)
        return;
    std::ofstream Out(std::string(Dir) + "/" + Name + ".ppm", std::ios::binary);
    Out << "P6\n" << C.Width() << " " << C.Height() << "\n255\n";
    for (int Y = 0; Y < C.Height(); ++Y)
        for (int X = 0; X < C.Width(); ++X) {
            const Rgb3 P = At(C, X, Y);
            Out.put(char(P.R)).put(char(P.G)).put(char(P.B));
        }
}

}  // namespace

TEST(Scene, BuiltInMovieFirstFrame)
{
    Library Lib(DecodeMovie(ReadFile(std::string(SOURCE_DIR) + "/osd/resources/ovixosd.swf")));
    Clip Root(Lib, Lib.Root(), nullptr);
    Root.Advance();
    testfonts::DebianFonts Fonts;
    Scene S(Lib, &Fonts);
    const std::string Ticker = std::string(51, ' ') + "ovix工作室硬解控件" + std::string(51, ' ');
    int TickerScroll = 0;
    S.SetFieldContent([&](const Clip&, const DisplayObject&, const DefineEditText& Def) {
        FieldState F;
        if (Def.VariableName == "timers")
            F.Text = "12:34:56";
        else {
            F.Text = Ticker;
            F.HScroll = TickerScroll;
        }
        return F;
    });

    render::Canvas C(1024, 100);
    S.Render(Root, C);
    Dump(C, "builtin-frame1");
    EXPECT_TRUE(S.Warnings().empty()) << S.Warnings().front();

    // Background and the empty gaps stay white.
    EXPECT_TRUE(White(At(C, 5, 95)));
    EXPECT_TRUE(White(At(C, 860, 50)));
    // The plate: dark, from (0.75, 7.7) for 281 x 65, with red digits from x 57.8 on.
    const int Dark = Count(C, 10, 20, 280, 65, [](Rgb3 P) { return P.R < 90 && P.G < 90 && P.B < 90; });
    const int Red = Count(C, 58, 20, 230, 63, [](Rgb3 P) { return P.R > 180 && P.G < 80 && P.B < 80; });
    EXPECT_GT(Dark, 270 * 45 / 2);
    EXPECT_GT(Red, 300) << "the clock digits";
    EXPECT_EQ(Count(C, 282, 0, 1024, 100, [](Rgb3 P) { return P.R > 180 && P.G < 80 && P.B < 80; }), 0)
        << "red only on the clock panel";
    // The ticker: the padded text starts with 51 spaces, so at scroll 0 the field shows only the
    // spaces' width: nothing in its first part.
    EXPECT_EQ(Count(C, 294, 16, 600, 56, [](Rgb3 P) { return !White(P); }), 0);
    // The emblem at the right end: coloured pixels there, nothing past x 1022.
    const int Emblem = Count(C, 873, 7, 1021, 91, [](Rgb3 P) { return !White(P); });
    EXPECT_GT(Emblem, 148 * 84 / 4);
    EXPECT_EQ(Count(C, 1023, 0, 1024, 100, [](Rgb3 P) { return !White(P); }), 0);

    // Scrolled far enough, the ticker's text shows in grey (#CCCCCC) inside the field only.
    const text::Layout L = S.Measure(*std::get_if<DefineEditText>(Lib.Character(17)), Ticker);
    TickerScroll = L.MaxHScroll;
    S.Render(Root, C);
    Dump(C, "builtin-scrolled");
    const int Grey = Count(C, 292, 16, 852, 56, [](Rgb3 P) { return !White(P); });
    EXPECT_GT(Grey, 500);
    EXPECT_EQ(Count(C, 852, 16, 872, 56, [](Rgb3 P) { return !White(P); }), 0) << "clipped to the field";
    const int Light = Count(C, 292, 16, 852, 56, [](Rgb3 P) { return P.R > 190 && P.R == P.G && P.G == P.B && P.R < 255; });
    EXPECT_GT(Light, 100);
}

TEST(Scene, ShowAllScalesUniformlyAndCentres)
{
    Movie M;
    M.Header.FrameSize = Rect{0, 20480, 0, 2000};
    M.Header.FrameCount = 1;
    Library Lib(std::move(M));
    Scene S(Lib, nullptr);
    const render::Transform2D T = S.StageTransform(640, 480);
    const double Scale = 640.0 / 20480;
    EXPECT_DOUBLE_EQ(T.A, Scale);
    EXPECT_DOUBLE_EQ(T.D, Scale);
    EXPECT_DOUBLE_EQ(T.Tx, 0);
    EXPECT_DOUBLE_EQ(T.Ty, (480 - 2000 * Scale) / 2);
    const render::Transform2D Tall = S.StageTransform(100, 640);
    EXPECT_DOUBLE_EQ(Tall.A, 100.0 / 20480);
}

TEST(Scene, StaticTextDrawsItsGlyphs)
{
    // A DefineFont with one square glyph, and a DefineText of two of them in green.
    Movie M;
    M.Header.FrameSize = Rect{0, 2000, 0, 1000};
    M.Header.FrameCount = 1;
    DefineFont F;
    F.Id = 1;
    Shape Square;
    ShapeRecord Start = ShapeRecord::MoveTo(0, -1024);
    Start.HasFill1 = true;
    Start.Fill1 = 1;
    Square.Records = {Start, ShapeRecord::LineTo(1024, 0), ShapeRecord::LineTo(0, 1024), ShapeRecord::LineTo(-1024, 0),
                      ShapeRecord::LineTo(0, -1024)};
    F.Glyphs = {Square};
    DefineText T;
    T.Id = 2;
    TextRecord R;
    R.FontId = 1;
    R.Height = 200;  // 10 px squares
    R.Color = Rgba{0, 255, 0, 255};
    R.XOffset = 200;
    R.YOffset = 400;
    R.Glyphs = {{0, 400}, {0, 400}};
    T.Records = {R};
    PlaceObject2 P;
    P.Depth = 1;
    P.CharacterId = 2;
    P.Transform = Matrix{};
    M.Tags = {TypedTag(F), TypedTag(T), TypedTag(P), TypedTag(ShowFrame{}), TypedTag(EndTag{})};
    Library Lib(std::move(M));
    Clip Root(Lib, Lib.Root(), nullptr);
    Root.Advance();
    Scene S(Lib, nullptr);
    render::Canvas C(100, 50);  // 1 px per 20 twips
    S.Render(Root, C);
    auto Green = [&](int X, int Y) { const Rgb3 P = At(C, X, Y); return P.G == 255 && P.R == 0 && P.B == 0; };
    EXPECT_TRUE(Green(15, 15));  // first glyph: x 10..20, y 10..20
    EXPECT_TRUE(Green(35, 15));  // second: x 30..40
    EXPECT_TRUE(White(At(C, 25, 15)));
    EXPECT_TRUE(White(At(C, 15, 25)));
}
