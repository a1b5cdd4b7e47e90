#include "Scene.h"

#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

#include "Bitmaps.h"
#include "Paint.h"
#include "Raster.h"

namespace swf::player {

using render::ColorXform;
using render::Point;
using render::Transform2D;

namespace {

constexpr double Twips = 20;

// Blends a solid colour where the rasteriser reports coverage.
class SolidSink : public render::SpanSink {
public:
    SolidSink(render::Canvas& C, render::Argb Color) : FCanvas(C), FColor(Color) {}
    void Span(int X, int Y, int Len, uint8_t Coverage) override { FCanvas.BlendSpan(X, Y, Len, Coverage, FColor); }

private:
    render::Canvas& FCanvas;
    render::Argb FColor;
};

class MaskSink : public render::SpanSink {
public:
    explicit MaskSink(render::Mask& M) : FMask(M) {}
    void Span(int X, int Y, int Len, uint8_t Coverage) override { FMask.AddSpan(X, Y, Len, Coverage); }

private:
    render::Mask& FMask;
};

render::Path RectPath(const Rect& R, const Transform2D& M)
{
    render::Path P;
    P.MoveTo(M.Apply({double(R.XMin), double(R.YMin)}));
    P.LineTo(M.Apply({double(R.XMax), double(R.YMin)}));
    P.LineTo(M.Apply({double(R.XMax), double(R.YMax)}));
    P.LineTo(M.Apply({double(R.XMin), double(R.YMax)}));
    P.Close();
    return P;
}

// Glyph outlines (FreeType units: 26.6 pixels, y up) into a path, through Map.
struct OutlineTarget {
    render::Path* Out;
    std::function<Point(double, double)> Map;
    Point Last;
};

Point FromFt(const FT_Vector* V) { return {V->x / 64.0, V->y / 64.0}; }

int MoveCb(const FT_Vector* To, void* U)
{
    auto* T = static_cast<OutlineTarget*>(U);
    T->Last = FromFt(To);
    T->Out->MoveTo(T->Map(T->Last.X, T->Last.Y));
    return 0;
}
int LineCb(const FT_Vector* To, void* U)
{
    auto* T = static_cast<OutlineTarget*>(U);
    T->Last = FromFt(To);
    T->Out->LineTo(T->Map(T->Last.X, T->Last.Y));
    return 0;
}
int ConicCb(const FT_Vector* C, const FT_Vector* To, void* U)
{
    auto* T = static_cast<OutlineTarget*>(U);
    const Point Ctl = FromFt(C);
    T->Last = FromFt(To);
    T->Out->QuadTo(T->Map(Ctl.X, Ctl.Y), T->Map(T->Last.X, T->Last.Y));
    return 0;
}
// A cubic as two quadratics, split at its middle.
int CubicCb(const FT_Vector* C1, const FT_Vector* C2, const FT_Vector* To, void* U)
{
    auto* T = static_cast<OutlineTarget*>(U);
    const Point P0 = T->Last, P1 = FromFt(C1), P2 = FromFt(C2), P3 = FromFt(To);
    auto Mid = [](Point A, Point B) { return Point{(A.X + B.X) / 2, (A.Y + B.Y) / 2}; };
    const Point A = Mid(P0, P1), B = Mid(P1, P2), C = Mid(P2, P3), AB = Mid(A, B), BC = Mid(B, C), M = Mid(AB, BC);
    auto Quad = [](Point S, Point C1q, Point C2q, Point E) {
        return Point{(3 * (C1q.X + C2q.X) - S.X - E.X) / 4, (3 * (C1q.Y + C2q.Y) - S.Y - E.Y) / 4};
    };
    const Point Q1 = Quad(P0, A, AB, M), Q2 = Quad(M, BC, C, P3);
    T->Out->QuadTo(T->Map(Q1.X, Q1.Y), T->Map(M.X, M.Y));
    T->Out->QuadTo(T->Map(Q2.X, Q2.Y), T->Map(P3.X, P3.Y));
    T->Last = P3;
    return 0;
}

const JpegTables* FindTables(const Movie& M)
{
    for (const TypedTag& T : M.Tags)
        if (auto* J = std::get_if<JpegTables>(&T.Value))
            return J;
    return nullptr;
}

}  // namespace

// Bitmap characters decoded on first use.
class Scene::Bitmaps : public render::BitmapSource {
public:
    Bitmaps(const Library& Lib, Scene& Owner) : FLib(Lib), FOwner(Owner), FTables(FindTables(Lib.Source())) {}

