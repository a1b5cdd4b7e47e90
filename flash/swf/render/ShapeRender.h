// SWF shapes drawn onto a Canvas or into a Mask.
//
// A shape's edges carry the fill on their left (Fill0) and right (Fill1). Compiling gathers, per
// fill style, the edges with that style on their right (Fill0 edges reversed) and chains them into
// closed contours; line edges are chained into subpaths per line style. Styles introduced mid-shape
// start a new layer, drawn above the previous one; within a layer fills come first, then lines in
// style order.
#pragma once

#include <cstdint>
#include <vector>

#include "Canvas.h"
#include "Geometry.h"
#include "Paint.h"
#include "Raster.h"
#include "Shapes.h"
#include "Tags.h"

namespace swf::render {

// One edge in twips; a straight edge has its control point on the start.
struct ShapeEdge {
    int32_t X0 = 0, Y0 = 0, CX = 0, CY = 0, X1 = 0, Y1 = 0;
    bool Curve = false;
};

struct ShapeContour {
    std::vector<ShapeEdge> Edges;
    bool Closed = false;  // ends where it starts
};

struct CompiledShape {
    struct Fill {
        swf::FillStyle Style;
        std::vector<ShapeContour> Contours;
    };
    struct Line {
        swf::LineStyle Style;
        std::vector<ShapeContour> Subpaths;
    };
    struct Layer {
        std::vector<Fill> Fills;  // styles without edges are left out
        std::vector<Line> Lines;
    };
    std::vector<Layer> Layers;
    FillRule Rule = FillRule::EvenOdd;
};

// EvenOdd, or NonZero when a DefineShape4 sets the fill winding flag.
CompiledShape CompileShape(const swf::Shape& S, FillRule Rule);
CompiledShape CompileShape(const swf::DefineShape& S);

// ToPixels maps shape twips to canvas pixels. Bitmaps may be null (bitmap fills are then skipped).
void DrawShape(Canvas& C, const CompiledShape& S, const Transform2D& ToPixels, const ColorXform& Cx,
               const BitmapSource* Bitmaps);
void DrawShape(Canvas& C, const swf::DefineShape& S, const Transform2D& ToPixels, const ColorXform& Cx,
               const BitmapSource* Bitmaps);

// Adds the coverage of every fill and line, whatever its colour.
void DrawShape(Mask& M, const CompiledShape& S, const Transform2D& ToPixels);
void DrawShape(Mask& M, const swf::DefineShape& S, const Transform2D& ToPixels);

// Line widths in pixels: the twip width scaled by ToPixels, at least one pixel (0 is a hairline).
double LineWidthPixels(const swf::LineStyle& L, const Transform2D& ToPixels);

}  // namespace swf::render
