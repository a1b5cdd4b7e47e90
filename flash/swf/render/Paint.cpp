#include "Paint.h"

#include <algorithm>
#include <cmath>

namespace swf::render {

void SolidPaint::Shade(int, int, int Len, Argb* Out) const { std::fill(Out, Out + Len, C); }

namespace {

double ToLinear(double S)
{
    S /= 255;
    return S <= 0.04045 ? S / 12.92 : std::pow((S + 0.055) / 1.055, 2.4);
}

double ToSrgb(double L)
{
    const double S = L <= 0.0031308 ? L * 12.92 : 1.055 * std::pow(L, 1 / 2.4) - 0.055;
    return S * 255;
}

uint8_t Byte(double V) { return static_cast<uint8_t>(std::clamp(std::lround(V), 0L, 255L)); }

}  // namespace

GradientPaint::GradientPaint(const swf::FillStyle& Fill, const Transform2D& GradientToPixels, const ColorXform& Cx)
    : Type(Fill.Type), SpreadMode(Fill.Grad.SpreadMode)
{
    const auto& Recs = Fill.Grad.Records;
    const bool Linear = Fill.Grad.InterpolationMode == 1;
    if (Recs.empty()) {
        Lut.fill(0);
    } else {
        size_t K = 0;
        for (int I = 0; I < 256; ++I) {
            while (K + 1 < Recs.size() && Recs[K + 1].Ratio <= I)
                ++K;
            const swf::GradRecord& A = Recs[K];
            const swf::GradRecord& B = K + 1 < Recs.size() ? Recs[K + 1] : Recs[K];
            swf::Rgba CA = Cx.Apply(A.Color), CB = Cx.Apply(B.Color);
            double F = 0;
            if (I <= A.Ratio)
                F = 0;
            else if (B.Ratio > A.Ratio)
                F = double(I - A.Ratio) / (B.Ratio - A.Ratio);
            auto Mix = [&](uint8_t U, uint8_t V) {
                if (!Linear)
                    return Byte(U + (V - U) * F);
                return Byte(ToSrgb(ToLinear(U) + (ToLinear(V) - ToLinear(U)) * F));
            };
            const swf::Rgba C{Mix(CA.R, CB.R), Mix(CA.G, CB.G), Mix(CA.B, CB.B), Byte(CA.A + (CB.A - CA.A) * F)};
            Lut[I] = Premultiply(C);
        }
    }
    if (Type == swf::FillType::FocalGradient)
        Focal = std::clamp(Fill.Grad.FocalPoint / 256.0, -0.998, 0.998);
    if (auto Inv = GradientToPixels.Inverse())
        FromPixels = *Inv;
    else
        Degenerate = true;
}

size_t GradientPaint::Index(double T)
{
    return static_cast<size_t>(std::clamp(std::lround(T * 255), 0L, 255L));
}

double GradientPaint::Spread(double T) const
{
    if (!std::isfinite(T))
        return 1;
    switch (SpreadMode) {
    case 1: {  // reflect
        const double M = T - 2 * std::floor(T / 2);
        return M <= 1 ? M : 2 - M;
    }
    case 2:  // repeat
        return T - std::floor(T);
    default:
        return std::clamp(T, 0.0, 1.0);
    }
}

void GradientPaint::Shade(int X, int Y, int Len, Argb* Out) const
{
    if (Degenerate) {
        std::fill(Out, Out + Len, Lut[255]);
        return;
    }
    const Point P0 = FromPixels.Apply({X + 0.5, Y + 0.5});
    constexpr double R = 16384;
    for (int I = 0; I < Len; ++I) {
        const double Gx = P0.X + FromPixels.A * I, Gy = P0.Y + FromPixels.B * I;
        double T;
        if (Type == swf::FillType::LinearGradient) {
            T = (Gx + R) / (2 * R);
        } else if (Type == swf::FillType::FocalGradient && Focal != 0) {
            // The ratio along the ray from the focal point through the pixel to the circle.
            const double Fx = Focal * R, Dx = Gx - Fx, Dy = Gy;
            const double DD = Dx * Dx + Dy * Dy;
            const double FD = Fx * Dx;
            const double Den = -FD + std::sqrt(FD * FD + DD * (R * R - Fx * Fx));
            T = DD == 0 ? 0 : DD / Den;
        } else {
            T = std::sqrt(Gx * Gx + Gy * Gy) / R;
        }
        Out[I] = Lut[Index(Spread(T))];
    }
}

BitmapPaint::BitmapPaint(BitmapView Bitmap, const Transform2D& BitmapToPixels, bool Repeat, bool Smooth,
                         const ColorXform& Cx)
    : Bmp(Bitmap), Repeat(Repeat), Smooth(Smooth), Cx(Cx), Identity(Cx.IsIdentity())
{
    if (auto Inv = BitmapToPixels.Inverse())
        FromPixels = *Inv;
    else
        Degenerate = true;
    if (!Bmp.Pixels || Bmp.Width <= 0 || Bmp.Height <= 0)
        Degenerate = true;
}

Argb BitmapPaint::Texel(long U, long V) const
{
    if (Repeat) {
        U %= Bmp.Width;
        V %= Bmp.Height;
        if (U < 0)
            U += Bmp.Width;
        if (V < 0)
            V += Bmp.Height;
    } else {
        U = std::clamp(U, 0L, long(Bmp.Width - 1));
        V = std::clamp(V, 0L, long(Bmp.Height - 1));
    }
    return Bmp.Pixels[static_cast<size_t>(V) * Bmp.Width + U];
}

namespace {

// Bitmap coordinates are kept well inside long so that floor and wrap stay defined.
double Safe(double V) { return std::isfinite(V) ? std::clamp(V, -1e9, 1e9) : 0; }

Argb Lerp(Argb P, Argb Q, uint32_t F)  // F in 0..256
{
    auto Ch = [F](uint32_t A, uint32_t B) { return (A * (256 - F) + B * F + 128) >> 8; };
    return MakeArgb(Ch(AlphaOf(P), AlphaOf(Q)), Ch(RedOf(P), RedOf(Q)), Ch(GreenOf(P), GreenOf(Q)),
                    Ch(BlueOf(P), BlueOf(Q)));
}

}  // namespace

void BitmapPaint::Shade(int X, int Y, int Len, Argb* Out) const
{
    if (Degenerate) {
        std::fill(Out, Out + Len, 0);
        return;
    }
    const Point P0 = FromPixels.Apply({X + 0.5, Y + 0.5});
    for (int I = 0; I < Len; ++I) {
        const double U = Safe(P0.X + FromPixels.A * I), V = Safe(P0.Y + FromPixels.B * I);
        Argb C;
        if (!Smooth) {
            C = Texel(long(std::floor(U)), long(std::floor(V)));
        } else {
            // Texel centres sit at half-integer coordinates.
            const double Us = U - 0.5, Vs = V - 0.5;
            const double Fu = std::floor(Us), Fv = std::floor(Vs);
            const long U0 = long(Fu), V0 = long(Fv);
            const uint32_t Wu = uint32_t(std::lround((Us - Fu) * 256)), Wv = uint32_t(std::lround((Vs - Fv) * 256));
            const Argb Top = Lerp(Texel(U0, V0), Texel(U0 + 1, V0), Wu);
            const Argb Bottom = Lerp(Texel(U0, V0 + 1), Texel(U0 + 1, V0 + 1), Wu);
            C = Lerp(Top, Bottom, Wv);
        }
        Out[I] = Identity ? C : Cx.ApplyPremultiplied(C);
    }
}

std::unique_ptr<Paint> MakePaint(const swf::FillStyle& Fill, const Transform2D& ToPixels, const ColorXform& Cx,
                                 const BitmapSource* Bitmaps)
{
    if (swf::IsGradientFill(Fill.Type))
        return std::make_unique<GradientPaint>(Fill, ToPixels * Transform2D::FromMatrix(Fill.Transform), Cx);
    if (swf::IsBitmapFill(Fill.Type)) {
        const std::optional<BitmapView> B = Bitmaps ? Bitmaps->Find(Fill.BitmapId) : std::nullopt;
        if (!B || !B->Pixels)
            return nullptr;
        const bool Repeat = Fill.Type == swf::FillType::RepeatingBitmap ||
                            Fill.Type == swf::FillType::NonSmoothedRepeatingBitmap;
        const bool Smooth = Fill.Type == swf::FillType::RepeatingBitmap || Fill.Type == swf::FillType::ClippedBitmap;
        return std::make_unique<BitmapPaint>(*B, ToPixels * Transform2D::FromMatrix(Fill.Transform), Repeat, Smooth,
                                             Cx);
    }
    return std::make_unique<SolidPaint>(Premultiply(Cx.Apply(Fill.Color)));
}

}  // namespace swf::render
