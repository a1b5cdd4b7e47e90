// Text field layout with device fonts: FreeType faces from a FontSource, a fallback font for the
// characters the family lacks, lines (with word wrap when asked), alignment, margins, indent,
// leading, and the horizontal scroll range of a single-line field.
//
// Units are pixels. Like Flash's text fields, text sits 2 pixels inside the field's bounds on
// every side (the gutter); X and Y of glyphs are relative to the field's top left corner before
// scrolling.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "FontSource.h"

namespace swf::text {

constexpr double Gutter = 2;

// FreeType faces opened from font data, kept while the cache lives.
class FaceCache {
public:
    FaceCache();
    ~FaceCache();
    FaceCache(const FaceCache&) = delete;
    FaceCache& operator=(const FaceCache&) = delete;

    FT_Face Open(const FontData& Font);  // nullptr when FreeType cannot read it
    FT_Library Library() const { return FLib; }

private:
    struct Entry {
        std::shared_ptr<const std::vector<uint8_t>> Bytes;
        FT_Face Face = nullptr;
    };
    FT_Library FLib = nullptr;
    std::map<std::string, Entry> FFaces;
};

struct TextStyle {
    std::string Family = "Arial";
    bool Bold = false, Italic = false;
    double Size = 12;               // the font height in pixels
    uint8_t Align = 0;              // 0 left, 1 right, 2 centre, 3 justify (laid out as left)
    double LeftMargin = 0, RightMargin = 0, Indent = 0, Leading = 0;
    bool Multiline = false, WordWrap = false;
    double Width = 100, Height = 100;  // the field's bounds
};

struct PlacedGlyph {
    FT_Face Face = nullptr;
    unsigned Index = 0;  // glyph index in Face
    char32_t Ch = 0;
    double X = 0, Y = 0;  // pen position on the baseline
    double Advance = 0;
};

struct LaidLine {
    size_t First = 0, Count = 0;  // glyphs
    double Width = 0;             // of the text, without margins
    double Ascent = 0, Descent = 0, Baseline = 0;
};

struct Layout {
    std::vector<PlacedGlyph> Glyphs;
    std::vector<LaidLine> Lines;
    double TextWidth = 0;   // the widest line
    double TextHeight = 0;  // all lines, leading included
    int MaxHScroll = 0;     // pixels a single-line field can scroll
    std::vector<char32_t> Missing;  // characters no font could show
};

// UTF-8 to code points; a byte that does not start a valid sequence becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view Utf8);

Layout LayOut(FaceCache& Faces, FontSource& Fonts, std::string_view Utf8, const TextStyle& Style);

}  // namespace swf::text
