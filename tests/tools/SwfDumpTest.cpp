// swfdump: what the dump shows of a small movie, and the binary as a user runs it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SwfDump.h"
#include "ToolRun.h"

using namespace swf;

namespace {

// A subtitle-like movie: a bitmap, a shape filled with it, an edit text bound to a variable, a sprite
// whose script sets that variable, and a placement of the sprite with name, matrix and colour transform.
Movie TestMovie()
{
    Movie M;
    M.Header.Version = 8;
    M.Header.FrameSize = Rect{0, 14400, 0, 11520};
    M.Header.FrameRate = 0x0C00;
    M.Header.FrameCount = 1;
    auto Add = [&](TagValue V) { M.Tags.emplace_back(std::move(V)); };

    Add(FileAttributes{FileAttributes::UseNetwork});
    Add(SetBackgroundColor{Rgb{0x10, 0x20, 0x30}});
    Add(MakeLossless2(1, 2, 2, std::vector<uint8_t>(16, 0x80)));

    DefineShape Shape;
    Shape.Id = 2;
    Shape.Bounds = Rect{0, 400, 0, 200};
    FillStyle Fill;
    Fill.Type = FillType::ClippedBitmap;
    Fill.BitmapId = 1;
    Fill.Transform.HasScale = true;
    Fill.Transform.ScaleX = Fill.Transform.ScaleY = 20 << 16;
    Shape.Geometry.Styles.Fills = {Fill};
    ShapeRecord Start = ShapeRecord::MoveTo(0, 0);
    Start.HasFill1 = true;
    Start.Fill1 = 1;
    Shape.Geometry.Records = {Start, ShapeRecord::LineTo(400, 0), ShapeRecord::LineTo(0, 200),
                              ShapeRecord::LineTo(-400, 0), ShapeRecord::LineTo(0, -200)};
    Add(Shape);

    DefineEditText Edit;
    Edit.Id = 3;
    Edit.Bounds = Rect{-40, 7240, -40, 600};
    Edit.Flags = EditFlag::ReadOnly | EditFlag::NoSelect | EditFlag::Multiline;
    Edit.FontId = 9;
    Edit.FontHeight = 480;
    Edit.TextColor = Rgba{255, 255, 255, 255};
    Edit.VariableName = "subtitle";
    Edit.InitialText = "line 1\nline \"2\"";
    Add(Edit);

    DefineSprite Sprite;
    Sprite.Id = 4;
    Sprite.FrameCount = 1;
    PlaceObject2 Child;
    Child.Depth = 1;
    Child.CharacterId = 3;
    Sprite.Tags.emplace_back(Child);
    Asm Script;
    Script.Push("subtitle", "hello").SetVariable().Stop().End();
    Sprite.Tags.emplace_back(DoAction{ActionBlock{Script.Take(), {}}});
    Sprite.Tags.emplace_back(ShowFrame{});
    Sprite.Tags.emplace_back(EndTag{});
    Add(Sprite);

    PlaceObject2 Place;
    Place.Depth = 5;
    Place.CharacterId = 4;
    Place.Name = "subs";
    Place.Transform = Matrix{true, 0x8000, 0x8000, false, 0, 0, 1440, 9600};
    CxForm Cx;
    Cx.HasMult = Cx.HasAdd = true;
    Cx.AlphaMult = 128;
    Cx.RedAdd = -16;
    Place.ColorTransform = Cx;
    Add(Place);
    Add(ShowFrame{});
    Add(EndTag{});
    return M;
}

// Each expected line occurs in Text as a whole line, in this order (other lines may come between).
void ExpectLinesInOrder(const std::string& Text, const std::vector<std::string>& Expected)
{
    std::vector<std::string> Got;
    for (size_t At = 0, Nl; (Nl = Text.find('\n', At)) != std::string::npos; At = Nl + 1)
        Got.push_back(Text.substr(At, Nl - At));
    size_t At = 0;
    for (const std::string& Want : Expected) {
        while (At < Got.size() && Got[At] != Want)
            ++At;
        ASSERT_LT(At, Got.size()) << "missing, or out of order: \"" << Want << "\"\nin:\n" << Text;
        ++At;
    }
}

// The line naming a decoded tag, at Level.
std::string TagLine(const TypedTag& T, int Level)
{
    const uint16_t Code = CodeOf(T.Value);
    return std::string(2 * Level, ' ') + "@" + std::to_string(T.Offset) + " " + TagName(Code) + " (" +
           std::to_string(Code) + "), " + std::to_string(T.BodyLength) + (T.BodyLength == 1 ? " byte" : " bytes");
}

const std::string Tool = SWFDUMP_PATH;

}  // namespace

