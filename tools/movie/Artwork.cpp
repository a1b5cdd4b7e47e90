#include "Artwork.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace art {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Premultiplied colour, channels 0..1.
struct Px {
    double R = 0, G = 0, B = 0, A = 0;
};

double Clamp01(double V) { return V < 0 ? 0 : V > 1 ? 1 : V; }
double Mix(double A, double B, double T) { return A + (B - A) * T; }
double SmoothStep(double E0, double E1, double X)
{
    const double T = Clamp01((X - E0) / (E1 - E0));
    return T * T * (3 - 2 * T);
}

struct Rgb {
    double R, G, B;
};

constexpr Rgb Hex(uint32_t C) { return {((C >> 16) & 255) / 255.0, ((C >> 8) & 255) / 255.0, (C & 255) / 255.0}; }
Rgb Mix(Rgb A, Rgb B, double T) { return {Mix(A.R, B.R, T), Mix(A.G, B.G, T), Mix(A.B, B.B, T)}; }

// Paints colour C at opacity A over what is below.
void Paint(Px& Below, Rgb C, double A)
{
    A = Clamp01(A);
    Below.R = C.R * A + Below.R * (1 - A);
    Below.G = C.G * A + Below.G * (1 - A);
    Below.B = C.B * A + Below.B * (1 - A);
    Below.A = A + Below.A * (1 - A);
}

// Each pixel averages Sub x Sub samples; a sample's coverage ramps over one sample's width,
// so edges get a box-filtered coverage rather than a staircase.
constexpr int Sub = 4;
double Cover(double Distance) { return Clamp01(0.5 - Distance * Sub); }

// Signed distances in pixels, negative inside.
double RoundBox(double X, double Y, double Cx, double Cy, double Hw, double Hh, double R)
{
    const double Qx = std::abs(X - Cx) - Hw + R, Qy = std::abs(Y - Cy) - Hh + R;
    return std::hypot(std::max(Qx, 0.0), std::max(Qy, 0.0)) + std::min(std::max(Qx, Qy), 0.0) - R;
}

double Capsule(double X, double Y, double Ax, double Ay, double Bx, double By, double R)
{
    const double Qx = X - Ax, Qy = Y - Ay, Dx = Bx - Ax, Dy = By - Ay;
    const double H = Clamp01((Qx * Dx + Qy * Dy) / (Dx * Dx + Dy * Dy));
    return std::hypot(Qx - Dx * H, Qy - Dy * H) - R;
}

template <class F> Image Render(int W, int H, F&& Sample)
{
    Image I;
    I.Width = W, I.Height = H;
    I.Rgba.assign(size_t(W) * H * 4, 0);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            Px Sum;
            for (int sy = 0; sy < Sub; ++sy)
                for (int sx = 0; sx < Sub; ++sx) {
                    const Px P = Sample(x + (sx + 0.5) / Sub, y + (sy + 0.5) / Sub);
                    Sum.R += P.R, Sum.G += P.G, Sum.B += P.B, Sum.A += P.A;
                }
            const double A = Sum.A / (Sub * Sub);
            const int A8 = int(std::lround(A * 255));
            if (A8 == 0)
                continue;
            uint8_t* D = I.Rgba.data() + (size_t(y) * W + x) * 4;
            D[0] = uint8_t(std::lround(Clamp01(Sum.R / Sum.A) * 255));
            D[1] = uint8_t(std::lround(Clamp01(Sum.G / Sum.A) * 255));
            D[2] = uint8_t(std::lround(Clamp01(Sum.B / Sum.A) * 255));
            D[3] = uint8_t(A8);
        }
    return I;
}

constexpr Rgb Navy = Hex(0x0A1E3F);
constexpr double Cx = EmblemCentreX, Cy = EmblemCentreY;

