// The decoder card's OSD bitmap and its conversion from 8-bit BMP file images.
//
// OSD bitmap: 8-byte big-endian header (type 0x3E, 24-bit total length, 16-bit width,
// 16-bit height), a 1024-byte palette of 256 alpha/Y/U/V entries (entry 127 transparent),
// then one index byte per pixel, top row first, no row filler.
//
// Portable: no Windows headers.
#pragma once

#include <cstdint>

#include "Classes.h"

constexpr uint8_t OSDBitmapType = 0x3E;
constexpr int OSDHeaderSize = 8;
constexpr int OSDPaletteSize = 1024;
constexpr int OSDPixelOffset = OSDHeaderSize + OSDPaletteSize;  // 1032
constexpr uint8_t OSDTransparentIndex = 127;
constexpr uint32_t OSDMaxTotalLength = 0xFFFFFF;

constexpr int BmpFileHeaderSize = 14;
constexpr int BmpInfoHeaderSize = 40;

// The fields of the 40-byte BMP info header, decoded from little-endian bytes.
struct TBmpInfoHeader {
    uint32_t Size = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t Compression = 0;
    uint32_t SizeImage = 0;
    int32_t XPelsPerMeter = 0;
    int32_t YPelsPerMeter = 0;
    uint32_t ClrUsed = 0;
    uint32_t ClrImportant = 0;

    static TBmpInfoHeader Decode(const uint8_t (&Bytes)[BmpInfoHeaderSize]);
};

// A BMP whose header would make the converters write outside their blocks or produce an
// OSD header that cannot hold its own size. The message names the field.
class EInvalidBitmap : public Exception {
public:
    using Exception::Exception;
};

// Whole BMP -> whole OSD bitmap in Target (emptied first). True on every completed
// conversion; a short source raises EReadError, a hostile header EInvalidBitmap, and in
// both cases Target is left empty.
bool BmpToOSDBitmap(TStream& Source, TMemoryStream& Target);

// Body of BmpToOSDBitmap: Source stands behind the two headers; writes at Target's position.
void WriteOSDBitmap(TStream& Source, TStream& Target, const TBmpInfoHeader& Info);

// BMP colour table -> 1024-byte OSD palette in Target. False for an empty source (Target
// untouched) and for a bit count other than 7 or 8 (Target emptied).
bool BmpToOSDPalette(TMemoryStream& Source, TMemoryStream& Target);

// N BMP entries (blue, green, red, reserved) -> the first N OSD entries (alpha, Y, U, V).
void ConvertPalette(int N, const uint8_t* Source, uint8_t* Target);

// BT.601 studio-range components, exact to the decimal coefficients.
int RGBToY(uint8_t Red, uint8_t Green, uint8_t Blue);
int RGBToU(uint8_t Red, uint8_t Green, uint8_t Blue);
int RGBToV(uint8_t Red, uint8_t Green, uint8_t Blue);

// Reverse the order of the rows of a Width x Height block of one-byte pixels.
void FlipRows(uint8_t* Pixels, int32_t Width, int32_t Height);
