// PNG files for the host tools (libpng): 8-bit RGB or RGBA pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TPicture {
    int Width = 0;
    int Height = 0;
    int Channels = 3;  // 3: RGB, 4: RGBA (not premultiplied)
    std::vector<uint8_t> Pixels;

    uint8_t* At(int x, int y) { return Pixels.data() + (size_t(y) * Width + x) * Channels; }
    const uint8_t* At(int x, int y) const { return Pixels.data() + (size_t(y) * Width + x) * Channels; }
};

// Both raise std::runtime_error with libpng's reason.
TPicture ReadPng(const std::string& FileName, int Channels = 3);
void WritePng(const std::string& FileName, const TPicture& Picture);
