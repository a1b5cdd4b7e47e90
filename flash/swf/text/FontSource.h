// Where device fonts come from: the player asks a FontSource for a family and style, and for a
// font that has a character the family lacks. The bytes are a font file FreeType can open.
//
// Natively the source is fontconfig (MakeSystemFontSource); on Windows the control gives one
// that asks GDI. Tests can hand in their own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace swf::text {

struct FontData {
    std::string Key;             // identifies the file and face, e.g. its path and index
    std::shared_ptr<const std::vector<uint8_t>> Bytes;
    int FaceIndex = 0;           // inside a collection
};

class FontSource {
public:
    virtual ~FontSource() = default;
    virtual std::optional<FontData> Find(const std::string& Family, bool Bold, bool Italic) = 0;
    // A font with the character, for text the requested family cannot show (CJK above all).
    virtual std::optional<FontData> Fallback(char32_t Ch, bool Bold, bool Italic) = 0;
};

// fontconfig's choice, as fc-match makes it; nullptr where the build has no fontconfig.
std::unique_ptr<FontSource> MakeSystemFontSource();

}  // namespace swf::text
