// Paints a clip tree: shapes, bitmaps (through shapes), static text and text fields, with
// transforms and colour transforms down the tree, in Flash's default scale mode (show all:
// uniformly scaled to fit, centred) on the movie's background colour.
//
// What a text field shows comes from a FieldContent (the script side binds it to variables);
// without one a field shows its initial text.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "Canvas.h"
#include "DisplayList.h"
#include "Geometry.h"
#include "ShapeRender.h"
#include "TextLayout.h"

namespace swf::player {

// A text field's state as scripts leave it.
struct FieldState {
    std::string Text;   // UTF-8
    int HScroll = 0;    // pixels
    bool Background = false, Border = false;
    Rgba BackgroundColor{255, 255, 255, 255}, BorderColor{0, 0, 0, 255};
    std::optional<Rgba> TextColor;  // overrides the field's colour
};

using FieldContent = std::function<FieldState(const Clip& Parent, const DisplayObject& Field, const DefineEditText& Def)>;

class Scene {
public:
    Scene(const Library& Lib, text::FontSource* Fonts);
    ~Scene();

    void SetFieldContent(FieldContent F) { FContent = std::move(F); }

    // Stage twips to target pixels for the show-all mode.
    render::Transform2D StageTransform(int Width, int Height) const;
    // Clears the canvas to the background colour and paints Root.
    void Render(const Clip& Root, render::Canvas& Target);

    // The field's layout as last painted or measured (for textWidth, maxhscroll and the like).
    text::Layout Measure(const DefineEditText& Def, const std::string& Text);

    const std::vector<std::string>& Warnings() const { return FWarnings; }

private:
    class Bitmaps;
    void Paint(const Clip& C, render::Canvas& Target, const render::Transform2D& M, const render::ColorXform& Cx);
    void PaintObject(const Clip& Parent, const DisplayObject& O, render::Canvas& Target, const render::Transform2D& M,
                     const render::ColorXform& Cx);
    void PaintField(const Clip& Parent, const DisplayObject& O, const DefineEditText& Def, render::Canvas& Target,
                    const render::Transform2D& M, const render::ColorXform& Cx);
    void PaintStaticText(const DefineText& T, render::Canvas& Target, const render::Transform2D& M,
                         const render::ColorXform& Cx);
    const render::CompiledShape& Compiled(const DefineShape& S);
    text::TextStyle StyleOf(const DefineEditText& Def) const;
    void Warn(const std::string& W);

    const Library& FLib;
    text::FontSource* FFonts;
    text::FaceCache FFaces;
    std::unique_ptr<Bitmaps> FBitmaps;
    std::map<uint16_t, render::CompiledShape> FShapes;
    std::map<std::pair<uint16_t, size_t>, render::CompiledShape> FGlyphs;  // (font, glyph)
    FieldContent FContent;
    std::vector<std::string> FWarnings;
};

}  // namespace swf::player
