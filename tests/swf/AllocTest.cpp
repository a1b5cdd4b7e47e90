// Allocation bound: decoding never holds more than alloccount::Bound of the bytes decoded
// (inflated), whatever counts and sizes the headers claim. Hostile headers fail cleanly or decode
// within the bound.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../AllocCounter.h"
#include "Tags.h"

using namespace swf;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> Parts)
{
    Bytes Out;
    for (const Bytes& P : Parts)
        Out.insert(Out.end(), P.begin(), P.end());
    return Out;
}

Bytes Zlib(const Bytes& Data)
{
    uLongf Size = compressBound(static_cast<uLong>(Data.size()));
    Bytes Out(Size);
    EXPECT_EQ(compress2(Out.data(), &Size, Data.data(), static_cast<uLong>(Data.size()), 9), Z_OK);
    Out.resize(Size);
    return Out;
}

// Tag header and body, long form.
Bytes TagBytes(uint16_t Code, const Bytes& Body)
{
    const auto N = static_cast<uint32_t>(Body.size());
    return Cat({{uint8_t(Code << 6 | 0x3F), uint8_t(Code >> 2), uint8_t(N), uint8_t(N >> 8), uint8_t(N >> 16),
                 uint8_t(N >> 24)},
                Body});
}

// An SWF file after its 8-byte prefix: empty RECT, 24 fps, 1 frame, the tags, End.
Bytes MovieBody(const Bytes& Tags) { return Cat({{0x00, 0x00, 0x18, 0x01, 0x00}, Tags, {0x00, 0x00}}); }

Bytes Prefix(char First, uint32_t Length) { return {uint8_t(First), 'W', 'S', 8, uint8_t(Length), uint8_t(Length >> 8), uint8_t(Length >> 16), uint8_t(Length >> 24)}; }

Bytes Lossless2(uint8_t Format, uint16_t W, uint16_t H, const Bytes& Zlib)
{
    Bytes B = {0x01, 0x00, Format, uint8_t(W), uint8_t(W >> 8), uint8_t(H), uint8_t(H >> 8)};
    if (Format == 3)
        B.push_back(0xFF);
    return Cat({B, Zlib});
}

struct Outcome {
    bool Failed = false;
    size_t Peak = 0;
};

Outcome Measure(const std::function<void()>& Decode)
{
    Outcome O;
    alloccount::Window W;
    try {
        Decode();
    } catch (const SwfError&) {
        O.Failed = true;
    }
    O.Peak = W.PeakAbove();
    return O;
}

DefineBitsLossless LosslessOf(const Bytes& Body) { return std::get<DefineBitsLossless>(DecodeTag(Tag{36, Body}, 8)); }

}  // namespace

TEST(SwfAlloc, CounterSeesWhatIsAllocated)
{
    alloccount::Window W;
    {
        std::vector<uint8_t> V;
        V.reserve(alloccount::Bound(100) + 1);
    }
    EXPECT_GT(W.PeakAbove(), alloccount::Bound(100));

    // A real decode is seen too: 256 x 256 pixels of four bytes each.
    const Bytes Body = Lossless2(5, 256, 256, Zlib(Bytes(256 * 256 * 4, 0x7F)));
    const DefineBitsLossless B = LosslessOf(Body);
    const Outcome O = Measure([&] { DecodeLosslessPixels(B); });
    EXPECT_FALSE(O.Failed);
    EXPECT_GE(O.Peak, 2u * 256 * 256 * 4) << "the inflated data and the pixels";
}

TEST(SwfAlloc, HostileHeadersFailCleanlyOrStayWithinTheBound)
{
    const Bytes Small = MovieBody(TagBytes(9, {1, 2, 3}));
    const Bytes Zeros(2u << 20, 0);
    const Bytes Body65535 = Lossless2(5, 0xFFFF, 0xFFFF, Zlib(Bytes(64, 0xAA)));
    const Bytes Body8192 = Lossless2(3, 8192, 8192, Zlib(Bytes(4096, 0x01)));
    struct Case {
        const char* Name;
        Bytes Input;
        size_t Size;  // bytes decoded, inflated
        bool MustFail;
        std::function<void(const Bytes&)> Decode;
    };
    const auto Movie = [](const Bytes& F) { DecodeMovie(F); };
    const auto Capped = [](const Bytes& F) { DecodeMovie(F, DecodeOptions{1u << 20}); };
    const auto TagCode = [](uint16_t Code) {
        return [Code](const Bytes& Body) { DecodeTag(Tag{Code, Body}, 8); };
    };
    const auto Pixels = [](const Bytes& Body) { DecodeLosslessPixels(LosslessOf(Body)); };
    const Case Cases[] = {
        {"CWS claiming 4 GB", Cat({Prefix('C', 0xFFFFFFFF), Zlib(Small)}), 8 + Small.size(), false, Movie},
        {"CWS inflating past the limit", Cat({Prefix('C', 0xFFFFFFFF), Zlib(Zeros)}), 1u << 20, true, Capped},
        {"FWS claiming 4 GB", Cat({Prefix('F', 0xFFFFFFFF), Small}), 8 + Small.size(), false, Movie},
        {"DefineFont2 of 65535 glyphs", {0x01, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x04, 0x00, 0x06, 0x00}, 11, true,
         TagCode(48)},
        {"wide DefineFont2 of 65535 glyphs", {0x01, 0x00, 0x88, 0x00, 0x00, 0xFF, 0xFF, 0x08, 0x00, 0x00, 0x00}, 11,
         true, TagCode(48)},
        {"ExportAssets of 65535", {0xFF, 0xFF, 0x01, 0x00, 'a', 0x00}, 6, true, TagCode(56)},
        {"ConstantPool of 65535", {0x88, 0x06, 0x00, 0xFF, 0xFF, 'a', 0x00, 'b', 0x00, 0x00}, 10, true, TagCode(12)},
        {"DefineFunction2 of 65535 parameters", {0x8E, 0x08, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00},
         11, true, TagCode(12)},
        {"DefineBitsLossless2 65535 x 65535", Body65535, Body65535.size(), true, Pixels},
        {"DefineBitsLossless2 8192 x 8192", Body8192, Body8192.size(), true, Pixels},
        {"fill style count 0xFFFF", {0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x10, 0x20, 0x30, 0x40}, 11, true,
         TagCode(32)},
        {"line style count 0xFFFF", {0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x14, 0x00, 0x10, 0x20, 0x30}, 12, true,
         TagCode(22)},
        {"255 filters, a 255 x 255 convolution",
         {0x00, 0x01, 0x01, 0x00, 0xFF, 0x05, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00}, 16, true,
         TagCode(70)},
        {"DefineText of 255-glyph records", {0x01, 0x00, 0x00, 0x00, 0x10, 0x10, 0x80, 0xFF, 0x12, 0x34}, 10, true,
         TagCode(11)},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        const Outcome O = Measure([&] { C.Decode(C.Input); });
        if (C.MustFail) {
            EXPECT_TRUE(O.Failed);
        }
        EXPECT_LE(O.Peak, alloccount::Bound(C.Size)) << O.Peak << " bytes for " << C.Size;
    }
}
