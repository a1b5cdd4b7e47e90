#include "SwfDump.h"

#include <cstdarg>
#include <cstdio>
#include <initializer_list>
#include <new>
#include <utility>

using namespace swf;

namespace {

std::string Fmt(const char* Format, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* Format, ...)
{
    char Buf[256];
    va_list Args;
    va_start(Args, Format);
    const int N = std::vsnprintf(Buf, sizeof Buf, Format, Args);
    va_end(Args);
    if (N < 0)
        return {};
    if (static_cast<size_t>(N) < sizeof Buf)
        return std::string(Buf, static_cast<size_t>(N));
    std::string Out(static_cast<size_t>(N) + 1, '\0');
    va_start(Args, Format);
    std::vsnprintf(Out.data(), Out.size(), Format, Args);
    va_end(Args);
    Out.resize(static_cast<size_t>(N));
    return Out;
}

// "1 frame", "2 frames".
std::string Count(size_t N, const char* Noun) { return Fmt("%zu %s%s", N, Noun, N == 1 ? "" : "s"); }

std::string Px(int64_t Twips) { return Fmt("%.2f", Twips / 20.0); }

std::string TwipsPx(int64_t Twips) { return Fmt("%lld twips (%s px)", static_cast<long long>(Twips), Px(Twips).c_str()); }

std::string RectText(const Rect& R)
{
    return Fmt("x %d..%d, y %d..%d twips = x %s..%s, y %s..%s px, %s x %s px", R.XMin, R.XMax, R.YMin, R.YMax,
               Px(R.XMin).c_str(), Px(R.XMax).c_str(), Px(R.YMin).c_str(), Px(R.YMax).c_str(),
               Px(int64_t(R.XMax) - R.XMin).c_str(), Px(int64_t(R.YMax) - R.YMin).c_str());
}

std::string ColorText(const Rgb& C) { return Fmt("#%02X%02X%02X", C.R, C.G, C.B); }
std::string ColorText(const Rgba& C) { return Fmt("#%02X%02X%02X%02X", C.R, C.G, C.B, C.A); }

using FlagNames = std::initializer_list<std::pair<uint32_t, const char*>>;

// Every named flag, "!Name" when clear, then any other set bits in hex.
std::string AllFlags(uint32_t Flags, FlagNames Names)
{
    std::string Out;
    uint32_t Rest = Flags;
    for (const auto& [Bit, Name] : Names) {
        Out += (Out.empty() ? "" : " ") + std::string(Flags & Bit ? "" : "!") + Name;
        Rest &= ~Bit;
    }
    if (Rest)
        Out += Fmt(" 0x%X", Rest);
    return Out;
}

// The set flags only; "none" when there are none.
std::string SetFlags(uint32_t Flags, FlagNames Names)
{
    std::string Out;
    for (const auto& [Bit, Name] : Names)
        if (Flags & Bit) {
            Out += (Out.empty() ? "" : " ") + std::string(Name);
            Flags &= ~Bit;
        }
    if (Flags)
        Out += (Out.empty() ? "" : " ") + Fmt("0x%X", Flags);
    return Out.empty() ? "none" : Out;
}

std::string MatrixText(const Matrix& M)
{
    std::string S = Fmt("translate %d, %d twips (%s, %s px)", M.TranslateX, M.TranslateY, Px(M.TranslateX).c_str(),
                        Px(M.TranslateY).c_str());
    S += M.HasScale ? Fmt(", scale %.4f x %.4f", FixedToDouble(M.ScaleX), FixedToDouble(M.ScaleY)) : ", no scale";
    S += M.HasRotate ? Fmt(", rotate/skew %.4f, %.4f", FixedToDouble(M.RotateSkew0), FixedToDouble(M.RotateSkew1))
                     : ", no rotate/skew";
    return S;
}

std::string CxFormText(const CxForm& C, bool WithAlpha)
{
    std::string S;
    if (C.HasMult) {
        S = Fmt("mult r %.3f g %.3f b %.3f", Fixed8ToDouble(C.RedMult), Fixed8ToDouble(C.GreenMult),
                Fixed8ToDouble(C.BlueMult));
        if (WithAlpha)
            S += Fmt(" a %.3f", Fixed8ToDouble(C.AlphaMult));
    } else {
        S = "no mult";
    }
    if (C.HasAdd) {
        S += Fmt(", add r %+d g %+d b %+d", C.RedAdd, C.GreenAdd, C.BlueAdd);
        if (WithAlpha)
            S += Fmt(" a %+d", C.AlphaAdd);
    } else {
        S += ", no add";
    }
    return S;
}

const FlagNames ClipEventNames = {
    {ClipEvent::Load, "Load"}, {ClipEvent::EnterFrame, "EnterFrame"}, {ClipEvent::Unload, "Unload"},
    {ClipEvent::MouseMove, "MouseMove"}, {ClipEvent::MouseDown, "MouseDown"}, {ClipEvent::MouseUp, "MouseUp"},
    {ClipEvent::KeyDown, "KeyDown"}, {ClipEvent::KeyUp, "KeyUp"}, {ClipEvent::Data, "Data"},
    {ClipEvent::Initialize, "Initialize"}, {ClipEvent::Press, "Press"}, {ClipEvent::Release, "Release"},
    {ClipEvent::ReleaseOutside, "ReleaseOutside"}, {ClipEvent::RollOver, "RollOver"}, {ClipEvent::RollOut, "RollOut"},
    {ClipEvent::DragOver, "DragOver"}, {ClipEvent::DragOut, "DragOut"}, {ClipEvent::KeyPress, "KeyPress"},
    {ClipEvent::Construct, "Construct"},
};

const FlagNames EditFlagNames = {
    {EditFlag::HasText, "HasText"}, {EditFlag::WordWrap, "WordWrap"}, {EditFlag::Multiline, "Multiline"},
    {EditFlag::Password, "Password"}, {EditFlag::ReadOnly, "ReadOnly"}, {EditFlag::HasTextColor, "HasTextColor"},
    {EditFlag::HasMaxLength, "HasMaxLength"}, {EditFlag::HasFont, "HasFont"}, {EditFlag::HasFontClass, "HasFontClass"},
    {EditFlag::AutoSize, "AutoSize"}, {EditFlag::HasLayout, "HasLayout"}, {EditFlag::NoSelect, "NoSelect"},
    {EditFlag::Border, "Border"}, {EditFlag::WasStatic, "WasStatic"}, {EditFlag::Html, "HTML"},
    {EditFlag::UseOutlines, "UseOutlines"},
};

const char* FillTypeName(uint8_t Type)
{
    switch (Type) {
    case FillType::Solid: return "solid";
    case FillType::LinearGradient: return "linear gradient";
    case FillType::RadialGradient: return "radial gradient";
    case FillType::FocalGradient: return "focal gradient";
    case FillType::RepeatingBitmap: return "repeating bitmap";
    case FillType::ClippedBitmap: return "clipped bitmap";
    case FillType::NonSmoothedRepeatingBitmap: return "repeating bitmap (not smoothed)";
    case FillType::NonSmoothedClippedBitmap: return "clipped bitmap (not smoothed)";
    }
    return "unknown fill";
}

const char* Pick(unsigned Index, std::initializer_list<const char*> Names)
{
    return Index < Names.size() ? Names.begin()[Index] : "?";
}

class Dumper {
public:
    std::string Take() { return std::move(FOut); }