TEST(SwfDump, ShowsWhatAnAuthorNeeds)
{
    const std::vector<uint8_t> Bytes = EncodeMovie(TestMovie());
    const Movie Back = DecodeMovie(Bytes);
    ASSERT_EQ(Back.Tags.size(), 9u);
    const auto& Sprite = std::get<DefineSprite>(Back.Tags[5].Value).Tags;
    ASSERT_EQ(Sprite.size(), 4u);
    const std::string Size = std::to_string(Bytes.size());
    const std::string Zlib = std::to_string(std::get<DefineBitsLossless>(Back.Tags[2].Value).ZlibData.size());

    ExpectLinesInOrder(DumpMovie(Back), {
        "header",
        "  signature FWS (uncompressed)",
        "  version 8, strings UTF-8",
        "  file length " + Size + " declared, " + Size + " in the file",
        "  stage x 0..14400, y 0..11520 twips = x 0.00..720.00, y 0.00..576.00 px, 720.00 x 576.00 px",
        "  frame rate 12.00 fps (0x0C00)",
        "  frame count 1",
        "warnings: none",
        "tags",
        "  frame 1",
        TagLine(Back.Tags[0], 1),
        "    flags 0x00000001: !UseDirectBlit !UseGPU !HasMetadata !ActionScript3 UseNetwork",
        "    colour #102030",
        "    id 1, format 5 (32-bit ARGB), 2 x 2 px, " + Zlib + " bytes of zlib data",
        "    pixels ok",
        "    id 2, bounds x 0..400, y 0..200 twips = x 0.00..20.00, y 0.00..10.00 px, 20.00 x 10.00 px",
        "    fill styles 1",
        "      1: clipped bitmap, bitmap 1",
        "        matrix translate 0, 0 twips (0.00, 0.00 px), scale 20.0000 x 20.0000, no rotate/skew",
        "    line styles 0",
        "    records 5: 1 move, 4 lines, 0 curves, 1 style change (0 with new styles)",
        TagLine(Back.Tags[4], 1),
        "    id 3, bounds x -40..7240, y -40..600 twips = x -2.00..362.00, y -2.00..30.00 px, 364.00 x 32.00 px",
        "    flags 0xAD10: HasText !WordWrap Multiline !Password ReadOnly HasTextColor !HasMaxLength HasFont "
        "!HasFontClass !AutoSize !HasLayout NoSelect !Border !WasStatic !HTML !UseOutlines",
        "    font 9, height 480 twips (24.00 px)",
        "    colour #FFFFFFFF",
        "    no max length",
        "    no layout",
        "    variable \"subtitle\"",
        "    initial text \"line 1\\nline \\\"2\\\"\"",
        // The sprite's tags nest under it, its script under its DoAction.
        TagLine(Back.Tags[5], 1),
        "    id 4, 1 frame",
        "    frame 1",
        TagLine(Sprite[0], 2),
        "      depth 1, place character 3",
        TagLine(Sprite[1], 2),
        "      Push \"subtitle\", \"hello\"",
        "      SetVariable",
        "      Stop",
        "      End",
        TagLine(Sprite[2], 2),
        TagLine(Sprite[3], 2),
        TagLine(Back.Tags[6], 1),
        "    depth 5, place character 4",
        "    name \"subs\"",
        "    matrix translate 1440, 9600 twips (72.00, 480.00 px), scale 0.5000 x 0.5000, no rotate/skew",
        "    colour transform mult r 1.000 g 1.000 b 1.000 a 0.500, add r -16 g +0 b +0 a +0",
        TagLine(Back.Tags[7], 1),
        TagLine(Back.Tags[8], 1),
        "1 frame shown",
    });
}

