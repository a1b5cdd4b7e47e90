// demobmp: writes a 640 x 480 8-bit test bitmap for the demo: white background (which the
// card shows transparent), colour bars, a colour ramp and a ring. The picture uses only
// entries 0..124 (a 5 x 5 x 5 colour cube) and 255 (white): an OSD bitmap keeps 7 bits.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Classes.h"

namespace {

constexpr int W = 640, H = 480;

// 5 x 5 x 5 colour cube in entries 0..124, greys up to 254, white in 255.
void MakeTable(uint8_t (&T)[256][4])
{
    for (int i = 0; i < 256; ++i) {
        uint8_t R, G, B;
        if (i < 125) {
            R = uint8_t(255 * (i / 25) / 4), G = uint8_t(255 * (i / 5 % 5) / 4), B = uint8_t(255 * (i % 5) / 4);
        } else {
            R = G = B = uint8_t((i - 125) * 255 / 130);
        }
        T[i][0] = B, T[i][1] = G, T[i][2] = R, T[i][3] = 0;
    }
}

uint8_t Cube(int r, int g, int b) { return uint8_t(25 * r + 5 * g + b); }

uint8_t PixelAt(int x, int y)
{
    static const uint8_t Bars[7] = {Cube(3, 3, 3), Cube(4, 4, 0), Cube(0, 4, 4), Cube(0, 4, 0),
                                    Cube(4, 0, 4), Cube(4, 0, 0), Cube(0, 0, 4)};
    if (y >= 60 && y < 200 && x >= 40 && x < 600)
        return Bars[(x - 40) * 7 / 560];
    if (y >= 220 && y < 260 && x >= 40 && x < 600)
        return Cube(4 - (x - 40) * 5 / 560, (x - 40) * 5 / 560, 2);
    const double dx = x - 320, dy = y - 370, r = std::sqrt(dx * dx + dy * dy);
    if (r >= 60 && r < 90)
        return Cube(std::min(4, int(5 * (dx + 90) / 180)), 1, std::min(4, int(5 * (dy + 90) / 180)));
    return 255;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: demobmp OUT.bmp    write a 640 x 480 8-bit test bitmap\n", stderr);
        return 1;
    }
    uint8_t Table[256][4];
    MakeTable(Table);
    std::vector<uint8_t> B;
    auto u16 = [&](uint32_t v) { B.push_back(uint8_t(v)); B.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    const uint32_t Offset = 14 + 40 + 1024, Size = Offset + W * H;
    B.push_back('B'), B.push_back('M'), u32(Size), u32(0), u32(Offset);
    u32(40), u32(W), u32(H), u16(1), u16(8), u32(0), u32(W * H), u32(2835), u32(2835), u32(256), u32(0);
    B.insert(B.end(), &Table[0][0], &Table[0][0] + 1024);
    for (int y = H - 1; y >= 0; --y)
        for (int x = 0; x < W; ++x)
            B.push_back(PixelAt(x, y));
    try {
        TMemoryStream S;
        S.WriteBuffer(B.data(), int32_t(B.size()));
        S.SaveToFile(argv[1]);
    } catch (const Exception& E) {
        std::fprintf(stderr, "demobmp: %s\n", E.what());
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
