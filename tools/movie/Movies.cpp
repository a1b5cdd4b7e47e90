#include "Movies.h"

#include <cmath>
#include <numbers>
#include <string>

#include "Artwork.h"

using namespace swf;

namespace movies {

namespace {

constexpr int Twips = 20;

// Character ids.
enum : uint16_t {
    FontBold = 1, FontRegular,
    BitmapA, BitmapB, BitmapC, BitmapPlate,
    ShapeA, ShapeB, ShapeC, ShapePlate,
    ShapeScreenRim, ShapeScreenLine, ShapeCaptions,
    SpriteEmblem, FieldClock, SpriteClock, FieldTicker, SpriteTicker,
};

int32_t ToTwips(double Pixels) { return static_cast<int32_t>(std::lround(Pixels * Twips)); }
int32_t Fixed(double V) { return static_cast<int32_t>(std::lround(V * 65536)); }

Matrix Translate(int32_t X, int32_t Y)
{
    Matrix M;
    M.TranslateX = X;
    M.TranslateY = Y;
    return M;
}

// Scale S and clockwise rotation by Degrees (y points down), then translation in twips.
Matrix Transform(double S, double Degrees, int32_t X, int32_t Y)
{
    Matrix M = Translate(X, Y);
    const double A = Degrees * std::numbers::pi / 180;
    const int32_t Cos = Fixed(S * std::cos(A)), Sin = Fixed(S * std::sin(A));
    M.HasScale = true;
    M.ScaleX = M.ScaleY = Cos;
    if (Sin != 0) {
        M.HasRotate = true;
        M.RotateSkew0 = Sin;
        M.RotateSkew1 = -Sin;
    }
    return M;
}

CxForm AlphaMult(int16_t Alpha)
{
    CxForm C;
    C.HasMult = true;
    C.AlphaMult = Alpha;
    return C;
}

// Outlines in pixel units, stored as twip edges. Positions are rounded absolutely, so the edges
// of a closed path meet exactly.
class Path {
public:
    explicit Path(std::vector<ShapeRecord>& Records, uint32_t Fill1, uint32_t Line) : R(Records), F(Fill1), L(Line) {}

    void MoveTo(double X, double Y)
    {
        ShapeRecord S = ShapeRecord::MoveTo(ToTwips(X), ToTwips(Y));
        if (!Styled) {
            S.HasFill1 = S.HasLine = true;
            S.Fill1 = F;
            S.Line = L;
            Styled = true;
        }
        PX = S.X;
        PY = S.Y;
        R.push_back(S);
    }
    void LineTo(double X, double Y)
    {
        const int32_t TX = ToTwips(X), TY = ToTwips(Y);
        if (TX != PX || TY != PY)
            R.push_back(ShapeRecord::LineTo(TX - PX, TY - PY));
        PX = TX;
        PY = TY;
    }
    void CurveTo(double CX, double CY, double X, double Y)
    {
        const int32_t TCX = ToTwips(CX), TCY = ToTwips(CY), TX = ToTwips(X), TY = ToTwips(Y);
        R.push_back(ShapeRecord::CurveTo(TCX - PX, TCY - PY, TX - TCX, TY - TCY));
        PX = TX;
        PY = TY;
    }
    // A circular arc about (CX, CY) from angle A0 to A1 (degrees, clockwise on screen), in
    // quadratic pieces of at most 45 degrees; the pen must be at its start.
    void Arc(double CX, double CY, double Radius, double A0, double A1)
    {
        const int Pieces = static_cast<int>(std::ceil(std::abs(A1 - A0) / 45));
        const double Step = (A1 - A0) / Pieces * std::numbers::pi / 180;
        double A = A0 * std::numbers::pi / 180;
        for (int I = 0; I < Pieces; ++I, A += Step) {
            const double Mid = A + Step / 2, Far = Radius / std::cos(Step / 2);
            CurveTo(CX + Far * std::cos(Mid), CY + Far * std::sin(Mid), CX + Radius * std::cos(A + Step),
                    CY + Radius * std::sin(A + Step));
        }
    }

    void RoundedRect(double X0, double Y0, double X1, double Y1, double Radius)
    {
        MoveTo(X0 + Radius, Y0);
        LineTo(X1 - Radius, Y0);
        Arc(X1 - Radius, Y0 + Radius, Radius, -90, 0);
        LineTo(X1, Y1 - Radius);
        Arc(X1 - Radius, Y1 - Radius, Radius, 0, 90);
        LineTo(X0 + Radius, Y1);
        Arc(X0 + Radius, Y1 - Radius, Radius, 90, 180);
        LineTo(X0, Y0 + Radius);
        Arc(X0 + Radius, Y0 + Radius, Radius, 180, 270);
    }