// Smaller movies, each with the lines that show its point.
TEST(SwfDump, CasesAuthorsRunInto)
{
    struct Case {
        const char* What;
        std::vector<TagValue> Tags;
        std::vector<std::string> Lines;
        uint16_t FrameCount = 1;
        bool Compressed = false;
    };
    ClipActions Events;
    Events.AllEvents = ClipEvent::EnterFrame | ClipEvent::KeyPress;
    Asm OnFrame;
    OnFrame.NextFrame().End();
    Events.Records = {{ClipEvent::EnterFrame, 0, {OnFrame.Take(), {}}}, {ClipEvent::KeyPress, 32, {}}};
    PlaceObject2 WithEvents;
    WithEvents.Depth = 2;
    WithEvents.Move = true;
    WithEvents.Actions = Events;
    DefineBitsLossless Broken = MakeLossless2(7, 4, 4, std::vector<uint8_t>(64, 0));
    Broken.ZlibData.resize(Broken.ZlibData.size() / 2);
    DefineFont2 Font;
    Font.Id = 9;
    Font.Flags = FontFlag::WideCodes | FontFlag::Bold;
    Font.Name = "Tiresias";
    DefineText Text;
    Text.Id = 6;
    TextRecord Record;
    Record.FontId = 9;
    Record.Height = 400;
    Record.Color = Rgba{255, 255, 0, 255};
    Record.Glyphs = {{0, 220}, {1, 180}};
    Text.Records = {Record};

    const std::vector<Case> Cases = {
        {"clip events and their scripts",
         {WithEvents, ShowFrame{}, EndTag{}},
         {"    depth 2, move", "    clip actions for EnterFrame KeyPress", "      on EnterFrame:", "        NextFrame",
          "        End", "      on KeyPress (key 32):", "        no actions"}},
        {"removal, label, export, unknown tag",
         {RemoveObject{2, 0, 5}, FrameLabel{"intro", std::nullopt}, ExportAssets{{{4, "clip"}}}, UnknownTag{15, {1, 2, 3}},
          ShowFrame{}, EndTag{}},
         {"    depth 5", "    name \"intro\"", "    id 4 as \"clip\"", "  @41 StartSound (15), 3 bytes",
          "    not decoded"}},
        {"strings escaped, UTF-8 left as stored",
         {FrameLabel{"a\tb\x01\xC3\xA9", std::nullopt}, ShowFrame{}, EndTag{}},
         {"    name \"a\\tb\\x01\xC3\xA9\""}},
        {"tags after the last ShowFrame, frames the header does not declare",
         {ShowFrame{}, SetBackgroundColor{}, EndTag{}},
         {"  frame 1", "  frame 2 (no ShowFrame follows)", "1 frame shown, header declares 3"}, 3},
        {"JPEG size read from its frame header, past the stand-alone markers SWF files put first",
         {DefineBitsJpeg{2, 8, {0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x10, 0x00, 0x20, 0x01,
                                0x01, 0x11, 0x00, 0xFF, 0xD9}, {}},
          EndTag{}},
         {"    id 8, 19 bytes of JPEG 32 x 16 px data"}},
        {"damaged bitmap data", {Broken, EndTag{}}, {"    pixels damaged: 32-bit bitmap holds 2 bytes, 64 needed"}},
        {"font and text", {Font, Text, EndTag{}},
         {"    id 9, name \"Tiresias\", 0 glyphs, language 0",
          "    flags 0x05: !HasLayout !ShiftJIS !SmallText !ANSI !WideOffsets WideCodes !Italic Bold",
          "    record 1: font 9, height 400 twips (20.00 px), #FFFF00, 2 glyphs (index:advance) 0:220 1:180"}},
        {"compressed", {EndTag{}}, {"  signature CWS (zlib compressed)", "0 frames shown, header declares 1"}, 1, true},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        Movie M;
        M.Header.Version = 8;
        M.Header.Compressed = C.Compressed;
        M.Header.FrameSize = Rect{0, 200, 0, 200};
        M.Header.FrameCount = C.FrameCount;
        for (const TagValue& V : C.Tags)
            M.Tags.emplace_back(V);
        ExpectLinesInOrder(DumpMovie(DecodeMovie(EncodeMovie(M))), C.Lines);
    }
}

TEST(SwfDump, DeclaredLengthThatDisagreesIsShownAndWarned)
{
    std::vector<uint8_t> Bytes = EncodeMovie(TestMovie());
    Bytes[4] = 0xE8, Bytes[5] = 0x03, Bytes[6] = 0, Bytes[7] = 0;  // 1000
    const std::string Size = std::to_string(Bytes.size());
    ExpectLinesInOrder(DumpMovie(DecodeMovie(Bytes)),
                       {"  file length 1000 declared, " + Size + " in the file", "warnings: 1",
                        "  offset 4: declared file length 1000 but the file holds " + Size + " bytes"});
}

TEST(SwfDump, BinaryPrintsTheDumpOrTheFault)
{
    FreshDir();
    const std::vector<uint8_t> Good = EncodeMovie(TestMovie());
    WriteFile(Dir() + "good.swf", Good);
    ToolRun R = Exec(Tool + " " + Dir() + "good.swf");
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, DumpMovie(DecodeMovie(Good)));
    EXPECT_EQ(R.Err, "");

    const size_t SpriteAt = DecodeMovie(Good).Tags.at(5).Offset;
    WriteFile(Dir() + "cut.swf", std::vector<uint8_t>(Good.begin(), Good.begin() + SpriteAt + 20));
    std::vector<uint8_t> Renamed = Good;
    Renamed[0] = 'G';
    WriteFile(Dir() + "renamed.swf", Renamed);

    struct Case { std::string Args; int Status; std::string Err; };
    const Case Cases[] = {
        {Dir() + "cut.swf", 1,
         "swfdump: " + Dir() + "cut.swf: offset " + std::to_string(SpriteAt) + ": tag DefineSprite runs past its parent"},
        {Dir() + "renamed.swf", 1, "swfdump: " + Dir() + "renamed.swf: offset 0: not an SWF file"},
        {Dir() + "missing.swf", 1, "swfdump: " + Dir() + "missing.swf: No such file or directory"},
        {Dir(), 1, "swfdump: " + Dir() + ": Is a directory"},
        {"", 1, "usage: swfdump MOVIE.swf"},
        {Dir() + "good.swf extra", 1, "usage: swfdump MOVIE.swf"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Args);
        R = Exec(Tool + " " + C.Args);
        EXPECT_EQ(R.Status, C.Status);
        EXPECT_EQ(R.Err.rfind(C.Err, 0), 0u) << R.Err;
        EXPECT_EQ(R.Out, "");
    }
    R = Exec(Tool + " --help");
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Out, "usage: swfdump MOVIE.swf\n");
}