// The "T" and the subtitle line under it; Dy shifts them down (for their shadow).
double TMotif(double X, double Y, double Dy)
{
    Y -= Dy;
    const double Bar = RoundBox(X, Y, Cx, 37, 24, 6.5, 3);
    const double Stem = RoundBox(X, Y, Cx, 56, 6.5, 17, 3);
    return std::min(Bar, Stem);
}

double SubtitleLine(double X, double Y, double Dy)
{
    Y -= Dy;
    return Capsule(X, Y, Cx - 19, 86, Cx + 19, 86, 4.2);
}

// A: a glossy blue disc with a dark rim, a light "T" and a yellow subtitle line.
Px Disc(double X, double Y)
{
    Px P;
    const double R = std::hypot(X - Cx, Y - Cy);
    Paint(P, Navy, Cover(R - 49));

    const double T = Clamp01((Y - (Cy - 46)) / 92);
    Rgb Face = Mix(Hex(0x62C6FF), Hex(0x0E3E9C), T);
    Face = Mix(Face, Hex(0x082A66), 0.55 * SmoothStep(28, 46, R));
    Paint(P, Face, Cover(R - 46.5));

    // Soft shadow of the motif, then the motif.
    const double Shadow = std::min(TMotif(X, Y, 2.2), SubtitleLine(X, Y, 2.2));
    Paint(P, Hex(0x041433), 0.5 * Clamp01(0.5 - Shadow / 2.5) * Cover(R - 46.5));
    const Rgb Light = Mix(Hex(0xF6FAFF), Hex(0xD2E4F8), Clamp01((Y - 30) / 45));
    Paint(P, Light, Cover(TMotif(X, Y, 0)));
    Paint(P, Hex(0xFFD23F), Cover(SubtitleLine(X, Y, 0)));

    // Gloss: the upper half of the face catches the light.
    const double Gloss = RoundBox(X, Y, Cx, 33, 37, 22, 22);
    const double Fade = 1 - Clamp01((Y - 12) / 40);
    Paint(P, Hex(0xFFFFFF), 0.38 * Fade * Fade * Cover(Gloss) * Cover(R - 44.5));
    return P;
}

// B: a light ring around the disc, with a dark rim on both sides.
Px Ring(double X, double Y)
{
    Px P;
    const double R = std::hypot(X - Cx, Y - Cy);
    Paint(P, Navy, Cover(std::abs(R - 54) - 4.5));
    const double T = Clamp01((Y - (Cy - 57)) / 114);
    Rgb Body = Mix(Hex(0x4FAEEB), Hex(0x1B5CB5), T);
    Paint(P, Body, Cover(std::abs(R - 54) - 2.9));
    // A thin bright line along the body's inner edge.
    Paint(P, Hex(0xD8F4FF), 0.6 * (1 - T) * Cover(std::abs(R - 51.8) - 0.55));
    return P;
}

// C: a light that runs along the ring: a sparkling head at the top, a tail fading
// counter-clockwise behind it.
Px Light(double X, double Y)
{
    Px P;
    const double Dx = X - Cx, Dy = Y - Cy, R = std::hypot(Dx, Dy);
    const double Angle = std::atan2(Dy, Dx);  // clockwise on screen
    double Behind = -Pi / 2 - Angle;          // angle behind the head at the top
    while (Behind < 0)
        Behind += 2 * Pi;
    while (Behind >= 2 * Pi)
        Behind -= 2 * Pi;
    const double TailLength = 0.7 * Pi;
    const double Along = Behind < TailLength ? 1 - Behind / TailLength : 0;
    const double Across = std::exp(-std::pow((R - 54) / 3, 4));
    const double InRing = Cover(std::abs(R - 54) - 3.2);
    Paint(P, Mix(Hex(0xFFAA00), Hex(0xFFF0B0), Along * Along), std::sqrt(Along) * Along * Across * InRing);

    // Head: a glow and a four-pointed star at (Cx, Cy - 54), kept inside the picture.
    const double Hx = X - Cx, Hy = Y - (Cy - 54);
    const double Glow = 1.1 * std::exp(-(Hx * Hx + Hy * Hy) / (2 * 3.4 * 3.4));
    const double RayA = std::exp(-std::pow(Hx / 1.1, 2)) * std::exp(-std::abs(Hy) / 2.6);
    const double RayB = std::exp(-std::pow(Hy / 1.1, 2)) * std::exp(-std::abs(Hx) / 4.5);
    const double Edge = 1 - SmoothStep(57.5, 59.3, R);
    Paint(P, Hex(0xFFFDF2), Clamp01(Glow + std::max(RayA, RayB)) * Edge);
    return P;
}

