// What fills a covered pixel: solid colours, gradients and bitmaps, in premultiplied ARGB.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "Geometry.h"
#include "Pixels.h"
#include "Shapes.h"

namespace swf::render {

// Premultiplied 0xAARRGGBB pixels, rows top-down, Width per row; owned by the source.
struct BitmapView {
    const uint32_t* Pixels = nullptr;
    int Width = 0, Height = 0;
};

// The bitmaps a shape's fills refer to by character id.
class BitmapSource {
public:
    virtual ~BitmapSource() = default;
    virtual std::optional<BitmapView> Find(uint16_t CharacterId) const = 0;
};

class Paint {
public:
    virtual ~Paint() = default;
    // Colours of pixels X .. X+Len-1 of row Y, sampled at the pixel centres.
    virtual void Shade(int X, int Y, int Len, Argb* Out) const = 0;
    // Set when every pixel gets this colour.
    virtual std::optional<Argb> Solid() const { return std::nullopt; }
};

class SolidPaint final : public Paint {
public:
    explicit SolidPaint(Argb Premultiplied) : C(Premultiplied) {}
    void Shade(int, int, int Len, Argb* Out) const override;
    std::optional<Argb> Solid() const override { return C; }

private:
    Argb C;
};

// Gradient square -16384..16384 mapped to pixels by GradientToPixels.
class GradientPaint final : public Paint {
public:
    GradientPaint(const swf::FillStyle& Fill, const Transform2D& GradientToPixels, const ColorXform& Cx);
    void Shade(int X, int Y, int Len, Argb* Out) const override;
    // The colour at gradient position T in 0..1 (after spread).
    Argb At(double T) const { return Lut[Index(T)]; }

private:
    static size_t Index(double T);
    double Spread(double T) const;
    std::array<Argb, 256> Lut{};
    Transform2D FromPixels;
    uint8_t Type, SpreadMode;
    double Focal = 0;
    bool Degenerate = false;
};

// Bitmap pixels mapped to pixels by BitmapToPixels; outside a clipped bitmap the edge pixels go on.
class BitmapPaint final : public Paint {
public:
    BitmapPaint(BitmapView Bitmap, const Transform2D& BitmapToPixels, bool Repeat, bool Smooth, const ColorXform& Cx);
    void Shade(int X, int Y, int Len, Argb* Out) const override;

private:
    Argb Texel(long U, long V) const;
    BitmapView Bmp;
    Transform2D FromPixels;
    bool Repeat, Smooth, Degenerate = false;
    ColorXform Cx;
    bool Identity;
};

// The paint of a fill style drawn through ToPixels (shape twips to pixels), or null when it
// cannot be drawn (a missing bitmap).
std::unique_ptr<Paint> MakePaint(const swf::FillStyle& Fill, const Transform2D& ToPixels, const ColorXform& Cx,
                                 const BitmapSource* Bitmaps);

}  // namespace swf::render
