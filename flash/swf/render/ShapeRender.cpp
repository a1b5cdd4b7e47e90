#include "ShapeRender.h"

#include <cmath>
#include <unordered_map>

namespace swf::render {

namespace {

uint64_t Key(int32_t X, int32_t Y) { return uint64_t(uint32_t(X)) << 32 | uint32_t(Y); }

ShapeEdge Reversed(const ShapeEdge& E) { return {E.X1, E.Y1, E.CX, E.CY, E.X0, E.Y0, E.Curve}; }

// Chains directed edges into contours by matching each end to an unused edge starting there,
// trying the next edge in order first.
std::vector<ShapeContour> Chain(const std::vector<ShapeEdge>& Edges)
{
    std::unordered_map<uint64_t, std::vector<size_t>> Starts;
    for (size_t I = Edges.size(); I-- > 0;)
        Starts[Key(Edges[I].X0, Edges[I].Y0)].push_back(I);  // popped from the back: lowest index first
    std::vector<bool> Used(Edges.size(), false);
    auto Take = [&](int32_t X, int32_t Y, size_t Hint) -> size_t {
        if (Hint < Edges.size() && !Used[Hint] && Edges[Hint].X0 == X && Edges[Hint].Y0 == Y)
            return Hint;
        auto It = Starts.find(Key(X, Y));
        if (It == Starts.end())
            return Edges.size();
        auto& List = It->second;
        while (!List.empty() && Used[List.back()])
            List.pop_back();
        return List.empty() ? Edges.size() : List.back();
    };
    std::vector<ShapeContour> Out;
    for (size_t First = 0; First < Edges.size(); ++First) {
        if (Used[First])
            continue;
        ShapeContour C;
        size_t I = First;
        while (I < Edges.size()) {
            Used[I] = true;
            C.Edges.push_back(Edges[I]);
            const ShapeEdge& E = Edges[I];
            if (E.X1 == C.Edges.front().X0 && E.Y1 == C.Edges.front().Y0)
                break;
            I = Take(E.X1, E.Y1, I + 1);
        }
        const ShapeEdge &A = C.Edges.front(), &B = C.Edges.back();
        C.Closed = A.X0 == B.X1 && A.Y0 == B.Y1;
        Out.push_back(std::move(C));
    }
    return Out;
}

struct LayerBuilder {
    const swf::StyleArrays* Styles = nullptr;
    std::vector<std::vector<ShapeEdge>> FillEdges;     // by style index - 1
    std::vector<std::vector<ShapeContour>> LinePaths;  // by style index - 1

    void Start(const swf::StyleArrays& S)
    {
        Styles = &S;
        FillEdges.assign(S.Fills.size(), {});
        LinePaths.assign(S.Lines.size(), {});
    }

    void Add(const ShapeEdge& E, uint32_t Fill0, uint32_t Fill1, uint32_t Line)
    {
        if (Fill0 != Fill1) {
            if (Fill1 >= 1 && Fill1 <= FillEdges.size())
                FillEdges[Fill1 - 1].push_back(E);
            if (Fill0 >= 1 && Fill0 <= FillEdges.size())
                FillEdges[Fill0 - 1].push_back(Reversed(E));
        }
        if (Line >= 1 && Line <= LinePaths.size()) {
            auto& Paths = LinePaths[Line - 1];
            if (Paths.empty() || Paths.back().Edges.back().X1 != E.X0 || Paths.back().Edges.back().Y1 != E.Y0)
                Paths.emplace_back();
            Paths.back().Edges.push_back(E);
        }
    }

