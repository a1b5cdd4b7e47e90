// Render targets: the premultiplied BGRA Canvas and the 8-bit coverage Mask.
#pragma once

#include <cstdint>
#include <vector>

#include "Pixels.h"
#include "Records.h"

namespace swf::render {

// Coverage 0..255 per pixel, rows top-down. Shapes drawn into it add coverage (union); a Canvas
// can multiply what it draws by it.
class Mask {
public:
    Mask(int Width, int Height);
    int Width() const { return W; }
    int Height() const { return H; }
    uint8_t At(int X, int Y) const { return Cov[static_cast<size_t>(Y) * W + X]; }
    const uint8_t* Row(int Y) const { return Cov.data() + static_cast<size_t>(Y) * W; }
    void Clear(uint8_t Value = 0);
    // m = m + c - m*c over Len pixels; the run must lie inside the mask.
    void AddSpan(int X, int Y, int Len, uint8_t Coverage);

private:
    int W, H;
    std::vector<uint8_t> Cov;
};

// Bytes B, G, R, A per pixel, premultiplied, rows top-down, stride 4 * Width.
class Canvas {
public:
    Canvas(int Width, int Height);
    int Width() const { return W; }
    int Height() const { return H; }
    int Stride() const { return 4 * W; }
    uint8_t* Data() { return Bytes.data(); }
    const uint8_t* Data() const { return Bytes.data(); }
    Argb Pixel(int X, int Y) const;

    void Clear(swf::Rgba Straight);

    // From now on coverage is multiplied by the mask (nullptr: none). It must have the canvas size
    // and outlive its use.
    void SetClipMask(const Mask* M) { Clip = M; }
    const Mask* ClipMask() const { return Clip; }

    // Source-over of Len premultiplied colours, scaled by Coverage, onto row Y from X. The run
    // must lie inside the canvas.
    void BlendSpan(int X, int Y, int Len, uint8_t Coverage, const Argb* Colors);
    void BlendSpan(int X, int Y, int Len, uint8_t Coverage, Argb Color);

private:
    int W, H;
    std::vector<uint8_t> Bytes;
    const Mask* Clip = nullptr;
};

}  // namespace swf::render
