#include "OSDPicture.h"

#include <cmath>

#include "UnitOSDFunctions.h"

namespace {

uint8_t ClampByte(double V) { return V <= 0 ? 0 : V >= 255 ? 255 : uint8_t(std::lround(V)); }

}  // namespace

void YUVToRGB(int Y, int U, int V, uint8_t& R, uint8_t& G, uint8_t& B)
{
    const double C = 1.164 * (Y - 16), D = U - 128, E = V - 128;
    R = ClampByte(C + 1.596 * E);
    G = ClampByte(C - 0.392 * D - 0.813 * E);
    B = ClampByte(C + 2.017 * D);
}

TOSDPicture DecodeOSDBitmap(const std::vector<uint8_t>& Bytes)
{
    if (Bytes.size() < size_t(OSDPixelOffset))
        throw EBadOSDBitmap("too short for an OSD bitmap: " + std::to_string(Bytes.size()) +
                            " bytes, the header and palette alone take 1032");
    if (Bytes[0] != OSDBitmapType)
        throw EBadOSDBitmap("type byte is " + std::to_string(Bytes[0]) + ", not 62 (0x3E)");
    const uint32_t Total = uint32_t(Bytes[1]) << 16 | Bytes[2] << 8 | Bytes[3];
    TOSDPicture P;
    P.Width = Bytes[4] << 8 | Bytes[5];
    P.Height = Bytes[6] << 8 | Bytes[7];
    const uint64_t Expected = OSDPixelOffset + uint64_t(P.Width) * P.Height;
    if (Total != Expected)
        throw EBadOSDBitmap("header length " + std::to_string(Total) + " does not match " + std::to_string(P.Width) +
                            " x " + std::to_string(P.Height) + " pixels (" + std::to_string(Expected) + " bytes)");
    if (Bytes.size() < Expected)
        throw EBadOSDBitmap("truncated: the header says " + std::to_string(Expected) + " bytes, there are " +
                            std::to_string(Bytes.size()));

    uint8_t Lut[256][4];
    for (int i = 0; i < 256; ++i) {
        const uint8_t* E = Bytes.data() + OSDHeaderSize + 4 * i;
        YUVToRGB(E[1], E[2], E[3], Lut[i][0], Lut[i][1], Lut[i][2]);
        Lut[i][3] = E[0];
    }
    const size_t Count = size_t(P.Width) * P.Height;
    P.Rgba.resize(Count * 4);
    for (size_t i = 0; i < Count; ++i)
        std::copy(Lut[Bytes[OSDPixelOffset + i]], Lut[Bytes[OSDPixelOffset + i]] + 4, P.Rgba.data() + 4 * i);
    return P;
}

TPicture Composite(const TOSDPicture& OSD, TBackground Kind, const TPicture* Picture)
{
    TPicture Out;
    Out.Width = OSD.Width;
    Out.Height = OSD.Height;
    Out.Channels = 3;
    Out.Pixels.resize(size_t(Out.Width) * Out.Height * 3);
    for (int y = 0; y < Out.Height; ++y)
        for (int x = 0; x < Out.Width; ++x) {
            uint8_t Back[3] = {0, 0, 0};
            if (Kind == TBackground::Checker) {
                const uint8_t G = ((x / 16 + y / 16) & 1) ? 0x99 : 0x66;
                Back[0] = Back[1] = Back[2] = G;
            } else if (Kind == TBackground::Picture && Picture && Picture->Width > 0 && Picture->Height > 0) {
                const uint8_t* S = Picture->At(int(int64_t(x) * Picture->Width / Out.Width),
                                               int(int64_t(y) * Picture->Height / Out.Height));
                Back[0] = S[0], Back[1] = S[1], Back[2] = S[2];
            }
            const uint8_t* F = OSD.Rgba.data() + (size_t(y) * OSD.Width + x) * 4;
            uint8_t* D = Out.At(x, y);
            for (int c = 0; c < 3; ++c)
                D[c] = uint8_t((F[c] * F[3] + Back[c] * (255 - F[3]) + 127) / 255);
        }
    return Out;
}
