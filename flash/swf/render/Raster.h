// Anti-aliased filling and stroking of paths in pixel space with FreeType's smooth rasteriser.
#pragma once

#include <cstdint>
#include <vector>

#include "Geometry.h"

namespace swf::render {

// Contours of lines and quadratic Béziers in pixels (y down).
class Path {
public:
    struct Contour {
        size_t First = 0, Count = 0;  // into the points
        bool Closed = false;          // strokes only: join the end to the start
    };

    void MoveTo(Point P);
    void LineTo(Point P);
    void QuadTo(Point Control, Point P);
    // Marks the current contour closed (fills always are).
    void Close();
    bool Empty() const { return Pts.empty(); }
    void Clear();

    const std::vector<Point>& Points() const { return Pts; }
    const std::vector<uint8_t>& OnCurve() const { return On; }  // 0: control point
    const std::vector<Contour>& Contours() const { return Cs; }

private:
    std::vector<Point> Pts;
    std::vector<uint8_t> On;
    std::vector<Contour> Cs;
};

enum class FillRule : uint8_t { NonZero, EvenOdd };

// Receives coverage runs inside the clip box, row by row.
class SpanSink {
public:
    virtual ~SpanSink() = default;
    virtual void Span(int X, int Y, int Len, uint8_t Coverage) = 0;
};

enum class Cap : uint8_t { Round, None, Square };
enum class Join : uint8_t { Round, Bevel, Miter };

struct StrokeStyle {
    double Width = 1;  // pixels
    Cap Caps = Cap::Round;
    Join Joins = Join::Round;
    double MiterLimit = 3;  // miter length over width
};

// Both clip to 0 <= x < ClipW, 0 <= y < ClipH; geometry far outside is cut to a guard box first,
// which leaves the visible result as it is. A path with more than 32767 points is filled in
// batches of whole contours (FreeType's outline limit).
void FillPath(const Path& P, FillRule Rule, int ClipW, int ClipH, SpanSink& Sink);
void StrokePath(const Path& P, const StrokeStyle& Style, int ClipW, int ClipH, SpanSink& Sink);

}  // namespace swf::render
