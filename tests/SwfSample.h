// A movie built with the swf API that uses every kind of tag our own movies use: bitmaps, shapes,
// a font with text, edit texts, sprites, placements with filters and clip events, and scripts with
// branches, functions, try and with. About 25 KB uncompressed. For fuzz seeds and the benchmark.
#pragma once

#include <cstdint>
#include <vector>

#include "Tags.h"

namespace swfsample {

using namespace swf;

// A bitmap with smooth gradients and some texture, so that it compresses like artwork.
inline DefineBitsLossless Bitmap(uint16_t Id, uint16_t Width, uint16_t Height)
{
    std::vector<uint8_t> Rgba(size_t(Width) * Height * 4);
    uint32_t Noise = 0x9E3779B9u ^ Id;
    for (size_t Y = 0; Y < Height; ++Y)
        for (size_t X = 0; X < Width; ++X) {
            Noise = Noise * 1664525u + 1013904223u;
            uint8_t* P = &Rgba[(Y * Width + X) * 4];
            const bool Edge = X < 2 || Y < 2 || X + 2 >= Width || Y + 2 >= Height;
            const bool Dot = (Noise >> 24) < 56;
            P[0] = uint8_t(40 + X / 16 * 20);
            P[1] = uint8_t(60 + Y / 16 * 16);
            P[2] = Dot ? 255 : 180;
            P[3] = Edge ? 0 : Dot ? 255 : 220;
        }
    return MakeLossless2(Id, Width, Height, Rgba);
}

inline ShapeRecord StyleAt(int32_t X, int32_t Y, uint32_t Fill0, uint32_t Line)
{
    ShapeRecord S = ShapeRecord::MoveTo(X, Y);
    S.HasFill0 = Fill0 != 0;
    S.Fill0 = Fill0;
    S.HasLine = Line != 0;
    S.Line = Line;
    return S;
}

// A rounded rectangle of W x H twips at the origin, corners of radius R.
inline std::vector<ShapeRecord> RoundRect(int32_t W, int32_t H, int32_t R, uint32_t Fill, uint32_t Line)
{
    return {StyleAt(R, 0, Fill, Line),        ShapeRecord::LineTo(W - 2 * R, 0), ShapeRecord::CurveTo(R, 0, 0, R),
            ShapeRecord::LineTo(0, H - 2 * R), ShapeRecord::CurveTo(0, R, -R, 0), ShapeRecord::LineTo(-(W - 2 * R), 0),
            ShapeRecord::CurveTo(-R, 0, 0, -R), ShapeRecord::LineTo(0, -(H - 2 * R)), ShapeRecord::CurveTo(0, -R, R, 0)};
}

inline FillStyle Solid(Rgba C)
{
    FillStyle F;
    F.Color = C;
    return F;
}

inline FillStyle BitmapFill(uint16_t Id)
{
    FillStyle F;
    F.Type = FillType::ClippedBitmap;
    F.BitmapId = Id;
    F.Transform.HasScale = true;
    F.Transform.ScaleX = F.Transform.ScaleY = 20 << 16;
    return F;
}

inline DefineShape BitmapPanel(uint16_t Id, uint16_t Bitmap, int32_t W, int32_t H)
{
    DefineShape S;
    S.Version = 3;
    S.Id = Id;
    S.Bounds = Rect{0, W, 0, H};
    S.Geometry.Styles.Fills = {BitmapFill(Bitmap)};
    S.Geometry.Records = {StyleAt(0, 0, 1, 0), ShapeRecord::LineTo(W, 0), ShapeRecord::LineTo(0, H),
                          ShapeRecord::LineTo(-W, 0), ShapeRecord::LineTo(0, -H)};
    return S;
}

inline DefineShape GradientBox(uint16_t Id)
{
    DefineShape S;
    S.Version = 3;
    S.Id = Id;
    S.Bounds = Rect{-10, 4010, -10, 1010};
    FillStyle G;
    G.Type = FillType::LinearGradient;
    G.Transform.HasScale = true;
    G.Transform.ScaleX = G.Transform.ScaleY = 0x2000;
    G.Transform.TranslateX = 2000;
    G.Transform.TranslateY = 500;
    G.Grad.Records = {{0, Rgba{0, 0, 0, 200}}, {128, Rgba{30, 30, 60, 220}}, {255, Rgba{0, 0, 0, 160}}};
    S.Geometry.Styles.Fills = {G, Solid(Rgba{255, 255, 255, 40})};
    LineStyle L;
    L.Width = 20;
    L.Color = Rgba{200, 200, 255, 255};
    S.Geometry.Styles.Lines = {L};
    S.Geometry.Records = RoundRect(4000, 1000, 120, 1, 1);
    // A second set of styles: an inner highlight.
    ShapeRecord New = StyleAt(200, 100, 1, 0);
    StyleArrays A;
    A.Fills = {Solid(Rgba{255, 255, 255, 30})};
    New.NewStyles = {A};
    S.Geometry.Records.push_back(New);
    for (const ShapeRecord& E : RoundRect(3600, 300, 60, 1, 0))
        if (E.Type != ShapeRecord::StyleChange)
            S.Geometry.Records.push_back(E);
    return S;
}

inline DefineShape Outline4(uint16_t Id)
{
    DefineShape S;
    S.Version = 4;
    S.Id = Id;
    S.Bounds = Rect{-40, 1040, -40, 540};
    S.EdgeBounds = Rect{0, 1000, 0, 500};
    S.Flags4 = 0x01;
    LineStyle L;
    L.Width = 40;
    L.Join = 2;
    L.MiterLimit = 3 << 8;
    L.HasFill = true;
    L.Fill.Type = FillType::RadialGradient;
    L.Fill.Grad.Records = {{0, Rgba{255, 200, 0, 255}}, {255, Rgba{255, 80, 0, 255}}};
    S.Geometry.Styles.Lines = {L};
    S.Geometry.Records = RoundRect(1000, 500, 100, 0, 1);
    return S;
}

// A font of two glyphs with layout and one text using it.
inline DefineFont2 Font(uint16_t Id)
{
    DefineFont2 F;
    F.Version = 3;
    F.Id = Id;
    F.Flags = FontFlag::WideCodes | FontFlag::Bold;
    F.Name = "Tarnel Sans";
    Shape Bar, Box;
    Bar.Records = {StyleAt(0, 0, 1, 0), ShapeRecord::LineTo(200, 0), ShapeRecord::LineTo(0, -800),
                   ShapeRecord::LineTo(-200, 0), ShapeRecord::LineTo(0, 800)};
    Box.Records = RoundRect(600, 800, 150, 1, 0);
    F.Glyphs = {Bar, Box};
    F.Codes = {'I', 'O'};
    FontLayout L;
    L.Ascent = 900;
    L.Descent = 200;
    L.Leading = 40;
    L.Advances = {300, 700};
    L.Bounds = {Rect{0, 200, -800, 0}, Rect{0, 600, 0, 800}};
    L.Kerning = {{'I', 'O', -20}};
    F.Layout = L;
    return F;
}

inline DefineText Text(uint16_t Id, uint16_t FontId)
{
    DefineText T;
    T.Version = 2;
    T.Id = Id;
    T.Bounds = Rect{0, 2000, -900, 200};
    TextRecord R;
    R.FontId = FontId;
    R.Height = 480;
    R.Color = Rgba{255, 255, 255, 255};
    R.XOffset = 20;
    R.Glyphs = {{0, 300}, {1, 680}, {0, 300}, {1, 700}};
    T.Records = {R};
    return T;
}

inline DefineEditText Edit(uint16_t Id, const char* Variable, uint16_t FontId, bool Html)
{
    DefineEditText E;
    E.Id = Id;
    E.Bounds = Rect{-40, 12040, -40, 1840};
    E.Flags = EditFlag::WordWrap | EditFlag::Multiline | EditFlag::ReadOnly | EditFlag::NoSelect |
              (Html ? EditFlag::Html : 0) | EditFlag::UseOutlines;
    E.FontId = FontId;
    E.FontHeight = 640;
    E.TextColor = Rgba{255, 255, 204, 255};
    E.TextLayout = DefineEditText::Layout{2, 40, 40, 0, 20};
    E.VariableName = Variable;
    E.InitialText = Html ? "<p align=\"center\">Tarnel OSD</p>" : "";
    return E;
}

inline PlaceObject2 Place(uint16_t Depth, uint16_t Character, int32_t X, int32_t Y, const char* Name = nullptr)
{
    PlaceObject2 P;
    P.Depth = Depth;
    P.CharacterId = Character;
    Matrix M;
    M.TranslateX = X;
    M.TranslateY = Y;
    P.Transform = M;
    if (Name)
        P.Name = Name;
    return P;
}

// Scripts: the frame script that drives the subtitle and the clip scripts.
inline ActionBlock MainScript()
{
    Function Show;
    Show.Name = "showSubtitle";
    Show.Params = {{1, "text"}, {2, "seconds"}};
    Show.RegisterCount = 4;
    Show.Flags = FunctionFlag::SuppressThis | FunctionFlag::SuppressArguments | FunctionFlag::PreloadRoot;
    Show.Body = Asm()
                    .Push(Reg{1}, Null)
                    .Equals2()
                    .If("empty")
                    .Push("osdstr", Reg{1})
                    .SetVariable()
                    .Push(Reg{2}, 1000)
                    .Multiply()
                    .StoreRegister(3)
                    .Pop()
                    .Push("hideAt", Reg{3}, 0, "getTimer")
                    .CallFunction()
                    .Add2()
                    .SetVariable()
                    .Push(true)
                    .Return()
                    .Label("empty")
                    .Push(false)
                    .Return()
                    .Take();
    TryBlock T;
    T.Flags = TryFlag::Catch;
    T.CatchName = "e";
    T.Try = Asm().Push("osd").GetVariable().Push("refresh").CallMethod().Pop().Take();
    T.Catch = Asm().Push("e").GetVariable().Trace().Take();
    ActionBlock B;
    B.Actions = Asm()
                    .ConstantPool({"osdstr", "osdpos", "hideAt", "count"})
                    .DefineFunction2(Show)
                    .DefineFunction("tick", {"n"}, Asm().Push("n").GetVariable().Increment().Return().Take())
                    .Push(Pool{3}, 0)
                    .SetVariable()
                    .Label("loop")
                    .Push(Pool{3}, Pool{3})
                    .GetVariable()
                    .Push(1, "tick")
                    .CallFunction()
                    .SetVariable()
                    .Push(Pool{3})
                    .GetVariable()
                    .Push(10)
                    .Less2()
                    .If("loop")
                    .Try(T)
                    .Push("_root")
                    .GetVariable()
                    .With(Asm().Push("osdpos", 2.5).SetVariable().Take())
                    .Push("Tarnel OSD", 3, 2, "showSubtitle")
                    .CallFunction()
                    .Pop()
                    .Stop()
                    .End()
                    .Take();
    return B;
}

inline ActionBlock ClipScript(const char* Variable)
{
    ActionBlock B;
    B.Actions = Asm()
                    .Push("hideAt")
                    .GetVariable()
                    .Push(0, "getTimer")
                    .CallFunction()
                    .Less2()
                    .Not()
                    .If("keep")
                    .Push(Variable, "")
                    .SetVariable()
                    .Label("keep")
                    .End()
                    .Take();
    return B;
}

inline DefineSprite Sprite(uint16_t Id, uint16_t Character, const char* Variable, bool Events)
{
    DefineSprite S;
    S.Id = Id;
    S.FrameCount = 2;
    PlaceObject2 P = Place(1, Character, 0, 0, "inner");
    if (Events) {
        ClipActions C;
        ClipActionRecord R;
        R.Events = ClipEvent::EnterFrame;
        R.Actions = ClipScript(Variable);
        C.AllEvents = R.Events;
        C.Records = {R};
        P.Actions = C;
    }
    S.Tags = {TypedTag(P), TypedTag(DoAction{ClipScript(Variable)}), TypedTag(ShowFrame{}),
              TypedTag(FrameLabel{"second", std::nullopt}), TypedTag(ShowFrame{}), TypedTag(EndTag{})};
    return S;
}

inline Movie SampleMovie(bool Compressed = true, uint8_t Version = 8)
{
    Movie M;
    M.Header.Compressed = Compressed;
    M.Header.Version = Version;
    M.Header.FrameSize = Rect{0, 14400, 0, 10800};
    M.Header.FrameRate = 25 << 8;
    M.Header.FrameCount = 1;
    auto Add = [&M](TagValue V) { M.Tags.emplace_back(std::move(V)); };
    if (Version >= 8)
        Add(FileAttributes{0});
    Add(SetBackgroundColor{Rgb{0, 0, 0}});
    Add(Bitmap(1, 120, 119));
    Add(Bitmap(2, 120, 119));
    Add(Bitmap(3, 281, 65));
    Add(Bitmap(4, 281, 65));
    Add(BitmapPanel(10, 1, 2400, 2380));
    Add(BitmapPanel(11, 3, 5620, 1300));
    Add(GradientBox(12));
    Add(Outline4(13));
    Add(Font(20));
    Add(Text(21, 20));
    Add(Edit(22, "osdstr", 20, true));
    Add(Edit(23, "osdinfo", 20, false));
    Add(Sprite(30, 22, "osdstr", true));
    Add(Sprite(31, 23, "osdinfo", false));
    Add(Sprite(32, 12, "osdpos", true));
    Add(ExportAssets{{{30, "subtitle"}, {31, "info"}}});
    Add(Place(1, 12, 200, 9000));
    Add(Place(2, 30, 400, 9200, "subtitle"));
    Add(Place(3, 31, 400, 400, "info"));
    PlaceObject2 Shadowed = Place(4, 10, 12000, 400);
    Shadowed.Version = 3;
    Shadowed.BlendMode = 2;
    // A drop shadow: colour, blur x/y, angle, distance (16.16 and 8.8), strength, flags.
    Shadowed.Filters = std::vector<Filter>{
        {0, {0, 0, 0, 128, 0, 0, 4, 0, 0, 0, 4, 0, 0x5A, 0x8F, 0, 0, 0, 0, 4, 0, 0, 1, 0x21}}};
    Add(Shadowed);
    Add(Place(5, 13, 12000, 3400));
    Add(Place(6, 21, 600, 3000));
    Add(DoAction{MainScript()});
    Add(ShowFrame{});
    Add(EndTag{});
    return M;
}

}  // namespace swfsample
