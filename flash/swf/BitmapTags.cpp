// Bitmap tags: DefineBits, JPEGTables, DefineBitsJPEG2/3, DefineBitsLossless/2, and the lossless
// pixel conversions.
#include <zlib.h>

#include <algorithm>
#include <limits>

#include "TagCodecs.h"

namespace swf {

namespace {

std::vector<uint8_t> ToVector(std::span<const uint8_t> B) { return {B.begin(), B.end()}; }

constexpr uint64_t MaxLosslessPixels = uint64_t(1) << 26;

// Inflates exactly Expected bytes, growing the output only as data arrives.
std::vector<uint8_t> InflateExactly(std::span<const uint8_t> In, size_t Expected, const char* What)
{
    std::vector<uint8_t> Out;
    z_stream Z{};
    if (inflateInit(&Z) != Z_OK)
        throw SwfError(0, std::string("zlib cannot start inflating ") + What);
    struct Ender {
        z_stream* Z;
        ~Ender() { inflateEnd(Z); }
    } End{&Z};
    Z.next_in = const_cast<Bytef*>(In.data());
    Z.avail_in = static_cast<uInt>(std::min<size_t>(In.size(), std::numeric_limits<uInt>::max()));
    int Rc = Z_OK;
    while (Out.size() < Expected && Rc == Z_OK) {
        const size_t Old = Out.size();
        const size_t Chunk = std::min<size_t>(Expected - Old, 256 * 1024);
        Out.resize(Old + Chunk);
        Z.next_out = Out.data() + Old;
        Z.avail_out = static_cast<uInt>(Chunk);
        Rc = inflate(&Z, Z_NO_FLUSH);
        Out.resize(Old + (Chunk - Z.avail_out));
        if (Rc == Z_BUF_ERROR)
            break;
    }
    if (Rc != Z_OK && Rc != Z_STREAM_END && Rc != Z_BUF_ERROR)
        throw SwfError(Z.total_in, std::string(What) + ": zlib data damaged (" + (Z.msg ? Z.msg : "error") + ")");
    if (Out.size() < Expected)
        throw SwfError(Z.total_in, std::string(What) + " holds " + std::to_string(Out.size()) + " bytes, " +
                                       std::to_string(Expected) + " needed");
    return Out;
}

uint8_t Expand5(uint32_t V) { return static_cast<uint8_t>(V << 3 | V >> 2); }

}  // namespace

std::optional<TagValue> DecodeBitmapTag(uint16_t Code, Reader& R)
{
    switch (Code) {
    case 6: {
        DefineBits B;
        B.Id = R.UI16();
        B.JpegData = ToVector(R.Rest());
        return B;
    }
    case 8: return JpegTables{ToVector(R.Rest())};
    case 21:
    case 35: {
        DefineBitsJpeg B;
        B.Version = Code == 21 ? 2 : 3;
        B.Id = R.UI16();
        if (B.Version == 2) {
            B.ImageData = ToVector(R.Rest());
        } else {
            const uint32_t AlphaOffset = R.UI32();
            if (AlphaOffset > R.Remaining())
                R.Fail("alpha data offset " + std::to_string(AlphaOffset) + " is past the end of DefineBitsJPEG3");
            B.ImageData = ToVector(R.Bytes(AlphaOffset));
            B.AlphaData = ToVector(R.Rest());
        }
        return B;
    }
    case 20:
    case 36: {
        DefineBitsLossless B;
        B.Version = Code == 20 ? 1 : 2;
        B.Id = R.UI16();
        const size_t At = R.Offset();
        B.Format = R.UI8();
        if (B.Format != 3 && B.Format != 5 && !(B.Format == 4 && B.Version == 1))
            throw SwfError(At, "unknown lossless bitmap format " + std::to_string(B.Format));
        B.Width = R.UI16();
        B.Height = R.UI16();
        if (B.Format == 3)
            B.ColorTableSize = R.UI8();
        B.ZlibData = ToVector(R.Rest());
        return B;
    }
    default: return std::nullopt;
    }
}

void EncodeTagBody(const DefineBits& T, Writer& W)
{
    W.UI16(T.Id);
    W.Bytes(T.JpegData);
}

void EncodeTagBody(const JpegTables& T, Writer& W) { W.Bytes(T.Data); }

void EncodeTagBody(const DefineBitsJpeg& T, Writer& W)
{
    W.UI16(T.Id);
    if (T.Version == 3) {
        W.UI32(static_cast<uint32_t>(T.ImageData.size()));
        W.Bytes(T.ImageData);
        W.Bytes(T.AlphaData);
    } else {
        if (!T.AlphaData.empty())
            throw SwfError(W.Size(), "DefineBitsJPEG2 cannot hold alpha data");
        W.Bytes(T.ImageData);
    }
}

void EncodeTagBody(const DefineBitsLossless& T, Writer& W)
{
    if (T.Format != 3 && T.Format != 5 && !(T.Format == 4 && T.Version == 1))
        throw SwfError(W.Size(), "lossless bitmap format " + std::to_string(T.Format) + " cannot be written");
    W.UI16(T.Id);
    W.UI8(T.Format);
    W.UI16(T.Width);
    W.UI16(T.Height);
    if (T.Format == 3)
        W.UI8(T.ColorTableSize);
    W.Bytes(T.ZlibData);
}

uint16_t TagCodeOf(const DefineBits&) { return 6; }
uint16_t TagCodeOf(const JpegTables&) { return 8; }
uint16_t TagCodeOf(const DefineBitsJpeg& T) { return T.Version == 3 ? 35 : 21; }
uint16_t TagCodeOf(const DefineBitsLossless& T) { return T.Version == 1 ? 20 : 36; }

std::vector<uint32_t> DecodeLosslessPixels(const DefineBitsLossless& B)
{
    const uint64_t Pixels = uint64_t(B.Width) * B.Height;
    if (Pixels > MaxLosslessPixels)
        throw SwfError(0, "bitmap " + std::to_string(B.Id) + " of " + std::to_string(B.Width) + " x " +
                              std::to_string(B.Height) + " pixels is larger than supported");
    const bool Alpha = B.Version == 2;
    std::vector<uint32_t> Out;
    if (B.Format == 3) {
        const size_t Colors = size_t(B.ColorTableSize) + 1, Entry = Alpha ? 4 : 3;
        const size_t Stride = (size_t(B.Width) + 3) & ~size_t(3);
        const std::vector<uint8_t> Data =
            InflateExactly(B.ZlibData, Colors * Entry + Stride * B.Height, "colour-mapped bitmap");
        Out.reserve(static_cast<size_t>(Pixels));  // the data is there
        std::vector<uint32_t> Table(Colors);
        for (size_t I = 0; I < Colors; ++I) {
            const uint8_t* E = &Data[I * Entry];
            Table[I] = uint32_t(Alpha ? E[3] : 255) << 24 | uint32_t(E[0]) << 16 | uint32_t(E[1]) << 8 | E[2];
        }
        const uint8_t* Rows = Data.data() + Colors * Entry;
        for (size_t Y = 0; Y < B.Height; ++Y)
            for (size_t X = 0; X < B.Width; ++X) {
                const uint8_t Index = Rows[Y * Stride + X];
                Out.push_back(Index < Colors ? Table[Index] : 0);
            }
    } else if (B.Format == 4) {
        const size_t Stride = (size_t(B.Width) * 2 + 3) & ~size_t(3);
        const std::vector<uint8_t> Data = InflateExactly(B.ZlibData, Stride * B.Height, "15-bit bitmap");
        Out.reserve(static_cast<size_t>(Pixels));  // the data is there
        for (size_t Y = 0; Y < B.Height; ++Y)
            for (size_t X = 0; X < B.Width; ++X) {
                const uint32_t P = uint32_t(Data[Y * Stride + 2 * X]) << 8 | Data[Y * Stride + 2 * X + 1];
                Out.push_back(0xFF000000u | uint32_t(Expand5(P >> 10 & 31)) << 16 | uint32_t(Expand5(P >> 5 & 31)) << 8 |
                              Expand5(P & 31));
            }
    } else if (B.Format == 5) {
        const std::vector<uint8_t> Data = InflateExactly(B.ZlibData, static_cast<size_t>(Pixels) * 4, "32-bit bitmap");
        Out.reserve(static_cast<size_t>(Pixels));  // the data is there
        for (size_t I = 0; I < Pixels; ++I) {
            const uint8_t* P = &Data[I * 4];
            Out.push_back(uint32_t(Alpha ? P[0] : 255) << 24 | uint32_t(P[1]) << 16 | uint32_t(P[2]) << 8 | P[3]);
        }
    } else {
        throw SwfError(0, "unknown lossless bitmap format " + std::to_string(B.Format));
    }
    return Out;
}

DefineBitsLossless MakeLossless2(uint16_t Id, uint16_t Width, uint16_t Height, std::span<const uint8_t> Rgba)
{
    const size_t Pixels = size_t(Width) * Height;
    if (Rgba.size() != Pixels * 4)
        throw SwfError(0, "bitmap " + std::to_string(Id) + ": " + std::to_string(Rgba.size()) + " bytes given for " +
                              std::to_string(Width) + " x " + std::to_string(Height) + " RGBA pixels");
    std::vector<uint8_t> Argb(Pixels * 4);
    for (size_t I = 0; I < Pixels; ++I) {
        const uint8_t* S = &Rgba[I * 4];
        const unsigned A = S[3];
        uint8_t* D = &Argb[I * 4];
        D[0] = static_cast<uint8_t>(A);
        for (int C = 0; C < 3; ++C)
            D[1 + C] = static_cast<uint8_t>((S[C] * A + 127) / 255);
    }
    uLongf Size = compressBound(static_cast<uLong>(Argb.size()));
    DefineBitsLossless B;
    B.Version = 2;
    B.Id = Id;
    B.Format = 5;
    B.Width = Width;
    B.Height = Height;
    B.ZlibData.resize(Size);
    if (compress2(B.ZlibData.data(), &Size, Argb.data(), static_cast<uLong>(Argb.size()), 9) != Z_OK)
        throw SwfError(0, "zlib cannot compress bitmap " + std::to_string(Id));
    B.ZlibData.resize(Size);
    return B;
}

}  // namespace swf