    void Line(int Level, const std::string& Text)
    {
        FOut.append(2 * static_cast<size_t>(Level), ' ');
        FOut += Text;
        FOut += '\n';
    }

    // Returns the frames the list shows.
    int Tags(const std::vector<TypedTag>& List, int Level)
    {
        int Frame = 0;
        bool FrameStart = true;
        for (size_t I = 0; I < List.size(); ++I) {
            const TagValue& V = List[I].Value;
            if (FrameStart && !std::holds_alternative<EndTag>(V)) {
                bool Shown = false;
                for (size_t J = I; J < List.size() && !Shown; ++J)
                    Shown = std::holds_alternative<ShowFrame>(List[J].Value);
                Line(Level, Fmt("frame %d", Frame + 1) + (Shown ? "" : " (no ShowFrame follows)"));
                FrameStart = false;
            }
            Tag(List[I], Level);
            if (std::holds_alternative<ShowFrame>(V)) {
                ++Frame;
                FrameStart = true;
            }
        }
        return Frame;
    }

private:
    void Tag(const TypedTag& T, int Level)
    {
        const uint16_t Code = CodeOf(T.Value);
        Line(Level, Fmt("@%zu %s (%u), ", T.Offset, TagName(Code).c_str(), Code) + Count(T.BodyLength, "byte") +
                        (T.LongHeader ? ", long header" : ""));
        std::visit([&](const auto& V) { Details(V, Level + 1); }, T.Value);
    }

