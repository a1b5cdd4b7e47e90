#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_STROKER_H

namespace swf::render {

void Path::MoveTo(Point P)
{
    Cs.push_back({Pts.size(), 1, false});
    Pts.push_back(P);
    On.push_back(1);
}

void Path::LineTo(Point P)
{
    if (Cs.empty())
        MoveTo(P);
    Pts.push_back(P);
    On.push_back(1);
    ++Cs.back().Count;
}

void Path::QuadTo(Point Control, Point P)
{
    if (Cs.empty())
        MoveTo(Control);
    Pts.push_back(Control);
    On.push_back(0);
    Pts.push_back(P);
    On.push_back(1);
    Cs.back().Count += 2;
}

void Path::Close()
{
    if (!Cs.empty())
        Cs.back().Closed = true;
}

void Path::Clear()
{
    Pts.clear();
    On.clear();
    Cs.clear();
}

namespace {

// One FreeType library and stroker per thread.
struct FreeType {
    FT_Library Lib = nullptr;
    FT_Stroker Stroker = nullptr;
    FreeType()
    {
        if (FT_Init_FreeType(&Lib) != 0 || FT_Stroker_New(Lib, &Stroker) != 0)
            throw std::runtime_error("FreeType initialisation failed");
    }
    ~FreeType()
    {
        FT_Stroker_Done(Stroker);
        FT_Done_FreeType(Lib);
    }
    FreeType(const FreeType&) = delete;
    FreeType& operator=(const FreeType&) = delete;
};

FreeType& Ft()
{
    thread_local FreeType Instance;
    return Instance;
}

constexpr size_t MaxOutlinePoints = 32767;
constexpr double MaxPixel = 1 << 22;  // keeps 26.6 values in 32-bit FT_Pos with room for stroking

FT_Vector ToFt(Point P)
{
    auto C = [](double V) {
        if (!(V == V))
            V = 0;
        return static_cast<FT_Pos>(std::lround(std::clamp(V, -MaxPixel, MaxPixel) * 64));
    };
    return {C(P.X), C(P.Y)};
}

struct SpanContext {
    SpanSink* Sink;
    int ClipW, ClipH;
};

void GraySpans(int Y, int Count, const FT_Span* Spans, void* User)
{
    const auto& Ctx = *static_cast<SpanContext*>(User);
    if (Y < 0 || Y >= Ctx.ClipH)
        return;
    for (int I = 0; I < Count; ++I) {
        const int X0 = std::max<int>(Spans[I].x, 0);
        const int X1 = std::min<int>(Spans[I].x + Spans[I].len, Ctx.ClipW);
        if (X1 > X0 && Spans[I].coverage != 0)
            Ctx.Sink->Span(X0, Y, X1 - X0, Spans[I].coverage);
    }
}

void Render(FT_Outline& O, int ClipW, int ClipH, SpanSink& Sink)
{
    if (O.n_points == 0 || ClipW <= 0 || ClipH <= 0)
        return;
    SpanContext Ctx{&Sink, ClipW, ClipH};
    FT_Raster_Params Params{};
    Params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    Params.gray_spans = GraySpans;
    Params.user = &Ctx;
    Params.clip_box = {0, 0, ClipW, ClipH};
    FT_Outline_Render(Ft().Lib, &O, &Params);
}

// FT_Outline over our own arrays.
struct OutlineBuffer {
    std::vector<FT_Vector> Points;
    std::vector<char> Tags;
    std::vector<short> Ends;

