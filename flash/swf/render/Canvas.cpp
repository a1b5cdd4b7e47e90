#include "Canvas.h"

#include <algorithm>
#include <stdexcept>

namespace swf::render {

static size_t CheckedArea(int W, int H)
{
    if (W < 0 || H < 0)
        throw std::invalid_argument("negative render target size");
    return static_cast<size_t>(W) * static_cast<size_t>(H);
}

Mask::Mask(int Width, int Height) : W(Width), H(Height), Cov(CheckedArea(Width, Height), 0) {}

void Mask::Clear(uint8_t Value) { std::fill(Cov.begin(), Cov.end(), Value); }

void Mask::AddSpan(int X, int Y, int Len, uint8_t Coverage)
{
    uint8_t* P = Cov.data() + static_cast<size_t>(Y) * W + X;
    for (int I = 0; I < Len; ++I)
        P[I] = static_cast<uint8_t>(P[I] + Div255((255u - P[I]) * Coverage));
}

Canvas::Canvas(int Width, int Height) : W(Width), H(Height), Bytes(CheckedArea(Width, Height) * 4, 0) {}

Argb Canvas::Pixel(int X, int Y) const
{
    const uint8_t* P = Bytes.data() + static_cast<size_t>(Y) * Stride() + 4 * X;
    return MakeArgb(P[3], P[2], P[1], P[0]);
}

void Canvas::Clear(swf::Rgba Straight)
{
    const Argb C = Premultiply(Straight);
    for (size_t I = 0; I < Bytes.size(); I += 4) {
        Bytes[I] = static_cast<uint8_t>(BlueOf(C));
        Bytes[I + 1] = static_cast<uint8_t>(GreenOf(C));
        Bytes[I + 2] = static_cast<uint8_t>(RedOf(C));
        Bytes[I + 3] = static_cast<uint8_t>(AlphaOf(C));
    }
}

static void BlendPixel(uint8_t* D, Argb S, uint32_t K)
{
    if (K != 255)
        S = ScaleArgb(S, K);
    const uint32_t Inv = 255 - AlphaOf(S);
    if (Inv == 0) {
        D[0] = static_cast<uint8_t>(BlueOf(S));
        D[1] = static_cast<uint8_t>(GreenOf(S));
        D[2] = static_cast<uint8_t>(RedOf(S));
        D[3] = 255;
        return;
    }
    // Premultiplied sums cannot pass 255 for valid colours; the clamp guards against invalid ones.
    auto Mix = [Inv](uint32_t Src, uint8_t Dst) { return static_cast<uint8_t>(std::min(255u, Src + Div255(Dst * Inv))); };
    D[0] = Mix(BlueOf(S), D[0]);
    D[1] = Mix(GreenOf(S), D[1]);
    D[2] = Mix(RedOf(S), D[2]);
    D[3] = Mix(AlphaOf(S), D[3]);
}

void Canvas::BlendSpan(int X, int Y, int Len, uint8_t Coverage, const Argb* Colors)
{
    uint8_t* D = Bytes.data() + static_cast<size_t>(Y) * Stride() + 4 * X;
    const uint8_t* M = Clip ? Clip->Row(Y) + X : nullptr;
    for (int I = 0; I < Len; ++I, D += 4) {
        const uint32_t K = M ? Div255(uint32_t(Coverage) * M[I]) : Coverage;
        if (K != 0 && Colors[I] != 0)
            BlendPixel(D, Colors[I], K);
    }
}

void Canvas::BlendSpan(int X, int Y, int Len, uint8_t Coverage, Argb Color)
{
    if (Color == 0)
        return;
    uint8_t* D = Bytes.data() + static_cast<size_t>(Y) * Stride() + 4 * X;
    const uint8_t* M = Clip ? Clip->Row(Y) + X : nullptr;
    for (int I = 0; I < Len; ++I, D += 4) {
        const uint32_t K = M ? Div255(uint32_t(Coverage) * M[I]) : Coverage;
        if (K != 0)
            BlendPixel(D, Color, K);
    }
}

}  // namespace swf::render
