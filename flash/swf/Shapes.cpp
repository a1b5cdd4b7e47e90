#include "Shapes.h"

#include <algorithm>

namespace swf {

namespace {

Rgba ReadColor(Reader& R, int ShapeVersion)
{
    if (ShapeVersion >= 3)
        return ReadRgba(R);
    const Rgb C = ReadRgb(R);
    return Rgba{C.R, C.G, C.B, 255};
}

void WriteColor(Writer& W, const Rgba& C, int ShapeVersion)
{
    if (ShapeVersion >= 3)
        WriteRgba(W, C);
    else
        WriteRgb(W, Rgb{C.R, C.G, C.B});
}

LineStyle ReadLineStyle(Reader& R, int ShapeVersion)
{
    LineStyle L;
    L.Width = R.UI16();
    if (ShapeVersion < 4) {
        L.Color = ReadColor(R, ShapeVersion);
        return L;
    }
    L.StartCap = static_cast<uint8_t>(R.UB(2));
    L.Join = static_cast<uint8_t>(R.UB(2));
    L.HasFill = R.UB(1);
    L.NoHScale = R.UB(1);
    L.NoVScale = R.UB(1);
    L.PixelHinting = R.UB(1);
    L.Reserved = static_cast<uint8_t>(R.UB(5));
    L.NoClose = R.UB(1);
    L.EndCap = static_cast<uint8_t>(R.UB(2));
    if (L.Join == 2)
        L.MiterLimit = R.UI16();
    if (L.HasFill)
        L.Fill = ReadFillStyle(R, ShapeVersion);
    else
        L.Color = ReadRgba(R);
    return L;
}

void WriteLineStyle(Writer& W, const LineStyle& L, int ShapeVersion)
{
    W.UI16(L.Width);
    if (ShapeVersion < 4) {
        WriteColor(W, L.Color, ShapeVersion);
        return;
    }
    if (L.StartCap > 3 || L.Join > 3 || L.EndCap > 3 || L.Reserved > 31)
        throw SwfError(W.Size(), "line style cap, join or reserved value out of range");
    W.UB(2, L.StartCap);
    W.UB(2, L.Join);
    W.UB(1, L.HasFill);
    W.UB(1, L.NoHScale);
    W.UB(1, L.NoVScale);
    W.UB(1, L.PixelHinting);
    W.UB(5, L.Reserved);
    W.UB(1, L.NoClose);
    W.UB(2, L.EndCap);
    if (L.Join == 2)
        W.UI16(L.MiterLimit);
    if (L.HasFill)
        WriteFillStyle(W, L.Fill, ShapeVersion);
    else
        WriteRgba(W, L.Color);
}

// Style count: UI8, or 0xFF then UI16 where the version has the escape.
size_t ReadCount(Reader& R, bool CanExtend, bool& Extended)
{
    size_t N = R.UI8();
    Extended = CanExtend && N == 0xFF;
    if (Extended)
        N = R.UI16();
    return N;
}

void WriteCount(Writer& W, size_t N, bool CanExtend, bool Extended, const char* What)
{
    if (CanExtend && (Extended || N >= 0xFF)) {
        if (N > 0xFFFF)
            throw SwfError(W.Size(), std::string("too many ") + What + " (" + std::to_string(N) + ")");
        W.UI8(0xFF);
        W.UI16(static_cast<uint16_t>(N));
    } else {
        if (N > 0xFF)
            throw SwfError(W.Size(), std::string("too many ") + What + " for this shape version (" + std::to_string(N) + ")");
        W.UI8(static_cast<uint8_t>(N));
    }
}

void ReadStyleArrays(Reader& R, StyleArrays& S, int ShapeVersion)
{
    R.Align();
    size_t N = ReadCount(R, ShapeVersion >= 2, S.FillCountExtended);
    for (size_t I = 0; I < N; ++I)
        S.Fills.push_back(ReadFillStyle(R, ShapeVersion));
    N = ReadCount(R, true, S.LineCountExtended);
    for (size_t I = 0; I < N; ++I)
        S.Lines.push_back(ReadLineStyle(R, ShapeVersion));
}

void WriteStyleArrays(Writer& W, const StyleArrays& S, int ShapeVersion)
{
    W.Flush();
    WriteCount(W, S.Fills.size(), ShapeVersion >= 2, S.FillCountExtended, "fill styles");
    for (const FillStyle& F : S.Fills)
        WriteFillStyle(W, F, ShapeVersion);
    WriteCount(W, S.Lines.size(), true, S.LineCountExtended, "line styles");
    for (const LineStyle& L : S.Lines)
        WriteLineStyle(W, L, ShapeVersion);
}

// Records up to and including the end record; FillBits and LineBits are the current index widths.
void ReadRecords(Reader& R, Shape& S, unsigned FillBits, unsigned LineBits, int ShapeVersion)
{
    for (;;) {
        ShapeRecord E;
        if (R.UB(1) == 0) {
            const uint32_t Flags = R.UB(5);
            if (Flags == 0)
                break;
            E.Type = ShapeRecord::StyleChange;
            E.HasMove = Flags & 0x01;
            E.HasFill0 = Flags & 0x02;
            E.HasFill1 = Flags & 0x04;
            E.HasLine = Flags & 0x08;
            if (E.HasMove) {
                const unsigned N = R.UB(5);
                E.Bits = static_cast<int8_t>(N);
                E.X = R.SB(N);
                E.Y = R.SB(N);
            }
            if (E.HasFill0)
                E.Fill0 = R.UB(FillBits);
            if (E.HasFill1)
                E.Fill1 = R.UB(FillBits);
            if (E.HasLine)
                E.Line = R.UB(LineBits);
            if (Flags & 0x10) {
                StyleArrays& A = E.NewStyles.emplace_back();
                ReadStyleArrays(R, A, ShapeVersion);
                FillBits = R.UB(4);
                LineBits = R.UB(4);
                A.FillBits = static_cast<int>(FillBits);
                A.LineBits = static_cast<int>(LineBits);
            }
        } else if (R.UB(1) == 1) {
            E.Type = ShapeRecord::StraightEdge;
            const unsigned N = R.UB(4) + 2;
            E.Bits = static_cast<int8_t>(N);
            if (R.UB(1)) {
                E.LineForm = ShapeRecord::General;
                E.X = R.SB(N);
                E.Y = R.SB(N);
            } else if (R.UB(1)) {
                E.LineForm = ShapeRecord::Vertical;
                E.Y = R.SB(N);
            } else {
                E.LineForm = ShapeRecord::Horizontal;
                E.X = R.SB(N);
            }
        } else {
            E.Type = ShapeRecord::CurvedEdge;
            const unsigned N = R.UB(4) + 2;
            E.Bits = static_cast<int8_t>(N);
            E.X = R.SB(N);
            E.Y = R.SB(N);
            E.AnchorX = R.SB(N);
            E.AnchorY = R.SB(N);
        }
        S.Records.push_back(std::move(E));
    }
    R.Align();
}

// Largest style index read with the widths in force from record From on: up to and including the
// next record with new styles (its own indices come before its new arrays).
void MaxIndices(const std::vector<ShapeRecord>& Records, size_t From, uint32_t& MaxFill, uint32_t& MaxLine)
{
    for (size_t I = From; I < Records.size(); ++I) {
        const ShapeRecord& E = Records[I];
        if (E.Type != ShapeRecord::StyleChange)
            continue;
        if (E.HasFill0)
            MaxFill = std::max(MaxFill, E.Fill0);
        if (E.HasFill1)
            MaxFill = std::max(MaxFill, E.Fill1);
        if (E.HasLine)
            MaxLine = std::max(MaxLine, E.Line);
        if (!E.NewStyles.empty())
            return;
    }
}

// Chooses and writes the index widths that follow a set of style arrays; the widths must fit the
// array sizes and every index used up to the next set.
void WriteIndexBits(Writer& W, const StyleArrays& A, const std::vector<ShapeRecord>& Records, size_t From,
                    unsigned& FillBits, unsigned& LineBits)
{
    uint32_t MaxFill = static_cast<uint32_t>(A.Fills.size()), MaxLine = static_cast<uint32_t>(A.Lines.size());
    MaxIndices(Records, From, MaxFill, MaxLine);
    FillBits = ChooseBits(W, A.FillBits, UnsignedBits(MaxFill), 15, "fill style index");
    LineBits = ChooseBits(W, A.LineBits, UnsignedBits(MaxLine), 15, "line style index");
    W.UB(4, FillBits);
    W.UB(4, LineBits);
}

void WriteRecords(Writer& W, const Shape& S, unsigned FillBits, unsigned LineBits, int ShapeVersion)
{
    for (size_t I = 0; I < S.Records.size(); ++I) {
        const ShapeRecord& E = S.Records[I];
        switch (E.Type) {
        case ShapeRecord::StyleChange: {
            if (E.NewStyles.size() > 1)
                throw SwfError(W.Size(), "style change record with more than one set of new styles");
            const bool New = !E.NewStyles.empty();
            if (!New && !E.HasMove && !E.HasFill0 && !E.HasFill1 && !E.HasLine)
                throw SwfError(W.Size(), "empty style change record (it would read as the end of the shape)");
            W.UB(1, 0);
            W.UB(1, New);
            W.UB(1, E.HasLine);
            W.UB(1, E.HasFill1);
            W.UB(1, E.HasFill0);
            W.UB(1, E.HasMove);
            if (E.HasMove) {
                const unsigned N = ChooseBits(W, E.Bits, SignedBits({E.X, E.Y}), 31, "move");
                W.UB(5, N);
                W.SB(N, E.X);
                W.SB(N, E.Y);
            }
            if (E.HasFill0)
                W.UB(FillBits, E.Fill0);
            if (E.HasFill1)
                W.UB(FillBits, E.Fill1);
            if (E.HasLine)
                W.UB(LineBits, E.Line);
            if (New) {
                WriteStyleArrays(W, E.NewStyles[0], ShapeVersion);
                WriteIndexBits(W, E.NewStyles[0], S.Records, I + 1, FillBits, LineBits);
            }
            break;
        }
        case ShapeRecord::StraightEdge: {
            ShapeRecord::Form F = E.LineForm;
            if (F == ShapeRecord::Auto || (F == ShapeRecord::Vertical && E.X != 0) ||
                (F == ShapeRecord::Horizontal && E.Y != 0))
                F = E.X != 0 && E.Y != 0 ? ShapeRecord::General : E.X == 0 ? ShapeRecord::Vertical : ShapeRecord::Horizontal;
            const unsigned Min = std::max(2u, SignedBits({E.X, E.Y}));
            const unsigned N = ChooseBits(W, E.Bits, Min, 17, "straight edge");
            W.UB(1, 1);
            W.UB(1, 1);
            W.UB(4, N - 2);
            W.UB(1, F == ShapeRecord::General);
            if (F == ShapeRecord::General) {
                W.SB(N, E.X);
                W.SB(N, E.Y);
            } else {
                W.UB(1, F == ShapeRecord::Vertical);
                W.SB(N, F == ShapeRecord::Vertical ? E.Y : E.X);
            }
            break;
        }
        case ShapeRecord::CurvedEdge: {
            const unsigned Min = std::max(2u, SignedBits({E.X, E.Y, E.AnchorX, E.AnchorY}));
            const unsigned N = ChooseBits(W, E.Bits, Min, 17, "curved edge");
            W.UB(1, 1);
            W.UB(1, 0);
            W.UB(4, N - 2);
            W.SB(N, E.X);
            W.SB(N, E.Y);
            W.SB(N, E.AnchorX);
            W.SB(N, E.AnchorY);
            break;
        }
        }
    }
    W.UB(6, 0);  // end record
    W.Flush();
}

}  // namespace

ShapeRecord ShapeRecord::MoveTo(int32_t X, int32_t Y)
{
    ShapeRecord E;
    E.HasMove = true;
    E.X = X;
    E.Y = Y;
    return E;
}

ShapeRecord ShapeRecord::Styles(uint32_t Fill0, uint32_t Fill1, uint32_t Line)
{
    ShapeRecord E;
    E.HasFill0 = E.HasFill1 = E.HasLine = true;
    E.Fill0 = Fill0;
    E.Fill1 = Fill1;
    E.Line = Line;
    return E;
}

ShapeRecord ShapeRecord::LineTo(int32_t Dx, int32_t Dy)
{
    ShapeRecord E;
    E.Type = StraightEdge;
    E.X = Dx;
    E.Y = Dy;
    return E;
}

ShapeRecord ShapeRecord::CurveTo(int32_t ControlDx, int32_t ControlDy, int32_t AnchorDx, int32_t AnchorDy)
{
    ShapeRecord E;
    E.Type = CurvedEdge;
    E.X = ControlDx;
    E.Y = ControlDy;
    E.AnchorX = AnchorDx;
    E.AnchorY = AnchorDy;
    return E;
}

FillStyle ReadFillStyle(Reader& R, int ShapeVersion)
{
    FillStyle F;
    const size_t At = R.Offset();
    F.Type = R.UI8();
    if (F.Type == FillType::Solid) {
        F.Color = ReadColor(R, ShapeVersion);
    } else if (IsGradientFill(F.Type)) {
        F.Transform = ReadMatrix(R);
        F.Grad.SpreadMode = static_cast<uint8_t>(R.UB(2));
        F.Grad.InterpolationMode = static_cast<uint8_t>(R.UB(2));
        const unsigned N = R.UB(4);
        for (unsigned I = 0; I < N; ++I) {
            GradRecord G;
            G.Ratio = R.UI8();
            G.Color = ReadColor(R, ShapeVersion);
            F.Grad.Records.push_back(G);
        }
        if (F.Type == FillType::FocalGradient)
            F.Grad.FocalPoint = R.Fixed8();
    } else if (IsBitmapFill(F.Type)) {
        F.BitmapId = R.UI16();
        F.Transform = ReadMatrix(R);
    } else {
        throw SwfError(At, "unknown fill style type " + std::to_string(F.Type));
    }
    return F;
}

void WriteFillStyle(Writer& W, const FillStyle& F, int ShapeVersion)
{
    W.Flush();
    W.UI8(F.Type);
    if (F.Type == FillType::Solid) {
        WriteColor(W, F.Color, ShapeVersion);
    } else if (IsGradientFill(F.Type)) {
        if (F.Grad.Records.size() > 15 || F.Grad.SpreadMode > 3 || F.Grad.InterpolationMode > 3)
            throw SwfError(W.Size(), "gradient with more than 15 stops or a bad spread/interpolation mode");
        WriteMatrix(W, F.Transform);
        W.UB(2, F.Grad.SpreadMode);
        W.UB(2, F.Grad.InterpolationMode);
        W.UB(4, static_cast<uint32_t>(F.Grad.Records.size()));
        for (const GradRecord& G : F.Grad.Records) {
            W.UI8(G.Ratio);
            WriteColor(W, G.Color, ShapeVersion);
        }
        if (F.Type == FillType::FocalGradient)
            W.Fixed8(F.Grad.FocalPoint);
    } else if (IsBitmapFill(F.Type)) {
        W.UI16(F.BitmapId);
        WriteMatrix(W, F.Transform);
    } else {
        throw SwfError(W.Size(), "unknown fill style type " + std::to_string(F.Type));
    }
}

Shape ReadShapeWithStyle(Reader& R, int ShapeVersion)
{
    Shape S;
    ReadStyleArrays(R, S.Styles, ShapeVersion);
    const unsigned FillBits = R.UB(4), LineBits = R.UB(4);
    S.Styles.FillBits = static_cast<int>(FillBits);
    S.Styles.LineBits = static_cast<int>(LineBits);
    ReadRecords(R, S, FillBits, LineBits, ShapeVersion);
    return S;
}

void WriteShapeWithStyle(Writer& W, const Shape& S, int ShapeVersion)
{
    WriteStyleArrays(W, S.Styles, ShapeVersion);
    unsigned FillBits = 0, LineBits = 0;
    WriteIndexBits(W, S.Styles, S.Records, 0, FillBits, LineBits);
    WriteRecords(W, S, FillBits, LineBits, ShapeVersion);
}

Shape ReadGlyphShape(Reader& R)
{
    Shape S;
    R.Align();
    const unsigned FillBits = R.UB(4), LineBits = R.UB(4);
    S.Styles.FillBits = static_cast<int>(FillBits);
    S.Styles.LineBits = static_cast<int>(LineBits);
    ReadRecords(R, S, FillBits, LineBits, 1);
    return S;
}

void WriteGlyphShape(Writer& W, const Shape& S)
{
    W.Flush();
    StyleArrays None;
    None.FillBits = S.Styles.FillBits;
    None.LineBits = S.Styles.LineBits;
    unsigned FillBits = 0, LineBits = 0;
    WriteIndexBits(W, None, S.Records, 0, FillBits, LineBits);
    WriteRecords(W, S, FillBits, LineBits, 1);
}

}  // namespace swf
