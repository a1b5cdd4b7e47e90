// The movie's bitmaps: sizes, stable bytes, soft edges, and what the movie relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "Artwork.h"

namespace {

struct Named {
    std::string Name;
    art::Image I;
};

std::vector<Named> All()
{
    return {{"emblem-0", art::EmblemLayer(0)},
            {"emblem-1", art::EmblemLayer(1)},
            {"emblem-2", art::EmblemLayer(2)},
            {"clock-plate", art::ClockPlate()}};
}

int Alpha(const art::Image& I, int x, int y) { return I.At(x, y)[3]; }

}  // namespace

TEST(Artwork, Sizes)
{
    for (int i = 0; i < 3; ++i) {
        const art::Image L = art::EmblemLayer(i);
        EXPECT_EQ(L.Width, 120);
        EXPECT_EQ(L.Height, 119);
        EXPECT_EQ(L.Rgba.size(), size_t(120 * 119 * 4));
    }
    const art::Image P = art::ClockPlate();
    EXPECT_EQ(P.Width, 281);
    EXPECT_EQ(P.Height, 65);
    EXPECT_EQ(P.Rgba.size(), size_t(281 * 65 * 4));
    EXPECT_THROW(art::EmblemLayer(3), std::out_of_range);
    EXPECT_THROW(art::EmblemLayer(-1), std::out_of_range);
}

TEST(Artwork, SameBytesEveryCall)
{
    const std::vector<Named> A = All(), B = All();
    for (size_t k = 0; k < A.size(); ++k)
        EXPECT_EQ(A[k].I.Rgba, B[k].I.Rgba) << A[k].Name;
    EXPECT_NE(A[0].I.Rgba, A[1].I.Rgba);
    EXPECT_NE(A[1].I.Rgba, A[2].I.Rgba);
}

// Transparent pixels carry no colour; nothing opaque is the white the card keys out.
TEST(Artwork, CleanTransparencyAndNoPureWhite)
{
    for (const Named& N : All()) {
        int Transparent = 0;
        for (int y = 0; y < N.I.Height; ++y)
            for (int x = 0; x < N.I.Width; ++x) {
                const uint8_t* P = N.I.At(x, y);
                if (P[3] == 0) {
                    ++Transparent;
                    ASSERT_TRUE(P[0] == 0 && P[1] == 0 && P[2] == 0) << N.Name << " at " << x << "," << y;
                }
                ASSERT_FALSE(P[3] == 255 && P[0] == 255 && P[1] == 255 && P[2] == 255)
                    << N.Name << " at " << x << "," << y;
            }
        EXPECT_GT(Transparent, 0) << N.Name;
    }
}

// Where a picture meets transparency, an aliased outline steps straight to (nearly) full
// alpha all along; a smooth one only where an edge happens to lie on a pixel border.
TEST(Artwork, EdgesAreAntiAliased)
{
    for (const Named& N : All()) {
        const art::Image& I = N.I;
        std::set<int> Levels;
        int Outline = 0, Hard = 0;
        const auto Pair = [&](int A, int B) {
            if (std::min(A, B) == 0 && std::max(A, B) > 0)
                ++Outline, Hard += std::max(A, B) >= 192;
        };
        for (int y = 0; y < I.Height; ++y)
            for (int x = 0; x < I.Width; ++x) {
                const int A = Alpha(I, x, y);
                if (A > 0 && A < 255)
                    Levels.insert(A);
                if (x + 1 < I.Width)
                    Pair(A, Alpha(I, x + 1, y));
                if (y + 1 < I.Height)
                    Pair(A, Alpha(I, x, y + 1));
            }
        EXPECT_GE(Outline, 40) << N.Name;
        EXPECT_LE(Hard * 4, Outline) << N.Name << ": " << Hard << " hard steps of " << Outline;
        EXPECT_GE(Levels.size(), 16u) << N.Name;
    }
}

// The layers turn about their centre: nothing may reach past the circle that fits the picture.
TEST(Artwork, EmblemLayersFitTheirTurningCircle)
{
    for (int i = 0; i < 3; ++i) {
        const art::Image L = art::EmblemLayer(i);
        for (int y = 0; y < L.Height; ++y)
            for (int x = 0; x < L.Width; ++x)
                if (std::hypot(x + 0.5 - art::EmblemCentreX, y + 0.5 - art::EmblemCentreY) > 60) {
                    ASSERT_EQ(Alpha(L, x, y), 0) << "layer " << i << " at " << x << "," << y;
                }
    }
}

// The disc is solid in the middle, the ring is hollow there, and the light is lopsided, so
// turning it shows.
TEST(Artwork, EmblemLayersHaveTheirRoles)
{
    const art::Image A = art::EmblemLayer(0), B = art::EmblemLayer(1), C = art::EmblemLayer(2);
    EXPECT_EQ(Alpha(A, 60, 59), 255);
    EXPECT_EQ(Alpha(B, 60, 59), 0);
    EXPECT_EQ(Alpha(B, 60 + 54, 59), 255);

    double Sum = 0, Mx = 0, My = 0;
    for (int y = 0; y < C.Height; ++y)
        for (int x = 0; x < C.Width; ++x) {
            const double W = Alpha(C, x, y);
            Sum += W, Mx += W * (x + 0.5), My += W * (y + 0.5);
        }
    ASSERT_GT(Sum, 0);
    EXPECT_GT(std::hypot(Mx / Sum - art::EmblemCentreX, My / Sum - art::EmblemCentreY), 20);
}

// Under the red clock text the plate is nearly opaque, dark and even.
TEST(Artwork, ClockTextAreaIsCalm)
{
    const art::Image P = art::ClockPlate();
    const art::Box T = art::ClockTextArea;
    double Sum[3] = {}, Sq[3] = {};
    int N = 0, MinAlpha = 255;
    for (int y = T.Top; y < T.Bottom; ++y)
        for (int x = T.Left; x < T.Right; ++x) {
            const uint8_t* Px = P.At(x, y);
            MinAlpha = std::min(MinAlpha, int(Px[3]));
            for (int c = 0; c < 3; ++c)
                Sum[c] += Px[c], Sq[c] += double(Px[c]) * Px[c];
            ++N;
        }
    EXPECT_GE(MinAlpha, 200);
    for (int c = 0; c < 3; ++c) {
        const double Mean = Sum[c] / N, Sd = std::sqrt(Sq[c] / N - Mean * Mean);
        EXPECT_LT(Mean, 70) << "channel " << c;
        EXPECT_LT(Sd, 8) << "channel " << c;
    }
}