    void Capsule(double X0, double Y0, double X1, double Y1) { RoundedRect(X0, Y0, X1, Y1, (Y1 - Y0) / 2); }

private:
    std::vector<ShapeRecord>& R;
    uint32_t F, L;
    bool Styled = false;
    int32_t PX = 0, PY = 0;
};

Rect PixelRect(double X0, double Y0, double X1, double Y1) { return Rect{ToTwips(X0), ToTwips(X1), ToTwips(Y0), ToTwips(Y1)}; }

Rgba Hex(uint32_t Rgb, uint8_t A = 255) { return Rgba{uint8_t(Rgb >> 16), uint8_t(Rgb >> 8), uint8_t(Rgb), A}; }

LineStyle Stroke(double WidthPixels, uint32_t Colour)
{
    LineStyle L;
    L.Width = static_cast<uint16_t>(ToTwips(WidthPixels));
    L.Color = Hex(Colour);
    return L;
}

// A rectangle of the bitmap's size filled with it, origin at (OriginX, OriginY) pixels of the bitmap.
DefineShape BitmapShape(uint16_t Id, uint16_t Bitmap, int Width, int Height, double OriginX, double OriginY)
{
    DefineShape S;
    S.Version = 3;
    S.Id = Id;
    S.Bounds = PixelRect(-OriginX, -OriginY, Width - OriginX, Height - OriginY);
    FillStyle Fill;
    Fill.Type = FillType::ClippedBitmap;
    Fill.BitmapId = Bitmap;
    Fill.Transform = Transform(Twips, 0, ToTwips(-OriginX), ToTwips(-OriginY));
    S.Geometry.Styles.Fills = {Fill};
    Path P(S.Geometry.Records, 1, 0);
    P.MoveTo(-OriginX, -OriginY);
    P.LineTo(Width - OriginX, -OriginY);
    P.LineTo(Width - OriginX, Height - OriginY);
    P.LineTo(-OriginX, Height - OriginY);
    P.LineTo(-OriginX, -OriginY);
    return S;
}

DefineBitsLossless Bitmap(uint16_t Id, const art::Image& I)
{
    return MakeLossless2(Id, static_cast<uint16_t>(I.Width), static_cast<uint16_t>(I.Height), I.Rgba);
}

// The screen outline of the emblem, drawn with one stroke.
DefineShape ScreenShape(uint16_t Id, double Width, uint32_t Colour, double Radius)
{
    DefineShape S;
    S.Version = 3;
    S.Id = Id;
    S.Bounds = PixelRect(7 - Width / 2, 7 - Width / 2, 428 + Width / 2, 240 + Width / 2);
    S.Geometry.Styles.Lines = {Stroke(Width, Colour)};
    Path P(S.Geometry.Records, 0, 1);
    P.RoundedRect(7, 7, 428, 240, Radius);
    return S;
}

DefineShape CaptionShape(uint16_t Id, double Shorten)
{
    DefineShape S;
    S.Version = 3;
    S.Id = Id;
    S.Bounds = PixelRect(232 - 2.5, 136 - 2.5, 404 - Shorten + 2.5, 196 + 2.5);
    FillStyle Yellow;
    Yellow.Color = Hex(0xFFD23F);
    S.Geometry.Styles.Fills = {Yellow};
    S.Geometry.Styles.Lines = {Stroke(5, 0x0A1E3F)};
    Path P(S.Geometry.Records, 1, 1);
    P.Capsule(232, 136, 404 - Shorten, 160);
    P.Capsule(256, 172, 380 - Shorten, 196);
    return S;
}

PlaceObject2 Place(uint16_t Depth, uint16_t Character, Matrix M)
{
    PlaceObject2 P;
    P.Depth = Depth;
    P.CharacterId = Character;
    P.Transform = M;
    return P;
}

PlaceObject2 Move(uint16_t Depth)
{
    PlaceObject2 P;
    P.Move = true;
    P.Depth = Depth;
    return P;
}

DoAction Script(Asm& A)
{
    A.End();
    return DoAction{ActionBlock{A.Take(), {}}};
}

DefineSprite Emblem(Kind K)
{
    // Badge layers: scale 1.75 about their centre, which sits at (122, 123.5) emblem units.
    constexpr double BadgeScale = 1.75;
    const int32_t BadgeX = ToTwips(122), BadgeY = ToTwips(123.5);
    DefineSprite S;
    S.Id = SpriteEmblem;
    S.FrameCount = 110;
    auto BreathAlpha = [](int F) {
        return static_cast<int16_t>(std::lround(256 * (0.7 + 0.3 * std::cos(2 * std::numbers::pi * F / 55))));
    };
    S.Tags.emplace_back(Place(1, ShapeScreenRim, Matrix{}));
    S.Tags.emplace_back(Place(2, ShapeScreenLine, Matrix{}));
    S.Tags.emplace_back(Place(3, ShapeCaptions, Matrix{}));
    PlaceObject2 A = Place(4, ShapeA, Transform(BadgeScale, 0, BadgeX, BadgeY));
    if (K == Kind::Test) {
        CxForm Washed;
        Washed.HasMult = Washed.HasAdd = true;
        Washed.RedMult = Washed.GreenMult = Washed.BlueMult = 141;
        Washed.RedAdd = Washed.GreenAdd = Washed.BlueAdd = 115;
        A.ColorTransform = Washed;
    }
    S.Tags.emplace_back(A);
    PlaceObject2 B = Place(5, ShapeB, Transform(BadgeScale, 0, BadgeX, BadgeY));
    B.ColorTransform = AlphaMult(BreathAlpha(0));
    S.Tags.emplace_back(B);
    S.Tags.emplace_back(Place(6, ShapeC, Transform(BadgeScale, 0, BadgeX, BadgeY)));
    S.Tags.emplace_back(ShowFrame{});
    for (int F = 1; F < 110; ++F) {
        PlaceObject2 Ring = Move(5);
        Ring.ColorTransform = AlphaMult(BreathAlpha(F));
        S.Tags.emplace_back(Ring);
        PlaceObject2 Light = Move(6);
        Light.Transform = Transform(BadgeScale, 360.0 * F / 110, BadgeX, BadgeY);
        S.Tags.emplace_back(Light);
        S.Tags.emplace_back(ShowFrame{});
    }
    S.Tags.emplace_back(EndTag{});
    return S;
}

DefineFont2 DeviceFont(uint16_t Id, bool Bold)
{
    DefineFont2 F;
    F.Id = Id;
    F.Flags = FontFlag::WideCodes | (Bold ? FontFlag::Bold : 0);
    F.Name = "Arial";
    return F;
}

// A read-only, unselectable single-line field of Width x Height pixels in the device font.
DefineEditText Field(uint16_t Id, double Width, double Height, uint16_t Font, uint16_t HeightTwips, uint32_t Colour,
                     const char* Variable)
{
    DefineEditText E;
    E.Id = Id;
    E.Bounds = PixelRect(0, 0, Width, Height);
    E.Flags = EditFlag::ReadOnly | EditFlag::NoSelect;
    E.FontId = Font;
    E.FontHeight = HeightTwips;
    E.TextColor = Hex(Colour);
    E.TextLayout = DefineEditText::Layout{};
    E.VariableName = Variable;
    return E;
}

// Clock: frame 1 places the plate and the time field and writes the time; frame 2 removes the
// field and goes back to frame 1.
DefineSprite Clock()
{
    DefineSprite S;
    S.Id = SpriteClock;
    S.FrameCount = 2;
    S.Tags.emplace_back(Place(1, ShapePlate, Translate(ToTwips(0.75), ToTwips(7.7))));
    S.Tags.emplace_back(Place(3, FieldClock, Translate(ToTwips(57.8), ToTwips(19.55))));

    Asm A;
    A.Push("mytime", 0, "Date").NewObject().SetVariable();
    const struct {
        const char *Value, *Method, *Text;
    } Parts[] = {{"t_h", "getHours", "shi"}, {"t_m", "getMinutes", "fen"}, {"t_s", "getSeconds", "miao"}};
    for (const auto& P : Parts)
        A.Push(P.Value, 0, "mytime").GetVariable().Push(P.Method).CallMethod().SetVariable();
    for (const auto& P : Parts) {
        const std::string Taken = std::string(P.Text) + "_taken", Done = std::string(P.Text) + "_done";
        A.Push(P.Value).GetVariable().Push(10).Less2().Not().If(Taken);
        A.Push(P.Text, "0", P.Value).GetVariable().Add2().SetVariable().Jump(Done);
        A.Label(Taken).Push(P.Text, P.Value).GetVariable().SetVariable();
        A.Label(Done);
    }
    A.Push("timers", "shi").GetVariable().Push(":").Add2().Push("fen").GetVariable().Add2();
    A.Push(":").Add2().Push("miao").GetVariable().Add2().SetVariable();
    S.Tags.emplace_back(Script(A));
    S.Tags.emplace_back(ShowFrame{});

    RemoveObject Remove;
    Remove.Depth = 3;
    S.Tags.emplace_back(Remove);
    A.GotoFrame(0).Play();
    S.Tags.emplace_back(Script(A));
    S.Tags.emplace_back(ShowFrame{});
    S.Tags.emplace_back(EndTag{});
    return S;
}

// Ticker: frame 1 places "str1" and sets it up; frame 2 refreshes the text and scrolls by 2,
// back to 0 at the end; frame 3 goes back to frame 2.
DefineSprite Ticker(Kind K)
{
    DefineSprite S;
    S.Id = SpriteTicker;
    S.FrameCount = 3;
    PlaceObject2 Str1 = Place(1, FieldTicker, Translate(ToTwips(291.75), ToTwips(16)));
    Str1.Name = "str1";
    S.Tags.emplace_back(Str1);

    Asm A;
    A.Push("str1").GetVariable().Push("hscroll", 0).SetMember();
    A.Push("str1").GetVariable().Push("background", false).SetMember();
    A.Push("str_space", std::string(TickerPadding, ' ')).SetVariable();
    A.Push("msginf1", "").SetVariable();
    S.Tags.emplace_back(Script(A));
    S.Tags.emplace_back(ShowFrame{});

    A.Push("msginf1", "str_space").GetVariable();
    if (K == Kind::Builtin)
        A.Push("_root").GetVariable().Push("osdstr").GetMember();
    else
        A.Push(DefaultText);
    A.Add2().Push("str_space").GetVariable().Add2().SetVariable();
    A.Push("str1").GetVariable().Push("hscroll", "str1").GetVariable().Push("hscroll").GetMember();
    A.Push(2).Add2().SetMember();
    A.Push("str1").GetVariable().Push("hscroll").GetMember();
    A.Push("str1").GetVariable().Push("maxhscroll").GetMember().Less2().If("scrolled");
    A.Push("str1").GetVariable().Push("hscroll", 0).SetMember();
    A.Label("scrolled");
    S.Tags.emplace_back(Script(A));
    S.Tags.emplace_back(ShowFrame{});

    A.GotoFrame(1).Play();
    S.Tags.emplace_back(Script(A));
    S.Tags.emplace_back(ShowFrame{});
    S.Tags.emplace_back(EndTag{});
    return S;
}

}  // namespace

Movie Build(Kind K)
{
    Movie M;
    M.Header.Compressed = true;
    M.Header.Version = 8;
    M.Header.FrameSize = Rect{0, 1024 * Twips, 0, 100 * Twips};
    M.Header.FrameRate = 0x0C00;
    M.Header.FrameCount = 2;
    auto Add = [&](TagValue V) { M.Tags.emplace_back(std::move(V)); };

    Add(FileAttributes{0});
    Add(SetBackgroundColor{Rgb{255, 255, 255}});
    if (K == Kind::Builtin) {
        Asm A;
        A.Push("osdstr", DefaultText).SetVariable();
        A.Push("w", 1024).SetVariable();
        A.Push("h", 100).SetVariable();
        Add(Script(A));
    }

    Add(DeviceFont(FontBold, true));
    Add(DeviceFont(FontRegular, false));
    const art::Image A = art::EmblemLayer(0), B = art::EmblemLayer(1), C = art::EmblemLayer(2), Plate = art::ClockPlate();
    Add(Bitmap(BitmapA, A));
    Add(Bitmap(BitmapB, B));
    Add(Bitmap(BitmapC, C));
    Add(Bitmap(BitmapPlate, Plate));
    Add(BitmapShape(ShapeA, BitmapA, A.Width, A.Height, art::EmblemCentreX, art::EmblemCentreY));
    Add(BitmapShape(ShapeB, BitmapB, B.Width, B.Height, art::EmblemCentreX, art::EmblemCentreY));
    Add(BitmapShape(ShapeC, BitmapC, C.Width, C.Height, art::EmblemCentreX, art::EmblemCentreY));
    Add(BitmapShape(ShapePlate, BitmapPlate, Plate.Width, Plate.Height, 0, 0));
    const bool Test = K == Kind::Test;
    Add(ScreenShape(ShapeScreenRim, 14, 0x0A1E3F, Test ? 30 : 33));
    Add(ScreenShape(ShapeScreenLine, 8, 0xD6E6F8, Test ? 30 : 33));
    Add(CaptionShape(ShapeCaptions, Test ? 4 : 0));
    Add(Emblem(K));
    Add(Field(FieldClock, 171.95, 43.8, FontRegular, 700, 0xFF0000, "timers"));
    Add(Clock());
    Add(Field(FieldTicker, 560.35, 39.75, FontBold, 640, 0xCCCCCC, "msginf1"));
    Add(Ticker(K));

    PlaceObject2 Emblem = Place(1, SpriteEmblem, Transform(0.34, 0, ToTwips(873), ToTwips(7)));
    CxForm Faded = AlphaMult(205);
    Emblem.ColorTransform = Faded;
    Add(Emblem);
    Add(Place(3, SpriteClock, Matrix{}));
    Add(Place(7, SpriteTicker, Matrix{}));
    Add(ShowFrame{});

    Asm Stop;
    Stop.Stop();
    Add(Script(Stop));
    Add(ShowFrame{});
    Add(EndTag{});
    return M;
}

std::vector<uint8_t> Write(Kind K) { return EncodeMovie(Build(K)); }

}  // namespace movies
