// Font and text tags: DefineFont/2/3, DefineFontInfo/2, DefineFontName, DefineFontAlignZones,
// CSMTextSettings, DefineText/2, DefineEditText.
#include <algorithm>

#include "TagCodecs.h"

namespace swf {

namespace {

std::string LengthString(Reader& R)
{
    const auto B = R.Bytes(R.UI8());
    return {B.begin(), B.end()};
}

void WriteLengthString(Writer& W, const std::string& S)
{
    if (S.size() > 255)
        throw SwfError(W.Size(), "font name longer than 255 bytes");
    W.UI8(static_cast<uint8_t>(S.size()));
    W.Bytes({reinterpret_cast<const uint8_t*>(S.data()), S.size()});
}

// Glyph shapes between consecutive offsets (relative to TableStart, a position in R's data).
std::vector<Shape> ReadGlyphs(Reader& R, const std::vector<uint64_t>& Offsets, uint64_t End, size_t TableStart)
{
    std::vector<Shape> Glyphs;
    for (size_t I = 0; I < Offsets.size(); ++I) {
        const uint64_t From = Offsets[I], To = I + 1 < Offsets.size() ? Offsets[I + 1] : End;
        if (TableStart + From != R.Position() || To < From)
            R.Fail("glyph " + std::to_string(I) + " offset " + std::to_string(From) + " does not follow the previous glyph");
        Reader G = R.Sub(static_cast<size_t>(To - From), "glyph " + std::to_string(I));
        Glyphs.push_back(ReadGlyphShape(G));
    }
    return Glyphs;
}

std::vector<std::vector<uint8_t>> EncodeGlyphs(const std::vector<Shape>& Glyphs)
{
    std::vector<std::vector<uint8_t>> Out;
    for (const Shape& G : Glyphs) {
        Writer W;
        WriteGlyphShape(W, G);
        Out.push_back(W.Take());
    }
    return Out;
}

DefineFont ReadFont1(Reader& R)
{
    DefineFont F;
    F.Id = R.UI16();
    if (R.AtEnd())
        return F;
    const size_t TableStart = R.Position();
    const uint16_t First = R.UI16();
    if (First % 2 != 0 || First == 0)
        R.Fail("DefineFont offset table size " + std::to_string(First) + " is not a positive even number");
    std::vector<uint64_t> Offsets{First};
    for (size_t I = 1; I < First / 2u; ++I)
        Offsets.push_back(R.UI16());
    F.Glyphs = ReadGlyphs(R, Offsets, R.Size() - TableStart, TableStart);
    return F;
}

DefineFont2 ReadFont2(Reader& R, int Version)
{
    DefineFont2 F;
    F.Version = Version;
    F.Id = R.UI16();
    F.Flags = R.UI8();
    F.Language = R.UI8();
    F.Name = LengthString(R);
    const unsigned N = R.UI16();
    const bool Wide = F.Flags & FontFlag::WideOffsets;
    const size_t TableStart = R.Position();
    std::vector<uint64_t> Offsets;
    for (unsigned I = 0; I < N; ++I)
        Offsets.push_back(Wide ? R.UI32() : R.UI16());
    const bool Layout = F.Flags & FontFlag::HasLayout;
    F.HasCodeTableOffset = N > 0 || R.Remaining() > (Layout ? 8u : 0u);
    uint64_t CodeTable = R.Position() - TableStart;
    if (F.HasCodeTableOffset)
        CodeTable = Wide ? R.UI32() : R.UI16();
    F.Glyphs = ReadGlyphs(R, Offsets, CodeTable, TableStart);
    if (F.HasCodeTableOffset && R.Position() != TableStart + CodeTable)
        R.Fail("code table offset " + std::to_string(CodeTable) + " does not follow the glyphs");
    const bool WideCodes = F.Flags & FontFlag::WideCodes;
    for (unsigned I = 0; I < N; ++I)
        F.Codes.push_back(WideCodes ? R.UI16() : R.UI8());
    if (Layout) {
        FontLayout L;
        L.Ascent = R.UI16();
        L.Descent = R.UI16();
        L.Leading = R.SI16();
        for (unsigned I = 0; I < N; ++I)
            L.Advances.push_back(R.SI16());
        for (unsigned I = 0; I < N; ++I)
            L.Bounds.push_back(ReadRect(R));
        const unsigned K = R.UI16();
        for (unsigned I = 0; I < K; ++I) {
            KerningRecord Rec;
            Rec.Code1 = WideCodes ? R.UI16() : R.UI8();
            Rec.Code2 = WideCodes ? R.UI16() : R.UI8();
            Rec.Adjustment = R.SI16();
            L.Kerning.push_back(Rec);
        }
        F.Layout = std::move(L);
    }
    return F;
}

DefineFontInfo ReadFontInfo(Reader& R, int Version)
{
    DefineFontInfo I;
    I.Version = Version;
    I.FontId = R.UI16();
    I.Name = LengthString(R);
    I.Flags = R.UI8();
    if (Version == 2)
        I.Language = R.UI8();
    const bool Wide = I.Flags & 0x01;
    if (Wide && R.Remaining() % 2 != 0)
        R.Fail("wide code table has an odd number of bytes");
    while (!R.AtEnd())
        I.Codes.push_back(Wide ? R.UI16() : R.UI8());
    return I;
}

DefineText ReadText(Reader& R, int Version)
{
    DefineText T;
    T.Version = Version;
    T.Id = R.UI16();
    T.Bounds = ReadRect(R);
    T.Transform = ReadMatrix(R);
    const unsigned GlyphBits = R.UI8(), AdvanceBits = R.UI8();
    T.GlyphBits = static_cast<int>(GlyphBits);
    T.AdvanceBits = static_cast<int>(AdvanceBits);
    for (;;) {
        const size_t At = R.Offset();
        const uint8_t Flags = R.UI8();
        if (Flags == 0)
            break;
        if (!(Flags & 0x80))
            throw SwfError(At, "text record of type 0");
        TextRecord Rec;
        Rec.Reserved = (Flags >> 4) & 7;
        if (Flags & 0x08)
            Rec.FontId = R.UI16();
        if (Flags & 0x04)
            Rec.Color = Version == 2 ? ReadRgba(R) : [&] {
                const Rgb C = ReadRgb(R);
                return Rgba{C.R, C.G, C.B, 255};
            }();
        if (Flags & 0x01)
            Rec.XOffset = R.SI16();
        if (Flags & 0x02)
            Rec.YOffset = R.SI16();
        if (Flags & 0x08)
            Rec.Height = R.UI16();
        const unsigned Count = R.UI8();
        if (Count > 0 && GlyphBits + AdvanceBits == 0)
            R.Fail("glyph entries of zero bits");
        for (unsigned I = 0; I < Count; ++I) {
            GlyphEntry G;
            G.Index = R.UB(GlyphBits);
            G.Advance = R.SB(AdvanceBits);
            Rec.Glyphs.push_back(G);
        }
        R.Align();
        T.Records.push_back(std::move(Rec));
    }
    return T;
}

DefineEditText ReadEditText(Reader& R)
{
    DefineEditText E;
    E.Id = R.UI16();
    E.Bounds = ReadRect(R);
    E.Flags = static_cast<uint16_t>(R.UB(16));
    if (E.Has(EditFlag::HasFont))
        E.FontId = R.UI16();
    if (E.Has(EditFlag::HasFontClass))
        E.FontClass = R.String();
    if (E.Has(EditFlag::HasFont) || E.Has(EditFlag::HasFontClass))
        E.FontHeight = R.UI16();
    if (E.Has(EditFlag::HasTextColor))
        E.TextColor = ReadRgba(R);
    if (E.Has(EditFlag::HasMaxLength))
        E.MaxLength = R.UI16();
    if (E.Has(EditFlag::HasLayout)) {
        DefineEditText::Layout L;
        L.Align = R.UI8();
        L.LeftMargin = R.UI16();
        L.RightMargin = R.UI16();
        L.Indent = R.UI16();
        L.Leading = R.SI16();
        E.TextLayout = L;
    }
    E.VariableName = R.String();
    if (E.Has(EditFlag::HasText))
        E.InitialText = R.String();
    return E;
}

}  // namespace

std::optional<TagValue> DecodeTextTag(uint16_t Code, Reader& R)
{
    switch (Code) {
    case 10: return ReadFont1(R);
    case 48: return ReadFont2(R, 2);
    case 75: return ReadFont2(R, 3);
    case 13: return ReadFontInfo(R, 1);
    case 62: return ReadFontInfo(R, 2);
    case 88: {
        DefineFontName N;
        N.FontId = R.UI16();
        N.Name = R.String();
        N.Copyright = R.String();
        return N;
    }
    case 73: {
        DefineFontAlignZones Z;
        Z.FontId = R.UI16();
        Z.Hints = R.UI8();
        while (!R.AtEnd()) {
            ZoneRecord Rec;
            const unsigned N = R.UI8();
            for (unsigned I = 0; I < N; ++I) {
                AlignZone A;
                A.Coordinate = R.UI16();
                A.Range = R.UI16();
                Rec.Zones.push_back(A);
            }
            Rec.Mask = R.UI8();
            Z.Zones.push_back(std::move(Rec));
        }
        return Z;
    }
    case 74: {
        CsmTextSettings S;
        S.TextId = R.UI16();
        S.Flags = R.UI8();
        S.Thickness = R.Float();
        S.Sharpness = R.Float();
        S.Reserved = R.UI8();
        return S;
    }
    case 11: return ReadText(R, 1);
    case 33: return ReadText(R, 2);
    case 37: return ReadEditText(R);
    default: return std::nullopt;
    }
}

void EncodeTagBody(const DefineFont& T, Writer& W)
{
    W.UI16(T.Id);
    if (T.Glyphs.empty())
        return;
    const auto Glyphs = EncodeGlyphs(T.Glyphs);
    size_t Offset = 2 * Glyphs.size();
    for (const auto& G : Glyphs) {
        if (Offset > 0xFFFF)
            throw SwfError(W.Size(), "DefineFont glyph offsets exceed 16 bits");
        W.UI16(static_cast<uint16_t>(Offset));
        Offset += G.size();
    }
    for (const auto& G : Glyphs)
        W.Bytes(G);
}

void EncodeTagBody(const DefineFont2& T, Writer& W)
{
    const size_t N = T.Glyphs.size();
    if (N > 0xFFFF || T.Codes.size() != N)
        throw SwfError(W.Size(), "font " + std::to_string(T.Id) + " has " + std::to_string(N) + " glyphs and " +
                                     std::to_string(T.Codes.size()) + " codes");
    if (T.Layout && (T.Layout->Advances.size() != N || T.Layout->Bounds.size() != N))
        throw SwfError(W.Size(), "font " + std::to_string(T.Id) + " layout does not have one entry per glyph");
    if (!T.HasCodeTableOffset && N > 0)
        throw SwfError(W.Size(), "font " + std::to_string(T.Id) + " with glyphs needs its code table offset");
    const auto Glyphs = EncodeGlyphs(T.Glyphs);
    size_t GlyphBytes = 0;
    for (const auto& G : Glyphs)
        GlyphBytes += G.size();
    bool Wide = T.Flags & FontFlag::WideOffsets;
    if (!Wide && 2 * (N + 1) + GlyphBytes > 0xFFFF)
        Wide = true;
    const bool WideCodes = T.Flags & FontFlag::WideCodes;
    uint8_t Flags = static_cast<uint8_t>(T.Flags & ~(FontFlag::HasLayout | FontFlag::WideOffsets));
    Flags |= (T.Layout ? FontFlag::HasLayout : 0) | (Wide ? FontFlag::WideOffsets : 0);

    W.UI16(T.Id);
    W.UI8(Flags);
    W.UI8(T.Language);
    WriteLengthString(W, T.Name);
    W.UI16(static_cast<uint16_t>(N));
    const size_t Entry = Wide ? 4 : 2;
    size_t Offset = Entry * (N + (T.HasCodeTableOffset ? 1 : 0));
    auto Put = [&](size_t V) { Wide ? W.UI32(static_cast<uint32_t>(V)) : W.UI16(static_cast<uint16_t>(V)); };
    for (const auto& G : Glyphs) {
        Put(Offset);
        Offset += G.size();
    }
    if (T.HasCodeTableOffset)
        Put(Offset);
    for (const auto& G : Glyphs)
        W.Bytes(G);
    for (uint16_t C : T.Codes) {
        if (!WideCodes && C > 0xFF)
            throw SwfError(W.Size(), "code " + std::to_string(C) + " needs wide codes");
        WideCodes ? W.UI16(C) : W.UI8(static_cast<uint8_t>(C));
    }
    if (T.Layout) {
        const FontLayout& L = *T.Layout;
        W.UI16(L.Ascent);
        W.UI16(L.Descent);
        W.SI16(L.Leading);
        for (int16_t A : L.Advances)
            W.SI16(A);
        for (const Rect& B : L.Bounds)
            WriteRect(W, B);
        if (L.Kerning.size() > 0xFFFF)
            throw SwfError(W.Size(), "more than 65535 kerning records");
        W.UI16(static_cast<uint16_t>(L.Kerning.size()));
        for (const KerningRecord& K : L.Kerning) {
            if (!WideCodes && (K.Code1 > 0xFF || K.Code2 > 0xFF))
                throw SwfError(W.Size(), "kerning code needs wide codes");
            WideCodes ? W.UI16(K.Code1) : W.UI8(static_cast<uint8_t>(K.Code1));
            WideCodes ? W.UI16(K.Code2) : W.UI8(static_cast<uint8_t>(K.Code2));
            W.SI16(K.Adjustment);
        }
    }
}

void EncodeTagBody(const DefineFontInfo& T, Writer& W)
{
    W.UI16(T.FontId);
    WriteLengthString(W, T.Name);
    W.UI8(T.Flags);
    if (T.Version == 2)
        W.UI8(T.Language);
    const bool Wide = T.Flags & 0x01;
    for (uint16_t C : T.Codes) {
        if (!Wide && C > 0xFF)
            throw SwfError(W.Size(), "code " + std::to_string(C) + " needs wide codes");
        Wide ? W.UI16(C) : W.UI8(static_cast<uint8_t>(C));
    }
}

void EncodeTagBody(const DefineFontName& T, Writer& W)
{
    W.UI16(T.FontId);
    W.String(T.Name);
    W.String(T.Copyright);
}

void EncodeTagBody(const DefineFontAlignZones& T, Writer& W)
{
    W.UI16(T.FontId);
    W.UI8(T.Hints);
    for (const ZoneRecord& Rec : T.Zones) {
        if (Rec.Zones.size() > 255)
            throw SwfError(W.Size(), "zone record with more than 255 zones");
        W.UI8(static_cast<uint8_t>(Rec.Zones.size()));
        for (const AlignZone& A : Rec.Zones) {
            W.UI16(A.Coordinate);
            W.UI16(A.Range);
        }
        W.UI8(Rec.Mask);
    }
}

void EncodeTagBody(const CsmTextSettings& T, Writer& W)
{
    W.UI16(T.TextId);
    W.UI8(T.Flags);
    W.Float(T.Thickness);
    W.Float(T.Sharpness);
    W.UI8(T.Reserved);
}

void EncodeTagBody(const DefineText& T, Writer& W)
{
    uint32_t MaxIndex = 0;
    unsigned AdvanceMin = 0;
    bool AnyGlyphs = false;
    for (const TextRecord& Rec : T.Records)
        for (const GlyphEntry& G : Rec.Glyphs) {
            AnyGlyphs = true;
            MaxIndex = std::max(MaxIndex, G.Index);
            AdvanceMin = std::max(AdvanceMin, SignedBits(G.Advance));
        }
    const unsigned AdvanceBits = ChooseBits(W, T.AdvanceBits, AdvanceMin, 32, "glyph advance");
    unsigned GlyphMin = UnsignedBits(MaxIndex);
    if (AnyGlyphs && AdvanceBits == 0 && GlyphMin == 0)
        GlyphMin = 1;  // entries of zero bits are not accepted back
    const unsigned GlyphBits = ChooseBits(W, T.GlyphBits, GlyphMin, 32, "glyph index");

    W.UI16(T.Id);
    WriteRect(W, T.Bounds);
    WriteMatrix(W, T.Transform);
    W.UI8(static_cast<uint8_t>(GlyphBits));
    W.UI8(static_cast<uint8_t>(AdvanceBits));
    for (const TextRecord& Rec : T.Records) {
        if (Rec.Glyphs.size() > 255 || Rec.Reserved > 7)
            throw SwfError(W.Size(), "text record with more than 255 glyphs or bad reserved bits");
        W.UI8(static_cast<uint8_t>(0x80 | Rec.Reserved << 4 | (Rec.FontId ? 0x08 : 0) | (Rec.Color ? 0x04 : 0) |
                                   (Rec.YOffset ? 0x02 : 0) | (Rec.XOffset ? 0x01 : 0)));
        if (Rec.FontId)
            W.UI16(*Rec.FontId);
        if (Rec.Color) {
            if (T.Version == 2)
                WriteRgba(W, *Rec.Color);
            else
                WriteRgb(W, Rgb{Rec.Color->R, Rec.Color->G, Rec.Color->B});
        }
        if (Rec.XOffset)
            W.SI16(*Rec.XOffset);
        if (Rec.YOffset)
            W.SI16(*Rec.YOffset);
        if (Rec.FontId)
            W.UI16(Rec.Height);
        W.UI8(static_cast<uint8_t>(Rec.Glyphs.size()));
        for (const GlyphEntry& G : Rec.Glyphs) {
            W.UB(GlyphBits, G.Index);
            W.SB(AdvanceBits, G.Advance);
        }
        W.Flush();
    }
    W.UI8(0);
}

void EncodeTagBody(const DefineEditText& T, Writer& W)
{
    using namespace EditFlag;
    uint16_t Flags = T.Flags & ~(HasText | HasTextColor | HasMaxLength | HasFont | HasFontClass | HasLayout);
    Flags |= (T.InitialText ? HasText : 0) | (T.TextColor ? HasTextColor : 0) | (T.MaxLength ? HasMaxLength : 0) |
             (T.FontId ? HasFont : 0) | (T.FontClass ? HasFontClass : 0) | (T.TextLayout ? HasLayout : 0);
    W.UI16(T.Id);
    WriteRect(W, T.Bounds);
    W.UB(16, Flags);
    if (T.FontId)
        W.UI16(*T.FontId);
    if (T.FontClass)
        W.String(*T.FontClass);
    if (T.FontId || T.FontClass)
        W.UI16(T.FontHeight);
    if (T.TextColor)
        WriteRgba(W, *T.TextColor);
    if (T.MaxLength)
        W.UI16(*T.MaxLength);
    if (T.TextLayout) {
        W.UI8(T.TextLayout->Align);
        W.UI16(T.TextLayout->LeftMargin);
        W.UI16(T.TextLayout->RightMargin);
        W.UI16(T.TextLayout->Indent);
        W.SI16(T.TextLayout->Leading);
    }
    W.String(T.VariableName);
    if (T.InitialText)
        W.String(*T.InitialText);
}

uint16_t TagCodeOf(const DefineFont&) { return 10; }
uint16_t TagCodeOf(const DefineFont2& T) { return T.Version == 3 ? 75 : 48; }
uint16_t TagCodeOf(const DefineFontInfo& T) { return T.Version == 2 ? 62 : 13; }
uint16_t TagCodeOf(const DefineFontName&) { return 88; }
uint16_t TagCodeOf(const DefineFontAlignZones&) { return 73; }
uint16_t TagCodeOf(const CsmTextSettings&) { return 74; }
uint16_t TagCodeOf(const DefineText& T) { return T.Version == 2 ? 33 : 11; }
uint16_t TagCodeOf(const DefineEditText&) { return 37; }

}  // namespace swf