    void Finish(CompiledShape& Out)
    {
        if (!Styles)
            return;
        CompiledShape::Layer L;
        for (size_t I = 0; I < FillEdges.size(); ++I)
            if (!FillEdges[I].empty())
                L.Fills.push_back({Styles->Fills[I], Chain(FillEdges[I])});
        for (size_t I = 0; I < LinePaths.size(); ++I) {
            if (LinePaths[I].empty())
                continue;
            const swf::LineStyle& Style = Styles->Lines[I];
            for (ShapeContour& C : LinePaths[I]) {
                const ShapeEdge &A = C.Edges.front(), &B = C.Edges.back();
                C.Closed = !Style.NoClose && A.X0 == B.X1 && A.Y0 == B.Y1;
            }
            L.Lines.push_back({Style, std::move(LinePaths[I])});
        }
        if (!L.Fills.empty() || !L.Lines.empty())
            Out.Layers.push_back(std::move(L));
        Styles = nullptr;
    }
};

}  // namespace

CompiledShape CompileShape(const swf::Shape& S, FillRule Rule)
{
    CompiledShape Out;
    Out.Rule = Rule;
    LayerBuilder B;
    B.Start(S.Styles);
    int32_t X = 0, Y = 0;
    uint32_t Fill0 = 0, Fill1 = 0, Line = 0;
    for (const swf::ShapeRecord& R : S.Records) {
        switch (R.Type) {
        case swf::ShapeRecord::StyleChange:
            if (!R.NewStyles.empty()) {
                B.Finish(Out);
                B.Start(R.NewStyles.front());
                Fill0 = Fill1 = Line = 0;
            }
            if (R.HasMove) {
                X = R.X;
                Y = R.Y;
            }
            if (R.HasFill0)
                Fill0 = R.Fill0;
            if (R.HasFill1)
                Fill1 = R.Fill1;
            if (R.HasLine)
                Line = R.Line;
            break;
        case swf::ShapeRecord::StraightEdge: {
            const ShapeEdge E{X, Y, X, Y, X + R.X, Y + R.Y, false};
            B.Add(E, Fill0, Fill1, Line);
            X = E.X1;
            Y = E.Y1;
            break;
        }
        case swf::ShapeRecord::CurvedEdge: {
            const ShapeEdge E{X, Y, X + R.X, Y + R.Y, X + R.X + R.AnchorX, Y + R.Y + R.AnchorY, true};
            B.Add(E, Fill0, Fill1, Line);
            X = E.X1;
            Y = E.Y1;
            break;
        }
        }
    }
    B.Finish(Out);
    return Out;
}

CompiledShape CompileShape(const swf::DefineShape& S)
{
    const bool NonZero = S.Version >= 4 && (S.Flags4 & 0x04);
    return CompileShape(S.Geometry, NonZero ? FillRule::NonZero : FillRule::EvenOdd);
}

namespace {

Path ToPath(const std::vector<ShapeContour>& Contours, const Transform2D& T, bool CloseFills)
{
    Path P;
    for (const ShapeContour& C : Contours) {
        P.MoveTo(T.Apply({double(C.Edges.front().X0), double(C.Edges.front().Y0)}));
        for (const ShapeEdge& E : C.Edges) {
            const Point To = T.Apply({double(E.X1), double(E.Y1)});
            if (E.Curve)
                P.QuadTo(T.Apply({double(E.CX), double(E.CY)}), To);
            else
                P.LineTo(To);
        }
        if (CloseFills || C.Closed)
            P.Close();
    }
    return P;
}

StrokeStyle StrokeOf(const swf::LineStyle& L, const Transform2D& ToPixels)
{
    StrokeStyle S;
    S.Width = LineWidthPixels(L, ToPixels);
    S.Caps = L.StartCap == 1 ? Cap::None : L.StartCap == 2 ? Cap::Square : Cap::Round;
    S.Joins = L.Join == 1 ? Join::Bevel : L.Join == 2 ? Join::Miter : Join::Round;
    S.MiterLimit = std::max(1.0, L.MiterLimit / 256.0);
    return S;
}

class CanvasSink final : public SpanSink {
public:
    CanvasSink(Canvas& C, const Paint& P) : Target(C), Fill(P), Solid(P.Solid()) {}
    void Span(int X, int Y, int Len, uint8_t Coverage) override
    {
        if (Solid) {
            Target.BlendSpan(X, Y, Len, Coverage, *Solid);
            return;
        }
        if (Buffer.size() < size_t(Len))
            Buffer.resize(Len);
        Fill.Shade(X, Y, Len, Buffer.data());
        Target.BlendSpan(X, Y, Len, Coverage, Buffer.data());
    }

private:
    Canvas& Target;
    const Paint& Fill;
    std::optional<Argb> Solid;
    std::vector<Argb> Buffer;
};

class MaskSink final : public SpanSink {
public:
    explicit MaskSink(Mask& M) : Target(M) {}
    void Span(int X, int Y, int Len, uint8_t Coverage) override { Target.AddSpan(X, Y, Len, Coverage); }

private:
    Mask& Target;
};

}  // namespace

double LineWidthPixels(const swf::LineStyle& L, const Transform2D& T)
{
    const double Scale = std::sqrt((T.A * T.A + T.B * T.B + T.C * T.C + T.D * T.D) / 2);
    const double W = L.Width * Scale;
    return std::isfinite(W) ? std::max(1.0, W) : 1.0;
}

void DrawShape(Canvas& C, const CompiledShape& S, const Transform2D& ToPixels, const ColorXform& Cx,
               const BitmapSource* Bitmaps)
{
    for (const CompiledShape::Layer& L : S.Layers) {
        for (const CompiledShape::Fill& F : L.Fills) {
            const std::unique_ptr<Paint> P = MakePaint(F.Style, ToPixels, Cx, Bitmaps);
            if (!P)
                continue;
            CanvasSink Sink(C, *P);
            FillPath(ToPath(F.Contours, ToPixels, true), S.Rule, C.Width(), C.Height(), Sink);
        }
        for (const CompiledShape::Line& Ln : L.Lines) {
            const std::unique_ptr<Paint> P =
                Ln.Style.HasFill ? MakePaint(Ln.Style.Fill, ToPixels, Cx, Bitmaps)
                                 : std::make_unique<SolidPaint>(Premultiply(Cx.Apply(Ln.Style.Color)));
            if (!P)
                continue;
            CanvasSink Sink(C, *P);
            StrokePath(ToPath(Ln.Subpaths, ToPixels, false), StrokeOf(Ln.Style, ToPixels), C.Width(), C.Height(), Sink);
        }
    }
}

void DrawShape(Canvas& C, const swf::DefineShape& S, const Transform2D& ToPixels, const ColorXform& Cx,
               const BitmapSource* Bitmaps)
{
    DrawShape(C, CompileShape(S), ToPixels, Cx, Bitmaps);
}

void DrawShape(Mask& M, const CompiledShape& S, const Transform2D& ToPixels)
{
    MaskSink Sink(M);
    for (const CompiledShape::Layer& L : S.Layers) {
        for (const CompiledShape::Fill& F : L.Fills)
            FillPath(ToPath(F.Contours, ToPixels, true), S.Rule, M.Width(), M.Height(), Sink);
        for (const CompiledShape::Line& Ln : L.Lines)
            StrokePath(ToPath(Ln.Subpaths, ToPixels, false), StrokeOf(Ln.Style, ToPixels), M.Width(), M.Height(), Sink);
    }
}

void DrawShape(Mask& M, const swf::DefineShape& S, const Transform2D& ToPixels)
{
    DrawShape(M, CompileShape(S), ToPixels);
}

}  // namespace swf::render
