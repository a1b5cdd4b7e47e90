// artpreview: writes the movie's bitmaps as PNG files, and a preview of them composed roughly as
// the movie shows them, over a video-like picture and over white.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "Artwork.h"
#include "Png.h"

namespace {

const char Usage[] = "usage: artpreview OUTDIR\n";

constexpr double Pi = 3.14159265358979323846;

struct Rgb {
    double R, G, B;
};

double Clamp01(double V) { return V < 0 ? 0 : V > 1 ? 1 : V; }

// An opaque picture in doubles, 0..1.
struct Canvas {
    int W, H;
    std::vector<Rgb> P;
    Canvas(int W_, int H_) : W(W_), H(H_), P(size_t(W_) * H_, Rgb{0, 0, 0}) {}
    Rgb& At(int x, int y) { return P[size_t(y) * W + x]; }

    void Blend(int x, int y, Rgb C, double A)  // C premultiplied by A
    {
        if (x < 0 || y < 0 || x >= W || y >= H)
            return;
        Rgb& D = At(x, y);
        D = {C.R + D.R * (1 - A), C.G + D.G * (1 - A), C.B + D.B * (1 - A)};
    }

    TPicture Picture() const
    {
        TPicture T;
        T.Width = W, T.Height = H, T.Channels = 3;
        T.Pixels.resize(size_t(W) * H * 3);
        for (size_t i = 0; i < P.size(); ++i) {
            T.Pixels[i * 3 + 0] = uint8_t(std::lround(Clamp01(P[i].R) * 255));
            T.Pixels[i * 3 + 1] = uint8_t(std::lround(Clamp01(P[i].G) * 255));
            T.Pixels[i * 3 + 2] = uint8_t(std::lround(Clamp01(P[i].B) * 255));
        }
        return T;
    }
};

// A dusk scene with soft shapes in it, standing in for television.
void FillVideo(Canvas& C, int X0, int Y0, int W, int H)
{
    for (int y = Y0; y < Y0 + H; ++y)
        for (int x = X0; x < X0 + W; ++x) {
            const double U = double(x - X0) / W, V = double(y - Y0) / H;
            Rgb P{0.10 + 0.55 * U * (1 - V), 0.14 + 0.25 * (1 - V) * (1 - U), 0.32 + 0.25 * (1 - U) - 0.15 * V};
            const double Sun = std::exp(-(std::pow((U - 0.72) * 4, 2) + std::pow((V - 0.35) * 2.5, 2)));
            P.R += 0.45 * Sun, P.G += 0.30 * Sun, P.B += 0.10 * Sun;
            const double Hill = V - (0.62 + 0.12 * std::sin(U * 9 + 1) + 0.05 * std::sin(U * 23));
            const double H_ = Clamp01(Hill * H / 2 + 0.5);
            P = {P.R * (1 - H_) + 0.06 * H_, P.G * (1 - H_) + 0.10 * H_, P.B * (1 - H_) + 0.08 * H_};
            C.At(x, y) = P;
        }
}

void Fill(Canvas& C, int X0, int Y0, int W, int H, Rgb P)
{
    for (int y = Y0; y < Y0 + H; ++y)
        for (int x = X0; x < X0 + W; ++x)
            C.At(x, y) = P;
}

void FillChecker(Canvas& C, int X0, int Y0, int W, int H)
{
    for (int y = Y0; y < Y0 + H; ++y)
        for (int x = X0; x < X0 + W; ++x) {
            const double G = ((x - X0) / 8 + (y - Y0) / 8) % 2 ? 0.62 : 0.82;
            C.At(x, y) = {G, G, G};
        }
}

// Maps picture coordinates to canvas coordinates: canvas = M * picture + T.
struct Affine {
    double A = 1, B = 0, C = 0, D = 1, Tx = 0, Ty = 0;

