#include "UnitOSDFunctions.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

uint32_t LE32(const uint8_t* P) { return P[0] | P[1] << 8 | P[2] << 16 | uint32_t(P[3]) << 24; }
uint16_t LE16(const uint8_t* P) { return uint16_t(P[0] | P[1] << 8); }

int Clamp255(int V) { return V < 0 ? 0 : V > 255 ? 255 : V; }

// Colour-table entries a header stands for: 0 and 1 mean a full table.
int ColourCount(const TBmpInfoHeader& Info)
{
    if (Info.ClrUsed > 256)
        throw EInvalidBitmap("BMP info header: colours used is " + std::to_string(Info.ClrUsed) +
                             ", more than the 256 an OSD palette holds");
    return Info.ClrUsed <= 1 ? 256 : static_cast<int>(Info.ClrUsed);
}

// Width and height must fit the OSD header's 16-bit fields and the total its 24 bits.
void CheckGeometry(const TBmpInfoHeader& Info)
{
    auto Check = [](const char* Field, int32_t V) {
        if (V < 0)
            throw EInvalidBitmap(std::string("BMP info header: ") + Field + " is " + std::to_string(V) +
                                 "; negative (top-down) bitmaps are not supported");
        if (V > 0xFFFF)
            throw EInvalidBitmap(std::string("BMP info header: ") + Field + " is " + std::to_string(V) +
                                 ", more than the OSD header's 16-bit field holds (65535)");
    };
    Check("width", Info.Width);
    Check("height", Info.Height);
    const uint64_t Total = OSDPixelOffset + uint64_t(Info.Width) * uint64_t(Info.Height);
    if (Total > OSDMaxTotalLength)
        throw EInvalidBitmap("BMP info header: width x height is " + std::to_string(Info.Width) + " x " +
                             std::to_string(Info.Height) + ", an OSD total length of " + std::to_string(Total) +
                             " bytes, more than its 24-bit field holds (16777215)");
}

void ReadHeaders(TStream& Source, TBmpInfoHeader& Info)
{
    uint8_t FileHeader[BmpFileHeaderSize];
    uint8_t InfoBytes[BmpInfoHeaderSize];
    Source.SetPosition(0);
    Source.ReadBuffer(FileHeader, sizeof FileHeader);
    Source.ReadBuffer(InfoBytes, sizeof InfoBytes);
    Info = TBmpInfoHeader::Decode(InfoBytes);
}

// Reads N colour-table entries and converts them. Entries from N to 255, which the source
// does not give, are converted from black: opaque black, and 127 transparent as always.
void ReadPalette(TStream& Source, int N, uint8_t* OSDPalette)
{
    std::vector<uint8_t> Table(256 * 4, 0);
    Source.ReadBuffer(Table.data(), N * 4);
    ConvertPalette(256, Table.data(), OSDPalette);
}

// A working block from the heap, released with its owner; contents start undefined.
std::unique_ptr<uint8_t[]> Scratch(size_t Size) { return std::unique_ptr<uint8_t[]>(new uint8_t[Size]); }

// AND every byte with 0x7F, eight at a time.
void ClearTopBits(uint8_t* P, size_t Count)
{
    constexpr uint64_t Mask = 0x7F7F7F7F7F7F7F7FULL;
    size_t i = 0;
    for (; i + 8 <= Count; i += 8) {
        uint64_t Word;
        std::memcpy(&Word, P + i, 8);
        Word &= Mask;
        std::memcpy(P + i, &Word, 8);
    }
    for (; i < Count; ++i)
        P[i] &= 0x7F;
}

// Size 0, position 0; the block is kept for the next conversion into the same stream.
void Empty(TMemoryStream& Stream)
{
    Stream.SetSize(0);
    Stream.SetPosition(0);
}

}  // namespace

TBmpInfoHeader TBmpInfoHeader::Decode(const uint8_t (&B)[BmpInfoHeaderSize])
{
    TBmpInfoHeader H;
    H.Size = LE32(B + 0);
    H.Width = static_cast<int32_t>(LE32(B + 4));
    H.Height = static_cast<int32_t>(LE32(B + 8));
    H.Planes = LE16(B + 12);
    H.BitCount = LE16(B + 14);
    H.Compression = LE32(B + 16);
    H.SizeImage = LE32(B + 20);
    H.XPelsPerMeter = static_cast<int32_t>(LE32(B + 24));
    H.YPelsPerMeter = static_cast<int32_t>(LE32(B + 28));
    H.ClrUsed = LE32(B + 32);
    H.ClrImportant = LE32(B + 36);
    return H;
}

