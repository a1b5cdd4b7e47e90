// Premultiplied ARGB words (0xAARRGGBB) and the 8-bit arithmetic on them.
#pragma once

#include <cstdint>

#include "Records.h"

namespace swf::render {

using Argb = uint32_t;

// Round(V / 255) for V in 0..255*255.
inline uint32_t Div255(uint32_t V)
{
    V += 128;
    return (V + (V >> 8)) >> 8;
}

inline constexpr Argb MakeArgb(uint32_t A, uint32_t R, uint32_t G, uint32_t B) { return A << 24 | R << 16 | G << 8 | B; }
inline constexpr uint32_t AlphaOf(Argb P) { return P >> 24; }
inline constexpr uint32_t RedOf(Argb P) { return (P >> 16) & 0xFF; }
inline constexpr uint32_t GreenOf(Argb P) { return (P >> 8) & 0xFF; }
inline constexpr uint32_t BlueOf(Argb P) { return P & 0xFF; }

inline Argb Premultiply(swf::Rgba C)
{
    return MakeArgb(C.A, Div255(C.R * C.A), Div255(C.G * C.A), Div255(C.B * C.A));
}

inline swf::Rgba Unpremultiply(Argb P)
{
    const uint32_t A = AlphaOf(P);
    if (A == 0)
        return {0, 0, 0, 0};
    auto Un = [A](uint32_t V) { return static_cast<uint8_t>(V >= A ? 255 : (V * 255 + A / 2) / A); };
    return {Un(RedOf(P)), Un(GreenOf(P)), Un(BlueOf(P)), static_cast<uint8_t>(A)};
}

// Every channel of a premultiplied colour times Scale/255.
inline Argb ScaleArgb(Argb P, uint32_t Scale)
{
    return MakeArgb(Div255(AlphaOf(P) * Scale), Div255(RedOf(P) * Scale), Div255(GreenOf(P) * Scale),
                    Div255(BlueOf(P) * Scale));
}

}  // namespace swf::render