    void Actions(const ActionBlock& B, int Level)
    {
        if (B.Actions.empty())
            Line(Level, "no actions");
        for (const std::string& L : Disassemble(B.Actions, Level))
            FOut += L + '\n';
        if (!B.Trailing.empty())
            Line(Level, Count(B.Trailing.size(), "byte") + " after the End action");
    }

    void Fill(const FillStyle& F, int Level, const std::string& Lead, int ShapeVersion)
    {
        std::string S = Lead + FillTypeName(F.Type);
        if (F.Type == FillType::Solid) {
            S += " " + (ShapeVersion >= 3 ? ColorText(F.Color) : ColorText(Rgb{F.Color.R, F.Color.G, F.Color.B}));
        } else if (IsBitmapFill(F.Type)) {
            S += Fmt(", bitmap %u", F.BitmapId);
        } else if (IsGradientFill(F.Type)) {
            S += ", " + Count(F.Grad.Records.size(), "stop") + ":";
            for (const GradRecord& G : F.Grad.Records)
                S += " " + (ShapeVersion >= 3 ? ColorText(G.Color) : ColorText(Rgb{G.Color.R, G.Color.G, G.Color.B})) +
                     Fmt("@%u", G.Ratio);
            if (F.Grad.SpreadMode)
                S += Fmt(", spread %s", Pick(F.Grad.SpreadMode, {"pad", "reflect", "repeat"}));
            if (F.Grad.InterpolationMode)
                S += ", linear RGB";
            if (F.Type == FillType::FocalGradient)
                S += Fmt(", focal point %.3f", Fixed8ToDouble(F.Grad.FocalPoint));
        }
        Line(Level, S);
        if (F.Type != FillType::Solid)
            Line(Level + 1, "matrix " + MatrixText(F.Transform));
    }

    void Styles(const StyleArrays& A, int Level, int ShapeVersion)
    {
        Line(Level, Fmt("fill styles %zu", A.Fills.size()));
        for (size_t I = 0; I < A.Fills.size(); ++I)
            Fill(A.Fills[I], Level + 1, Fmt("%zu: ", I + 1), ShapeVersion);
        Line(Level, Fmt("line styles %zu", A.Lines.size()));
        for (size_t I = 0; I < A.Lines.size(); ++I) {
            const LineStyle& L = A.Lines[I];
            std::string S = Fmt("%zu: width %s", I + 1, TwipsPx(L.Width).c_str());
            if (!L.HasFill)
                S += " " + (ShapeVersion >= 3 ? ColorText(L.Color) : ColorText(Rgb{L.Color.R, L.Color.G, L.Color.B}));
            if (ShapeVersion == 4) {
                static const std::initializer_list<const char*> Caps = {"round", "none", "square"};
                S += Fmt(", caps %s/%s, join %s", Pick(L.StartCap, Caps), Pick(L.EndCap, Caps),
                         Pick(L.Join, {"round", "bevel", "miter"}));
                if (L.Join == 2)
                    S += Fmt(" (limit %.2f)", L.MiterLimit / 256.0);
                S += ", " + AllFlags((L.NoHScale ? 1u : 0u) | (L.NoVScale ? 2u : 0u) | (L.PixelHinting ? 4u : 0u) |
                                         (L.NoClose ? 8u : 0u),
                                     {{1, "NoHScale"}, {2, "NoVScale"}, {4, "PixelHinting"}, {8, "NoClose"}});
            }
            Line(Level + 1, S);
            if (L.HasFill)
                Fill(L.Fill, Level + 2, "fill ", ShapeVersion);
        }
    }

