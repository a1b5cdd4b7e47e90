// Text field layout with the fonts the project installs (Liberation Sans for "Arial", WenQuanYi
// Micro Hei for Chinese), read from their Debian paths so that the test runs the same under Wine.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "DebianFonts.h"
#include "TextLayout.h"

using namespace swf::text;
using testfonts::DebianFonts;

namespace {

TextStyle Ticker()
{
    TextStyle S;
    S.Bold = true;
    S.Size = 32;
    S.Width = 560.35;
    S.Height = 39.75;
    return S;
}

}  // namespace

TEST(TextLayout, Utf8DecodesAndReplacesBadBytes)
{
    EXPECT_EQ(DecodeUtf8("a\xC3\xA9\xE5\xB7\xA5\xF0\x9F\x98\x80"), (std::u32string{U'a', 0xE9, 0x5DE5, 0x1F600}));
    EXPECT_EQ(DecodeUtf8("\xC3"), std::u32string{0xFFFD});              // cut short
    EXPECT_EQ(DecodeUtf8("\xC0\xAF" "b"), (std::u32string{0xFFFD, 0xFFFD, U'b'}));  // overlong
    EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), (std::u32string{0xFFFD, 0xFFFD, 0xFFFD}));  // surrogate
    EXPECT_EQ(DecodeUtf8("\xFF" "x"), (std::u32string{0xFFFD, U'x'}));
}

TEST(TextLayout, ChineseFallsBackAndTheTickerScrolls)
{
    FaceCache Faces;
    DebianFonts Fonts;
    const std::string Text = "ovix工作室硬解控件";
    const Layout L = LayOut(Faces, Fonts, Text, Ticker());
    ASSERT_TRUE(L.Missing.empty());
    ASSERT_EQ(L.Glyphs.size(), 11u);
    ASSERT_EQ(L.Lines.size(), 1u);
    for (const PlacedGlyph& G : L.Glyphs)
        EXPECT_NE(G.Index, 0u) << "U+" << std::hex << uint32_t(G.Ch);
    EXPECT_NE(L.Glyphs[0].Face, L.Glyphs[4].Face) << "Latin from the family, Chinese from the fallback";
    EXPECT_EQ(L.Glyphs[4].Face, L.Glyphs[10].Face);
    EXPECT_GT(Fonts.Fallbacks, 0);
    // Glyphs follow each other on one baseline inside the gutter.
    EXPECT_DOUBLE_EQ(L.Glyphs[0].X, Gutter);
    for (size_t I = 1; I < L.Glyphs.size(); ++I) {
        EXPECT_NEAR(L.Glyphs[I].X, L.Glyphs[I - 1].X + L.Glyphs[I - 1].Advance, 1e-9);
        EXPECT_EQ(L.Glyphs[I].Y, L.Glyphs[0].Y);
    }
    EXPECT_GT(L.Glyphs[4].Advance, 28.0) << "a CJK glyph is about one em wide";
    EXPECT_LT(L.TextWidth, 560.35 - 4);
    EXPECT_EQ(L.MaxHScroll, 0) << "the short text fits";

    // Padded with 51 spaces on both sides, as the ticker does, it no longer fits: it can scroll
    // by exactly the overflow.
    const std::string Pad(51, ' ');
    const Layout P = LayOut(Faces, Fonts, Pad + Text + Pad, Ticker());
    EXPECT_NEAR(P.TextWidth, L.TextWidth + 2 * 51 * P.Glyphs[0].Advance, 1e-6);
    EXPECT_EQ(P.MaxHScroll, static_cast<int>(std::ceil(P.TextWidth + 4 - 560.35)));
    EXPECT_GT(P.MaxHScroll, 100);
}

