#include "Png.h"

#include <png.h>

#include <cstring>
#include <stdexcept>

TPicture ReadPng(const std::string& FileName, int Channels)
{
    png_image Image;
    std::memset(&Image, 0, sizeof Image);
    Image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&Image, FileName.c_str()))
        throw std::runtime_error(FileName + ": " + Image.message);
    Image.format = Channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    TPicture P;
    P.Width = int(Image.width);
    P.Height = int(Image.height);
    P.Channels = Channels;
    P.Pixels.resize(PNG_IMAGE_SIZE(Image));
    if (!png_image_finish_read(&Image, nullptr, P.Pixels.data(), 0, nullptr)) {
        const std::string Reason = Image.message;
        png_image_free(&Image);
        throw std::runtime_error(FileName + ": " + Reason);
    }
    return P;
}

void WritePng(const std::string& FileName, const TPicture& P)
{
    png_image Image;
    std::memset(&Image, 0, sizeof Image);
    Image.version = PNG_IMAGE_VERSION;
    Image.width = png_uint_32(P.Width);
    Image.height = png_uint_32(P.Height);
    Image.format = P.Channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&Image, FileName.c_str(), 0, P.Pixels.data(), 0, nullptr))
        throw std::runtime_error(FileName + ": " + Image.message);
}
