// The bitmaps of the built-in subtitle movie, drawn in code: the three layers of the emblem
// and the plate behind the clock. Pure functions of their argument: the same bytes every run.
//
// Emblem: a 16:9 television screen, 435 x 247 in its own units, shown at 34 % (about 148 x 84
// stage pixels) at the right end of the stage. Inside it a round badge made of the three layers,
// stacked with their centres on one point, and two subtitle lines. The vector shapes, in emblem
// units (origin top left, y down):
//   screen   outline of the rounded rectangle (7, 7)-(428, 240), corner radius 33, no fill: a
//            line 14 wide of #0A1E3F under a line 8 wide of #D6E6F8, both centred on the
//            outline, so the light line has a dark rim on both sides and the whole stays
//            inside 435 x 247.
//   lines    two capsules (rectangles with fully round ends) filled #FFD23F with a 5 wide
//            #0A1E3F line: (232, 136)-(404, 160) and (256, 172)-(380, 196).
//   badge    the layers A, B, C (EmblemLayer 0, 1, 2) in that order from the bottom, each scaled
//            1.75 with its centre (60, 59.5) at (122, 123.5).
//
// Animation, 110 frames at 12 fps (about 9.2 s), looping; f = 0..109 is the frame index:
//   A (0, the disc with the "T")   steady.
//   B (1, the ring)                alpha 0.7 + 0.3 * cos(2 pi f / 55): two slow breaths per loop,
//                                  100 % at f = 0 and 55, 40 % at f = 27.5 and 82.5.
//   C (2, the orbiting light)      rotates clockwise about its centre, 360 * f / 110 degrees, so
//                                  frame 110 would equal frame 0; alpha 100 %.
//   screen, lines                  steady.
// In frame 0 the light of C is at the top of the ring, its tail trailing counter-clockwise.
//
// The card shows what lies over the stage's white, and the white itself see-through: the emblem
// has no translucent fill, and no opaque pixel is pure white.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace art {

// Straight (not premultiplied) RGBA, rows top-down. Fully transparent pixels are 0, 0, 0, 0.
struct Image {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Rgba;

    const uint8_t* At(int x, int y) const { return Rgba.data() + (std::size_t(y) * Width + x) * 4; }
};

constexpr int EmblemLayerWidth = 120, EmblemLayerHeight = 119;
constexpr double EmblemCentreX = 60, EmblemCentreY = 59.5;  // pivot of every layer
constexpr int ClockPlateWidth = 281, ClockPlateHeight = 65;

// Where the clock text (red, 35 px Arial) sits inside the plate; the plate is calm there.
struct Box {
    int Left, Top, Right, Bottom;  // right and bottom exclusive
};
constexpr Box ClockTextArea{57, 12, 229, 56};

// 0: the disc with the "T" and a subtitle line, 1: the ring, 2: the orbiting light.
// Raises std::out_of_range for any other index.
Image EmblemLayer(int Index);

Image ClockPlate();

}  // namespace art
