// The committed subtitle movies: what the engine and the host rely on, read back from the files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Movies.h"
#include "SwfDump.h"
#include "Tags.h"

using namespace swf;

namespace {

std::vector<uint8_t> ReadFile(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    EXPECT_TRUE(In) << Name;
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

const std::string BuiltinPath = std::string(SOURCE_DIR) + "/osd/resources/ovixosd.swf";
const std::string TestPath = std::string(SOURCE_DIR) + "/setup/resources/ovixosd-test.swf";

std::vector<std::string> Lines(const ActionBlock& B) { return Disassemble(B.Actions); }

template <class T>
std::vector<const T*> All(const std::vector<TypedTag>& Tags)
{
    std::vector<const T*> Out;
    for (const TypedTag& T2 : Tags)
        if (auto* V = std::get_if<T>(&T2.Value))
            Out.push_back(V);
    return Out;
}

// Scripts of a timeline, one entry per frame (empty when the frame has none).
std::vector<std::vector<std::string>> FrameScripts(const std::vector<TypedTag>& Tags)
{
    std::vector<std::vector<std::string>> Frames(1);
    for (const TypedTag& T : Tags) {
        if (auto* D = std::get_if<DoAction>(&T.Value)) {
            auto L = Lines(D->Actions);
            Frames.back().insert(Frames.back().end(), L.begin(), L.end());
        }
        if (std::holds_alternative<ShowFrame>(T.Value))
            Frames.emplace_back();
    }
    Frames.pop_back();  // after the last ShowFrame
    return Frames;
}

struct Decoded {
    std::vector<uint8_t> File;
    Movie M;

    template <class T>
    const T& Character(uint16_t Id) const
    {
        for (const TypedTag& Tag : M.Tags)
            if (auto* V = std::get_if<T>(&Tag.Value); V && V->Id == Id)
                return *V;
        throw std::runtime_error("no character " + std::to_string(Id));
    }
    const PlaceObject2& AtDepth(const std::vector<TypedTag>& Tags, uint16_t Depth) const
    {
        for (const PlaceObject2* P : All<PlaceObject2>(Tags))
            if (P->Depth == Depth && P->CharacterId)
                return *P;
        throw std::runtime_error("nothing placed at depth " + std::to_string(Depth));
    }
    const DefineSprite& ClipAt(uint16_t Depth) const { return Character<DefineSprite>(*AtDepth(M.Tags, Depth).CharacterId); }
};

Decoded Load(const std::string& Path)
{
    Decoded D;
    D.File = ReadFile(Path);
    D.M = DecodeMovie(D.File);
    return D;
}

const std::vector<std::string> RootFrame1 = {
    "Push \"osdstr\", \"ovix工作室硬解控件\"", "SetVariable", "Push \"w\", 1024", "SetVariable",
    "Push \"h\", 100", "SetVariable", "End"};

const std::string Spaces51(51, ' ');

std::vector<std::string> TickerFrame2(bool Builtin)
{
    std::vector<std::string> L = {"Push \"msginf1\", \"str_space\"", "GetVariable"};
    if (Builtin)
        L.insert(L.end(), {"Push \"_root\"", "GetVariable", "Push \"osdstr\"", "GetMember"});
    else
        L.push_back("Push \"ovix工作室硬解控件\"");
    L.insert(L.end(), {"Add2", "Push \"str_space\"", "GetVariable", "Add2", "SetVariable",
                       // str1.hscroll = str1.hscroll + 2
                       "Push \"str1\"", "GetVariable", "Push \"hscroll\", \"str1\"", "GetVariable", "Push \"hscroll\"",
                       "GetMember", "Push 2", "Add2", "SetMember",
                       // if (str1.hscroll < str1.maxhscroll) skip; else str1.hscroll = 0
                       "Push \"str1\"", "GetVariable", "Push \"hscroll\"", "GetMember", "Push \"str1\"", "GetVariable",
                       "Push \"maxhscroll\"", "GetMember", "Less2", "If L1", "Push \"str1\"", "GetVariable",
                       "Push \"hscroll\", 0", "SetMember", "L1:", "End"});
    return L;
}

}  // namespace

TEST(Movies, CommittedFilesAreWhatTheToolWritesAndRoundTrip)
{
    for (const auto& [Kind, Path] : {std::pair{movies::Kind::Builtin, BuiltinPath}, std::pair{movies::Kind::Test, TestPath}}) {
        const Decoded D = Load(Path);
        EXPECT_EQ(movies::Write(Kind), D.File) << Path;
        EXPECT_TRUE(D.M.Warnings.empty()) << Path << ": " << D.M.Warnings.front();
        EXPECT_EQ(EncodeMovie(D.M), D.File) << Path;
    }
}

TEST(Movies, HeaderAndRootTimeline)
{
    for (const std::string& Path : {BuiltinPath, TestPath}) {
        const Decoded D = Load(Path);
        SCOPED_TRACE(Path);
        ASSERT_GE(D.File.size(), 10u);
        EXPECT_EQ(std::string(D.File.begin(), D.File.begin() + 3), "CWS");
        EXPECT_EQ(D.File[3], 8);
        EXPECT_EQ(D.File[8], 0x78);
        EXPECT_EQ(D.File[9], 0x9C);
        EXPECT_EQ(D.M.Header.FileLength, D.M.Header.DataLength);
        EXPECT_EQ(D.M.Header.FrameSize, (Rect{0, 20480, 0, 2000}));
        EXPECT_EQ(D.M.Header.FrameRate, 0x0C00);
        EXPECT_EQ(D.M.Header.FrameCount, 2);
        ASSERT_GE(D.M.Tags.size(), 2u);
        EXPECT_EQ(std::get<FileAttributes>(D.M.Tags[0].Value).Flags, 0u);
        EXPECT_EQ(std::get<SetBackgroundColor>(D.M.Tags[1].Value).Color, (Rgb{255, 255, 255}));

        const auto Scripts = FrameScripts(D.M.Tags);
        ASSERT_EQ(Scripts.size(), 2u);
        EXPECT_EQ(Scripts[0], Path == BuiltinPath ? RootFrame1 : std::vector<std::string>{});
        EXPECT_EQ(Scripts[1], (std::vector<std::string>{"Stop", "End"}));

        // The three clips, placed in frame 1 at depths 1, 3 and 7, and nothing else on the root.
        const auto Places = All<PlaceObject2>(D.M.Tags);
        ASSERT_EQ(Places.size(), 3u);
        EXPECT_EQ(Places[0]->Depth, 1);
        EXPECT_EQ(Places[1]->Depth, 3);
        EXPECT_EQ(Places[2]->Depth, 7);
        const PlaceObject2& Emblem = *Places[0];
        ASSERT_TRUE(Emblem.Transform && Emblem.ColorTransform);
        EXPECT_EQ(Emblem.Transform->ScaleX, 22282);  // 0.34
        EXPECT_EQ(Emblem.Transform->ScaleY, 22282);
        EXPECT_FALSE(Emblem.Transform->HasRotate);
        EXPECT_EQ(Emblem.Transform->TranslateX, 873 * 20);
        EXPECT_EQ(Emblem.Transform->TranslateY, 7 * 20);
        EXPECT_EQ(Emblem.ColorTransform->AlphaMult, 205);
        EXPECT_FALSE(Emblem.ColorTransform->HasAdd);
        EXPECT_EQ(D.ClipAt(1).FrameCount, 110);
        EXPECT_EQ(D.ClipAt(3).FrameCount, 2);
        EXPECT_EQ(D.ClipAt(7).FrameCount, 3);

        // Four bitmaps with alpha: three emblem layers of about 120 x 119 and the 281 x 65 plate.
        const auto Bitmaps = All<DefineBitsLossless>(D.M.Tags);
        ASSERT_EQ(Bitmaps.size(), 4u);
        for (size_t I = 0; I < 4; ++I) {
            EXPECT_EQ(Bitmaps[I]->Version, 2);
            EXPECT_EQ(Bitmaps[I]->Width, I < 3 ? 120 : 281);
            EXPECT_EQ(Bitmaps[I]->Height, I < 3 ? 119 : 65);
            const auto Pixels = DecodeLosslessPixels(*Bitmaps[I]);
            size_t Partial = 0, Clear = 0;
            for (uint32_t P : Pixels) {
                Partial += (P >> 24) > 0 && (P >> 24) < 255;
                Clear += (P >> 24) == 0;
            }
            EXPECT_GT(Partial, 50u) << "bitmap " << I << " edges are anti-aliased";
            EXPECT_GT(Clear, 0u) << "bitmap " << I << " has see-through corners";
        }
        // Device fonts only: no embedded glyphs.
        for (const DefineFont2* F : All<DefineFont2>(D.M.Tags)) {
            EXPECT_EQ(F->Name, "Arial");
            EXPECT_TRUE(F->Glyphs.empty());
        }
    }
}

TEST(Movies, TextFieldsAndTheirPlaces)
{
    for (const std::string& Path : {BuiltinPath, TestPath}) {
        const Decoded D = Load(Path);
        SCOPED_TRACE(Path);
        struct Expect {
            uint16_t ClipDepth, FieldDepth;
            const char* Variable;
            const char* Instance;  // nullptr: none
            bool Bold;
            uint16_t Height;
            Rgba Colour;
            int32_t X, Y, Width, Height2;  // twips
        };
        const Expect Fields[] = {
            {7, 1, "msginf1", "str1", true, 640, Rgba{0xCC, 0xCC, 0xCC, 0xFF}, 5835, 320, 11207, 795},
            {3, 3, "timers", nullptr, false, 700, Rgba{0xFF, 0x00, 0x00, 0xFF}, 1156, 391, 3439, 876},
        };
        for (const Expect& E : Fields) {
            SCOPED_TRACE(E.Variable);
            const PlaceObject2& P = D.AtDepth(D.ClipAt(E.ClipDepth).Tags, E.FieldDepth);
            const DefineEditText& T = D.Character<DefineEditText>(*P.CharacterId);
            EXPECT_EQ(T.VariableName, E.Variable);
            EXPECT_EQ(P.Name.value_or("(none)"), E.Instance ? E.Instance : "(none)") << "instance name";
            EXPECT_EQ(T.FontHeight, E.Height);
            EXPECT_EQ(T.TextColor, E.Colour);
            EXPECT_TRUE(T.Has(EditFlag::ReadOnly));
            EXPECT_TRUE(T.Has(EditFlag::NoSelect));
            EXPECT_FALSE(T.Has(EditFlag::Multiline) || T.Has(EditFlag::WordWrap) || T.Has(EditFlag::Border) ||
                         T.Has(EditFlag::UseOutlines) || T.Has(EditFlag::Html));
            EXPECT_FALSE(T.InitialText);
            ASSERT_TRUE(T.FontId);
            const DefineFont2& Font = D.Character<DefineFont2>(*T.FontId);
            EXPECT_EQ(Font.Name, "Arial");
            EXPECT_EQ((Font.Flags & FontFlag::Bold) != 0, E.Bold);
            ASSERT_TRUE(P.Transform);
            EXPECT_EQ(P.Transform->TranslateX, E.X);
            EXPECT_EQ(P.Transform->TranslateY, E.Y);
            EXPECT_EQ(T.Bounds.XMax - T.Bounds.XMin, E.Width);
            EXPECT_EQ(T.Bounds.YMax - T.Bounds.YMin, E.Height2);
        }
        // The plate sits under the time field, at (0.75, 7.7) px.
        const PlaceObject2& Plate = D.AtDepth(D.ClipAt(3).Tags, 1);
        EXPECT_EQ(Plate.Transform->TranslateX, 15);
        EXPECT_EQ(Plate.Transform->TranslateY, 154);
    }
}

TEST(Movies, TickerAndClockScripts)
{
    for (const std::string& Path : {BuiltinPath, TestPath}) {
        const Decoded D = Load(Path);
        SCOPED_TRACE(Path);
        const auto Ticker = FrameScripts(D.ClipAt(7).Tags);
        ASSERT_EQ(Ticker.size(), 3u);
        EXPECT_EQ(Ticker[0], (std::vector<std::string>{
                                 "Push \"str1\"", "GetVariable", "Push \"hscroll\", 0", "SetMember",
                                 "Push \"str1\"", "GetVariable", "Push \"background\", false", "SetMember",
                                 "Push \"str_space\", \"" + Spaces51 + "\"", "SetVariable",
                                 "Push \"msginf1\", \"\"", "SetVariable", "End"}));
        EXPECT_EQ(Ticker[1], TickerFrame2(Path == BuiltinPath));
        EXPECT_EQ(Ticker[2], (std::vector<std::string>{"GotoFrame 1", "Play", "End"}));

        const DefineSprite& Clock = D.ClipAt(3);
        const auto ClockScripts = FrameScripts(Clock.Tags);
        ASSERT_EQ(ClockScripts.size(), 2u);
        std::vector<std::string> Frame1 = {"Push \"mytime\", 0, \"Date\"", "NewObject", "SetVariable"};
        const char* Parts[][3] = {{"t_h", "getHours", "shi"}, {"t_m", "getMinutes", "fen"}, {"t_s", "getSeconds", "miao"}};
        for (auto& P : Parts)
            Frame1.insert(Frame1.end(), {std::string("Push \"") + P[0] + "\", 0, \"mytime\"", "GetVariable",
                                         std::string("Push \"") + P[1] + "\"", "CallMethod", "SetVariable"});
        int Label = 1;
        for (auto& P : Parts) {
            // below 10: "0" + value, else the value itself
            const std::string Taken = "L" + std::to_string(Label++), Done = "L" + std::to_string(Label++);
            Frame1.insert(Frame1.end(), {std::string("Push \"") + P[0] + "\"", "GetVariable", "Push 10", "Less2", "Not",
                                         "If " + Taken, std::string("Push \"") + P[2] + "\", \"0\", \"" + P[0] + "\"",
                                         "GetVariable", "Add2", "SetVariable", "Jump " + Done, Taken + ":",
                                         std::string("Push \"") + P[2] + "\", \"" + P[0] + "\"", "GetVariable",
                                         "SetVariable", Done + ":"});
        }
        Frame1.insert(Frame1.end(), {"Push \"timers\", \"shi\"", "GetVariable", "Push \":\"", "Add2", "Push \"fen\"",
                                     "GetVariable", "Add2", "Push \":\"", "Add2", "Push \"miao\"", "GetVariable", "Add2",
                                     "SetVariable", "End"});
        EXPECT_EQ(ClockScripts[0], Frame1);
        EXPECT_EQ(ClockScripts[1], (std::vector<std::string>{"GotoFrame 0", "Play", "End"}));
        // Frame 2 removes the time field at depth 3 before its script runs.
        const auto Removes = All<RemoveObject>(Clock.Tags);
        ASSERT_EQ(Removes.size(), 1u);
        EXPECT_EQ(Removes[0]->Depth, 3);

        // The emblem's animation has no scripts.
        for (const auto& Frame : FrameScripts(D.ClipAt(1).Tags))
            EXPECT_TRUE(Frame.empty());
    }
}

TEST(Movies, TestMovieDiffersOnlyWhereItShould)
{
    const Decoded B = Load(BuiltinPath), T = Load(TestPath);
    // Emblem: one layer washed with (x 141/256 + 115) in the test movie only.
    auto Washed = [](const Decoded& D) {
        std::vector<uint16_t> Depths;
        for (const PlaceObject2* P : All<PlaceObject2>(D.ClipAt(1).Tags))
            if (P->ColorTransform && P->ColorTransform->HasAdd && P->ColorTransform->RedMult == 141 &&
                P->ColorTransform->GreenMult == 141 && P->ColorTransform->BlueMult == 141 &&
                P->ColorTransform->RedAdd == 115 && P->ColorTransform->GreenAdd == 115 && P->ColorTransform->BlueAdd == 115)
                Depths.push_back(P->Depth);
        return Depths;
    };
    EXPECT_TRUE(Washed(B).empty());
    EXPECT_EQ(Washed(T).size(), 1u);
    // Outlines differ; the bitmaps, the fields and the clock are the same.
    EXPECT_NE(All<DefineShape>(B.M.Tags).back()->Geometry, All<DefineShape>(T.M.Tags).back()->Geometry);
    const auto BB = All<DefineBitsLossless>(B.M.Tags), TB = All<DefineBitsLossless>(T.M.Tags);
    ASSERT_EQ(BB.size(), TB.size());
    for (size_t I = 0; I < BB.size(); ++I)
        EXPECT_EQ(*BB[I], *TB[I]);
    EXPECT_EQ(B.ClipAt(3), T.ClipAt(3));
    EXPECT_EQ(All<DefineEditText>(B.M.Tags).size(), 2u);
    for (size_t I = 0; I < 2; ++I)
        EXPECT_EQ(*All<DefineEditText>(B.M.Tags)[I], *All<DefineEditText>(T.M.Tags)[I]);
}

// What an author sees of the built-in movie in swfdump: every item the engine relies on.
TEST(Movies, SwfDumpShowsTheContract)
{
    const std::string Dump = DumpMovie(Load(BuiltinPath).M);
    const std::string Expected[] = {
        "signature CWS (zlib compressed)",
        "version 8, strings UTF-8",
        "stage x 0..20480, y 0..2000 twips = x 0.00..1024.00, y 0.00..100.00 px, 1024.00 x 100.00 px",
        "frame rate 12.00 fps (0x0C00)",
        "frame count 2",
        "flags 0x00000000: !UseDirectBlit !UseGPU !HasMetadata !ActionScript3 !UseNetwork",
        "colour #FFFFFF",
        "Push \"osdstr\", \"ovix工作室硬解控件\"",
        "Push \"w\", 1024",
        "Push \"h\", 100",
        "id 14, 110 frames",
        "depth 1, place character 14",
        "matrix translate 17460, 140 twips (873.00, 7.00 px), scale 0.3400 x 0.3400, no rotate/skew",
        "a 0.801",
        "variable \"timers\"",
        "height 700 twips (35.00 px)",
        "colour #FF0000FF",
        "depth 3, place character 16",
        "variable \"msginf1\"",
        "height 640 twips (32.00 px)",
        "colour #CCCCCCFF",
        "ReadOnly HasTextColor !HasMaxLength HasFont !HasFontClass !AutoSize HasLayout NoSelect !Border",
        "name \"str1\"",
        "depth 7, place character 18",
        "Push \"str_space\", \"" + std::string(51, ' ') + "\"",
        "Push \"maxhscroll\"",
        "Push \"mytime\", 0, \"Date\"",
        "2 frames shown",
    };
    for (const std::string& Line : Expected)
        EXPECT_NE(Dump.find(Line), std::string::npos) << Line;
}