// The clock plate: a dark translucent rounded rectangle with a light border and a clock icon.
Px Plate(double X, double Y)
{
    Px P;
    constexpr double W = ClockPlateWidth, H = ClockPlateHeight;
    const double Outline = RoundBox(X, Y, W / 2, H / 2, W / 2, H / 2, 14);
    const double T = Clamp01((Y - 1) / (H - 2));
    Paint(P, Hex(0xDDE6F2), 0.8 * Cover(Outline));
    Paint(P, Mix(Hex(0x2A3444), Hex(0x0D1219), T), 0.88 * Cover(Outline + 1.5));
    // A darker line just inside the border, and a faint sheen above the text.
    Paint(P, Hex(0x000000), 0.3 * Cover(std::abs(Outline + 2) - 0.5));
    Paint(P, Hex(0xFFFFFF), 0.09 * (1 - SmoothStep(2, ClockTextArea.Top - 1, Y)) * Cover(Outline + 2.5));

    // The groove between icon and text.
    Paint(P, Hex(0x000000), 0.45 * Cover(RoundBox(X, Y, 49.5, H / 2, 0.5, 19, 0.5)));
    Paint(P, Hex(0xB8C4D4), 0.35 * Cover(RoundBox(X, Y, 50.5, H / 2, 0.5, 19, 0.5)));

    // Clock icon centred at (26, H / 2).
    const double Ix = 26, Iy = H / 2, R = std::hypot(X - Ix, Y - Iy);
    const Rgb Face = Hex(0xDCE4EE);
    Paint(P, Hex(0x05080D), 0.6 * Cover(R - 15.2));
    Paint(P, Face, Cover(std::abs(R - 13) - 1.5));
    for (int i = 0; i < 12; ++i) {
        const double A = i * Pi / 6, L = i % 3 == 0 ? 7.8 : 9;
        const double Ux = std::sin(A), Uy = -std::cos(A);
        Paint(P, Face, (i % 3 == 0 ? 0.95 : 0.6) *
                           Cover(Capsule(X, Y, Ix + Ux * L, Iy + Uy * L, Ix + Ux * 9.8, Iy + Uy * 9.8, 0.7)));
    }
    const double Hour = -Pi / 3, Minute = Pi / 30 * 10;  // ten past ten
    Paint(P, Face, Cover(Capsule(X, Y, Ix, Iy, Ix + 5.5 * std::sin(Hour), Iy - 5.5 * std::cos(Hour), 1.3)));
    Paint(P, Face, Cover(Capsule(X, Y, Ix, Iy, Ix + 8.2 * std::sin(Minute), Iy - 8.2 * std::cos(Minute), 1)));
    Paint(P, Hex(0xFF2A2A), Cover(R - 1.8));
    return P;
}

}  // namespace

Image EmblemLayer(int Index)
{
    switch (Index) {
    case 0: return Render(EmblemLayerWidth, EmblemLayerHeight, Disc);
    case 1: return Render(EmblemLayerWidth, EmblemLayerHeight, Ring);
    case 2: return Render(EmblemLayerWidth, EmblemLayerHeight, Light);
    }
    throw std::out_of_range("art::EmblemLayer: no layer " + std::to_string(Index));
}

Image ClockPlate() { return Render(ClockPlateWidth, ClockPlateHeight, Plate); }

}  // namespace art
