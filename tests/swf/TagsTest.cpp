// Typed tags: known byte layouts written field by field, round trips of every typed tag, errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Tags.h"

using namespace swf;

namespace {

// Packs a string of '0'/'1' (other characters ignored) most significant bit first, zero padded.
std::vector<uint8_t> FromBits(const std::string& Bits)
{
    std::vector<uint8_t> Out;
    int N = 0;
    for (char C : Bits) {
        if (C != '0' && C != '1')
            continue;
        if (N % 8 == 0)
            Out.push_back(0);
        if (C == '1')
            Out.back() |= uint8_t(0x80 >> (N % 8));
        ++N;
    }
    return Out;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> Parts)
{
    std::vector<uint8_t> Out;
    for (const auto& P : Parts)
        Out.insert(Out.end(), P.begin(), P.end());
    return Out;
}

std::vector<uint8_t> Str(const std::string& S)
{
    std::vector<uint8_t> Out(S.begin(), S.end());
    Out.push_back(0);
    return Out;
}

Tag RawTag(uint16_t Code, std::vector<uint8_t> Body)
{
    Tag T;
    T.Code = Code;
    T.Body = std::move(Body);
    return T;
}

// Decoded offsets and stored lengths tile a tag list from Start: each tag begins where the one
// before it ends. Returns the end of the list.
size_t ExpectTiled(const std::vector<TypedTag>& Tags, size_t Start, uint8_t Version)
{
    size_t At = Start;
    for (const TypedTag& T : Tags) {
        SCOPED_TRACE(TagName(CodeOf(T.Value)));
        EXPECT_EQ(T.Offset, At);
        EXPECT_EQ(T.BodyLength, EncodeTag(T, Version).Body.size());
        const size_t Header = T.LongHeader || T.BodyLength >= 0x3F ? 6 : 2;
        if (const auto* S = std::get_if<DefineSprite>(&T.Value)) {
            EXPECT_EQ(ExpectTiled(S->Tags, At + Header + 4, Version), At + Header + T.BodyLength);
        }
        At += Header + T.BodyLength;
    }
    return At;
}

template <class T>
T DecodeAs(uint16_t Code, const std::vector<uint8_t>& Body, uint8_t Version = 8)
{
    const TagValue V = DecodeTag(RawTag(Code, Body), Version);
    EXPECT_TRUE(std::holds_alternative<T>(V)) << "tag " << Code << " decoded as alternative " << V.index();
    return std::holds_alternative<T>(V) ? std::get<T>(V) : T{};
}

std::vector<uint8_t> BodyOf(const TagValue& V, uint8_t Version = 8) { return EncodeTag(TypedTag(V), Version).Body; }

// A 100 x 100 twip square filled red, as DefineShape (1): every field written out.
std::vector<uint8_t> SquareShapeBody()
{
    return Cat({{0x01, 0x00},                                                          // id 1
                FromBits("01000 00000000 01100100 00000000 01100100"),                // RECT 0..100 x 0..100
                {0x01, 0x00, 0xFF, 0x00, 0x00},                                      // 1 fill: solid RGB red
                {0x00},                                                              // 0 lines
                FromBits("0001 0000"                                                 // fill bits 1, line bits 0
                         "0 0 0 0 1 1  00000  1"                                     // style change: move (0 bits), fill0 1
                         "1 1 0110 0 0 01100100"                                     // horizontal +100
                         "1 1 0110 0 1 01100100"                                     // vertical +100
                         "1 1 0110 0 0 10011100"                                     // horizontal -100
                         "1 1 0110 0 1 10011100"                                     // vertical -100
                         "0 00000")});                                               // end
}

}  // namespace