int RGBToY(uint8_t R, uint8_t G, uint8_t B)
{
    return std::min((257 * R + 504 * G + 98 * B + 16000) / 1000, 255);
}

int RGBToU(uint8_t R, uint8_t G, uint8_t B)
{
    return Clamp255((-148 * R - 291 * G + 439 * B + 128000) / 1000);
}

int RGBToV(uint8_t R, uint8_t G, uint8_t B)
{
    return Clamp255((439 * R - 368 * G - 71 * B + 128000) / 1000);
}

void ConvertPalette(int N, const uint8_t* Source, uint8_t* Target)
{
    for (int i = 0; i < N; ++i) {
        const uint8_t Blue = Source[4 * i], Green = Source[4 * i + 1], Red = Source[4 * i + 2];
        uint8_t* E = Target + 4 * i;
        E[0] = i == OSDTransparentIndex ? 0x00 : 0xFF;
        E[1] = static_cast<uint8_t>(RGBToY(Red, Green, Blue));
        E[2] = static_cast<uint8_t>(RGBToU(Red, Green, Blue));
        E[3] = static_cast<uint8_t>(RGBToV(Red, Green, Blue));
    }
}

void FlipRows(uint8_t* Pixels, int32_t Width, int32_t Height)
{
    if (Width <= 0 || Height <= 0)
        return;
    // Rows are swapped pairwise through one row of scratch: one pass, no second frame.
    const size_t Row = static_cast<size_t>(Width);
    auto Temp = Scratch(Row);
    for (int32_t Top = 0, Bottom = Height - 1; Top < Bottom; ++Top, --Bottom) {
        uint8_t* A = Pixels + Row * Top;
        uint8_t* B = Pixels + Row * Bottom;
        std::memcpy(Temp.get(), A, Row);
        std::memcpy(A, B, Row);
        std::memcpy(B, Temp.get(), Row);
    }
}

void WriteOSDBitmap(TStream& Source, TStream& Target, const TBmpInfoHeader& Info)
{
    const int N = ColourCount(Info);
    CheckGeometry(Info);
    const int32_t W = Info.Width, H = Info.Height;
    const size_t PixelCount = size_t(W) * size_t(H);

    std::vector<uint8_t> Palette(OSDPaletteSize);
    ReadPalette(Source, N, Palette.data());

    auto Pixels = Scratch(PixelCount);
    const int Filler = (4 - W % 4) % 4;
    uint8_t Skip[3];
    for (int32_t y = 0; y < H; ++y) {
        uint8_t* Row = Pixels.get() + size_t(W) * y;
        Source.ReadBuffer(Row, W);
        ClearTopBits(Row, size_t(W));  // while the row is in the cache: 128..255 become 0..127
        if (Filler)
            Source.Read(Skip, Filler);  // missing filler after the last row is no error
    }

    const uint32_t Total = uint32_t(OSDPixelOffset + PixelCount);
    const uint8_t Header[OSDHeaderSize] = {
        OSDBitmapType,
        uint8_t(Total >> 16), uint8_t(Total >> 8), uint8_t(Total),
        uint8_t(W >> 8), uint8_t(W),
        uint8_t(H >> 8), uint8_t(H),
    };
    Target.WriteBuffer(Header, sizeof Header);
    Target.WriteBuffer(Palette.data(), OSDPaletteSize);

    FlipRows(Pixels.get(), W, H);
    Target.WriteBuffer(Pixels.get(), static_cast<int32_t>(PixelCount));
}

bool BmpToOSDBitmap(TStream& Source, TMemoryStream& Target)
{
    Empty(Target);
    try {
        TBmpInfoHeader Info;
        ReadHeaders(Source, Info);
        WriteOSDBitmap(Source, Target, Info);
    } catch (...) {
        Empty(Target);  // nothing half-written stays behind
        throw;
    }
    return true;
}

bool BmpToOSDPalette(TMemoryStream& Source, TMemoryStream& Target)
{
    if (Source.Size() == 0)
        return false;
    Empty(Target);
    TBmpInfoHeader Info;
    ReadHeaders(Source, Info);
    if (Info.BitCount != 7 && Info.BitCount != 8)
        return false;
    std::vector<uint8_t> Palette(OSDPaletteSize);
    ReadPalette(Source, ColourCount(Info), Palette.data());
    Target.WriteBuffer(Palette.data(), OSDPaletteSize);
    return true;
}
