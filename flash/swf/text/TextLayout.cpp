#include "TextLayout.h"

#include <algorithm>
#include <cmath>

namespace swf::text {

namespace {

bool BreaksAnywhere(char32_t C)
{
    return (C >= 0x2E80 && C <= 0x9FFF) || (C >= 0xAC00 && C <= 0xD7AF) || (C >= 0xF900 && C <= 0xFAFF) ||
           (C >= 0xFF00 && C <= 0xFFEF) || (C >= 0x20000 && C <= 0x2FFFF);
}

struct Measured {
    FT_Face Face = nullptr;
    unsigned Index = 0;
    double Advance = 0;
};

class Shaper {
public:
    Shaper(FaceCache& Faces, FontSource& Fonts, const TextStyle& S) : FFaces(Faces), FFonts(Fonts), FStyle(S)
    {
        if (auto Data = Fonts.Find(S.Family, S.Bold, S.Italic))
            FPrimary = Faces.Open(*Data);
    }

    FT_Face Primary() const { return FPrimary; }

    // The face and advance for C; Face is nullptr when no font has it.
    Measured Measure(char32_t C)
    {
        Measured M;
        M.Face = FaceFor(C);
        if (!M.Face)
            return M;
        M.Index = FT_Get_Char_Index(M.Face, C);
        SetSize(M.Face);
        if (FT_Load_Glyph(M.Face, M.Index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0)
            M.Advance = M.Face->glyph->advance.x / 64.0;
        return M;
    }

    void SetSize(FT_Face F) const
    {
        FT_Set_Char_Size(F, 0, static_cast<FT_F26Dot6>(std::lround(FStyle.Size * 64)), 72, 72);
    }

private:
    FT_Face FaceFor(char32_t C)
    {
        if (FPrimary && FT_Get_Char_Index(FPrimary, C))
            return FPrimary;
        const auto It = FFallbacks.find(C);
        if (It != FFallbacks.end())
            return It->second;
        FT_Face F = nullptr;
        if (auto Data = FFonts.Fallback(C, FStyle.Bold, FStyle.Italic))
            if (FT_Face Candidate = FFaces.Open(*Data); Candidate && FT_Get_Char_Index(Candidate, C))
                F = Candidate;
        FFallbacks.emplace(C, F);
        return F;
    }

    FaceCache& FFaces;
    FontSource& FFonts;
    const TextStyle& FStyle;
    FT_Face FPrimary = nullptr;
    std::map<char32_t, FT_Face> FFallbacks;
};

}  // namespace

FaceCache::FaceCache() { FT_Init_FreeType(&FLib); }

FaceCache::~FaceCache()
{
    for (auto& [Key, E] : FFaces)
        if (E.Face)
            FT_Done_Face(E.Face);
    if (FLib)
        FT_Done_FreeType(FLib);
}

FT_Face FaceCache::Open(const FontData& Font)
{
    auto [It, New] = FFaces.try_emplace(Font.Key);
    if (New && FLib && Font.Bytes) {
        It->second.Bytes = Font.Bytes;
        if (FT_New_Memory_Face(FLib, Font.Bytes->data(), static_cast<FT_Long>(Font.Bytes->size()), Font.FaceIndex,
                               &It->second.Face) != 0)
            It->second.Face = nullptr;
    }
    return It->second.Face;
}

std::u32string DecodeUtf8(std::string_view S)
{
    std::u32string Out;
    for (size_t I = 0; I < S.size();) {
        const unsigned char B = static_cast<unsigned char>(S[I]);
        const int Extra = B < 0x80 ? 0 : (B >> 5) == 6 ? 1 : (B >> 4) == 14 ? 2 : (B >> 3) == 30 ? 3 : -1;
        char32_t C = Extra == 0 ? B : Extra == 1 ? (B & 0x1F) : Extra == 2 ? (B & 0x0F) : (B & 0x07);
        bool Ok = Extra >= 0 && I + Extra < S.size();
        for (int K = 1; Ok && K <= Extra; ++K) {
            const unsigned char Next = static_cast<unsigned char>(S[I + K]);
            Ok = (Next >> 6) == 2;
            C = C << 6 | (Next & 0x3F);
        }
        static constexpr char32_t Least[] = {0, 0x80, 0x800, 0x10000};
        if (Ok && (C < Least[Extra < 0 ? 0 : Extra] || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)))
            Ok = false;
        Out.push_back(Ok ? C : 0xFFFD);
        I += Ok ? Extra + 1 : 1;
    }
    return Out;
}

Layout LayOut(FaceCache& Faces, FontSource& Fonts, std::string_view Utf8, const TextStyle& Style)
{
    Shaper Shape(Faces, Fonts, Style);
    Layout L;
    const std::u32string Text = DecodeUtf8(Utf8);
    const double Available = std::max(0.0, Style.Width - 2 * Gutter - Style.LeftMargin - Style.RightMargin);

    // Break into lines: paragraphs at line ends (multiline fields only), then word wrap.
    std::vector<LaidLine> Lines(1);
    double X = Style.Indent;
    size_t BreakAt = SIZE_MAX;  // glyph index after the last break opportunity of the current line
    auto NewLine = [&](bool Paragraph) {
        Lines.emplace_back();
        Lines.back().First = L.Glyphs.size();
        X = Paragraph ? Style.Indent : 0;
        BreakAt = SIZE_MAX;
    };
    for (size_t I = 0; I < Text.size(); ++I) {
        const char32_t C = Text[I];
        if (C == '\r' || C == '\n') {
            if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n')
                ++I;
            if (Style.Multiline)
                NewLine(true);
            continue;
        }
        const Measured M = Shape.Measure(C);
        if (!M.Face) {
            if (std::find(L.Missing.begin(), L.Missing.end(), C) == L.Missing.end())
                L.Missing.push_back(C);
            continue;
        }
        LaidLine& Line = Lines.back();
        if (Style.WordWrap && Style.Multiline && Line.Count > 0 && X + M.Advance > Available && C != ' ') {
            // Move the glyphs after the last opportunity to a new line, or break here.
            const size_t From = BreakAt != SIZE_MAX && BreakAt > Line.First ? BreakAt : L.Glyphs.size();
            std::vector<PlacedGlyph> Carried(L.Glyphs.begin() + static_cast<std::ptrdiff_t>(From), L.Glyphs.end());
            L.Glyphs.resize(From);
            Line.Count = From - Line.First;
            NewLine(false);
            for (PlacedGlyph G : Carried) {
                G.X = X;
                X += G.Advance;
                L.Glyphs.push_back(G);
                ++Lines.back().Count;
            }
        }
        LaidLine& Current = Lines.back();
        L.Glyphs.push_back(PlacedGlyph{M.Face, M.Index, C, X, 0, M.Advance});
        ++Current.Count;
        X += M.Advance;
        if (C == ' ' || BreaksAnywhere(C))
            BreakAt = L.Glyphs.size();
        else if (I + 1 < Text.size() && BreaksAnywhere(Text[I + 1]))
            BreakAt = L.Glyphs.size();
    }

    // Metrics, alignment and baselines.
    double Y = Gutter;
    for (LaidLine& Line : Lines) {
        double Ascent = 0, Descent = 0, End = 0, Start = 0;
        bool First = true;
        for (size_t G = Line.First; G < Line.First + Line.Count; ++G) {
            const PlacedGlyph& P = L.Glyphs[G];
            Shape.SetSize(P.Face);
            Ascent = std::max(Ascent, P.Face->size->metrics.ascender / 64.0);
            Descent = std::max(Descent, -P.Face->size->metrics.descender / 64.0);
            if (First)
                Start = P.X;
            First = false;
            // Trailing spaces do not count towards the width of a wrapped line.
            if (P.Ch != ' ' || !(Style.WordWrap && Style.Multiline))
                End = P.X + P.Advance;
        }
        if (Line.Count == 0 && Shape.Primary()) {
            Shape.SetSize(Shape.Primary());
            Ascent = Shape.Primary()->size->metrics.ascender / 64.0;
            Descent = -Shape.Primary()->size->metrics.descender / 64.0;
        }
        Line.Width = std::max(0.0, End - std::min(Start, 0.0));
        Line.Ascent = Ascent;
        Line.Descent = Descent;
        Line.Baseline = Y + Ascent;
        double Shift = Gutter + Style.LeftMargin;
        if (Style.Align == 1)
            Shift += std::max(0.0, Available - Line.Width);
        else if (Style.Align == 2)
            Shift += std::max(0.0, Available - Line.Width) / 2;
        for (size_t G = Line.First; G < Line.First + Line.Count; ++G) {
            L.Glyphs[G].X += Shift;
            L.Glyphs[G].Y = Line.Baseline;
        }
        Y += Ascent + Descent + Style.Leading;
        L.TextWidth = std::max(L.TextWidth, Line.Width);
    }
    L.Lines = std::move(Lines);
    L.TextHeight = Y - Gutter;
    L.MaxHScroll = std::max(0, static_cast<int>(std::ceil(L.TextWidth + 2 * Gutter + Style.LeftMargin + Style.RightMargin -
                                                          Style.Width - 1e-9)));
    return L;
}

}  // namespace swf::text