TEST(Tags, KnownLayoutsDecodeToTheirFieldsAndEncodeBack)
{
    // Each case: the tag's bytes written from the format's field list, checked after decoding and
    // encoded back to the same bytes.
    {
        const auto Body = SquareShapeBody();
        const auto S = DecodeAs<DefineShape>(2, Body);
        EXPECT_EQ(S.Version, 1);
        EXPECT_EQ(S.Bounds.XMax, 100);
        ASSERT_EQ(S.Geometry.Styles.Fills.size(), 1u);
        EXPECT_EQ(S.Geometry.Styles.Fills[0].Color, (Rgba{255, 0, 0, 255}));
        ASSERT_EQ(S.Geometry.Records.size(), 5u);
        EXPECT_EQ(S.Geometry.Records[0].Fill0, 1u);
        EXPECT_EQ(S.Geometry.Records[3].X, -100);
        EXPECT_EQ(S.Geometry.Records[4].LineForm, ShapeRecord::Vertical);
        EXPECT_EQ(S.Geometry.Records[4].Y, -100);
        EXPECT_EQ(BodyOf(S), Body);

        // Built fresh, the same square gets the same minimal encoding.
        DefineShape Fresh;
        Fresh.Version = 1;
        Fresh.Id = 1;
        Fresh.Bounds = Rect{0, 100, 0, 100};
        FillStyle Red;
        Red.Color = Rgba{255, 0, 0, 255};
        Fresh.Geometry.Styles.Fills = {Red};
        ShapeRecord Start = ShapeRecord::MoveTo(0, 0);
        Start.HasFill0 = true;
        Start.Fill0 = 1;
        Fresh.Geometry.Records = {Start, ShapeRecord::LineTo(100, 0), ShapeRecord::LineTo(0, 100),
                                  ShapeRecord::LineTo(-100, 0), ShapeRecord::LineTo(0, -100)};
        EXPECT_EQ(BodyOf(Fresh), Body);
    }
    {
        // PlaceObject2: character 5 at depth 7, translate (20, 40), name "str1".
        const auto Body = Cat({{0x26, 0x07, 0x00, 0x05, 0x00},
                               FromBits("0 0 00111 0010100 0101000"),
                               Str("str1")});
        const auto P = DecodeAs<PlaceObject2>(26, Body);
        EXPECT_FALSE(P.Move);
        EXPECT_EQ(P.Depth, 7);
        EXPECT_EQ(P.CharacterId, 5);
        ASSERT_TRUE(P.Transform);
        EXPECT_EQ(P.Transform->TranslateY, 40);
        EXPECT_EQ(P.Name, "str1");
        EXPECT_FALSE(P.ColorTransform || P.Ratio || P.ClipDepth || P.Actions);
        EXPECT_EQ(BodyOf(P), Body);
    }
    {
        // DefineEditText: read-only, not selectable, font 2 at 640 twips, #CCCCCC, layout with
        // leading 40, variable "msginf1", no initial text.
        const auto Body = Cat({{0x03, 0x00},
                               FromBits("00000"),                                   // RECT of 0 bits
                               FromBits("0000 1 1 0 1  0 0 1 1 0 0 0 0"),            // flags
                               {0x02, 0x00, 0x80, 0x02, 0xCC, 0xCC, 0xCC, 0xFF},
                               {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x28, 0x00},
                               Str("msginf1")});
        const auto E = DecodeAs<DefineEditText>(37, Body);
        EXPECT_TRUE(E.Has(EditFlag::ReadOnly) && E.Has(EditFlag::NoSelect));
        EXPECT_FALSE(E.Has(EditFlag::Border) || E.Has(EditFlag::Multiline) || E.Has(EditFlag::HasText));
        EXPECT_EQ(E.FontId, 2);
        EXPECT_EQ(E.FontHeight, 640);
        EXPECT_EQ(E.TextColor, (Rgba{0xCC, 0xCC, 0xCC, 0xFF}));
        ASSERT_TRUE(E.TextLayout);
        EXPECT_EQ(E.TextLayout->Leading, 40);
        EXPECT_EQ(E.VariableName, "msginf1");
        EXPECT_FALSE(E.InitialText);
        EXPECT_EQ(BodyOf(E), Body);
    }
    {
        // DefineText: one record with font 1, colour, x offset 10, height 320 and two glyphs.
        const auto Body = Cat({{0x04, 0x00, 0x00, 0x00, 0x02, 0x08},
                               {0x8D, 0x01, 0x00, 0x11, 0x22, 0x33, 0x0A, 0x00, 0x40, 0x01, 0x02},
                               FromBits("01 01100100 10 11101100"),
                               {0x00}});
        const auto T = DecodeAs<DefineText>(11, Body);
        ASSERT_EQ(T.Records.size(), 1u);
        const TextRecord& Rec = T.Records[0];
        EXPECT_EQ(Rec.FontId, 1);
        EXPECT_EQ(Rec.Color, (Rgba{0x11, 0x22, 0x33, 0xFF}));
        EXPECT_EQ(Rec.XOffset, 10);
        EXPECT_FALSE(Rec.YOffset);
        EXPECT_EQ(Rec.Height, 320);
        ASSERT_EQ(Rec.Glyphs.size(), 2u);
        EXPECT_EQ(Rec.Glyphs[1].Index, 2u);
        EXPECT_EQ(Rec.Glyphs[1].Advance, -20);
        EXPECT_EQ(BodyOf(T), Body);
    }
    {
        // A device font: DefineFont2 "Arial" bold, wide codes, no glyphs, code table offset 2.
        const auto Body = Cat({{0x02, 0x00, 0x05, 0x01, 0x05, 'A', 'r', 'i', 'a', 'l', 0x00, 0x00, 0x02, 0x00}});
        const auto F = DecodeAs<DefineFont2>(48, Body);
        EXPECT_EQ(F.Name, "Arial");
        EXPECT_EQ(F.Flags & FontFlag::Bold, FontFlag::Bold);
        EXPECT_TRUE(F.Glyphs.empty());
        EXPECT_TRUE(F.HasCodeTableOffset);
        EXPECT_EQ(BodyOf(F), Body);
        DefineFont2 Fresh;
        Fresh.Id = 2;
        Fresh.Flags = FontFlag::WideCodes | FontFlag::Bold;
        Fresh.Language = 1;
        Fresh.Name = "Arial";
        EXPECT_EQ(BodyOf(Fresh), Body);
    }
}

