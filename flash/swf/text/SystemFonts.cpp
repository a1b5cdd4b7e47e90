// The fontconfig font source.
#include <fontconfig/fontconfig.h>

#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "FontSource.h"

namespace swf::text {

namespace {

class FontconfigSource : public FontSource {
public:
    FontconfigSource() { FcInit(); }

    std::optional<FontData> Find(const std::string& Family, bool Bold, bool Italic) override
    {
        FcPattern* P = Pattern(Bold, Italic);
        FcPatternAddString(P, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family.c_str()));
        return Match(P, 0);
    }

    std::optional<FontData> Fallback(char32_t Ch, bool Bold, bool Italic) override
    {
        FcPattern* P = Pattern(Bold, Italic);
        FcCharSet* Set = FcCharSetCreate();
        FcCharSetAddChar(Set, static_cast<FcChar32>(Ch));
        FcPatternAddCharSet(P, FC_CHARSET, Set);
        FcCharSetDestroy(Set);
        return Match(P, Ch);
    }

private:
    static FcPattern* Pattern(bool Bold, bool Italic)
    {
        FcPattern* P = FcPatternCreate();
        FcPatternAddInteger(P, FC_WEIGHT, Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(P, FC_SLANT, Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(P, FC_SCALABLE, FcTrue);
        return P;
    }

    // The best match for P (consumed); with Ch set, only a font that has it.
    std::optional<FontData> Match(FcPattern* P, char32_t Ch)
    {
        FcConfigSubstitute(nullptr, P, FcMatchPattern);
        FcDefaultSubstitute(P);
        FcResult Result = FcResultNoMatch;
        FcPattern* M = FcFontMatch(nullptr, P, &Result);
        FcPatternDestroy(P);
        if (!M)
            return std::nullopt;
        std::optional<FontData> Out;
        FcChar8* File = nullptr;
        int Index = 0;
        FcCharSet* Set = nullptr;
        const bool HasChar = !Ch || (FcPatternGetCharSet(M, FC_CHARSET, 0, &Set) == FcResultMatch &&
                                     FcCharSetHasChar(Set, static_cast<FcChar32>(Ch)));
        if (HasChar && FcPatternGetString(M, FC_FILE, 0, &File) == FcResultMatch) {
            FcPatternGetInteger(M, FC_INDEX, 0, &Index);
            Out = Load(reinterpret_cast<const char*>(File), Index);
        }
        FcPatternDestroy(M);
        return Out;
    }

    std::optional<FontData> Load(const std::string& Path, int Index)
    {
        const std::lock_guard<std::mutex> Lock(FMutex);
        auto& Bytes = FFiles[Path];
        if (!Bytes) {
            std::ifstream In(Path, std::ios::binary);
            if (!In)
                return std::nullopt;
            Bytes = std::make_shared<const std::vector<uint8_t>>(std::istreambuf_iterator<char>(In),
                                                                 std::istreambuf_iterator<char>());
        }
        return FontData{Path + "#" + std::to_string(Index), Bytes, Index};
    }

    std::mutex FMutex;
    std::map<std::string, std::shared_ptr<const std::vector<uint8_t>>> FFiles;
};

}  // namespace

std::unique_ptr<FontSource> MakeSystemFontSource() { return std::make_unique<FontconfigSource>(); }

}  // namespace swf::text
