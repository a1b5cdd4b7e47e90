#include "Bitmaps.h"

#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <limits>

#include <jpeglib.h>

namespace swf::image {

namespace {

// libjpeg reports errors through error_exit, which must not return: jump back to the caller.
struct ErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr C)
{
    auto* E = reinterpret_cast<ErrorManager*>(C->err);
    (*C->err->format_message)(C, E->Message);
    std::longjmp(E->Jump, 1);
}

void OnMessage(j_common_ptr) {}  // warnings are not printed

// Undoes the EOI SOI pair (FF D9 FF D8) that SWF writers put before the data, or between the
// tables and the image of one stream.
std::vector<uint8_t> Repaired(std::span<const uint8_t> In)
{
    std::vector<uint8_t> Out(In.begin(), In.end());
    auto Pair = [&](size_t I) { return Out[I] == 0xFF && Out[I + 1] == 0xD9 && Out[I + 2] == 0xFF && Out[I + 3] == 0xD8; };
    if (Out.size() >= 4 && Pair(0))
        Out.erase(Out.begin(), Out.begin() + 4);
    for (size_t I = 0; I + 3 < Out.size(); ++I)
        if (Pair(I)) {
            Out.erase(Out.begin() + static_cast<std::ptrdiff_t>(I), Out.begin() + static_cast<std::ptrdiff_t>(I + 4));
            break;
        }
    return Out;
}

// Fills Out from the decompressor; returns false (with Message set) on a libjpeg error. Kept
// free of C++ objects with destructors between setjmp and longjmp.
bool Run(const std::vector<uint8_t>& Image, const std::vector<uint8_t>& Tables, Pixels& Out, char* Message)
{
    jpeg_decompress_struct D;
    ErrorManager E;
    D.err = jpeg_std_error(&E.Base);
    E.Base.error_exit = OnError;
    E.Base.output_message = OnMessage;
    E.Message[0] = 0;
    jpeg_create_decompress(&D);
    if (setjmp(E.Jump)) {
        std::snprintf(Message, JMSG_LENGTH_MAX, "%s", E.Message);
        jpeg_destroy_decompress(&D);
        return false;
    }
    if (!Tables.empty()) {
        jpeg_mem_src(&D, Tables.data(), static_cast<unsigned long>(Tables.size()));
        jpeg_read_header(&D, FALSE);
    }
    jpeg_mem_src(&D, Image.data(), static_cast<unsigned long>(Image.size()));
    jpeg_read_header(&D, TRUE);
    D.out_color_space = JCS_RGB;
    if (uint64_t(D.image_width) * D.image_height > MaxPixels) {
        std::snprintf(Message, JMSG_LENGTH_MAX, "JPEG of %u x %u pixels is larger than supported", D.image_width,
                      D.image_height);
        jpeg_destroy_decompress(&D);
        return false;
    }
    jpeg_start_decompress(&D);
    JSAMPARRAY Rows = (*D.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&D), JPOOL_IMAGE,
                                             D.output_width * D.output_components, 1);
    Out.Width = static_cast<int>(D.output_width);
    Out.Height = static_cast<int>(D.output_height);
    Out.Argb.resize(size_t(D.output_width) * D.output_height);
    while (D.output_scanline < D.output_height) {
        const size_t Y = D.output_scanline;
        jpeg_read_scanlines(&D, Rows, 1);
        for (size_t X = 0; X < D.output_width; ++X) {
            const uint8_t* P = Rows[0] + X * D.output_components;
            Out.Argb[Y * D.output_width + X] = 0xFF000000u | uint32_t(P[0]) << 16 | uint32_t(P[1]) << 8 | P[2];
        }
    }
    jpeg_finish_decompress(&D);
    jpeg_destroy_decompress(&D);
    return true;
}

// Multiplies opaque pixels by an inflated alpha plane of one byte per pixel.
void ApplyAlpha(Pixels& P, std::span<const uint8_t> Zlib)
{
    const size_t N = P.Argb.size();
    std::vector<uint8_t> Alpha(N);
    uLongf Size = static_cast<uLongf>(N);
    const int Rc = uncompress(Alpha.data(), &Size, Zlib.data(), static_cast<uLong>(Zlib.size()));
    if ((Rc != Z_OK && Rc != Z_BUF_ERROR) || Size != N)
        throw SwfError(0, "DefineBitsJPEG3 alpha data is damaged or holds fewer than " + std::to_string(N) + " bytes");
    for (size_t I = 0; I < N; ++I) {
        const uint32_t A = Alpha[I], C = P.Argb[I];
        auto Mul = [A](uint32_t V) { return (V * A + 127) / 255; };
        P.Argb[I] = A << 24 | Mul(C >> 16 & 0xFF) << 16 | Mul(C >> 8 & 0xFF) << 8 | Mul(C & 0xFF);
    }
}

bool StartsWith(std::span<const uint8_t> B, std::initializer_list<uint8_t> Magic)
{
    return B.size() >= Magic.size() && std::equal(Magic.begin(), Magic.end(), B.begin());
}

}  // namespace

Pixels DecodeJpeg(std::span<const uint8_t> Image, std::span<const uint8_t> Tables)
{
    Pixels Out;
    char Message[JMSG_LENGTH_MAX] = {};
    if (!Run(Repaired(Image), Repaired(Tables), Out, Message))
        throw SwfError(0, std::string("JPEG data cannot be decoded: ") + Message);
    return Out;
}

Pixels DecodeBitmap(const TagValue& Character, const JpegTables* Tables)
{
    if (auto* L = std::get_if<DefineBitsLossless>(&Character)) {
        Pixels P;
        P.Width = L->Width;
        P.Height = L->Height;
        P.Argb = DecodeLosslessPixels(*L);
        return P;
    }
    if (auto* B = std::get_if<DefineBits>(&Character))
        return DecodeJpeg(B->JpegData, Tables ? std::span<const uint8_t>(Tables->Data) : std::span<const uint8_t>());
    if (auto* J = std::get_if<DefineBitsJpeg>(&Character)) {
        if (StartsWith(J->ImageData, {0x89, 'P', 'N', 'G'}) || StartsWith(J->ImageData, {'G', 'I', 'F', '8'}))
            throw SwfError(0, "bitmap " + std::to_string(J->Id) + " holds PNG or GIF data, which is not decoded");
        Pixels P = DecodeJpeg(J->ImageData);
        if (J->Version == 3 && !J->AlphaData.empty())
            ApplyAlpha(P, J->AlphaData);
        return P;
    }
    throw SwfError(0, "not a bitmap character");
}

}  // namespace swf::image
