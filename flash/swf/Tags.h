// Typed SWF tags: each tag that our movies and ordinary SWF 8 subtitle movies use, decoded into a
// value and encoded back to the same bytes. Other tags stay raw (UnknownTag) and round-trip as they are.
//
// Strings are kept as the stored bytes: UTF-8 from SWF 6 on, the system code page before (see
// StringsAreUtf8). Some tag forms depend on the movie's version (clip event flags), so decoding
// and encoding take it.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "Actions.h"
#include "Container.h"
#include "Records.h"
#include "Shapes.h"

namespace swf {

inline bool StringsAreUtf8(uint8_t SwfVersion) { return SwfVersion >= 6; }

struct TypedTag;

struct EndTag {
    bool operator==(const EndTag&) const = default;
};
struct ShowFrame {
    bool operator==(const ShowFrame&) const = default;
};
struct SetBackgroundColor {
    Rgb Color;
    bool operator==(const SetBackgroundColor&) const = default;
};

// All 32 flag bits as stored (first byte first in the low byte); the named bits are accessors.
struct FileAttributes {
    uint32_t Flags = 0;
    static constexpr uint32_t UseDirectBlit = 0x40, UseGpu = 0x20, HasMetadata = 0x10, ActionScript3 = 0x08,
                              UseNetwork = 0x01;
    bool operator==(const FileAttributes&) const = default;
};

struct Metadata {
    std::string Xml;
    bool operator==(const Metadata&) const = default;
};

// The optional (MD5) password as stored; empty when the body is empty.
struct Protect {
    std::vector<uint8_t> Password;
    bool operator==(const Protect&) const = default;
};

struct ScriptLimits {
    uint16_t MaxRecursionDepth = 256;
    uint16_t ScriptTimeoutSeconds = 15;
    bool operator==(const ScriptLimits&) const = default;
};

struct FrameLabel {
    std::string Name;
    std::optional<uint8_t> NamedAnchor;  // the SWF 6 anchor flag byte, when present
    bool operator==(const FrameLabel&) const = default;
};

struct DoAction {
    ActionBlock Actions;
    bool operator==(const DoAction&) const = default;
};

struct DoInitAction {
    uint16_t SpriteId = 0;
    ActionBlock Actions;
    bool operator==(const DoInitAction&) const = default;
};

struct ExportAssets {
    struct Asset {
        uint16_t Id = 0;
        std::string Name;
        bool operator==(const Asset&) const = default;
    };
    std::vector<Asset> Assets;
    bool operator==(const ExportAssets&) const = default;
};

// RemoveObject (CharacterId and Depth) and RemoveObject2 (Depth only).
struct RemoveObject {
    int Version = 2;
    uint16_t CharacterId = 0;
    uint16_t Depth = 0;
    bool operator==(const RemoveObject&) const = default;
};

// Clip event flags as stored, first byte in the low byte: KeyUp 0x80, KeyDown 0x40, MouseUp 0x20,
// MouseDown 0x10, MouseMove 0x08, Unload 0x04, EnterFrame 0x02, Load 0x01, then DragOver 0x8000 …
// Data 0x0100, then (SWF 6+) Construct 0x040000, KeyPress 0x020000, DragOut 0x010000.
namespace ClipEvent {
enum : uint32_t {
    KeyUp = 0x80, KeyDown = 0x40, MouseUp = 0x20, MouseDown = 0x10, MouseMove = 0x08, Unload = 0x04,
    EnterFrame = 0x02, Load = 0x01, DragOver = 0x8000, RollOut = 0x4000, RollOver = 0x2000,
    ReleaseOutside = 0x1000, Release = 0x0800, Press = 0x0400, Initialize = 0x0200, Data = 0x0100,
    Construct = 0x040000, KeyPress = 0x020000, DragOut = 0x010000,
};
}

struct ClipActionRecord {
    uint32_t Events = 0;
    uint8_t KeyCode = 0;  // with KeyPress
    ActionBlock Actions;
    bool operator==(const ClipActionRecord&) const = default;
};

struct ClipActions {
    uint16_t Reserved = 0;
    uint32_t AllEvents = 0;
    std::vector<ClipActionRecord> Records;
    bool operator==(const ClipActions&) const = default;
};

// One filter of a PlaceObject3 filter list, kept as its id and stored bytes.
struct Filter {
    uint8_t Id = 0;  // 0 drop shadow, 1 blur, 2 glow, 3 bevel, 4 gradient glow, 5 convolution, 6 colour matrix, 7 gradient bevel
    std::vector<uint8_t> Data;
    bool operator==(const Filter&) const = default;
};

struct PlaceObject {
    uint16_t CharacterId = 0;
    uint16_t Depth = 0;
    Matrix Transform;
    std::optional<CxForm> ColorTransform;
    bool operator==(const PlaceObject&) const = default;
};

// PlaceObject2 (Version 2) and PlaceObject3 (Version 3). Absent fields are not stored.
struct PlaceObject2 {
    int Version = 2;
    bool Move = false;
    uint16_t Depth = 0;
    std::optional<uint16_t> CharacterId;
    std::optional<Matrix> Transform;
    std::optional<CxForm> ColorTransform;  // with alpha
    std::optional<uint16_t> Ratio;
    std::optional<std::string> Name;
    std::optional<uint16_t> ClipDepth;
    std::optional<ClipActions> Actions;
    // PlaceObject3 only:
    uint8_t Flags3Reserved = 0;  // the high bits of the second flag byte that SWF 8 leaves reserved
    bool HasImage = false;
    std::optional<std::string> ClassName;
    std::optional<std::vector<Filter>> Filters;
    std::optional<uint8_t> BlendMode;
    std::optional<uint8_t> BitmapCache;
    bool operator==(const PlaceObject2&) const = default;
};

// DefineShape, DefineShape2, 3 and 4 (Version 1..4).
struct DefineShape {
    int Version = 3;
    uint16_t Id = 0;
    Rect Bounds;
    // DefineShape4:
    Rect EdgeBounds;
    uint8_t Flags4 = 0;  // reserved bits and UsesFillWindingRule 0x04, UsesNonScalingStrokes 0x02, UsesScalingStrokes 0x01
    Shape Geometry;
    bool operator==(const DefineShape&) const = default;
};

struct DefineBits {
    uint16_t Id = 0;
    std::vector<uint8_t> JpegData;  // uses the movie's JPEGTables
    bool operator==(const DefineBits&) const = default;
};

struct JpegTables {
    std::vector<uint8_t> Data;
    bool operator==(const JpegTables&) const = default;
};

// DefineBitsJPEG2 (Version 2) and DefineBitsJPEG3 (Version 3, with zlib alpha).
struct DefineBitsJpeg {
    int Version = 2;
    uint16_t Id = 0;
    std::vector<uint8_t> ImageData;
    std::vector<uint8_t> AlphaData;  // Version 3: zlib-compressed alpha, one byte per pixel
    bool operator==(const DefineBitsJpeg&) const = default;
};

// DefineBitsLossless (Version 1) and DefineBitsLossless2 (Version 2, with alpha). The pixel data
// stays compressed; DecodeLosslessPixels and MakeLossless2 convert.
struct DefineBitsLossless {
    int Version = 2;
    uint16_t Id = 0;
    uint8_t Format = 5;  // 3 colour-mapped, 4 15-bit (Version 1 only), 5 32-bit
    uint16_t Width = 0, Height = 0;
    uint8_t ColorTableSize = 0;  // format 3: colours - 1
    std::vector<uint8_t> ZlibData;
    bool operator==(const DefineBitsLossless&) const = default;
};

// DefineFont (Version 1): glyph outlines only.
struct DefineFont {
    uint16_t Id = 0;
    std::vector<Shape> Glyphs;
    bool operator==(const DefineFont&) const = default;
};

struct KerningRecord {
    uint16_t Code1 = 0, Code2 = 0;
    int16_t Adjustment = 0;
    bool operator==(const KerningRecord&) const = default;
};

struct FontLayout {
    uint16_t Ascent = 0, Descent = 0;
    int16_t Leading = 0;
    std::vector<int16_t> Advances;  // one per glyph
    std::vector<Rect> Bounds;       // one per glyph
    std::vector<KerningRecord> Kerning;
    bool operator==(const FontLayout&) const = default;
};

// DefineFont2 (Version 2) and DefineFont3 (Version 3, glyphs at 20 times the resolution). A device
// font has no glyphs.
namespace FontFlag {
enum : uint8_t { HasLayout = 0x80, ShiftJis = 0x40, SmallText = 0x20, Ansi = 0x10, WideOffsets = 0x08,
                 WideCodes = 0x04, Italic = 0x02, Bold = 0x01 };
}
struct DefineFont2 {
    int Version = 2;
    uint16_t Id = 0;
    uint8_t Flags = FontFlag::WideCodes;  // HasLayout follows Layout; WideOffsets is kept, or set when needed
    uint8_t Language = 0;
    std::string Name;                     // length-prefixed, stored as it is
    std::vector<Shape> Glyphs;
    std::vector<uint16_t> Codes;          // one per glyph
    std::optional<FontLayout> Layout;
    bool HasCodeTableOffset = true;       // a glyphless font may omit the code table offset
    bool operator==(const DefineFont2& O) const
    {
        constexpr uint8_t Derived = FontFlag::HasLayout | FontFlag::WideOffsets;
        return Version == O.Version && Id == O.Id && (Flags & ~Derived) == (O.Flags & ~Derived) &&
               Language == O.Language && Name == O.Name && Glyphs == O.Glyphs && Codes == O.Codes &&
               Layout == O.Layout && HasCodeTableOffset == O.HasCodeTableOffset;
    }
};

// DefineFontInfo (Version 1) and DefineFontInfo2 (Version 2, with a language code).
struct DefineFontInfo {
    int Version = 1;
    uint16_t FontId = 0;
    std::string Name;
    uint8_t Flags = 0;  // reserved 0xC0, SmallText 0x20, ShiftJis 0x10, Ansi 0x08, Italic 0x04, Bold 0x02, WideCodes 0x01
    uint8_t Language = 0;
    std::vector<uint16_t> Codes;
    bool operator==(const DefineFontInfo&) const = default;
};

struct DefineFontName {
    uint16_t FontId = 0;
    std::string Name, Copyright;
    bool operator==(const DefineFontName&) const = default;
};

struct AlignZone {
    uint16_t Coordinate = 0, Range = 0;  // 16-bit floats as stored
    bool operator==(const AlignZone&) const = default;
};
struct ZoneRecord {
    std::vector<AlignZone> Zones;
    uint8_t Mask = 0;  // reserved bits, ZoneMaskY 0x02, ZoneMaskX 0x01
    bool operator==(const ZoneRecord&) const = default;
};
struct DefineFontAlignZones {
    uint16_t FontId = 0;
    uint8_t Hints = 0;  // CSMTableHint in the top two bits, then reserved bits
    std::vector<ZoneRecord> Zones;
    bool operator==(const DefineFontAlignZones&) const = default;
};

struct CsmTextSettings {
    uint16_t TextId = 0;
    uint8_t Flags = 0;  // UseFlashType in the top two bits, GridFit in the next three, reserved
    float Thickness = 0, Sharpness = 0;
    uint8_t Reserved = 0;
    // The floats compare by their bits: a NaN as read equals itself.
    bool operator==(const CsmTextSettings& O) const
    {
        return TextId == O.TextId && Flags == O.Flags && std::bit_cast<uint32_t>(Thickness) == std::bit_cast<uint32_t>(O.Thickness) &&
               std::bit_cast<uint32_t>(Sharpness) == std::bit_cast<uint32_t>(O.Sharpness) && Reserved == O.Reserved;
    }
};

struct GlyphEntry {
    uint32_t Index = 0;
    int32_t Advance = 0;
    bool operator==(const GlyphEntry&) const = default;
};

struct TextRecord {
    uint8_t Reserved = 0;  // the three style flag bits after the record type
    std::optional<uint16_t> FontId;  // with Height
    std::optional<Rgba> Color;
    std::optional<int16_t> XOffset, YOffset;
    uint16_t Height = 0;
    std::vector<GlyphEntry> Glyphs;
    bool operator==(const TextRecord&) const = default;
};

// DefineText (Version 1, RGB) and DefineText2 (Version 2, RGBA).
struct DefineText {
    int Version = 1;
    uint16_t Id = 0;
    Rect Bounds;
    Matrix Transform;
    int GlyphBits = -1, AdvanceBits = -1;  // as decoded; minimal when built fresh
    std::vector<TextRecord> Records;
    bool operator==(const DefineText& O) const
    {
        return Version == O.Version && Id == O.Id && Bounds == O.Bounds && Transform == O.Transform && Records == O.Records;
    }
};

namespace EditFlag {
enum : uint16_t {
    HasText = 0x8000, WordWrap = 0x4000, Multiline = 0x2000, Password = 0x1000, ReadOnly = 0x0800,
    HasTextColor = 0x0400, HasMaxLength = 0x0200, HasFont = 0x0100, HasFontClass = 0x0080,
    AutoSize = 0x0040, HasLayout = 0x0020, NoSelect = 0x0010, Border = 0x0008, WasStatic = 0x0004,
    Html = 0x0002, UseOutlines = 0x0001,
};
}

// DefineEditText. Flags holds every flag bit; the Has* bits of optional fields are set by the
// encoder from those fields (and ignored by equality).
struct DefineEditText {
    uint16_t Id = 0;
    Rect Bounds;
    uint16_t Flags = 0;
    std::optional<uint16_t> FontId;
    std::optional<std::string> FontClass;
    uint16_t FontHeight = 0;  // with FontId or FontClass
    std::optional<Rgba> TextColor;
    std::optional<uint16_t> MaxLength;
    struct Layout {
        uint8_t Align = 0;  // 0 left, 1 right, 2 centre, 3 justify
        uint16_t LeftMargin = 0, RightMargin = 0, Indent = 0;
        int16_t Leading = 0;
        bool operator==(const Layout&) const = default;
    };
    std::optional<Layout> TextLayout;
    std::string VariableName;
    std::optional<std::string> InitialText;
    bool Has(uint16_t Flag) const { return (Flags & Flag) != 0; }
    bool operator==(const DefineEditText& O) const
    {
        using namespace EditFlag;
        constexpr uint16_t Derived = HasText | HasTextColor | HasMaxLength | HasFont | HasFontClass | HasLayout;
        return Id == O.Id && Bounds == O.Bounds && (Flags & ~Derived) == (O.Flags & ~Derived) && FontId == O.FontId &&
               FontClass == O.FontClass && FontHeight == O.FontHeight && TextColor == O.TextColor &&
               MaxLength == O.MaxLength && TextLayout == O.TextLayout && VariableName == O.VariableName &&
               InitialText == O.InitialText;
    }
};

struct DefineSprite {
    uint16_t Id = 0;
    uint16_t FrameCount = 0;
    std::vector<TypedTag> Tags;
    bool operator==(const DefineSprite&) const;
};

// A tag kept as its code and body.
struct UnknownTag {
    uint16_t Code = 0;
    std::vector<uint8_t> Body;
    bool operator==(const UnknownTag&) const = default;
};

using TagValue = std::variant<EndTag, ShowFrame, SetBackgroundColor, FileAttributes, Metadata, Protect, ScriptLimits,
                              FrameLabel, DoAction, DoInitAction, ExportAssets, RemoveObject, PlaceObject, PlaceObject2,
                              DefineShape, DefineBits, JpegTables, DefineBitsJpeg, DefineBitsLossless, DefineFont,
                              DefineFont2, DefineFontInfo, DefineFontName, DefineFontAlignZones, CsmTextSettings,
                              DefineText, DefineEditText, DefineSprite, UnknownTag>;

struct TypedTag {
    TagValue Value;
    bool LongHeader = false;  // a 6-byte header on a body short enough for 2 (kept from decoding)
    size_t Offset = 0;        // file offset of the tag header when decoded
    size_t BodyLength = 0;    // body bytes as stored when decoded
    TypedTag() = default;
    TypedTag(TagValue V, bool Long = false) : Value(std::move(V)), LongHeader(Long) {}
    bool operator==(const TypedTag& O) const { return Value == O.Value && LongHeader == O.LongHeader; }
};

inline bool DefineSprite::operator==(const DefineSprite& O) const
{
    return Id == O.Id && FrameCount == O.FrameCount && Tags == O.Tags;
}

struct Movie {
    SwfHeader Header;
    std::vector<TypedTag> Tags;
    std::vector<std::string> Warnings;
};

// The tag code a value is written with.
uint16_t CodeOf(const TagValue& V);

// One tag from its raw form (with Tag::Offset set, errors carry file offsets). Bytes that a typed
// tag leaves unread are dropped with a warning.
TagValue DecodeTag(const Tag& T, uint8_t SwfVersion, std::vector<std::string>* Warnings = nullptr);
Tag EncodeTag(const TypedTag& T, uint8_t SwfVersion);

Movie DecodeMovie(std::span<const uint8_t> File, const DecodeOptions& Options = {});
std::vector<uint8_t> EncodeMovie(const Movie& M);

// Pixels of a lossless bitmap as premultiplied ARGB words (0xAARRGGBB), rows top-down; opaque for
// Version 1. Throws when the data is damaged or does not hold Width x Height pixels.
std::vector<uint32_t> DecodeLosslessPixels(const DefineBitsLossless& B);
// A DefineBitsLossless2 of format 5 from straight (non-premultiplied) RGBA bytes, rows top-down.
DefineBitsLossless MakeLossless2(uint16_t Id, uint16_t Width, uint16_t Height, std::span<const uint8_t> Rgba);

}  // namespace swf
