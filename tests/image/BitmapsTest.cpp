// Bitmap characters to pixels: JPEG as the SWF tags carry it (whole, split from its tables, with
// the EOI SOI habit, with an alpha plane), lossless, and damaged data.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "Bitmaps.h"

using namespace swf;
using namespace swf::image;

namespace {

// 16 x 8 pixels, the left half red, the right half blue, as JPEG at quality 95. With Split, the
// tables go into their own stream and the image stream is abbreviated (as DefineBits stores it).
struct Encoded {
    std::vector<uint8_t> Image, Tables;
};

std::vector<uint8_t> Take(unsigned char* Buffer, unsigned long Size)
{
    std::vector<uint8_t> Out(Buffer, Buffer + Size);
    std::free(Buffer);
    return Out;
}

Encoded MakeJpeg(bool Split)
{
    jpeg_compress_struct C;
    jpeg_error_mgr E;
    C.err = jpeg_std_error(&E);
    jpeg_create_compress(&C);
    C.image_width = 16;
    C.image_height = 8;
    C.input_components = 3;
    C.in_color_space = JCS_RGB;
    jpeg_set_defaults(&C);
    jpeg_set_quality(&C, 95, TRUE);
    Encoded Out;
    unsigned char* Buffer = nullptr;
    unsigned long Size = 0;
    if (Split) {
        jpeg_mem_dest(&C, &Buffer, &Size);
        jpeg_write_tables(&C);
        Out.Tables = Take(Buffer, Size);
        Buffer = nullptr;
        Size = 0;
    }
    jpeg_mem_dest(&C, &Buffer, &Size);
    jpeg_start_compress(&C, Split ? FALSE : TRUE);
    std::vector<uint8_t> Row(16 * 3);
    for (int X = 0; X < 16; ++X) {
        Row[X * 3] = X < 8 ? 255 : 0;
        Row[X * 3 + 2] = X < 8 ? 0 : 255;
    }
    while (C.next_scanline < C.image_height) {
        JSAMPROW R = Row.data();
        jpeg_write_scanlines(&C, &R, 1);
    }
    jpeg_finish_compress(&C);
    Out.Image = Take(Buffer, Size);
    jpeg_destroy_compress(&C);
    return Out;
}

void ExpectRedBlue(const Pixels& P, uint8_t Alpha = 255)
{
    ASSERT_EQ(P.Width, 16);
    ASSERT_EQ(P.Height, 8);
    const uint32_t Left = P.Argb[3 * 16 + 2], Right = P.Argb[3 * 16 + 13];
    EXPECT_EQ(Left >> 24, Alpha);
    EXPECT_NEAR(double(Left >> 16 & 0xFF), Alpha, 12);
    EXPECT_NEAR(double(Left & 0xFF), 0, 12);
    EXPECT_NEAR(double(Right >> 16 & 0xFF), 0, 12);
    EXPECT_NEAR(double(Right & 0xFF), Alpha, 12);
}

std::vector<uint8_t> Cat(std::vector<uint8_t> A, const std::vector<uint8_t>& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

}  // namespace

TEST(Bitmaps, JpegInTheFormsSwfTagsUse)
{
    const Encoded Whole = MakeJpeg(false), Split = MakeJpeg(true);
    ExpectRedBlue(DecodeJpeg(Whole.Image));
    // DefineBits: the abbreviated image with the movie's JPEGTables.
    const JpegTables Tables{Split.Tables};
    ExpectRedBlue(DecodeBitmap(DefineBits{1, Split.Image}, &Tables));
    // DefineBitsJPEG2 with tables and image in one stream, joined by EOI SOI, and with a
    // leading EOI SOI.
    std::vector<uint8_t> Joined = Cat(Split.Tables, Split.Image);
    ExpectRedBlue(DecodeBitmap(DefineBitsJpeg{2, 2, Joined, {}}));
    ExpectRedBlue(DecodeBitmap(DefineBitsJpeg{2, 3, Cat({0xFF, 0xD9, 0xFF, 0xD8}, Whole.Image), {}}));
}

TEST(Bitmaps, Jpeg3AlphaIsPremultiplied)
{
    const Encoded Whole = MakeJpeg(false);
    std::vector<uint8_t> Alpha(16 * 8, 128);
    uLongf Size = compressBound(uLong(Alpha.size()));
    std::vector<uint8_t> Z(Size);
    compress2(Z.data(), &Size, Alpha.data(), uLong(Alpha.size()), 9);
    Z.resize(Size);
    ExpectRedBlue(DecodeBitmap(DefineBitsJpeg{3, 4, Whole.Image, Z}), 128);
    Z.resize(Z.size() / 2);
    EXPECT_THROW(DecodeBitmap(DefineBitsJpeg{3, 4, Whole.Image, Z}), SwfError);
}

TEST(Bitmaps, LosslessAndDamagedData)
{
    const std::vector<uint8_t> Rgba = {255, 0, 0, 255, 0, 0, 255, 0};
    const Pixels P = DecodeBitmap(MakeLossless2(5, 2, 1, Rgba));
    EXPECT_EQ(P.Width, 2);
    EXPECT_EQ(P.Argb, (std::vector<uint32_t>{0xFFFF0000, 0x00000000}));

    const Encoded Whole = MakeJpeg(false);
    const std::vector<uint8_t> Cut(Whole.Image.begin(), Whole.Image.begin() + 40);
    const std::vector<uint8_t> Garbage = {0xFF, 0xD8, 0x12, 0x34, 0x56};
    const std::vector<uint8_t> Png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (const auto& Bad : {Cut, Garbage, Png, std::vector<uint8_t>{}}) {
        try {
            DecodeBitmap(DefineBitsJpeg{2, 9, Bad, {}});
            ADD_FAILURE() << "decoded " << Bad.size() << " bad bytes";
        } catch (const SwfError& E) {
            EXPECT_NE(std::string(E.what()).find(Bad == Png ? "PNG" : "JPEG"), std::string::npos) << E.what();
        }
    }
    EXPECT_THROW(DecodeBitmap(ShowFrame{}), SwfError);
}
