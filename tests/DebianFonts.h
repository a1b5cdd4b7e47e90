// The fonts the project installs, read from their Debian paths (the same under Wine): "Arial" is
// Liberation Sans, every other family is unknown, and the fallback is WenQuanYi Micro Hei.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>

#include "FontSource.h"

namespace testfonts {

using swf::text::FontData;
using swf::text::FontSource;

inline std::optional<FontData> ReadFont(const std::string& Path, int Index = 0)
{
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        return std::nullopt;
    auto Bytes = std::make_shared<const std::vector<uint8_t>>(std::istreambuf_iterator<char>(In),
                                                              std::istreambuf_iterator<char>());
    return FontData{Path, Bytes, Index};
}

class DebianFonts : public FontSource {
public:
    std::optional<FontData> Find(const std::string& Family, bool Bold, bool) override
    {
        ++Finds;
        if (Family != "Arial")
            return std::nullopt;
        return ReadFont(std::string("/usr/share/fonts/truetype/liberation2/LiberationSans-") +
                        (Bold ? "Bold" : "Regular") + ".ttf");
    }
    std::optional<FontData> Fallback(char32_t, bool, bool) override
    {
        ++Fallbacks;
        return ReadFont("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc");
    }
    int Finds = 0, Fallbacks = 0;
};

}  // namespace testfonts