TEST(TextLayout, LinesAlignmentMarginsAndWrap)
{
    FaceCache Faces;
    DebianFonts Fonts;
    TextStyle S;
    S.Size = 20;
    S.Width = 200;
    S.Multiline = true;
    S.Leading = 3;

    const Layout Two = LayOut(Faces, Fonts, "one\rtwo\r\nthree", S);
    ASSERT_EQ(Two.Lines.size(), 3u);
    const double LineHeight = Two.Lines[0].Ascent + Two.Lines[0].Descent + 3;
    EXPECT_NEAR(Two.Lines[1].Baseline - Two.Lines[0].Baseline, LineHeight, 1e-9);
    EXPECT_NEAR(Two.TextHeight, 3 * LineHeight, 1e-9);

    TextStyle Single = S;
    Single.Multiline = false;
    EXPECT_EQ(LayOut(Faces, Fonts, "one\rtwo", Single).Lines.size(), 1u) << "a single-line field has one line";

    // Centre and right alignment place the line inside the room left by the margins.
    TextStyle Centre = S;
    Centre.Align = 2;
    Centre.LeftMargin = 10;
    Centre.RightMargin = 30;
    const Layout C = LayOut(Faces, Fonts, "mid", Centre);
    const double Room = 200 - 4 - 10 - 30;
    EXPECT_NEAR(C.Glyphs[0].X, Gutter + 10 + (Room - C.Lines[0].Width) / 2, 1e-9);
    Centre.Align = 1;
    const Layout R = LayOut(Faces, Fonts, "mid", Centre);
    EXPECT_NEAR(R.Glyphs.back().X + R.Glyphs.back().Advance, Gutter + 10 + Room, 1e-9);

    // Word wrap breaks after spaces and keeps every line inside the field; Chinese breaks anywhere.
    TextStyle Wrap = S;
    Wrap.WordWrap = true;
    Wrap.Width = 120;
    for (const std::string Text : {"the quick brown fox jumps over the lazy dog", "工作室硬解控件工作室硬解控件"}) {
        const Layout W = LayOut(Faces, Fonts, Text, Wrap);
        EXPECT_GT(W.Lines.size(), 1u) << Text;
        size_t Glyphs = 0;
        for (const LaidLine& Line : W.Lines) {
            EXPECT_LE(Line.Width, 120 - 4 + 1e-9) << Text;
            Glyphs += Line.Count;
        }
        EXPECT_EQ(Glyphs, DecodeUtf8(Text).size()) << "nothing lost: " << Text;
        if (Text[0] == 't') {
            for (size_t I = 1; I < W.Lines.size(); ++I)
                EXPECT_EQ(W.Glyphs[W.Lines[I - 1].First + W.Lines[I - 1].Count - 1].Ch, U' ') << "breaks after a space";
        }
    }
}

TEST(TextLayout, WithoutFontsNothingIsShownAndEverythingIsReported)
{
    FaceCache Faces;
    struct NoFonts : FontSource {
        std::optional<FontData> Find(const std::string&, bool, bool) override { return std::nullopt; }
        std::optional<FontData> Fallback(char32_t, bool, bool) override { return FontData{"bad", std::make_shared<const std::vector<uint8_t>>(10, 0), 0}; }
    } None;
    const Layout L = LayOut(Faces, None, "ab", Ticker());
    EXPECT_TRUE(L.Glyphs.empty());
    EXPECT_EQ(L.Missing, (std::vector<char32_t>{U'a', U'b'}));
    EXPECT_EQ(L.MaxHScroll, 0);
}

TEST(TextLayout, TheSystemSourceFindsArialAndChinese)
{
    auto System = MakeSystemFontSource();
    if (!System)
        GTEST_SKIP() << "this build asks the host for fonts";
    FaceCache Faces;
    const auto Arial = System->Find("Arial", true, false);
    ASSERT_TRUE(Arial);
    FT_Face F = Faces.Open(*Arial);
    ASSERT_TRUE(F);
    EXPECT_STREQ(F->family_name, "Liberation Sans");
    EXPECT_TRUE(F->style_flags & FT_STYLE_FLAG_BOLD);
    const auto Chinese = System->Fallback(0x5DE5, false, false);
    ASSERT_TRUE(Chinese);
    EXPECT_NE(FT_Get_Char_Index(Faces.Open(*Chinese), 0x5DE5), 0u);
}