    void Clear()
    {
        Points.clear();
        Tags.clear();
        Ends.clear();
    }
    FT_Outline View(int Flags)
    {
        FT_Outline O{};
        O.n_contours = static_cast<short>(Ends.size());
        O.n_points = static_cast<short>(Points.size());
        O.points = Points.data();
        O.tags = Tags.data();
        O.contours = Ends.data();
        O.flags = Flags;
        return O;
    }
};

// Geometry reaching far beyond the target is cut down to a guard box before FreeType sees it:
// its coordinate range is limited. A segment is split where it crosses the box's lines (x = X0,
// x = X1, y = Y0, y = Y1); each piece then lies in one cell of the 3x3 grid these lines make.
struct Box {
    double X0, Y0, X1, Y1;
    bool Contains(Point P) const { return P.X > X0 && P.X < X1 && P.Y > Y0 && P.Y < Y1; }
    Point Clamp(Point P) const { return {std::clamp(P.X, X0, X1), std::clamp(P.Y, Y0, Y1)}; }
};

bool Finite(Point P) { return std::isfinite(P.X) && std::isfinite(P.Y); }

bool NeedsClip(const Path& P, const Box& B)
{
    for (Point Q : P.Points())
        if (!Finite(Q) || Q.X < B.X0 || Q.X > B.X1 || Q.Y < B.Y0 || Q.Y > B.Y1)
            return true;
    return false;
}

// A line (C unused) or a quadratic from P0 through C to P1.
struct Segment {
    Point P0, C, P1;
    bool Curve;
    Point At(double T) const
    {
        const double U = 1 - T;
        if (!Curve)
            return {U * P0.X + T * P1.X, U * P0.Y + T * P1.Y};
        return {U * U * P0.X + 2 * U * T * C.X + T * T * P1.X, U * U * P0.Y + 2 * U * T * C.Y + T * T * P1.Y};
    }
    // The piece between T0 and T1.
    Segment Piece(double T0, double T1) const
    {
        const double U0 = 1 - T0, U1 = 1 - T1, M = U0 * T1 + T0 * U1;
        const Point Ctl{U0 * U1 * P0.X + M * C.X + T0 * T1 * P1.X, U0 * U1 * P0.Y + M * C.Y + T0 * T1 * P1.Y};
        return {At(T0), Curve ? Ctl : At(T0), At(T1), Curve};
    }
};

// Parameters in (0, 1) where coordinate V (x or y by Axis) equals Line.
void Crossings(const Segment& S, int Axis, double Line, std::vector<double>& Out)
{
    auto V = [Axis](Point P) { return Axis == 0 ? P.X : P.Y; };
    const double A = S.Curve ? V(S.P0) - 2 * V(S.C) + V(S.P1) : 0;
    const double B = S.Curve ? 2 * (V(S.C) - V(S.P0)) : V(S.P1) - V(S.P0);
    const double C = V(S.P0) - Line;
    auto Add = [&Out](double T) {
        if (T > 0 && T < 1)
            Out.push_back(T);
    };
    if (std::fabs(A) < 1e-12) {
        if (B != 0)
            Add(-C / B);
        return;
    }
    const double D = B * B - 4 * A * C;
    if (D < 0)
        return;
    const double R = std::sqrt(D);
    Add((-B - R) / (2 * A));
    Add((-B + R) / (2 * A));
}

// Calls Emit(piece, inside) for the pieces of S between box line crossings, in order.
template <typename F>
void SplitAtBox(const Segment& S, const Box& B, F&& Emit)
{
    std::vector<double> Ts{0, 1};
    Crossings(S, 0, B.X0, Ts);
    Crossings(S, 0, B.X1, Ts);
    Crossings(S, 1, B.Y0, Ts);
    Crossings(S, 1, B.Y1, Ts);
    std::sort(Ts.begin(), Ts.end());
    for (size_t I = 0; I + 1 < Ts.size(); ++I)
        if (Ts[I + 1] > Ts[I])
            Emit(S.Piece(Ts[I], Ts[I + 1]), B.Contains(S.At((Ts[I] + Ts[I + 1]) / 2)));
}

template <typename F>
void ForEachSegment(const Path& P, const Path::Contour& C, F&& Visit)
{
    const auto& Pts = P.Points();
    const auto& On = P.OnCurve();
    const size_t End = C.First + C.Count;
    Point Last = Pts[C.First];
    for (size_t I = C.First + 1; I < End;) {
        if (!On[I] && I + 1 < End) {
            Visit(Segment{Last, Pts[I], Pts[I + 1], true});
            Last = Pts[I + 1];
            I += 2;
        } else {
            Visit(Segment{Last, Last, Pts[I], false});
            Last = Pts[I];
            I += 1;
        }
    }
}

void Append(Path& Out, const Segment& S)
{
    if (S.Curve)
        Out.QuadTo(S.C, S.P1);
    else
        Out.LineTo(S.P1);
}

// Pieces outside the box are pressed onto it: within one grid cell that keeps the winding of
// every point inside the box, so the fill there does not change.
Path ClipForFill(const Path& P, const Box& B)
{
    Path Out;
    for (const Path::Contour& C : P.Contours()) {
        if (C.Count < 2)
            continue;
        Out.MoveTo(B.Clamp(P.Points()[C.First]));
        ForEachSegment(P, C, [&](const Segment& S) {
            if (!Finite(S.P0) || !Finite(S.C) || !Finite(S.P1))
                return;
            SplitAtBox(S, B, [&](const Segment& Piece, bool Inside) {
                if (Inside)
                    Append(Out, Piece);
                else
                    Out.LineTo(B.Clamp(Piece.P1));
            });
        });
    }
    return Out;
}

// Pieces outside the box are dropped; a subpath broken there goes on as an open one.
Path ClipForStroke(const Path& P, const Box& B)
{
    Path Out;
    for (const Path::Contour& C : P.Contours()) {
        if (C.Count < 2)
            continue;
        bool Broken = false, Pen = false;
        const size_t FirstOut = Out.Contours().size();
        ForEachSegment(P, C, [&](const Segment& S) {
            if (!Finite(S.P0) || !Finite(S.C) || !Finite(S.P1)) {
                Broken = true;
                Pen = false;
                return;
            }
            SplitAtBox(S, B, [&](const Segment& Piece, bool Inside) {
                if (!Inside) {
                    Broken = true;
                    Pen = false;
                    return;
                }
                if (!Pen)
                    Out.MoveTo(Piece.P0);
                Pen = true;
                Append(Out, Piece);
            });
        });
        if (C.Closed && !Broken && Out.Contours().size() == FirstOut + 1)
            Out.Close();
    }
    return Out;
}

constexpr double GuardMargin = 64;

}  // namespace

void FillPath(const Path& Original, FillRule Rule, int ClipW, int ClipH, SpanSink& Sink)
{
    const Box Guard{-GuardMargin, -GuardMargin, ClipW + GuardMargin, ClipH + GuardMargin};
    Path Clipped;
    const bool Clip = NeedsClip(Original, Guard);
    if (Clip)
        Clipped = ClipForFill(Original, Guard);
    const Path& P = Clip ? Clipped : Original;
    OutlineBuffer Buf;
    const int Flags = Rule == FillRule::EvenOdd ? FT_OUTLINE_EVEN_ODD_FILL : FT_OUTLINE_NONE;
    auto Flush = [&] {
        FT_Outline O = Buf.View(Flags);
        Render(O, ClipW, ClipH, Sink);
        Buf.Clear();
    };
    for (const Path::Contour& C : P.Contours()) {
        if (C.Count < 2 || C.Count > MaxOutlinePoints)
            continue;
        if (Buf.Points.size() + C.Count > MaxOutlinePoints)
            Flush();
        for (size_t I = C.First; I < C.First + C.Count; ++I) {
            Buf.Points.push_back(ToFt(P.Points()[I]));
            Buf.Tags.push_back(P.OnCurve()[I] ? FT_CURVE_TAG_ON : FT_CURVE_TAG_CONIC);
        }
        // A contour may not end on a control point: close it explicitly on its start.
        if (!P.OnCurve()[C.First + C.Count - 1]) {
            Buf.Points.push_back(ToFt(P.Points()[C.First]));
            Buf.Tags.push_back(FT_CURVE_TAG_ON);
        }
        Buf.Ends.push_back(static_cast<short>(Buf.Points.size() - 1));
    }
    Flush();
}

namespace {

FT_Stroker_LineCap FtCap(Cap C)
{
    switch (C) {
    case Cap::None: return FT_STROKER_LINECAP_BUTT;
    case Cap::Square: return FT_STROKER_LINECAP_SQUARE;
    default: return FT_STROKER_LINECAP_ROUND;
    }
}

FT_Stroker_LineJoin FtJoin(Join J)
{
    switch (J) {
    case Join::Bevel: return FT_STROKER_LINEJOIN_BEVEL;
    case Join::Miter: return FT_STROKER_LINEJOIN_MITER_VARIABLE;
    default: return FT_STROKER_LINEJOIN_ROUND;
    }
}

// Pieces of a long subpath are stroked separately so that no exported outline passes the
// FreeType point limit; the generous bound per segment covers joins, arcs and caps.
constexpr size_t SegmentsPerPiece = 256;
constexpr size_t PointsPerSegmentBound = 48;
bool Overflows(size_t Segments) { return Segments * PointsPerSegmentBound > 32000; }

}  // namespace

void StrokePath(const Path& Original, const StrokeStyle& Style, int ClipW, int ClipH, SpanSink& Sink)
{
    FT_Stroker S = Ft().Stroker;
    const double Radius = std::clamp(Style.Width, 0.0, 1e5) / 2;
    // Beyond the margin neither caps at the cuts nor the miters of dropped corners reach the target.
    const double Margin = GuardMargin + Radius * std::max(2.0, std::clamp(Style.MiterLimit, 1.0, 1000.0));
    const Box Guard{-Margin, -Margin, ClipW + Margin, ClipH + Margin};
    Path Clipped;
    const bool Clip = NeedsClip(Original, Guard);
    if (Clip)
        Clipped = ClipForStroke(Original, Guard);
    const Path& P = Clip ? Clipped : Original;
    FT_Stroker_Set(S, static_cast<FT_Fixed>(std::lround(Radius * 64)), FtCap(Style.Caps), FtJoin(Style.Joins),
                   static_cast<FT_Fixed>(std::lround(std::clamp(Style.MiterLimit, 1.0, 1000.0) * 65536)));
    size_t Pending = 0;
    OutlineBuffer Buf;
    auto Flush = [&] {
        if (Pending == 0)
            return;
        FT_UInt NPoints = 0, NContours = 0;
        if (FT_Stroker_GetCounts(S, &NPoints, &NContours) == 0 && NPoints > 0 && NPoints <= MaxOutlinePoints &&
            NContours <= MaxOutlinePoints) {
            Buf.Points.assign(NPoints, FT_Vector{});
            Buf.Tags.assign(NPoints, 0);
            Buf.Ends.assign(NContours, 0);
            FT_Outline O = Buf.View(FT_OUTLINE_NONE);
            O.n_points = 0;
            O.n_contours = 0;
            FT_Stroker_Export(S, &O);
            Render(O, ClipW, ClipH, Sink);
        }
        FT_Stroker_Rewind(S);
        Pending = 0;
    };

    const auto& Pts = P.Points();
    const auto& On = P.OnCurve();
    for (const Path::Contour& C : P.Contours()) {
        if (C.Count < 2)
            continue;
        if (Overflows(Pending + std::min(C.Count, 2 * SegmentsPerPiece + 1)))
            Flush();
        // Degenerate segments are dropped; curves with a control point on an end are lines.
        size_t I = C.First;
        const size_t End = C.First + C.Count;
        FT_Vector Start = ToFt(Pts[I]);
        FT_Vector Last = Start;
        bool Open = false;
        size_t InPiece = 0;
        const bool Closed = C.Closed;
        auto Begin = [&](FT_Vector At, bool OpenPath) {
            FT_Stroker_BeginSubPath(S, &At, OpenPath);
            Open = true;
            InPiece = 0;
        };
        // A closed contour is split only when long, then stroked as open pieces.
        const bool Split = C.Count > 2 * SegmentsPerPiece;
        const bool AsOpen = !Closed || Split;
        for (++I; I < End;) {
            FT_Vector Ctl{}, To{};
            bool Curve = false;
            if (!On[I] && I + 1 < End) {
                Ctl = ToFt(Pts[I]);
                To = ToFt(Pts[I + 1]);
                Curve = true;
                I += 2;
            } else {
                To = ToFt(Pts[I]);
                I += 1;
            }
            if (To.x == Last.x && To.y == Last.y && (!Curve || (Ctl.x == Last.x && Ctl.y == Last.y)))
                continue;
            if (!Open)
                Begin(Last, AsOpen);
            if (Curve && !((Ctl.x == Last.x && Ctl.y == Last.y) || (Ctl.x == To.x && Ctl.y == To.y)))
                FT_Stroker_ConicTo(S, &Ctl, &To);
            else
                FT_Stroker_LineTo(S, &To);
            Last = To;
            ++Pending;
            if (++InPiece >= SegmentsPerPiece && Split) {
                FT_Stroker_EndSubPath(S);
                Open = false;
                if (Overflows(Pending + SegmentsPerPiece + 1))
                    Flush();
            }
        }
        if (Open) {
            // Closing a contour split into pieces: the last piece runs back to the start.
            if (Closed && Split && (Last.x != Start.x || Last.y != Start.y))
                FT_Stroker_LineTo(S, &Start);
            FT_Stroker_EndSubPath(S);
            Open = false;
        }
    }
    Flush();
}

}  // namespace swf::render
