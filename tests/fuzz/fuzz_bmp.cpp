// libFuzzer target: arbitrary bytes as a BMP file image through both OSD converters.
#include <cstddef>
#include <cstdint>
#include <new>

#include "UnitOSDFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TMemoryStream Source, Target;
    if (Size)
        Source.WriteBuffer(Data, static_cast<int32_t>(Size));
    try {
        BmpToOSDBitmap(Source, Target);
        // A completed conversion is a whole OSD bitmap whose header states its length.
        const uint8_t* H = Target.Memory();
        const uint32_t Total = uint32_t(H[1]) << 16 | H[2] << 8 | H[3];
        if (H[0] != OSDBitmapType || Total != Target.Size() ||
            Total != uint32_t(OSDPixelOffset + (H[4] << 8 | H[5]) * (H[6] << 8 | H[7])))
            __builtin_trap();
    } catch (const Exception&) {
        if (Target.Size() != 0)
            __builtin_trap();  // a failed conversion leaves the target empty
    }
    try {
        if (BmpToOSDPalette(Source, Target) && Target.Size() != OSDPaletteSize)
            __builtin_trap();
    } catch (const Exception&) {
    }
    return 0;
}