    // Scale S and clockwise rotation Deg about picture point (Px, Py), which lands on (X, Y).
    static Affine Place(double S, double Deg, double Px, double Py, double X, double Y)
    {
        const double Co = std::cos(Deg * Pi / 180) * S, Si = std::sin(Deg * Pi / 180) * S;
        return {Co, -Si, Si, Co, X - (Co * Px - Si * Py), Y - (Si * Px + Co * Py)};
    }
};

// Bilinear in premultiplied colour; outside the picture is transparent.
void Sample(const art::Image& I, double X, double Y, Rgb& C, double& A)
{
    X -= 0.5, Y -= 0.5;
    const int X0 = int(std::floor(X)), Y0 = int(std::floor(Y));
    const double Fx = X - X0, Fy = Y - Y0;
    C = {0, 0, 0}, A = 0;
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
            const int x = X0 + i, y = Y0 + j;
            if (x < 0 || y < 0 || x >= I.Width || y >= I.Height)
                continue;
            const double W = (i ? Fx : 1 - Fx) * (j ? Fy : 1 - Fy);
            const uint8_t* P = I.At(x, y);
            const double Pa = P[3] / 255.0 * W;
            C.R += P[0] / 255.0 * Pa, C.G += P[1] / 255.0 * Pa, C.B += P[2] / 255.0 * Pa, A += Pa;
        }
}

constexpr int Sub = 4;

void Draw(Canvas& Cv, const art::Image& I, const Affine& M, double Alpha = 1)
{
    const double Det = M.A * M.D - M.B * M.C;
    const double Ia = M.D / Det, Ib = -M.B / Det, Ic = -M.C / Det, Id = M.A / Det;
    double X0 = 1e9, Y0 = 1e9, X1 = -1e9, Y1 = -1e9;
    for (int k = 0; k < 4; ++k) {
        const double U = k & 1 ? I.Width : 0, V = k & 2 ? I.Height : 0;
        const double X = M.A * U + M.B * V + M.Tx, Y = M.C * U + M.D * V + M.Ty;
        X0 = std::min(X0, X), Y0 = std::min(Y0, Y), X1 = std::max(X1, X), Y1 = std::max(Y1, Y);
    }
    for (int y = int(std::floor(Y0)); y <= int(std::ceil(Y1)); ++y)
        for (int x = int(std::floor(X0)); x <= int(std::ceil(X1)); ++x) {
            Rgb Sum{0, 0, 0};
            double SumA = 0;
            for (int sy = 0; sy < Sub; ++sy)
                for (int sx = 0; sx < Sub; ++sx) {
                    const double Px = x + (sx + 0.5) / Sub - M.Tx, Py = y + (sy + 0.5) / Sub - M.Ty;
                    Rgb C;
                    double A;
                    Sample(I, Ia * Px + Ib * Py, Ic * Px + Id * Py, C, A);
                    Sum.R += C.R, Sum.G += C.G, Sum.B += C.B, SumA += A;
                }
            const double N = Sub * Sub / Alpha;
            Cv.Blend(x, y, {Sum.R / N, Sum.G / N, Sum.B / N}, SumA / N);
        }
}

// Fills the shape given by a signed distance (canvas pixels, negative inside) over a box.
template <class F> void Shape(Canvas& Cv, int X0, int Y0, int X1, int Y1, Rgb C, double Alpha, F&& Distance)
{
    for (int y = Y0; y < Y1; ++y)
        for (int x = X0; x < X1; ++x) {
            double Cov = 0;
            for (int sy = 0; sy < Sub; ++sy)
                for (int sx = 0; sx < Sub; ++sx)
                    Cov += Clamp01(0.5 - Distance(x + (sx + 0.5) / Sub, y + (sy + 0.5) / Sub) * Sub);
            const double A = Alpha * Cov / (Sub * Sub);
            Cv.Blend(x, y, {C.R * A, C.G * A, C.B * A}, A);
        }
}

double RoundBox(double X, double Y, double Cx, double Cy, double Hw, double Hh, double R)
{
    const double Qx = std::abs(X - Cx) - Hw + R, Qy = std::abs(Y - Cy) - Hh + R;
    return std::hypot(std::max(Qx, 0.0), std::max(Qy, 0.0)) + std::min(std::max(Qx, Qy), 0.0) - R;
}

