// Pixels of the bitmap characters: DefineBitsLossless/2 (through the tag layer), DefineBits with
// the movie's JPEGTables, DefineBitsJPEG2 and DefineBitsJPEG3 with its alpha plane, decoded with
// libjpeg.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Tags.h"

namespace swf::image {

// Premultiplied ARGB words (0xAARRGGBB), rows top-down.
struct Pixels {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Argb;
};

// Bitmaps larger than this many pixels are refused.
constexpr uint64_t MaxPixels = uint64_t(1) << 26;

// A JPEG stream (SOI ... EOI), optionally read after an abbreviated tables-only stream. The
// SWF habit of an EOI SOI pair before or between the tables and the image is undone. Throws
// SwfError (offset 0) naming what libjpeg reported.
Pixels DecodeJpeg(std::span<const uint8_t> Image, std::span<const uint8_t> Tables = {});

// The pixels of a bitmap character; Tables is the movie's JPEGTables (for DefineBits). Throws
// SwfError when the data is damaged or of a kind not decoded (PNG or GIF inside a JPEG tag).
Pixels DecodeBitmap(const TagValue& Character, const JpegTables* Tables = nullptr);

}  // namespace swf::image
