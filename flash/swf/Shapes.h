// Shape data: fill and line styles, gradients, shape records, SHAPE and SHAPEWITHSTYLE.
//
// ShapeVersion is the DefineShape generation (1..4) that decides colour and style forms:
// 1 and 2 store RGB colours, 3 and 4 RGBA; 4 uses LINESTYLE2 and focal gradients; extended style
// counts (0xFF escape) exist from 2 on. Glyph shapes of fonts use version 1.
//
// Bit counts that the format lets a writer choose are kept from decoding (-1 when built fresh), so
// that decode then encode gives the same bytes; Encode uses them when they still fit. Equality
// ignores them.
#pragma once

#include <cstdint>
#include <vector>

#include "ByteIO.h"
#include "Records.h"

namespace swf {

struct GradRecord {
    uint8_t Ratio = 0;
    Rgba Color;
    bool operator==(const GradRecord&) const = default;
};

struct Gradient {
    uint8_t SpreadMode = 0;         // 0 pad, 1 reflect, 2 repeat
    uint8_t InterpolationMode = 0;  // 0 normal RGB, 1 linear RGB
    std::vector<GradRecord> Records;
    int16_t FocalPoint = 0;         // 8.8, focal gradients only
    bool operator==(const Gradient&) const = default;
};

namespace FillType {
enum : uint8_t {
    Solid = 0x00,
    LinearGradient = 0x10,
    RadialGradient = 0x12,
    FocalGradient = 0x13,
    RepeatingBitmap = 0x40,
    ClippedBitmap = 0x41,
    NonSmoothedRepeatingBitmap = 0x42,
    NonSmoothedClippedBitmap = 0x43,
};
}

inline bool IsGradientFill(uint8_t Type) { return Type == 0x10 || Type == 0x12 || Type == 0x13; }
inline bool IsBitmapFill(uint8_t Type) { return Type >= 0x40 && Type <= 0x43; }

struct FillStyle {
    uint8_t Type = FillType::Solid;
    Rgba Color;            // solid
    Matrix Transform;      // gradient or bitmap matrix
    Gradient Grad;         // gradients
    uint16_t BitmapId = 0; // bitmaps
    bool operator==(const FillStyle&) const = default;
};

struct LineStyle {
    uint16_t Width = 0;  // twips
    Rgba Color;          // unless HasFill
    // LINESTYLE2 (DefineShape4) only:
    uint8_t StartCap = 0, Join = 0, EndCap = 0;  // caps: 0 round, 1 none, 2 square; joins: 0 round, 1 bevel, 2 miter
    bool HasFill = false, NoHScale = false, NoVScale = false, PixelHinting = false, NoClose = false;
    uint8_t Reserved = 0;       // the 5 reserved bits, kept as read
    uint16_t MiterLimit = 0;    // 8.8, miter joins only
    FillStyle Fill;             // when HasFill
    bool operator==(const LineStyle&) const = default;
};

struct StyleArrays {
    std::vector<FillStyle> Fills;
    std::vector<LineStyle> Lines;
    bool FillCountExtended = false, LineCountExtended = false;  // count written with the 0xFF escape
    int FillBits = -1, LineBits = -1;                           // index bit counts that follow the arrays
    bool operator==(const StyleArrays& O) const
    {
        return Fills == O.Fills && Lines == O.Lines;
    }
};

// One shape record. Style changes hold an optional move and style indices (0: no style);
// NewStyles holds zero or one style arrays. Edges are deltas in twips.
struct ShapeRecord {
    enum Kind : uint8_t { StyleChange, StraightEdge, CurvedEdge };
    enum Form : uint8_t { Auto, General, Horizontal, Vertical };  // how a straight edge is stored

    Kind Type = StyleChange;
    Form LineForm = Auto;
    bool HasMove = false, HasFill0 = false, HasFill1 = false, HasLine = false;
    int8_t Bits = -1;            // MoveBits or NumBits (the stored value + 2) as decoded
    int32_t X = 0, Y = 0;        // move to, or edge delta (curves: the control delta)
    int32_t AnchorX = 0, AnchorY = 0;  // curves: anchor delta from the control point
    uint32_t Fill0 = 0, Fill1 = 0, Line = 0;
    std::vector<StyleArrays> NewStyles;

    static ShapeRecord MoveTo(int32_t X, int32_t Y);
    static ShapeRecord Styles(uint32_t Fill0, uint32_t Fill1, uint32_t Line);
    static ShapeRecord LineTo(int32_t Dx, int32_t Dy);
    static ShapeRecord CurveTo(int32_t ControlDx, int32_t ControlDy, int32_t AnchorDx, int32_t AnchorDy);
    bool operator==(const ShapeRecord& O) const
    {
        return Type == O.Type && HasMove == O.HasMove && HasFill0 == O.HasFill0 && HasFill1 == O.HasFill1 &&
               HasLine == O.HasLine && X == O.X && Y == O.Y && AnchorX == O.AnchorX && AnchorY == O.AnchorY &&
               Fill0 == O.Fill0 && Fill1 == O.Fill1 && Line == O.Line && NewStyles == O.NewStyles;
    }
};

// SHAPE (glyphs) when Styles is unused; SHAPEWITHSTYLE for DefineShape. Records end with the end
// record, which is implied (not stored).
struct Shape {
    StyleArrays Styles;  // SHAPE: only FillBits and LineBits are used
    std::vector<ShapeRecord> Records;
    bool operator==(const Shape&) const = default;
};

FillStyle ReadFillStyle(Reader& R, int ShapeVersion);
void WriteFillStyle(Writer& W, const FillStyle& V, int ShapeVersion);

// SHAPEWITHSTYLE and SHAPE. Both end byte aligned.
Shape ReadShapeWithStyle(Reader& R, int ShapeVersion);
void WriteShapeWithStyle(Writer& W, const Shape& V, int ShapeVersion);
Shape ReadGlyphShape(Reader& R);
void WriteGlyphShape(Writer& W, const Shape& V);

}  // namespace swf