    void Records(const std::vector<ShapeRecord>& Records, int Level, int ShapeVersion)
    {
        size_t Changes = 0, Moves = 0, Lines = 0, Curves = 0, NewStyles = 0;
        for (const ShapeRecord& R : Records) {
            if (R.Type == ShapeRecord::StraightEdge)
                ++Lines;
            else if (R.Type == ShapeRecord::CurvedEdge)
                ++Curves;
            else {
                ++Changes;
                Moves += R.HasMove;
                NewStyles += R.NewStyles.size();
            }
        }
        Line(Level, Fmt("records %zu: ", Records.size()) + Count(Moves, "move") + ", " + Count(Lines, "line") + ", " +
                        Count(Curves, "curve") + ", " + Count(Changes, "style change") +
                        Fmt(" (%zu with new styles)", NewStyles));
        for (size_t I = 0; I < Records.size(); ++I)
            for (const StyleArrays& A : Records[I].NewStyles) {
                Line(Level, Fmt("new styles at record %zu:", I + 1));
                Styles(A, Level + 1, ShapeVersion);
            }
    }

    void Details(const EndTag&, int) {}
    void Details(const ShowFrame&, int) {}
    void Details(const SetBackgroundColor& T, int L) { Line(L, "colour " + ColorText(T.Color)); }
    void Details(const FileAttributes& T, int L)
    {
        Line(L, Fmt("flags 0x%08X: ", T.Flags) +
                    AllFlags(T.Flags, {{FileAttributes::UseDirectBlit, "UseDirectBlit"}, {FileAttributes::UseGpu, "UseGPU"},
                                       {FileAttributes::HasMetadata, "HasMetadata"},
                                       {FileAttributes::ActionScript3, "ActionScript3"},
                                       {FileAttributes::UseNetwork, "UseNetwork"}}));
    }
    void Details(const Metadata& T, int L) { Line(L, "xml " + Quote(T.Xml)); }
    void Details(const Protect& T, int L)
    {
        if (T.Password.empty()) {
            Line(L, "no password");
            return;
        }
        std::string P(T.Password.begin(), T.Password.end());
        if (P.back() == '\0')
            P.pop_back();
        Line(L, "password " + Quote(P));
    }
    void Details(const ScriptLimits& T, int L)
    {
        Line(L, Fmt("max recursion depth %u, script timeout %u s", T.MaxRecursionDepth, T.ScriptTimeoutSeconds));
    }
    void Details(const FrameLabel& T, int L)
    {
        Line(L, "name " + Quote(T.Name) + (T.NamedAnchor ? Fmt(", anchor flag %u", *T.NamedAnchor) : ""));
    }
    void Details(const DoAction& T, int L) { Actions(T.Actions, L); }
    void Details(const DoInitAction& T, int L)
    {
        Line(L, Fmt("sprite %u", T.SpriteId));
        Actions(T.Actions, L);
    }
    void Details(const ExportAssets& T, int L)
    {
        for (const auto& A : T.Assets)
            Line(L, Fmt("id %u as ", A.Id) + Quote(A.Name));
    }
    void Details(const RemoveObject& T, int L)
    {
        Line(L, T.Version == 1 ? Fmt("depth %u, character %u", T.Depth, T.CharacterId) : Fmt("depth %u", T.Depth));
    }
    void Details(const PlaceObject& T, int L)
    {
        Line(L, Fmt("depth %u, character %u", T.Depth, T.CharacterId));
        Line(L, "matrix " + MatrixText(T.Transform));
        if (T.ColorTransform)
            Line(L, "colour transform " + CxFormText(*T.ColorTransform, false));
    }
    void Details(const PlaceObject2& T, int L)
    {
        std::string What;
        if (T.CharacterId)
            What = Fmt(T.Move ? "replace by character %u" : "place character %u", *T.CharacterId);
        else
            What = T.Move ? "move" : "no character and no move flag";
        Line(L, Fmt("depth %u, ", T.Depth) + What);
        if (T.Name)
            Line(L, "name " + Quote(*T.Name));
        if (T.ClassName)
            Line(L, "class name " + Quote(*T.ClassName));
        if (T.Ratio)
            Line(L, Fmt("ratio %u", *T.Ratio));
        if (T.ClipDepth)
            Line(L, Fmt("clip depth %u", *T.ClipDepth));
        if (T.Transform)
            Line(L, "matrix " + MatrixText(*T.Transform));
        if (T.ColorTransform)
            Line(L, "colour transform " + CxFormText(*T.ColorTransform, true));
        if (T.Filters) {
            std::string S = Fmt("filters %zu:", T.Filters->size());
            for (const Filter& F : *T.Filters)
                S += Fmt(" %s (", Pick(F.Id, {"drop shadow", "blur", "glow", "bevel", "gradient glow", "convolution",
                                              "colour matrix", "gradient bevel"})) +
                     Count(F.Data.size(), "byte") + ")";
            Line(L, S);
        }
        if (T.BlendMode)
            Line(L, Fmt("blend mode %u (%s)", *T.BlendMode,
                        Pick(*T.BlendMode, {"normal", "normal", "layer", "multiply", "screen", "lighten", "darken",
                                            "difference", "add", "subtract", "invert", "alpha", "erase", "overlay",
                                            "hardlight"})));
        if (T.BitmapCache)
            Line(L, Fmt("bitmap cache %u", *T.BitmapCache));
        if (T.HasImage)
            Line(L, "has image");
        if (T.Actions) {
            Line(L, "clip actions for " + SetFlags(T.Actions->AllEvents, ClipEventNames));
            for (const ClipActionRecord& R : T.Actions->Records) {
                Line(L + 1, "on " + SetFlags(R.Events, ClipEventNames) +
                                (R.Events & ClipEvent::KeyPress ? Fmt(" (key %u)", R.KeyCode) : "") + ":");
                Actions(R.Actions, L + 2);
            }
        }
    }
    void Details(const DefineShape& T, int L)
    {
        Line(L, Fmt("id %u, bounds ", T.Id) + RectText(T.Bounds));
        if (T.Version == 4) {
            Line(L, "edge bounds " + RectText(T.EdgeBounds));
            Line(L, Fmt("flags 0x%02X: ", T.Flags4) +
                        AllFlags(T.Flags4, {{0x04, "UsesFillWindingRule"}, {0x02, "UsesNonScalingStrokes"},
                                            {0x01, "UsesScalingStrokes"}}));
        }
        Styles(T.Geometry.Styles, L, T.Version);
        Records(T.Geometry.Records, L, T.Version);
    }
    // The kind of embedded image, with its size when the data shows it: "JPEG 32 x 16 px".
    static std::string ImageText(const std::vector<uint8_t>& D)
    {
        const auto Be16 = [&D](size_t At) { return unsigned(D[At]) << 8 | D[At + 1]; };
        const auto Be32 = [&Be16](size_t At) { return Be16(At) << 16 | Be16(At + 2); };
        if (D.size() >= 4 && D[0] == 0x89 && D[1] == 'P' && D[2] == 'N' && D[3] == 'G')
            return D.size() >= 24 ? Fmt("PNG %u x %u px", Be32(16), Be32(20)) : "PNG";
        if (D.size() >= 3 && D[0] == 'G' && D[1] == 'I' && D[2] == 'F')
            return D.size() >= 10 ? Fmt("GIF %u x %u px", D[6] | unsigned(D[7]) << 8, D[8] | unsigned(D[9]) << 8) : "GIF";
        if (D.size() < 2 || D[0] != 0xFF)
            return "unrecognised";
        // JPEG markers up to the first start of frame; stand-alone markers (such as the end and
        // start markers that SWF files often put first) have no length.
        for (size_t At = 0; At + 4 <= D.size() && D[At] == 0xFF;) {
            const uint8_t Marker = D[At + 1];
            if (Marker == 0xFF) {  // fill byte
                ++At;
                continue;
            }
            if (Marker == 0xD8 || Marker == 0xD9 || Marker == 0x01 || (Marker >= 0xD0 && Marker <= 0xD7)) {
                At += 2;
                continue;
            }
            if (Marker >= 0xC0 && Marker <= 0xCF && Marker != 0xC4 && Marker != 0xC8 && Marker != 0xCC)
                return At + 9 <= D.size() ? Fmt("JPEG %u x %u px", Be16(At + 7), Be16(At + 5)) : "JPEG";
            At += 2 + Be16(At + 2);
        }
        return "JPEG";
    }
    void Details(const DefineBits& T, int L)
    {
        Line(L, Fmt("id %u, ", T.Id) + Count(T.JpegData.size(), "byte") + " of " + ImageText(T.JpegData) +
                    " data (tables from JPEGTables)");
    }
    void Details(const JpegTables& T, int L) { Line(L, Count(T.Data.size(), "byte")); }
    void Details(const DefineBitsJpeg& T, int L)
    {
        std::string S = Fmt("id %u, ", T.Id) + Count(T.ImageData.size(), "byte") + " of " + ImageText(T.ImageData) + " data";
        if (T.Version == 3)
            S += ", " + Count(T.AlphaData.size(), "byte") + " of zlib alpha";
        Line(L, S);
    }
    void Details(const DefineBitsLossless& T, int L)
    {
        std::string Format;
        switch (T.Format) {
        case 3: Format = "colour-mapped, " + Count(T.ColorTableSize + 1u, "colour"); break;
        case 4: Format = "15-bit RGB"; break;
        case 5: Format = T.Version == 2 ? "32-bit ARGB" : "32-bit RGB"; break;
        default: Format = "unknown"; break;
        }
        Line(L, Fmt("id %u, format %u (%s), %u x %u px, ", T.Id, T.Format, Format.c_str(), T.Width, T.Height) +
                    Count(T.ZlibData.size(), "byte") + " of zlib data");
        try {
            DecodeLosslessPixels(T);
            Line(L, "pixels ok");
        } catch (const SwfError& E) {
            Line(L, "pixels damaged: " + E.Reason());
        } catch (const std::bad_alloc&) {
            Line(L, "pixels too large to check");
        }
    }
    void Details(const DefineFont& T, int L) { Line(L, Fmt("id %u, ", T.Id) + Count(T.Glyphs.size(), "glyph")); }
    static std::string Codes(const std::vector<uint16_t>& Codes)
    {
        std::string S = "codes (hex)";
        for (const uint16_t C : Codes)
            S += Fmt(" %X", C);
        return S;
    }
    void Details(const DefineFont2& T, int L)
    {
        Line(L, Fmt("id %u, name ", T.Id) + Quote(T.Name) + ", " + Count(T.Glyphs.size(), "glyph") +
                    Fmt(", language %u", T.Language));
        Line(L, Fmt("flags 0x%02X: ", T.Flags) +
                    AllFlags(T.Flags, {{FontFlag::HasLayout, "HasLayout"}, {FontFlag::ShiftJis, "ShiftJIS"},
                                       {FontFlag::SmallText, "SmallText"}, {FontFlag::Ansi, "ANSI"},
                                       {FontFlag::WideOffsets, "WideOffsets"}, {FontFlag::WideCodes, "WideCodes"},
                                       {FontFlag::Italic, "Italic"}, {FontFlag::Bold, "Bold"}}));
        if (!T.Codes.empty())
            Line(L, Codes(T.Codes));
        if (T.Layout)
            Line(L, Fmt("layout ascent %u, descent %u, leading %d, ", T.Layout->Ascent, T.Layout->Descent,
                        T.Layout->Leading) +
                        Count(T.Layout->Kerning.size(), "kerning pair"));
    }
    void Details(const DefineFontInfo& T, int L)
    {
        Line(L, Fmt("font %u, name ", T.FontId) + Quote(T.Name) + ", " + Count(T.Codes.size(), "code") +
                    (T.Version == 2 ? Fmt(", language %u", T.Language) : ""));
        Line(L, Fmt("flags 0x%02X: ", T.Flags) +
                    AllFlags(T.Flags, {{0x20, "SmallText"}, {0x10, "ShiftJIS"}, {0x08, "ANSI"}, {0x04, "Italic"},
                                       {0x02, "Bold"}, {0x01, "WideCodes"}}));
        if (!T.Codes.empty())
            Line(L, Codes(T.Codes));
    }
    void Details(const DefineFontName& T, int L)
    {
        Line(L, Fmt("font %u, name ", T.FontId) + Quote(T.Name) + ", copyright " + Quote(T.Copyright));
    }
    void Details(const DefineFontAlignZones& T, int L)
    {
        Line(L, Fmt("font %u, hint %s, ", T.FontId, Pick(T.Hints >> 6, {"thin", "medium", "thick"})) +
                    Count(T.Zones.size(), "zone record"));
    }
    void Details(const CsmTextSettings& T, int L)
    {
        Line(L, Fmt("text %u, renderer %s, grid fit %s, thickness %.3f, sharpness %.3f", T.TextId,
                    Pick(T.Flags >> 6, {"normal", "advanced"}), Pick(T.Flags >> 3 & 7, {"none", "pixel", "subpixel"}),
                    T.Thickness, T.Sharpness));
    }
    void Details(const DefineText& T, int L)
    {
        Line(L, Fmt("id %u, bounds ", T.Id) + RectText(T.Bounds));
        Line(L, "matrix " + MatrixText(T.Transform));
        for (size_t I = 0; I < T.Records.size(); ++I) {
            const TextRecord& R = T.Records[I];
            std::string S = Fmt("record %zu:", I + 1);
            if (R.FontId)
                S += Fmt(" font %u, height %s,", *R.FontId, TwipsPx(R.Height).c_str());
            if (R.Color)
                S += " " + (T.Version == 2 ? ColorText(*R.Color) : ColorText(Rgb{R.Color->R, R.Color->G, R.Color->B})) + ",";
            if (R.XOffset)
                S += " x " + TwipsPx(*R.XOffset) + ",";
            if (R.YOffset)
                S += " y " + TwipsPx(*R.YOffset) + ",";
            S += " " + Count(R.Glyphs.size(), "glyph") + " (index:advance)";
            for (const GlyphEntry& G : R.Glyphs)
                S += Fmt(" %u:%d", G.Index, G.Advance);
            Line(L, S);
        }
    }
    void Details(const DefineEditText& T, int L)
    {
        Line(L, Fmt("id %u, bounds ", T.Id) + RectText(T.Bounds));
        Line(L, Fmt("flags 0x%04X: ", T.Flags) + AllFlags(T.Flags, EditFlagNames));
        if (T.FontId)
            Line(L, Fmt("font %u, height ", *T.FontId) + TwipsPx(T.FontHeight));
        else if (T.FontClass)
            Line(L, "font class " + Quote(*T.FontClass) + ", height " + TwipsPx(T.FontHeight));
        else
            Line(L, "no font");
        Line(L, T.TextColor ? "colour " + ColorText(*T.TextColor) : "no colour");
        Line(L, T.MaxLength ? Fmt("max length %u", *T.MaxLength) : "no max length");
        if (T.TextLayout) {
            const auto& Y = *T.TextLayout;
            Line(L, Fmt("layout align %s, left margin %u, right margin %u, indent %u, leading %d twips",
                        Pick(Y.Align, {"left", "right", "centre", "justify"}), Y.LeftMargin, Y.RightMargin, Y.Indent,
                        Y.Leading));
        } else {
            Line(L, "no layout");
        }
        Line(L, "variable " + Quote(T.VariableName));
        Line(L, T.InitialText ? "initial text " + Quote(*T.InitialText) : "no initial text");
    }
    void Details(const DefineSprite& T, int L)
    {
        Line(L, Fmt("id %u, ", T.Id) + Count(T.FrameCount, "frame"));
        const int Shown = Tags(T.Tags, L);
        if (Shown != T.FrameCount)
            Line(L, Fmt("sprite %u shows ", T.Id) + Count(Shown, "frame") + Fmt(" but declares %u", T.FrameCount));
    }
    void Details(const UnknownTag&, int L) { Line(L, "not decoded"); }

