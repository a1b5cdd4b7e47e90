#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "Canvas.h"
#include "Geometry.h"
#include "Paint.h"
#include "ShapeRender.h"

using namespace swf::render;
using swf::FillStyle;
using swf::LineStyle;
using swf::Rgba;
using swf::ShapeRecord;

namespace {

const Transform2D TwipsToPixels = Transform2D::Scale(1 / 20.0, 1 / 20.0);
constexpr Rgba Red{255, 0, 0, 255}, Blue{0, 0, 255, 255}, Green{0, 255, 0, 255};
constexpr Argb OpaqueRed = 0xFFFF0000, OpaqueBlue = 0xFF0000FF, OpaqueGreen = 0xFF00FF00;

int32_t Twips(double Px) { return static_cast<int32_t>(std::lround(Px * 20)); }

// Builds a DefineShape in pixel coordinates (20 twips each).
struct ShapeBuilder {
    swf::DefineShape S;
    int32_t X = 0, Y = 0;

    explicit ShapeBuilder(int Version = 3) { S.Version = Version; }
    swf::StyleArrays& Styles() { return S.Geometry.Styles; }
    uint32_t Fill(const FillStyle& F)
    {
        Styles().Fills.push_back(F);
        return static_cast<uint32_t>(Styles().Fills.size());
    }
    uint32_t Line(const LineStyle& L)
    {
        Styles().Lines.push_back(L);
        return static_cast<uint32_t>(Styles().Lines.size());
    }
    void Move(double Px, double Py, uint32_t F0, uint32_t F1, uint32_t L)
    {
        ShapeRecord R = ShapeRecord::Styles(F0, F1, L);
        R.HasMove = true;
        R.X = X = Twips(Px);
        R.Y = Y = Twips(Py);
        S.Geometry.Records.push_back(R);
    }
    void To(double Px, double Py)
    {
        S.Geometry.Records.push_back(ShapeRecord::LineTo(Twips(Px) - X, Twips(Py) - Y));
        X = Twips(Px);
        Y = Twips(Py);
    }
    void Curve(double Cx, double Cy, double Px, double Py)
    {
        S.Geometry.Records.push_back(
            ShapeRecord::CurveTo(Twips(Cx) - X, Twips(Cy) - Y, Twips(Px) - Twips(Cx), Twips(Py) - Twips(Cy)));
        X = Twips(Px);
        Y = Twips(Py);
    }
    // Clockwise on screen: the inside is on the right of the edges.
    void Rect(double X0, double Y0, double X1, double Y1, uint32_t F0, uint32_t F1, uint32_t L = 0)
    {
        Move(X0, Y0, F0, F1, L);
        To(X1, Y0);
        To(X1, Y1);
        To(X0, Y1);
        To(X0, Y0);
    }
};

FillStyle Solid(Rgba C)
{
    FillStyle F;
    F.Color = C;
    return F;
}

swf::Matrix MatrixOf(double Sx, double Sy, double Tx, double Ty)
{
    swf::Matrix M;
    M.HasScale = true;
    M.ScaleX = static_cast<int32_t>(std::lround(Sx * 65536));
    M.ScaleY = static_cast<int32_t>(std::lround(Sy * 65536));
    M.TranslateX = Twips(Tx);
    M.TranslateY = Twips(Ty);
    return M;
}

// A two-stop gradient whose square spans X0..X1 pixels horizontally (and as much vertically around
// CenterY).
FillStyle Gradient(uint8_t Type, double X0, double X1, double CenterY, uint8_t Spread = 0)
{
    FillStyle F;
    F.Type = Type;
    const double Scale = (X1 - X0) * 20 / 32768;
    F.Transform = MatrixOf(Scale, Scale, (X0 + X1) / 2, CenterY);
    F.Grad.SpreadMode = Spread;
    F.Grad.Records = {{0, Red}, {255, Blue}};
    return F;
}

Canvas Draw(const ShapeBuilder& B, int W, int H, const ColorXform& Cx = {}, const BitmapSource* Bitmaps = nullptr)
{
    Canvas C(W, H);
    DrawShape(C, B.S, TwipsToPixels, Cx, Bitmaps);
    return C;
}

std::string Hex(Argb V)
{
    char S[16];
    std::snprintf(S, sizeof S, "0x%08X", unsigned(V));
    return S;
}

::testing::AssertionResult Near(Argb Got, Argb Want, int Tolerance)
{
    for (int Shift = 0; Shift < 32; Shift += 8)
        if (std::abs(int((Got >> Shift) & 0xFF) - int((Want >> Shift) & 0xFF)) > Tolerance)
            return ::testing::AssertionFailure() << Hex(Got) << " is not near " << Hex(Want);
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(Canvas, ClearStoresPremultipliedBgraBytes)
{
    Canvas C(3, 2);
    C.Clear({200, 100, 50, 128});
    ASSERT_EQ(C.Stride(), 12);
    const uint8_t* P = C.Data() + C.Stride() + 4 * 2;
    EXPECT_EQ(P[0], 25);   // B 50 * 128 / 255
    EXPECT_EQ(P[1], 50);   // G
    EXPECT_EQ(P[2], 100);  // R
    EXPECT_EQ(P[3], 128);
    EXPECT_EQ(C.Pixel(2, 1), 0x80643219u);
}

TEST(Canvas, BlendSpanIsSourceOverOfPremultipliedColour)
{
    struct Case {
        Rgba Background;
        uint8_t Coverage;
        Argb Want;
    } Cases[] = {
        {{0, 0, 0, 0}, 255, 0x80800000},        // half red over nothing stays premultiplied
        {{255, 255, 255, 255}, 255, 0xFFFF7F7F},  // over white
        {{0, 0, 0, 0}, 128, 0x40400000},        // half coverage halves everything
    };
    for (const Case& K : Cases) {
        Canvas C(2, 1);
        C.Clear(K.Background);
        C.BlendSpan(0, 0, 1, K.Coverage, Premultiply({255, 0, 0, 128}));
        EXPECT_EQ(C.Pixel(0, 0), K.Want);
        EXPECT_EQ(C.Pixel(1, 0), Premultiply(K.Background));
    }
}

TEST(Geometry, TransformFromMatrixComposesAndInverts)
{
    swf::Matrix M = MatrixOf(2, 3, 1, 2);  // translate 20, 40 twips
    M.HasRotate = true;
    M.RotateSkew0 = 0x8000;   // b = 0.5
    M.RotateSkew1 = -0x4000;  // c = -0.25
    const Transform2D T = Transform2D::FromMatrix(M);
    EXPECT_EQ(T, (Transform2D{2, 0.5, -0.25, 3, 20, 40}));
    EXPECT_EQ(T.Apply({4, 8}), (Point{2 * 4 - 0.25 * 8 + 20, 0.5 * 4 + 3 * 8 + 40}));
    const Transform2D S = Transform2D::Translate(1, 1) * Transform2D::Scale(10, 10);
    EXPECT_EQ(S.Apply({2, 3}), (Point{21, 31}));
    const Point Back = T.Inverse()->Apply(T.Apply({5, -7}));
    EXPECT_NEAR(Back.X, 5, 1e-9);
    EXPECT_NEAR(Back.Y, -7, 1e-9);
    EXPECT_FALSE(Transform2D::Scale(0, 1).Inverse());
}

TEST(Geometry, ColorXformAppliesAndComposes)
{
    swf::CxForm Half;
    Half.HasMult = true;
    Half.AlphaMult = 128;
    swf::CxForm Tint;
    Tint.HasAdd = true;
    Tint.RedAdd = 100;
    Tint.GreenAdd = -300;
    const ColorXform H = ColorXform::FromCxForm(Half), A = ColorXform::FromCxForm(Tint);
    struct Case {
        ColorXform X;
        Rgba In, Want;
    } Cases[] = {
        {H, {10, 20, 30, 255}, {10, 20, 30, 128}},
        {A, {10, 20, 30, 255}, {110, 0, 30, 255}},
        {A, {200, 20, 30, 40}, {255, 0, 30, 40}},
        {H * A, {10, 20, 30, 200}, {110, 0, 30, 100}},  // the add first, then the halving
        {ColorXform{0.5, 1, 1, 1, 0, 0, 0, 0} * ColorXform{1, 1, 1, 1, 100, 0, 0, 0}, {10, 0, 0, 255}, {55, 0, 0, 255}},
    };
    for (const Case& K : Cases)
        EXPECT_EQ(K.X.Apply(K.In), K.Want);
    EXPECT_TRUE(ColorXform{}.IsIdentity());
    EXPECT_FALSE(H.IsIdentity());
    EXPECT_EQ(H.ApplyPremultiplied(0xFFFF0000), 0x80800000u);
}

TEST(Shape, SolidSquareCoversExactPixels)
{
    ShapeBuilder B;
    B.Rect(2, 3, 10, 7, 0, B.Fill(Solid(Red)));
    const Canvas C = Draw(B, 12, 10);
    for (int Y = 0; Y < 10; ++Y)
        for (int X = 0; X < 12; ++X) {
            const bool Inside = X >= 2 && X < 10 && Y >= 3 && Y < 7;
            ASSERT_EQ(C.Pixel(X, Y), Inside ? OpaqueRed : 0u) << X << "," << Y;
        }
}

TEST(Shape, CurvedEdgeCoversTheAreaUnderIt)
{
    // Between the chord and a quadratic curve lies 2/3 of the control triangle: 2/3 * 16 * 16 / 2.
    ShapeBuilder B;
    B.Move(0, 0, 0, B.Fill(Solid(Red)), 0);
    B.S.Geometry.Records.push_back(ShapeRecord::CurveTo(Twips(8), Twips(16), Twips(8), Twips(-16)));
    B.X = B.Y = 0;  // back along the chord
    B.S.Geometry.Records.push_back(ShapeRecord::LineTo(Twips(-16), 0));
    const Canvas C = Draw(B, 20, 20);
    double Area = 0;
    for (int Y = 0; Y < 20; ++Y)
        for (int X = 0; X < 20; ++X)
            Area += AlphaOf(C.Pixel(X, Y)) / 255.0;
    EXPECT_NEAR(Area, 2.0 / 3 * 128, 0.5);
    EXPECT_EQ(C.Pixel(8, 6), OpaqueRed);
    EXPECT_EQ(C.Pixel(8, 9), 0u);  // the curve peaks at y = 8
}

TEST(Shape, GeometryFarOutsideIsClipped)
{
    ShapeBuilder B;
    B.Rect(-5e5, -3, 4, 5e5, 0, B.Fill(Solid(Red)));
    LineStyle L;
    L.Color = Blue;
    B.Move(-5e5, 6.5, 0, 0, B.Line(L));  // a hairline through the canvas from far away
    B.To(5e5, 6.5);
    const Canvas C = Draw(B, 8, 8);
    EXPECT_EQ(C.Pixel(0, 0), OpaqueRed);
    EXPECT_EQ(C.Pixel(3, 7), OpaqueRed);
    EXPECT_EQ(C.Pixel(4, 7), 0u);
    EXPECT_EQ(C.Pixel(2, 6), OpaqueBlue);
    EXPECT_EQ(C.Pixel(6, 6), OpaqueBlue);
    EXPECT_EQ(C.Pixel(6, 5), 0u);

    // Only the far corners' diagonal y = x crosses the canvas.
    ShapeBuilder T;
    T.Move(-1e5, -1e5, T.Fill(Solid(Red)), 0, 0);
    T.To(1e5, 1e5);
    T.To(-1e5, 1e5);
    T.To(-1e5, -1e5);
    const Canvas D = Draw(T, 8, 8);
    EXPECT_EQ(D.Pixel(1, 5), OpaqueRed);
    EXPECT_EQ(D.Pixel(5, 1), 0u);
    EXPECT_NEAR(int(AlphaOf(D.Pixel(3, 3))), 128, 2);
}

TEST(Shape, ClippingFarGeometryKeepsWhatIsVisible)
{
    // A circle of eight quadratics with a thick outline, drawn whole and through a small window
    // whose guard box it passes.
    ShapeBuilder B;
    LineStyle L;
    L.Width = 200;
    L.Color = {0, 0, 255, 160};
    const double Pi = std::acos(-1.0), R = 90, K = R / std::cos(Pi / 8);
    B.Move(100 + R, 100, 0, B.Fill(Solid(Red)), B.Line(L));
    for (int I = 1; I <= 8; ++I)
        B.Curve(100 + K * std::cos((I - 0.5) * Pi / 4), 100 + K * std::sin((I - 0.5) * Pi / 4),
                100 + R * std::cos(I * Pi / 4), 100 + R * std::sin(I * Pi / 4));
    Canvas Whole(200, 200), Window(16, 16);
    DrawShape(Whole, B.S, TwipsToPixels, {}, nullptr);
    DrawShape(Window, B.S, Transform2D::Translate(-2, -92) * TwipsToPixels, {}, nullptr);
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 16; ++X)
            ASSERT_TRUE(Near(Window.Pixel(X, Y), Whole.Pixel(X + 2, Y + 92), 1)) << X << "," << Y;
    EXPECT_EQ(Whole.Pixel(100, 100), OpaqueRed);
    EXPECT_NE(Window.Pixel(8, 8), Window.Pixel(15, 8));  // the window shows the outline's edge
}

TEST(Shape, EdgePixelsGetTheirCoveredArea)
{
    ShapeBuilder B;
    B.Rect(2.5, 2, 6.25, 6, 0, B.Fill(Solid(Red)));
    B.Rect(2, 8.5, 4.5, 9.5, 0, 1);  // quarter-covered corner pixels at x = 4
    const Canvas C = Draw(B, 8, 11);
    struct Case {
        int X, Y;
        int Alpha;
    } Cases[] = {{2, 3, 128}, {3, 3, 255}, {5, 3, 255}, {6, 3, 64}, {7, 3, 0}, {4, 8, 64}, {4, 9, 64}, {3, 9, 128}};
    for (const Case& K : Cases) {
        const Argb P = C.Pixel(K.X, K.Y);
        EXPECT_NEAR(int(AlphaOf(P)), K.Alpha, 2) << K.X << "," << K.Y;
        EXPECT_EQ(RedOf(P), AlphaOf(P));  // premultiplied opaque red
    }
}

TEST(Shape, Fill0AndFill1ShareAnEdgeWithoutSeamOrOverlap)
{
    // Translucent styles show any double coverage; the shared edge at x = 6 has red on its right
    // (going down) and blue on its left.
    ShapeBuilder B;
    const uint32_t R = B.Fill(Solid({255, 0, 0, 128})), Bl = B.Fill(Solid({0, 0, 255, 128}));
    B.Move(2, 2, 0, R, 0);
    B.To(6, 2);
    ShapeRecord Shared = ShapeRecord::Styles(Bl, R, 0);
    B.S.Geometry.Records.push_back(Shared);
    B.To(6, 10);
    B.S.Geometry.Records.push_back(ShapeRecord::Styles(0, R, 0));
    B.To(2, 10);
    B.To(2, 2);
    B.Move(6, 2, 0, Bl, 0);
    B.To(10, 2);
    B.To(10, 10);
    B.To(6, 10);
    const Canvas C = Draw(B, 12, 12);
    for (int Y = 2; Y < 10; ++Y) {
        EXPECT_EQ(C.Pixel(5, Y), 0x80800000u);
        EXPECT_EQ(C.Pixel(6, Y), 0x80000080u);
    }
    EXPECT_EQ(C.Pixel(10, 5), 0u);
}

TEST(Shape, SameStyleOnBothSidesLeavesNoSeam)
{
    // The edge at x = 6.5 between two halves of one style must not show.
    ShapeBuilder B;
    const uint32_t R = B.Fill(Solid(Red));
    B.Move(2, 2, 0, R, 0);
    B.To(6.5, 2);
    B.S.Geometry.Records.push_back(ShapeRecord::Styles(R, R, 0));
    B.To(6.5, 10);
    B.S.Geometry.Records.push_back(ShapeRecord::Styles(0, R, 0));
    B.To(2, 10);
    B.To(2, 2);
    B.Move(6.5, 2, 0, R, 0);
    B.To(10, 2);
    B.To(10, 10);
    B.To(6.5, 10);
    const Canvas C = Draw(B, 12, 12);
    for (int Y = 2; Y < 10; ++Y)
        EXPECT_EQ(C.Pixel(6, Y), OpaqueRed) << Y;
}

TEST(Shape, EdgesInAnyOrderChainIntoOneClosedContour)
{
    ShapeBuilder B;
    const uint32_t R = B.Fill(Solid(Red));
    // The square's sides as separate moves, out of order, two of them with the fill on the left.
    B.Move(10, 2, 0, R, 0);
    B.To(10, 10);
    B.Move(2, 2, R, 0, 0);
    B.To(2, 10);
    B.Move(2, 2, 0, R, 0);
    B.To(10, 2);
    B.Move(2, 10, R, 0, 0);
    B.To(10, 10);
    const CompiledShape S = CompileShape(B.S);
    ASSERT_EQ(S.Layers.size(), 1u);
    ASSERT_EQ(S.Layers[0].Fills.size(), 1u);
    ASSERT_EQ(S.Layers[0].Fills[0].Contours.size(), 1u);
    EXPECT_TRUE(S.Layers[0].Fills[0].Contours[0].Closed);
    EXPECT_EQ(S.Layers[0].Fills[0].Contours[0].Edges.size(), 4u);
    const Canvas C = Draw(B, 12, 12);
    EXPECT_EQ(C.Pixel(5, 5), OpaqueRed);
    EXPECT_EQ(C.Pixel(11, 5), 0u);
}

TEST(Shape, InnerContourOfTheSameStyleIsAHole)
{
    for (int Version : {3, 4}) {
        ShapeBuilder B(Version);
        B.S.Flags4 = Version == 4 ? 0x04 : 0;  // non-zero winding for the DefineShape4
        const uint32_t R = B.Fill(Solid(Red));
        B.Rect(2, 2, 14, 14, 0, R);
        B.Rect(6, 6, 10, 10, R, 0);  // clockwise with the fill outside
        const Canvas C = Draw(B, 16, 16);
        EXPECT_EQ(C.Pixel(4, 4), OpaqueRed) << Version;
        EXPECT_EQ(C.Pixel(8, 8), 0u) << Version;
        EXPECT_EQ(C.Pixel(10, 10), OpaqueRed) << Version;
    }
}

TEST(Shape, WindingFlagFillsOverlapsOfOneStyle)
{
    struct Case {
        uint8_t Flags4;
        Argb Overlap;
    } Cases[] = {{0, 0u}, {0x04, OpaqueRed}};
    for (const Case& K : Cases) {
        ShapeBuilder B(4);
        B.S.Flags4 = K.Flags4;
        const uint32_t R = B.Fill(Solid(Red));
        B.Rect(2, 2, 8, 8, 0, R);
        B.Rect(5, 5, 11, 11, 0, R);
        const Canvas C = Draw(B, 12, 12);
        EXPECT_EQ(C.Pixel(3, 3), OpaqueRed);
        EXPECT_EQ(C.Pixel(6, 6), K.Overlap);
    }
}

TEST(Shape, NewStylesStartALayerAbove)
{
    ShapeBuilder B;
    B.Rect(2, 2, 10, 10, 0, B.Fill(Solid(Red)));
    swf::StyleArrays Next;
    Next.Fills = {Solid(Blue)};
    ShapeRecord R = ShapeRecord::Styles(0, 1, 0);
    R.NewStyles = {Next};
    B.S.Geometry.Records.push_back(R);
    B.Rect(6, 6, 14, 14, 0, 1);  // index 1 of the new styles
    const Canvas C = Draw(B, 16, 16);
    EXPECT_EQ(C.Pixel(4, 4), OpaqueRed);
    EXPECT_EQ(C.Pixel(8, 8), OpaqueBlue);
    EXPECT_EQ(C.Pixel(12, 12), OpaqueBlue);
    EXPECT_EQ(CompileShape(B.S).Layers.size(), 2u);
}

TEST(Shape, LinesHaveTheirWidthCapsAndHairlines)
{
    struct Case {
        uint16_t Width;  // twips
        uint8_t Cap;
        double Y;        // of the line, pixels
        std::map<int, int> RowAlpha;  // at x = 8
        int AlphaBeforeStart;         // at (2, row of the line), before the start at x = 3
    } Cases[] = {
        {40, 1, 8, {{6, 0}, {7, 255}, {8, 255}, {9, 0}}, 0},     // 2 px, no caps
        {40, 0, 8, {{6, 0}, {7, 255}, {8, 255}, {9, 0}}, 100},   // a round cap covers some of the pixel
        {80, 2, 8, {{5, 0}, {6, 255}, {9, 255}, {10, 0}}, 255},  // 4 px, square caps
        {0, 1, 8.5, {{7, 0}, {8, 255}, {9, 0}}, 0},              // hairline: one pixel
        {5, 1, 8.5, {{7, 0}, {8, 255}, {9, 0}}, 0},              // thinner than a pixel: one pixel
    };
    for (const Case& K : Cases) {
        ShapeBuilder B(4);
        LineStyle L;
        L.Width = K.Width;
        L.Color = Red;
        L.StartCap = L.EndCap = K.Cap;
        B.Move(3, K.Y, 0, 0, B.Line(L));
        B.To(13, K.Y);
        const Canvas C = Draw(B, 16, 16);
        for (auto [Row, Alpha] : K.RowAlpha)
            EXPECT_NEAR(int(AlphaOf(C.Pixel(8, Row))), Alpha, 2) << K.Width << " row " << Row;
        const int Before = AlphaOf(C.Pixel(2, int(K.Y)));
        if (K.AlphaBeforeStart == 0 || K.AlphaBeforeStart == 255)
            EXPECT_NEAR(Before, K.AlphaBeforeStart, 2) << K.Width;
        else
            EXPECT_GT(Before, 0) << K.Width;
        EXPECT_EQ(RedOf(C.Pixel(8, int(K.Y))), 255u);
    }
}

TEST(Shape, LinesAreDrawnAfterFills)
{
    ShapeBuilder B;
    LineStyle L;
    L.Width = 40;
    L.Color = Blue;
    B.Rect(2, 2, 10, 10, 0, B.Fill(Solid(Red)), B.Line(L));
    const Canvas C = Draw(B, 12, 12);
    EXPECT_EQ(C.Pixel(6, 2), OpaqueBlue);  // the line over the fill's edge
    EXPECT_EQ(C.Pixel(6, 6), OpaqueRed);
    EXPECT_EQ(C.Pixel(1, 6), OpaqueBlue);  // the outer half of the line
}

TEST(Paint, LinearGradientEndsAndMiddle)
{
    struct Case {
        uint8_t Interpolation;
        Argb Middle;
        int EndTolerance;  // t is 1/128 from the ends, which linear RGB makes a larger step
    } Cases[] = {{0, 0xFF7F0080, 3}, {1, 0xFFBA00BD, 24}};  // t = 32.5 / 64; linear RGB mixes brighter
    for (const Case& K : Cases) {
        ShapeBuilder B;
        FillStyle F = Gradient(swf::FillType::LinearGradient, 0, 64, 0);
        F.Grad.InterpolationMode = K.Interpolation;
        B.Rect(0, 0, 64, 1, 0, B.Fill(F));
        const Canvas C = Draw(B, 64, 1);
        EXPECT_TRUE(Near(C.Pixel(0, 0), OpaqueRed, K.EndTolerance));
        EXPECT_TRUE(Near(C.Pixel(63, 0), OpaqueBlue, K.EndTolerance));
        EXPECT_TRUE(Near(C.Pixel(32, 0), K.Middle, 3)) << int(K.Interpolation);
    }
}

TEST(Paint, GradientSpreadModes)
{
    // The gradient spans pixels 16..48; t at a pixel centre is (x + 0.5 - 16) / 32.
    struct Case {
        uint8_t Spread;
        int X;
        double T;
    } Cases[] = {
        {0, 4, 0}, {0, 60, 1}, {0, 31, 0.484},     // pad
        {2, 4, 0.641}, {2, 60, 0.391},             // repeat
        {1, 4, 0.359}, {1, 60, 0.609},             // reflect
    };
    for (const Case& K : Cases) {
        ShapeBuilder B;
        B.Rect(0, 0, 64, 1, 0, B.Fill(Gradient(swf::FillType::LinearGradient, 16, 48, 0, K.Spread)));
        const Canvas C = Draw(B, 64, 1);
        const int R = int(std::lround(255 * (1 - K.T)));
        EXPECT_TRUE(Near(C.Pixel(K.X, 0), MakeArgb(255, R, 0, 255 - R), 3)) << int(K.Spread) << " x " << K.X;
    }
}

TEST(Paint, RadialGradientCentreEdgeAndFocus)
{
    struct Case {
        uint8_t Type;
        int16_t Focal;
        int X, Y;
        double T, Tolerance;
    } Cases[] = {
        {swf::FillType::RadialGradient, 0, 32, 32, 0.02, 4},
        {swf::FillType::RadialGradient, 0, 48, 32, 0.516, 3},
        {swf::FillType::RadialGradient, 0, 0, 0, 1, 0},  // outside the circle: padded
        {swf::FillType::RadialGradient, 0, 63, 32, 0.985, 3},
        {swf::FillType::FocalGradient, 128, 48, 32, 0.03, 6},  // the focus is half way to the right
        {swf::FillType::FocalGradient, 128, 16, 32, 0.67, 6},
    };
    for (const Case& K : Cases) {
        ShapeBuilder B(4);
        FillStyle F = Gradient(K.Type, 0, 64, 32);
        F.Grad.FocalPoint = K.Focal;
        B.Rect(0, 0, 64, 64, 0, B.Fill(F));
        const Canvas C = Draw(B, 64, 64);
        const int R = int(std::lround(255 * (1 - K.T)));
        EXPECT_TRUE(Near(C.Pixel(K.X, K.Y), MakeArgb(255, R, 0, 255 - R), int(K.Tolerance)))
            << K.X << "," << K.Y << " focal " << K.Focal;
    }
}

namespace {

// Red, green / blue, half-transparent white, premultiplied.
struct TwoByTwo final : BitmapSource {
    uint32_t Pixels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80808080};
    std::optional<BitmapView> Find(uint16_t Id) const override
    {
        if (Id != 7)
            return std::nullopt;
        return BitmapView{Pixels, 2, 2};
    }
};

}  // namespace

