// An OSD bitmap turned back into a picture: what a television shows of it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Png.h"

// A decoded OSD bitmap: straight (not premultiplied) RGBA, top row first.
struct TOSDPicture {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Rgba;
};

class EBadOSDBitmap : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Y/U/V back to RGB: BT.601, studio range, rounded and clamped.
void YUVToRGB(int Y, int U, int V, uint8_t& R, uint8_t& G, uint8_t& B);

// Checks the header against the data before it reads a pixel.
TOSDPicture DecodeOSDBitmap(const std::vector<uint8_t>& Bytes);

enum class TBackground { Checker, Black, Picture };

// The OSD over a background: a grey checkerboard, black, or a picture scaled to fit.
TPicture Composite(const TOSDPicture& OSD, TBackground Kind, const TPicture* Picture = nullptr);