    std::string FOut;
};

}  // namespace

std::string DumpMovie(const Movie& M)
{
    const SwfHeader& H = M.Header;
    Dumper D;
    D.Line(0, "header");
    D.Line(1, H.Compressed ? "signature CWS (zlib compressed)" : "signature FWS (uncompressed)");
    D.Line(1, Fmt("version %u, strings ", H.Version) + (StringsAreUtf8(H.Version) ? "UTF-8" : "in the system code page"));
    D.Line(1, Fmt("file length %u declared, %zu %s", H.FileLength, H.DataLength,
                  H.Compressed ? "uncompressed" : "in the file"));
    D.Line(1, "stage " + RectText(H.FrameSize));
    D.Line(1, Fmt("frame rate %.2f fps (0x%04X)", H.FrameRate / 256.0, H.FrameRate));
    D.Line(1, Fmt("frame count %u", H.FrameCount));
    if (M.Warnings.empty()) {
        D.Line(0, "warnings: none");
    } else {
        D.Line(0, Fmt("warnings: %zu", M.Warnings.size()));
        for (const std::string& W : M.Warnings)
            D.Line(1, W);
    }
    D.Line(0, "tags");
    const int Shown = D.Tags(M.Tags, 1);
    D.Line(0, Count(Shown, "frame") + " shown" + (Shown != H.FrameCount ? Fmt(", header declares %u", H.FrameCount) : ""));
    return D.Take();
}