TEST(Paint, BitmapFillNearestSmoothedClippedRepeating)
{
    struct Case {
        uint8_t Type;
        int X, Y;
        Argb Want;
        int Tolerance;
    } Cases[] = {
        {swf::FillType::NonSmoothedClippedBitmap, 3, 1, OpaqueRed, 0},
        {swf::FillType::NonSmoothedClippedBitmap, 4, 1, OpaqueGreen, 0},
        {swf::FillType::NonSmoothedClippedBitmap, 1, 5, OpaqueBlue, 0},
        {swf::FillType::NonSmoothedClippedBitmap, 6, 6, 0x80808080, 0},
        {swf::FillType::NonSmoothedClippedBitmap, 9, 1, OpaqueGreen, 0},  // the edge goes on
        {swf::FillType::NonSmoothedRepeatingBitmap, 9, 1, OpaqueRed, 0},  // wraps
        {swf::FillType::ClippedBitmap, 0, 0, OpaqueRed, 0},               // corner: nothing to mix
        {swf::FillType::ClippedBitmap, 3, 1, 0xFF9F6000, 1},              // 3/8 of the way to green
        {swf::FillType::ClippedBitmap, 4, 1, 0xFF609F00, 1},
        {swf::FillType::RepeatingBitmap, 0, 1, 0xF9915A1A, 1},            // mixes with the wrapped column and row
    };
    for (const Case& K : Cases) {
        ShapeBuilder B;
        FillStyle F;
        F.Type = K.Type;
        F.BitmapId = 7;
        F.Transform = MatrixOf(80, 80, 0, 0);  // a bitmap pixel is 4 canvas pixels
        B.Rect(0, 0, 12, 8, 0, B.Fill(F));
        TwoByTwo Bitmap;
        const Canvas C = Draw(B, 12, 8, {}, &Bitmap);
        EXPECT_TRUE(Near(C.Pixel(K.X, K.Y), K.Want, K.Tolerance)) << int(K.Type) << " at " << K.X << "," << K.Y;
    }
}