    std::optional<render::BitmapView> Find(uint16_t Id) const override
    {
        auto It = FCache.find(Id);
        if (It == FCache.end()) {
            std::optional<image::Pixels> P;
            if (const TagValue* V = FLib.Character(Id)) {
                try {
                    P = image::DecodeBitmap(*V, FTables);
                } catch (const SwfError& E) {
                    FOwner.Warn("bitmap " + std::to_string(Id) + ": " + E.Reason());
                }
            }
            It = FCache.emplace(Id, std::move(P)).first;
        }
        if (!It->second)
            return std::nullopt;
        return render::BitmapView{It->second->Argb.data(), It->second->Width, It->second->Height};
    }

private:
    const Library& FLib;
    Scene& FOwner;
    const JpegTables* FTables;
    mutable std::map<uint16_t, std::optional<image::Pixels>> FCache;
};

Scene::Scene(const Library& Lib, text::FontSource* Fonts)
    : FLib(Lib), FFonts(Fonts), FBitmaps(std::make_unique<Bitmaps>(Lib, *this))
{
}

Scene::~Scene() = default;

void Scene::Warn(const std::string& W)
{
    if (std::find(FWarnings.begin(), FWarnings.end(), W) == FWarnings.end())
        FWarnings.push_back(W);
}

Transform2D Scene::StageTransform(int Width, int Height) const
{
    const Rect& S = FLib.Source().Header.FrameSize;
    const double SW = std::max(1, S.XMax - S.XMin), SH = std::max(1, S.YMax - S.YMin);
    const double Scale = std::min(Width / SW, Height / SH);
    Transform2D M = Transform2D::Scale(Scale, Scale);
    M.Tx = (Width - SW * Scale) / 2 - S.XMin * Scale;
    M.Ty = (Height - SH * Scale) / 2 - S.YMin * Scale;
    return M;
}

void Scene::Render(const Clip& Root, render::Canvas& Target)
{
    Rgba Background{255, 255, 255, 255};
    for (const TypedTag& T : FLib.Source().Tags)
        if (auto* B = std::get_if<SetBackgroundColor>(&T.Value)) {
            Background = Rgba{B->Color.R, B->Color.G, B->Color.B, 255};
            break;
        }
    Target.Clear(Background);
    Paint(Root, Target, StageTransform(Target.Width(), Target.Height()), ColorXform{});
}

void Scene::Paint(const Clip& C, render::Canvas& Target, const Transform2D& M, const ColorXform& Cx)
{
    for (const auto& [Depth, Child] : C.Children()) {
        if (Child.Place.ClipDepth) {
            Warn("masks (clip depth) are not applied yet; the mask at depth " + std::to_string(Depth) + " is not drawn");
            continue;
        }
        PaintObject(C, Child, Target, M * Transform2D::FromMatrix(Child.Place.Transform),
                    Cx * ColorXform::FromCxForm(Child.Place.ColorTransform));
    }
}

void Scene::PaintObject(const Clip& Parent, const DisplayObject& O, render::Canvas& Target, const Transform2D& M,
                        const ColorXform& Cx)
{
    if (O.Sprite) {
        Paint(*O.Sprite, Target, M, Cx);
        return;
    }
    const TagValue* V = FLib.Character(O.Place.CharacterId);
    if (!V)
        return;
    if (auto* S = std::get_if<DefineShape>(V))
        render::DrawShape(Target, Compiled(*S), M, Cx, FBitmaps.get());
    else if (auto* E = std::get_if<DefineEditText>(V))
        PaintField(Parent, O, *E, Target, M, Cx);
    else if (auto* T = std::get_if<DefineText>(V))
        PaintStaticText(*T, Target, M, Cx);
}

const render::CompiledShape& Scene::Compiled(const DefineShape& S)
{
    auto It = FShapes.find(S.Id);
    if (It == FShapes.end())
        It = FShapes.emplace(S.Id, render::CompileShape(S)).first;
    return It->second;
}

text::TextStyle Scene::StyleOf(const DefineEditText& Def) const
{
    text::TextStyle S;
    if (Def.FontId)
        if (const TagValue* F = FLib.Character(*Def.FontId))
            if (auto* F2 = std::get_if<DefineFont2>(F)) {
                S.Family = F2->Name;
                while (!S.Family.empty() && S.Family.back() == '\0')
                    S.Family.pop_back();
                S.Bold = F2->Flags & FontFlag::Bold;
                S.Italic = F2->Flags & FontFlag::Italic;
            }
    S.Size = Def.FontHeight / Twips;
    if (Def.TextLayout) {
        S.Align = Def.TextLayout->Align;
        S.LeftMargin = Def.TextLayout->LeftMargin / Twips;
        S.RightMargin = Def.TextLayout->RightMargin / Twips;
        S.Indent = Def.TextLayout->Indent / Twips;
        S.Leading = Def.TextLayout->Leading / Twips;
    }
    S.Multiline = Def.Has(EditFlag::Multiline);
    S.WordWrap = Def.Has(EditFlag::WordWrap);
    S.Width = (Def.Bounds.XMax - Def.Bounds.XMin) / Twips;
    S.Height = (Def.Bounds.YMax - Def.Bounds.YMin) / Twips;
    return S;
}

text::Layout Scene::Measure(const DefineEditText& Def, const std::string& Text)
{
    if (!FFonts)
        return {};
    return text::LayOut(FFaces, *FFonts, Text, StyleOf(Def));
}

void Scene::PaintField(const Clip& Parent, const DisplayObject& O, const DefineEditText& Def, render::Canvas& Target,
                       const Transform2D& M, const ColorXform& Cx)
{
    FieldState St;
    St.Text = Def.InitialText.value_or("");
    St.Background = St.Border = Def.Has(EditFlag::Border);
    if (FContent)
        St = FContent(Parent, O, Def);
    const int W = Target.Width(), H = Target.Height();
    if (St.Background) {
        SolidSink Fill(Target, render::Premultiply(Cx.Apply(St.BackgroundColor)));
        render::FillPath(RectPath(Def.Bounds, M), render::FillRule::NonZero, W, H, Fill);
    }
    if (St.Border) {
        SolidSink Line(Target, render::Premultiply(Cx.Apply(St.BorderColor)));
        render::StrokeStyle Hairline;
        Hairline.Joins = render::Join::Miter;
        render::StrokePath(RectPath(Def.Bounds, M), Hairline, W, H, Line);
    }
    if (St.Text.empty() || !FFonts)
        return;
    const text::TextStyle Style = StyleOf(Def);
    const text::Layout L = text::LayOut(FFaces, *FFonts, St.Text, Style);
    for (char32_t C : L.Missing)
        Warn("no font has the character U+" + std::to_string(uint32_t(C)));

    // Text stays inside the field.
    render::Mask Inside(W, H);
    MaskSink ToMask(Inside);
    render::FillPath(RectPath(Def.Bounds, M), render::FillRule::NonZero, W, H, ToMask);
    const render::Mask* Outer = Target.ClipMask();
    Target.SetClipMask(&Inside);

    const double Shift = Style.Multiline ? 0 : St.HScroll;
    render::Path Glyphs;
    for (const text::PlacedGlyph& G : L.Glyphs) {
        FT_Set_Char_Size(G.Face, 0, static_cast<FT_F26Dot6>(std::lround(Style.Size * 64)), 72, 72);
        if (FT_Load_Glyph(G.Face, G.Index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
            G.Face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
            continue;
        OutlineTarget T{&Glyphs, [&](double X, double Y) {
                            const double FX = G.X - Shift + X, FY = G.Y - Y;  // field pixels, y down
                            return M.Apply({Def.Bounds.XMin + FX * Twips, Def.Bounds.YMin + FY * Twips});
                        }, {}};
        FT_Outline_Funcs Funcs{MoveCb, LineCb, ConicCb, CubicCb, 0, 0};
        FT_Outline_Decompose(&G.Face->glyph->outline, &Funcs, &T);
    }
    const Rgba Color = St.TextColor.value_or(Def.TextColor.value_or(Rgba{0, 0, 0, 255}));
    SolidSink Ink(Target, render::Premultiply(Cx.Apply(Color)));
    if (!Glyphs.Empty())
        render::FillPath(Glyphs, render::FillRule::NonZero, W, H, Ink);
    Target.SetClipMask(Outer);
}

void Scene::PaintStaticText(const DefineText& T, render::Canvas& Target, const Transform2D& M, const ColorXform& Cx)
{
    const Transform2D ToText = M * Transform2D::FromMatrix(T.Transform);
    const std::vector<Shape>* Glyphs = nullptr;
    double Em = 1024;
    Rgba Color{0, 0, 0, 255};
    double X = 0, Y = 0, Height = 0;
    for (const TextRecord& R : T.Records) {
        if (R.FontId) {
            Glyphs = nullptr;
            if (const TagValue* F = FLib.Character(*R.FontId)) {
                if (auto* F1 = std::get_if<DefineFont>(F))
                    Glyphs = &F1->Glyphs, Em = 1024;
                else if (auto* F2 = std::get_if<DefineFont2>(F))
                    Glyphs = &F2->Glyphs, Em = F2->Version == 3 ? 20480 : 1024;
            }
            Height = R.Height;
        }
        if (R.Color)
            Color = *R.Color;
        if (R.XOffset)
            X = *R.XOffset;
        if (R.YOffset)
            Y = *R.YOffset;
        render::Path P;
        for (const GlyphEntry& G : R.Glyphs) {
            if (Glyphs && G.Index < Glyphs->size()) {
                const double S = Height / Em;
                double PX = 0, PY = 0;
                auto At = [&](double GX, double GY) { return ToText.Apply({X + GX * S, Y + GY * S}); };
                for (const ShapeRecord& E : (*Glyphs)[G.Index].Records) {
                    if (E.Type == ShapeRecord::StyleChange) {
                        if (E.HasMove) {
                            PX = E.X;
                            PY = E.Y;
                            P.MoveTo(At(PX, PY));
                        }
                    } else if (E.Type == ShapeRecord::StraightEdge) {
                        PX += E.X;
                        PY += E.Y;
                        P.LineTo(At(PX, PY));
                    } else {
                        const double CX = PX + E.X, CY = PY + E.Y;
                        PX = CX + E.AnchorX;
                        PY = CY + E.AnchorY;
                        P.QuadTo(At(CX, CY), At(PX, PY));
                    }
                }
            }
            X += G.Advance;
        }
        if (!P.Empty()) {
            SolidSink Ink(Target, render::Premultiply(Cx.Apply(Color)));
            render::FillPath(P, render::FillRule::EvenOdd, Target.Width(), Target.Height(), Ink);
        }
    }
}

}  // namespace swf::player