TEST(Tags, ClipEventFlagsFollowTheMovieVersion)
{
    // PlaceObject2 with an onClipEvent(enterFrame) whose actions are only End.
    const std::vector<uint8_t> V6 = {0x82, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                                     0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    const std::vector<uint8_t> V5 = {0x82, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00,
                                     0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    for (const auto& [Version, Body] : {std::pair{uint8_t(6), V6}, std::pair{uint8_t(5), V5}}) {
        const auto P = DecodeAs<PlaceObject2>(26, Body, Version);
        ASSERT_TRUE(P.Actions) << int(Version);
        ASSERT_EQ(P.Actions->Records.size(), 1u);
        EXPECT_EQ(P.Actions->Records[0].Events, ClipEvent::EnterFrame);
        EXPECT_EQ(P.Actions->AllEvents, ClipEvent::EnterFrame);
        EXPECT_EQ(BodyOf(P, Version), Body);
    }
    PlaceObject2 KeyPress;
    KeyPress.Depth = 1;
    KeyPress.Actions = ClipActions{};
    KeyPress.Actions->Records.push_back(ClipActionRecord{ClipEvent::KeyPress, 13, {}});
    EXPECT_THROW(BodyOf(KeyPress, 5), SwfError);  // needs the 32-bit flags of SWF 6
    const auto Back = DecodeAs<PlaceObject2>(26, BodyOf(KeyPress, 6), 6);
    EXPECT_EQ(Back.Actions->Records[0].KeyCode, 13);
}

TEST(Tags, LosslessPixelsArePremultipliedArgb)
{
    const std::vector<uint8_t> Rgba = {255, 0, 0, 128, 10, 20, 30, 255, 9, 9, 9, 0, 200, 100, 50, 51};
    const DefineBitsLossless B = MakeLossless2(7, 2, 2, Rgba);
    EXPECT_EQ(B.Format, 5);
    const std::vector<uint32_t> Px = DecodeLosslessPixels(B);
    EXPECT_EQ(Px, (std::vector<uint32_t>{0x80800000, 0xFF0A141E, 0x00000000, 0x3328140A}));
    const auto Body = BodyOf(B);
    EXPECT_EQ(std::vector<uint8_t>(Body.begin(), Body.begin() + 7), (std::vector<uint8_t>{7, 0, 5, 2, 0, 2, 0}));
    EXPECT_EQ(DecodeAs<DefineBitsLossless>(36, Body), B);

    DefineBitsLossless Short = B;
    Short.Height = 3;  // the data holds two rows only
    EXPECT_THROW(DecodeLosslessPixels(Short), SwfError);
    DefineBitsLossless Huge = B;
    Huge.Width = Huge.Height = 65535;
    EXPECT_THROW(DecodeLosslessPixels(Huge), SwfError);
}

// Every typed tag, built fresh, survives encode -> decode -> encode with equal values and bytes.
TEST(Tags, EveryTypedTagRoundTripsInAMovie)
{
    Movie M;
    M.Header.Compressed = true;
    M.Header.Version = 8;
    M.Header.FrameSize = Rect{0, 20480, 0, 2000};
    M.Header.FrameRate = 0x0C00;
    M.Header.FrameCount = 1;
    auto Add = [&](TagValue V, bool Long = false) { M.Tags.emplace_back(std::move(V), Long); };

    Add(FileAttributes{0});
    Add(Metadata{"<rdf/>"});
    Add(SetBackgroundColor{Rgb{255, 255, 255}});
    Add(ScriptLimits{1000, 60});
    Add(Protect{{'x', 'y', 0}});
    Add(JpegTables{{0xFF, 0xD8, 0xFF, 0xD9}});
    Add(DefineBits{1, {0xFF, 0xD8, 0xFF, 0xD9}});
    Add(DefineBitsJpeg{2, 2, {0xFF, 0xD8, 0xFF, 0xD9}, {}}, true);
    Add(DefineBitsJpeg{3, 3, {0xFF, 0xD8, 0xFF, 0xD9}, {0x78, 0x9C, 0x03, 0x00}});
    Add(MakeLossless2(4, 2, 2, std::vector<uint8_t>(16, 0x80)), true);
    DefineBitsLossless Mapped;
    Mapped.Version = 1;
    Mapped.Id = 5;
    Mapped.Format = 3;
    Mapped.Width = 3;
    Mapped.Height = 1;
    Mapped.ColorTableSize = 1;
    Mapped.ZlibData = {0x78, 0x9C, 0x01, 0x02};
    Add(Mapped);

    // Shapes of all four versions with gradients, bitmap fills, new styles and curves.
    for (int Version = 1; Version <= 4; ++Version) {
        DefineShape S;
        S.Version = Version;
        S.Id = uint16_t(10 + Version);
        S.Bounds = Rect{-200, 2000, -50, 1500};
        if (Version == 4) {
            S.EdgeBounds = Rect{-190, 1990, -40, 1490};
            S.Flags4 = 0x05;
        }
        FillStyle Grad;
        Grad.Type = Version == 4 ? FillType::FocalGradient : FillType::RadialGradient;
        Grad.Transform.HasScale = true;
        Grad.Transform.ScaleX = Grad.Transform.ScaleY = 0x8000;
        Grad.Grad.Records = {{0, Rgba{255, 255, 255, Version >= 3 ? uint8_t(200) : uint8_t(255)}}, {255, Rgba{0, 0, 80, 255}}};
        Grad.Grad.FocalPoint = Version == 4 ? int16_t(-128) : int16_t(0);
        FillStyle Bitmap;
        Bitmap.Type = FillType::ClippedBitmap;
        Bitmap.BitmapId = 4;
        Bitmap.Transform.HasRotate = true;
        Bitmap.Transform.RotateSkew0 = -300;
        Bitmap.Transform.RotateSkew1 = 300;
        S.Geometry.Styles.Fills = {Grad, Bitmap};
        LineStyle Line;
        Line.Width = 40;
        Line.Color = Rgba{10, 20, 30, Version >= 3 ? uint8_t(128) : uint8_t(255)};
        if (Version == 4) {
            Line.Join = 2;
            Line.MiterLimit = 0x0300;
            Line.EndCap = 2;
            Line.PixelHinting = true;
        }
        S.Geometry.Styles.Lines = {Line};
        ShapeRecord A = ShapeRecord::MoveTo(-200, 1500);
        A.HasFill1 = A.HasLine = true;
        A.Fill1 = 1;
        A.Line = 1;
        S.Geometry.Records = {A, ShapeRecord::CurveTo(300, -700, 300, 700), ShapeRecord::LineTo(-600, 0)};
        if (Version >= 2) {
            ShapeRecord New = ShapeRecord::MoveTo(1000, 1000);
            StyleArrays Arrays;
            for (int I = 0; I < 300; ++I)  // forces the extended count
                Arrays.Fills.push_back(Bitmap);
            if (Version == 4) {
                LineStyle Filled;
                Filled.Width = 20;
                Filled.HasFill = true;
                Filled.Fill = Grad;
                Arrays.Lines = {Filled};
            }
            New.NewStyles = {Arrays};
            ShapeRecord Pick;
            Pick.HasFill0 = true;
            Pick.Fill0 = 300;
            S.Geometry.Records.push_back(New);
            S.Geometry.Records.push_back(Pick);
            S.Geometry.Records.push_back(ShapeRecord::LineTo(500, 250));
        }
        Add(S, Version == 1);  // a forced long header where the body is short
    }

    DefineFont Font1;
    Font1.Id = 20;
    Shape Glyph;
    ShapeRecord G0 = ShapeRecord::MoveTo(0, -700);
    G0.HasFill1 = true;
    G0.Fill1 = 1;
    Glyph.Records = {G0, ShapeRecord::LineTo(400, 0), ShapeRecord::LineTo(-200, 700), ShapeRecord::LineTo(-200, -700)};
    Font1.Glyphs = {Glyph, Glyph};
    Add(Font1);
    Add(DefineFontInfo{1, 20, "Tri", 0x01, 0, {65, 0x4E2D}});
    Add(DefineFontInfo{2, 20, "Tri", 0x01, 1, {65, 66}});

    DefineFont2 Font3;
    Font3.Version = 3;
    Font3.Id = 21;
    Font3.Flags = FontFlag::WideCodes | FontFlag::Italic;
    Font3.Name = "Tri";
    Font3.Glyphs = {Glyph, Glyph, Glyph};
    Font3.Codes = {65, 66, 0x4E2D};
    FontLayout Layout;
    Layout.Ascent = 900;
    Layout.Descent = 200;
    Layout.Leading = -10;
    Layout.Advances = {400, 410, 1024};
    Layout.Bounds = {Rect{0, 400, -700, 0}, Rect{0, 400, -700, 0}, Rect{}};
    Layout.Kerning = {{65, 66, -30}};
    Font3.Layout = Layout;
    Add(Font3);
    Add(DefineFontName{21, "Tri", "(c) nobody"});
    Add(DefineFontAlignZones{21, 0x40, {{{{0x1234, 0x0F00}, {0, 0x3C00}}, 0x03}, {{}, 0x00}}});

    DefineText Text;
    Text.Version = 2;
    Text.Id = 22;
    Text.Bounds = Rect{0, 3000, -700, 200};
    TextRecord Rec;
    Rec.FontId = 21;
    Rec.Height = 480;
    Rec.Color = Rgba{1, 2, 3, 4};
    Rec.YOffset = 600;
    Rec.Glyphs = {{0, 400}, {2, 1024}};
    TextRecord Rec2;
    Rec2.XOffset = -5;
    Rec2.Glyphs = {{1, -3}};
    Text.Records = {Rec, Rec2};
    Add(Text);
    Add(CsmTextSettings{22, 0x48, 0.5f, -1.25f, 0});

    DefineEditText Edit;
    Edit.Id = 23;
    Edit.Bounds = Rect{-40, 11247, -40, 835};
    Edit.Flags = EditFlag::ReadOnly | EditFlag::NoSelect | EditFlag::WordWrap | EditFlag::Html | EditFlag::UseOutlines;
    Edit.FontId = 21;
    Edit.FontHeight = 700;
    Edit.TextColor = Rgba{255, 0, 0, 255};
    Edit.MaxLength = 80;
    Edit.TextLayout = DefineEditText::Layout{2, 20, 20, 5, -2};
    Edit.VariableName = "timers";
    Edit.InitialText = "12:00:00";
    Add(Edit);

    DefineSprite Sprite;
    Sprite.Id = 30;
    Sprite.FrameCount = 2;
    PlaceObject2 Child;
    Child.Depth = 1;
    Child.CharacterId = 11;
    Child.Transform = Matrix{};
    Sprite.Tags.emplace_back(Child);
    Sprite.Tags.emplace_back(FrameLabel{"loop", std::nullopt});
    Sprite.Tags.emplace_back(ShowFrame{});
    Sprite.Tags.emplace_back(RemoveObject{2, 0, 1});
    Sprite.Tags.emplace_back(UnknownTag{15, {1, 2, 3}});  // StartSound stays raw
    Sprite.Tags.emplace_back(ShowFrame{});
    Sprite.Tags.emplace_back(EndTag{});
    Add(Sprite);
    Add(DoInitAction{30, {}});
    Add(ExportAssets{{{30, "clip"}, {23, "field"}}});

    PlaceObject Old;
    Old.CharacterId = 11;
    Old.Depth = 2;
    CxForm Plain;
    Plain.HasAdd = true;
    Plain.RedAdd = -20;
    Old.ColorTransform = Plain;
    Add(Old);
    Add(RemoveObject{1, 11, 2});
    PlaceObject2 Rich;
    Rich.Version = 3;
    Rich.Depth = 3;
    Rich.CharacterId = 30;
    Rich.Name = "emblem";
    Rich.Ratio = 5;
    Rich.ClipDepth = 9;
    CxForm Cx;
    Cx.HasMult = true;
    Cx.HasAdd = true;
    Cx.RedMult = Cx.GreenMult = Cx.BlueMult = 141;
    Cx.RedAdd = Cx.GreenAdd = Cx.BlueAdd = 115;
    Cx.AlphaMult = 205;
    Rich.ColorTransform = Cx;
    Rich.Transform = Matrix{true, 22282, 22282, false, 0, 0, 17460, 140};
    Rich.Filters = std::vector<Filter>{{1, std::vector<uint8_t>(9, 1)}, {4, Cat({{2}, std::vector<uint8_t>(10 + 19, 3)})}};
    Rich.BlendMode = 2;
    Rich.BitmapCache = 1;
    Rich.ClassName = "Emblem";
    Add(Rich);
    Add(FrameLabel{"start", uint8_t(1)});
    Asm Script;  // decoding names labels L1, L2 … in address order
    Script.Push("w", 1024).SetVariable().Label("L1").Push("w").GetVariable().If("L1").Stop().End();
    Add(DoAction{ActionBlock{Script.Take(), {}}});
    ClipActions Events;
    Events.AllEvents = ClipEvent::EnterFrame | ClipEvent::KeyPress;
    Asm OnFrame;
    OnFrame.NextFrame().End();
    Events.Records = {{ClipEvent::EnterFrame, 0, {OnFrame.Take(), {}}}, {ClipEvent::KeyPress, 32, {}}};
    PlaceObject2 WithEvents;
    WithEvents.Depth = 4;
    WithEvents.CharacterId = 30;
    WithEvents.Actions = Events;
    Add(WithEvents);
    Add(UnknownTag{0x3FF, {}}, true);
    Add(ShowFrame{});
    Add(EndTag{});

    const std::vector<uint8_t> Bytes = EncodeMovie(M);
    const Movie Back = DecodeMovie(Bytes);
    EXPECT_TRUE(Back.Warnings.empty()) << Back.Warnings.front();
    ASSERT_EQ(Back.Tags.size(), M.Tags.size());
    for (size_t I = 0; I < M.Tags.size(); ++I)
        EXPECT_TRUE(Back.Tags[I] == M.Tags[I]) << "tag " << I << " (" << TagName(CodeOf(M.Tags[I].Value)) << ")";
    EXPECT_EQ(EncodeMovie(Back), Bytes);
    EXPECT_EQ(ExpectTiled(Back.Tags, 8 + 9 + 4, 8), Back.Header.DataLength);  // a 9-byte stage rect
    EXPECT_EQ(Back.Header.DataLength, Back.Header.FileLength);
}

TEST(Tags, DamagedTagsFailWithTheirOffset)
{
    struct Case {
        const char* What;
        uint16_t Code;
        std::vector<uint8_t> Body;
        size_t Offset;  // file offset of the fault; bodies start at 2
    };
    auto Square = SquareShapeBody();
    std::vector<uint8_t> CutSquare(Square.begin(), Square.end() - 3);
    std::vector<uint8_t> BadFill = Square;
    BadFill[8] = 0x20;  // fill type
    const std::vector<Case> Cases = {
        {"shape records cut short", 2, CutSquare, 2 + CutSquare.size() - 1},
        {"unknown fill style type", 2, BadFill, 2 + 8},
        {"edit text without its variable name terminator", 37, {0x01, 0x00, 0x00, 0x00, 0x00, 'a', 'b'}, 2 + 5},
        {"text record of type 0", 11, {0x04, 0x00, 0x00, 0x00, 0x02, 0x08, 0x40}, 2 + 6},
        {"glyph entries of zero bits", 11, {0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0xFF}, 2 + 8},
        {"font code table offset disagrees", 48, {0x02, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x09, 0x00}, 2 + 9},
        {"DefineFont glyph offsets out of order", 10, {0x01, 0x00, 0x04, 0x00, 0x02, 0x00, 0x10}, 2 + 6},
        {"JPEG3 alpha offset past the end", 35, {0x01, 0x00, 0x10, 0x00, 0x00, 0x00, 0xFF}, 2 + 6},
        {"lossless format 7", 36, {0x01, 0x00, 0x07, 0x01, 0x00}, 2 + 2},
        {"clip action record past the tag", 26,
         {0x82, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00},
         2 + 19},
        {"unknown filter", 70, {0x00, 0x01, 0x01, 0x00, 0x01, 0x09}, 2 + 6},
    };
    for (const Case& C : Cases) {
        try {
            DecodeTag(RawTag(C.Code, C.Body), 8);
            ADD_FAILURE() << C.What << ": decoded";
        } catch (const SwfError& E) {
            EXPECT_EQ(E.Offset(), C.Offset) << C.What << ": " << E.what();
        }
    }
}

TEST(Tags, SpritesNestedTooDeepAreRefused)
{
    // Each level wraps the previous in a DefineSprite with long headers.
    std::vector<uint8_t> Body = {0x00, 0x00};  // End
    for (int Level = 0; Level < 40; ++Level) {
        std::vector<uint8_t> Outer = {0x01, 0x00, 0x01, 0x00};
        Outer.insert(Outer.end(), {0xFF, 0x09});
        const uint32_t N = uint32_t(Body.size());
        Outer.insert(Outer.end(), {uint8_t(N), uint8_t(N >> 8), uint8_t(N >> 16), uint8_t(N >> 24)});
        Outer.insert(Outer.end(), Body.begin(), Body.end());
        Outer.insert(Outer.end(), {0x00, 0x00});
        Body = Outer;
    }
    EXPECT_THROW(DecodeTag(RawTag(39, Body), 8), SwfError);
}

TEST(Tags, BytesLeftInATypedTagAreAWarning)
{
    std::vector<std::string> Warnings;
    const TagValue V = DecodeTag(RawTag(28, {0x05, 0x00, 0xAA}), 8, &Warnings);
    EXPECT_EQ(std::get<RemoveObject>(V).Depth, 5);
    ASSERT_EQ(Warnings.size(), 1u);
    EXPECT_EQ(Warnings[0], "offset 4: 1 bytes after the end of RemoveObject2 ignored");

    // In a movie the stored length stays on record, here for a sprite's child.
    SwfMovie Raw;
    Raw.Header.FrameSize = Rect{0, 20, 0, 20};
    // Sprite 1 holding a RemoveObject2 with a byte over, then End.
    Raw.Tags = {RawTag(39, {1, 0, 1, 0, 0x03, 0x07, 0x05, 0x00, 0xAA, 0, 0}), RawTag(0, {})};
    const Movie M = DecodeMovie(Encode(Raw));
    ASSERT_EQ(M.Warnings.size(), 1u);
    const auto& Sprite = std::get<DefineSprite>(M.Tags.at(0).Value);
    EXPECT_EQ(M.Tags[0].BodyLength, 11u);
    EXPECT_EQ(Sprite.Tags.at(0).BodyLength, 3u);
    EXPECT_EQ(Sprite.Tags[0].Offset, M.Tags[0].Offset + 2 + 4);
}

TEST(Tags, NaNFloatsEqualThemselvesAndKeepTheirBits)
{
    // CSMTextSettings with a NaN thickness (0xFFF800FF) and sharpness -0.0.
    const std::vector<uint8_t> Body = {0x16, 0x00, 0x48, 0xFF, 0x00, 0xF8, 0xFF, 0x00, 0x00, 0x00, 0x80, 0x00};
    const auto S = DecodeAs<CsmTextSettings>(74, Body);
    EXPECT_EQ(S, S);
    EXPECT_EQ(BodyOf(S), Body);
    CsmTextSettings Zero = S;
    Zero.Sharpness = 0.0f;
    EXPECT_NE(Zero, S) << "0.0 and -0.0 are different bytes";
}