TEST(Paint, MissingBitmapDrawsNothing)
{
    ShapeBuilder B;
    FillStyle F;
    F.Type = swf::FillType::ClippedBitmap;
    F.BitmapId = 8;
    B.Rect(0, 0, 4, 4, 0, B.Fill(F));
    TwoByTwo Bitmap;
    EXPECT_EQ(Draw(B, 4, 4, {}, &Bitmap).Pixel(1, 1), 0u);
    EXPECT_EQ(Draw(B, 4, 4).Pixel(1, 1), 0u);
}

TEST(Paint, ColorTransformOfFills)
{
    struct Case {
        ColorXform Cx;
        Argb Want;
    } Cases[] = {
        {{1, 1, 1, 0.5, 0, 0, 0, 0}, 0x80800000},      // half alpha: half coverage of red
        {{1, 1, 1, 1, 0, 100, 0, 0}, 0xFFFF6400},      // add green
        {{0, 1, 1, 1, 0, 0, 40, -155}, 0x64000010},    // red off, blue 40, alpha cut to 100
    };
    for (const Case& K : Cases) {
        ShapeBuilder B;
        B.Rect(0, 0, 4, 4, 0, B.Fill(Solid(Red)));
        EXPECT_EQ(Draw(B, 4, 4, K.Cx).Pixel(1, 1), K.Want);
    }
    // Bitmap pixels are transformed as straight colour.
    ShapeBuilder B;
    FillStyle F;
    F.Type = swf::FillType::NonSmoothedClippedBitmap;
    F.BitmapId = 7;
    F.Transform = MatrixOf(80, 80, 0, 0);
    B.Rect(0, 0, 8, 8, 0, B.Fill(F));
    TwoByTwo Bitmap;
    const Canvas C = Draw(B, 8, 8, {1, 1, 1, 1, 0, 0, 0, -64}, &Bitmap);
    EXPECT_EQ(C.Pixel(6, 6), 0x40404040u);  // straight (255,255,255,128) to alpha 64
    EXPECT_EQ(C.Pixel(1, 1), 0xBFBF0000u);
}

TEST(Mask, ShapeCoverageClipsLaterDrawing)
{
    ShapeBuilder MaskShape;
    MaskShape.Rect(2, 2, 6.5, 8, 0, MaskShape.Fill(Solid({0, 0, 0, 10})));  // the colour does not matter
    Mask M(10, 10);
    DrawShape(M, MaskShape.S, TwipsToPixels);
    EXPECT_EQ(M.At(3, 3), 255);
    EXPECT_NEAR(M.At(6, 3), 128, 2);
    EXPECT_EQ(M.At(7, 3), 0);

    ShapeBuilder Content;
    Content.Rect(0, 0, 10, 10, 0, Content.Fill(Solid(Red)));
    Canvas C(10, 10);
    C.SetClipMask(&M);
    DrawShape(C, Content.S, TwipsToPixels, {}, nullptr);
    EXPECT_EQ(C.Pixel(3, 3), OpaqueRed);
    EXPECT_EQ(C.Pixel(1, 1), 0u);
    EXPECT_EQ(C.Pixel(8, 3), 0u);
    EXPECT_NEAR(int(AlphaOf(C.Pixel(6, 3))), 128, 2);
}
