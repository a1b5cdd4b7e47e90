// Affine transforms and colour transforms, composed down the display tree.
#pragma once

#include <cstdint>
#include <optional>

#include "Records.h"

namespace swf::render {

struct Point {
    double X = 0, Y = 0;
    bool operator==(const Point&) const = default;
};

// x' = A*x + C*y + Tx, y' = B*x + D*y + Ty.
struct Transform2D {
    double A = 1, B = 0, C = 0, D = 1, Tx = 0, Ty = 0;

    static Transform2D FromMatrix(const swf::Matrix& M);
    static Transform2D Scale(double Sx, double Sy) { return {Sx, 0, 0, Sy, 0, 0}; }
    static Transform2D Translate(double X, double Y) { return {1, 0, 0, 1, X, Y}; }

    Point Apply(Point P) const { return {A * P.X + C * P.Y + Tx, B * P.X + D * P.Y + Ty}; }
    double Determinant() const { return A * D - B * C; }
    std::optional<Transform2D> Inverse() const;
    // (this * Inner).Apply(p) == this->Apply(Inner.Apply(p)).
    Transform2D operator*(const Transform2D& Inner) const;
    bool operator==(const Transform2D&) const = default;
};

// Per channel c' = c * Mult + Add on straight colour in 0..255 units, then clamped.
struct ColorXform {
    double RMult = 1, GMult = 1, BMult = 1, AMult = 1;
    double RAdd = 0, GAdd = 0, BAdd = 0, AAdd = 0;

    static ColorXform FromCxForm(const swf::CxForm& X);
    bool IsIdentity() const;
    // (this * Inner) applies Inner first.
    ColorXform operator*(const ColorXform& Inner) const;
    swf::Rgba Apply(swf::Rgba Straight) const;
    // A premultiplied 0xAARRGGBB word: unpremultiplied, transformed, premultiplied again.
    uint32_t ApplyPremultiplied(uint32_t Argb) const;
    bool operator==(const ColorXform&) const = default;
};

}  // namespace swf::render