double Capsule(double X, double Y, double Ax, double Ay, double Bx, double By, double R)
{
    const double Px = X - Ax, Py = Y - Ay, Dx = Bx - Ax, Dy = By - Ay;
    const double H = Clamp01((Px * Dx + Py * Dy) / (Dx * Dx + Dy * Dy));
    return std::hypot(Px - Dx * H, Py - Dy * H) - R;
}

constexpr Rgb Hex(uint32_t C) { return {((C >> 16) & 255) / 255.0, ((C >> 8) & 255) / 255.0, (C & 255) / 255.0}; }

struct Layers {
    art::Image A = art::EmblemLayer(0), B = art::EmblemLayer(1), C = art::EmblemLayer(2);
};

// The emblem as Artwork.h lays it out, frame F of the loop, its top left at (X, Y), S stage
// pixels per emblem unit (0.34 in the movie).
void Emblem(Canvas& Cv, const Layers& L, int F, double X, double Y, double S)
{
    const auto In = [&](auto&& D) { return [&, D](double Px, double Py) { return D((Px - X) / S, (Py - Y) / S) * S; }; };
    const int X0 = int(X) - 1, Y0 = int(Y) - 1, X1 = int(X + 435 * S) + 2, Y1 = int(Y + 247 * S) + 2;
    const auto Screen = [](double U, double V) { return std::abs(RoundBox(U, V, 217.5, 123.5, 210.5, 116.5, 33)); };
    Shape(Cv, X0, Y0, X1, Y1, Hex(0x0A1E3F), 1, In([&](double U, double V) { return Screen(U, V) - 7; }));
    Shape(Cv, X0, Y0, X1, Y1, Hex(0xD6E6F8), 1, In([&](double U, double V) { return Screen(U, V) - 4; }));
    const auto Line = [&](double Ax, double Ay, double Bx, double By) {
        const double R = (By - Ay) / 2;
        Shape(Cv, X0, Y0, X1, Y1, Hex(0x0A1E3F), 1, In([=](double U, double V) { return Capsule(U, V, Ax + R, Ay + R, Bx - R, Ay + R, R + 2.5); }));
        Shape(Cv, X0, Y0, X1, Y1, Hex(0xFFD23F), 1, In([=](double U, double V) { return Capsule(U, V, Ax + R, Ay + R, Bx - R, Ay + R, R - 2.5); }));
    };
    Line(232, 136, 404, 160);
    Line(256, 172, 380, 196);

    const double Bs = 1.75 * S, Bx = X + 122 * S, By = Y + 123.5 * S;
    const double Cx = art::EmblemCentreX, Cy = art::EmblemCentreY;
    Draw(Cv, L.A, Affine::Place(Bs, 0, Cx, Cy, Bx, By));
    Draw(Cv, L.B, Affine::Place(Bs, 0, Cx, Cy, Bx, By), 0.7 + 0.3 * std::cos(2 * Pi * F / 55));
    Draw(Cv, L.C, Affine::Place(Bs, 360.0 * F / 110, Cx, Cy, Bx, By));
}

// Seven-segment digits and colons in red, standing in for the movie's Arial clock text.
void ClockText(Canvas& Cv, double X, double Y, double S)
{
    const char Text[] = "12:34:56";
    //                         a  b  c  d  e  f  g
    static const bool Seg[10][7] = {{1, 1, 1, 1, 1, 1, 0}, {0, 1, 1, 0, 0, 0, 0}, {1, 1, 0, 1, 1, 0, 1},
                                    {1, 1, 1, 1, 0, 0, 1}, {0, 1, 1, 0, 0, 1, 1}, {1, 0, 1, 1, 0, 1, 1},
                                    {1, 0, 1, 1, 1, 1, 1}, {1, 1, 1, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1, 1},
                                    {1, 1, 1, 1, 0, 1, 1}};
    const double W = 13, H = 25, R = 1.7;
    const int X0 = int(X), Y0 = int(Y), X1 = int(X + 230 * S), Y1 = int(Y + 70 * S);
    double Pen = 75;  // plate units; the text is centred in the text area
    for (const char* P = Text; *P; ++P) {
        if (*P == ':') {
            for (double Dy : {25.0, 37.0})
                Shape(Cv, X0, Y0, X1, Y1, Hex(0xFF0000), 1, [=](double Px, double Py) {
                    return (std::hypot((Px - X) / S - (Pen + 4.5), (Py - Y) / S - Dy) - 2.1) * S;
                });
            Pen += 9.7;
            continue;
        }
        const bool* G = Seg[*P - '0'];
        const double L = Pen + 3, T = 19;
        const double Ends[7][4] = {{L, T, L + W, T},         {L + W, T, L + W, T + H / 2},     {L + W, T + H / 2, L + W, T + H},
                                   {L, T + H, L + W, T + H}, {L, T + H / 2, L, T + H},        {L, T, L, T + H / 2},
                                   {L, T + H / 2, L + W, T + H / 2}};
        for (int k = 0; k < 7; ++k)
            if (G[k]) {
                const double* E = Ends[k];
                Shape(Cv, X0, Y0, X1, Y1, Hex(0xFF0000), 1, [=](double Px, double Py) {
                    return Capsule((Px - X) / S, (Py - Y) / S, E[0], E[1], E[2], E[3], R) * S;
                });
            }
        Pen += 19.5;
    }
}

