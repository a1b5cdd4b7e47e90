// Builds BMP file images in memory for the tests: 8-bit, bottom-up, any colour count.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct BmpFixture {
    int32_t Width = 4;
    int32_t Height = 2;
    uint16_t BitCount = 8;
    uint32_t ClrUsed = 256;      // as stored in the header
    int TableEntries = 256;      // entries actually written
    bool LastFiller = true;      // write the filler after the last stored row
    // Colour of table entry i as (blue, green, red); default: a grey ramp.
    std::function<void(int, uint8_t&, uint8_t&, uint8_t&)> Colour = [](int i, uint8_t& b, uint8_t& g, uint8_t& r) {
        b = g = r = static_cast<uint8_t>(i);
    };
    // Index of the picture's pixel (x, y), y counted from the top.
    std::function<uint8_t(int, int)> Pixel = [](int x, int y) { return static_cast<uint8_t>(x + 16 * y); };

    std::vector<uint8_t> Build() const
    {
        std::vector<uint8_t> B;
        auto u16 = [&](uint32_t v) { B.push_back(uint8_t(v)); B.push_back(uint8_t(v >> 8)); };
        auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
        const int Filler = (4 - Width % 4) % 4;
        const uint32_t Offset = 54 + 4 * TableEntries;
        B.push_back('B'); B.push_back('M');
        u32(0); u16(0); u16(0); u32(Offset);
        u32(40); u32(uint32_t(Width)); u32(uint32_t(Height)); u16(1); u16(BitCount);
        u32(0); u32(0); u32(2835); u32(2835); u32(ClrUsed); u32(0);
        for (int i = 0; i < TableEntries; ++i) {
            uint8_t b, g, r;
            Colour(i, b, g, r);
            B.push_back(b); B.push_back(g); B.push_back(r); B.push_back(0);
        }
        for (int row = 0; row < Height; ++row) {       // stored bottom row first
            const int y = Height - 1 - row;
            for (int x = 0; x < Width; ++x)
                B.push_back(Pixel(x, y));
            if (row + 1 < Height || LastFiller)
                B.insert(B.end(), Filler, 0);
        }
        const uint32_t FileSize = uint32_t(B.size());
        for (int i = 0; i < 4; ++i)
            B[2 + i] = uint8_t(FileSize >> (8 * i));
        return B;
    }
};
