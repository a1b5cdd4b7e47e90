#include "Records.h"

namespace swf {

namespace {

CxForm ReadCx(Reader& R, bool Alpha)
{
    CxForm V;
    R.Align();
    V.HasAdd = R.UB(1);
    V.HasMult = R.UB(1);
    const unsigned N = R.UB(4);
    V.NBits = static_cast<int>(N);
    if (V.HasMult) {
        V.RedMult = static_cast<int16_t>(R.SB(N));
        V.GreenMult = static_cast<int16_t>(R.SB(N));
        V.BlueMult = static_cast<int16_t>(R.SB(N));
        if (Alpha)
            V.AlphaMult = static_cast<int16_t>(R.SB(N));
    }
    if (V.HasAdd) {
        V.RedAdd = static_cast<int16_t>(R.SB(N));
        V.GreenAdd = static_cast<int16_t>(R.SB(N));
        V.BlueAdd = static_cast<int16_t>(R.SB(N));
        if (Alpha)
            V.AlphaAdd = static_cast<int16_t>(R.SB(N));
    }
    R.Align();
    return V;
}

void WriteCx(Writer& W, const CxForm& V, bool Alpha)
{
    W.Flush();
    unsigned Min = 0;
    if (V.HasMult)
        Min = std::max(Min, SignedBits({V.RedMult, V.GreenMult, V.BlueMult, Alpha ? V.AlphaMult : int16_t(0)}));
    if (V.HasAdd)
        Min = std::max(Min, SignedBits({V.RedAdd, V.GreenAdd, V.BlueAdd, Alpha ? V.AlphaAdd : int16_t(0)}));
    const unsigned N = ChooseBits(W, V.NBits, Min, 15, Alpha ? "CXFORMWITHALPHA" : "CXFORM");
    W.UB(1, V.HasAdd);
    W.UB(1, V.HasMult);
    W.UB(4, N);
    if (V.HasMult) {
        W.SB(N, V.RedMult);
        W.SB(N, V.GreenMult);
        W.SB(N, V.BlueMult);
        if (Alpha)
            W.SB(N, V.AlphaMult);
    }
    if (V.HasAdd) {
        W.SB(N, V.RedAdd);
        W.SB(N, V.GreenAdd);
        W.SB(N, V.BlueAdd);
        if (Alpha)
            W.SB(N, V.AlphaAdd);
    }
    W.Flush();
}

}  // namespace

Rect ReadRect(Reader& R)
{
    Rect V;
    R.Align();
    const unsigned N = R.UB(5);
    V.NBits = static_cast<int>(N);
    V.XMin = R.SB(N);
    V.XMax = R.SB(N);
    V.YMin = R.SB(N);
    V.YMax = R.SB(N);
    R.Align();
    return V;
}

void WriteRect(Writer& W, const Rect& V)
{
    W.Flush();
    const unsigned N = ChooseBits(W, V.NBits, SignedBits({V.XMin, V.XMax, V.YMin, V.YMax}), 31, "RECT");
    W.UB(5, N);
    W.SB(N, V.XMin);
    W.SB(N, V.XMax);
    W.SB(N, V.YMin);
    W.SB(N, V.YMax);
    W.Flush();
}

Matrix ReadMatrix(Reader& R)
{
    Matrix V;
    R.Align();
    V.HasScale = R.UB(1);
    if (V.HasScale) {
        const unsigned N = R.UB(5);
        V.ScaleBits = static_cast<int>(N);
        V.ScaleX = R.FB(N);
        V.ScaleY = R.FB(N);
    }
    V.HasRotate = R.UB(1);
    if (V.HasRotate) {
        const unsigned N = R.UB(5);
        V.RotateBits = static_cast<int>(N);
        V.RotateSkew0 = R.FB(N);
        V.RotateSkew1 = R.FB(N);
    }
    const unsigned N = R.UB(5);
    V.TranslateBits = static_cast<int>(N);
    V.TranslateX = R.SB(N);
    V.TranslateY = R.SB(N);
    R.Align();
    return V;
}

void WriteMatrix(Writer& W, const Matrix& V)
{
    W.Flush();
    W.UB(1, V.HasScale);
    if (V.HasScale) {
        const unsigned N = ChooseBits(W, V.ScaleBits, SignedBits({V.ScaleX, V.ScaleY}), 31, "MATRIX scale");
        W.UB(5, N);
        W.FB(N, V.ScaleX);
        W.FB(N, V.ScaleY);
    }
    W.UB(1, V.HasRotate);
    if (V.HasRotate) {
        const unsigned N =
            ChooseBits(W, V.RotateBits, SignedBits({V.RotateSkew0, V.RotateSkew1}), 31, "MATRIX rotate");
        W.UB(5, N);
        W.FB(N, V.RotateSkew0);
        W.FB(N, V.RotateSkew1);
    }
    const unsigned N =
        ChooseBits(W, V.TranslateBits, SignedBits({V.TranslateX, V.TranslateY}), 31, "MATRIX translate");
    W.UB(5, N);
    W.SB(N, V.TranslateX);
    W.SB(N, V.TranslateY);
    W.Flush();
}

CxForm ReadCxForm(Reader& R) { return ReadCx(R, false); }
void WriteCxForm(Writer& W, const CxForm& V) { WriteCx(W, V, false); }
CxForm ReadCxFormWithAlpha(Reader& R) { return ReadCx(R, true); }
void WriteCxFormWithAlpha(Writer& W, const CxForm& V) { WriteCx(W, V, true); }

Rgb ReadRgb(Reader& R)
{
    Rgb V;
    V.R = R.UI8();
    V.G = R.UI8();
    V.B = R.UI8();
    return V;
}

void WriteRgb(Writer& W, const Rgb& V)
{
    W.UI8(V.R);
    W.UI8(V.G);
    W.UI8(V.B);
}

Rgba ReadRgba(Reader& R)
{
    Rgba V;
    V.R = R.UI8();
    V.G = R.UI8();
    V.B = R.UI8();
    V.A = R.UI8();
    return V;
}

void WriteRgba(Writer& W, const Rgba& V)
{
    W.UI8(V.R);
    W.UI8(V.G);
    W.UI8(V.B);
    W.UI8(V.A);
}

}  // namespace swf