void Plate(Canvas& Cv, const art::Image& P, double X, double Y, double S)
{
    Draw(Cv, P, Affine::Place(S, 0, 0, 0, X, Y));
    ClockText(Cv, X, Y, S);
}

TPicture Rgba(const art::Image& I)
{
    TPicture T;
    T.Width = I.Width, T.Height = I.Height, T.Channels = 4, T.Pixels = I.Rgba;
    return T;
}

// Two 1024 x 100 stages (over video, over white), then a close-up over video with frames of the
// loop, then the layers alone over a checkerboard.
Canvas Preview(const Layers& L, const art::Image& P)
{
    Canvas C(1024, 620);
    const auto Stage = [&](int Y) {
        Plate(C, P, 16, Y + 17.5, 1);
        Emblem(C, L, 0, 1024 - 148 - 8, Y + 8, 0.34);
    };
    FillVideo(C, 0, 0, 1024, 100);
    Stage(0);
    Fill(C, 0, 100, 1024, 100, {1, 1, 1});
    Stage(100);

    FillVideo(C, 0, 200, 1024, 280);
    Emblem(C, L, 0, 16, 214, 1.02);
    Plate(C, P, 460, 214, 2);
    for (int k = 0; k < 3; ++k)
        Emblem(C, L, k * 37 + 18, 460 + k * 186, 370, 0.34);

    FillChecker(C, 0, 480, 1024, 140);
    const art::Image* Each[] = {&L.A, &L.B, &L.C};
    for (int k = 0; k < 3; ++k)
        Draw(C, *Each[k], Affine::Place(1, 0, 0, 0, 16 + k * 136, 490));
    Draw(C, P, Affine::Place(1, 0, 0, 0, 440, 490));
    Emblem(C, L, 0, 760, 490, 0.34);
    return C;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc != 2) {
        std::fputs(Usage, stderr);
        return 1;
    }
    std::string Dir = argv[1];
    if (!Dir.empty() && Dir.back() != '/')
        Dir += '/';

    const Layers L;
    const art::Image P = art::ClockPlate();
    const std::pair<const char*, std::function<TPicture()>> Files[] = {
        {"emblem-0.png", [&] { return Rgba(L.A); }},
        {"emblem-1.png", [&] { return Rgba(L.B); }},
        {"emblem-2.png", [&] { return Rgba(L.C); }},
        {"clock-plate.png", [&] { return Rgba(P); }},
        {"preview.png", [&] { return Preview(L, P).Picture(); }},
    };
    // All or nothing: a failure removes what was written before it (libpng removes its own).
    for (size_t k = 0; k < std::size(Files); ++k)
        try {
            WritePng(Dir + Files[k].first, Files[k].second());
        } catch (const std::exception& E) {
            for (size_t j = 0; j < k; ++j)
                std::remove((Dir + Files[j].first).c_str());
            std::fprintf(stderr, "artpreview: cannot write %s\n", E.what());  // libpng's message names the file
            return 1;
        }
    return 0;
}
