// libFuzzer target: arbitrary bytes through the SWF container, the typed tag decoders and the
// action decoder.
//
// Input: a whole file when it starts with 'F', 'C' or 'Z' (so real movies seed as they are); else
// the first byte selects (low two bits) a tag stream behind an FWS header, the same behind a CWS
// header, one tag (10-bit code from the next two bytes, then its body) or an action block, and
// (bit 6) SWF version 5 instead of 8 for the framed forms.
//
// Only swf::SwfError may leave a decoder. What decodes is encoded; when that succeeds, decoding
// the encoding must give the same value (a decoder that throws on it is a finding too) and
// encoding that again the same bytes. Each decode's peak of live heap bytes must stay within
// alloccount::Bound of the bytes it decodes (inflated).
// SWF_FUZZ_PEAKS=1 in the environment prints each decode's peak and size.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "../AllocCounter.h"
#include "Tags.h"

using namespace swf;

namespace {

using Bytes = std::vector<uint8_t>;

// Small enough that the decoded model of a file at the limit stays well inside the RSS limit.
constexpr size_t MaxFile = 1u << 20;
constexpr uint64_t MaxPixels = 1u << 20;  // bitmaps converted to pixels

const bool ShowPeaks = std::getenv("SWF_FUZZ_PEAKS") != nullptr;

void Check(bool Ok)
{
    if (!Ok)
        __builtin_trap();
}

void CheckPeak(const alloccount::Window& W, size_t Size, const char* What, size_t Limit)
{
    if (ShowPeaks)
        std::fprintf(stderr, "%s: peak %zu bytes for %zu bytes (%.1fx)\n", What, W.PeakAbove(), Size,
                     Size ? double(W.PeakAbove()) / double(Size) : 0.0);
    Check(W.PeakAbove() <= Limit);
}

void CheckPeak(const alloccount::Window& W, size_t Size, const char* What)
{
    CheckPeak(W, Size, What, alloccount::Bound(Size));
}

bool SameHeader(const SwfHeader& A, const SwfHeader& B)
{
    return A.Compressed == B.Compressed && A.Version == B.Version && A.FrameSize == B.FrameSize &&
           A.FrameRate == B.FrameRate && A.FrameCount == B.FrameCount;
}

// Bytes the file holds once inflated (capped like the decoder), without counting the work.
size_t InflatedSize(std::span<const uint8_t> File)
{
    if (File.size() < 8 || File[0] != 'C')
        return File.size();
    z_stream Z{};
    if (inflateInit(&Z) != Z_OK)
        return File.size();
    uint8_t Out[16384];
    size_t Total = 8;
    Z.next_in = const_cast<Bytef*>(File.data() + 8);
    Z.avail_in = static_cast<uInt>(File.size() - 8);
    int Rc = Z_OK;
    while (Rc == Z_OK && Total < MaxFile) {
        Z.next_out = Out;
        Z.avail_out = sizeof Out;
        Rc = inflate(&Z, Z_NO_FLUSH);
        Total += sizeof Out - Z.avail_out;
    }
    inflateEnd(&Z);
    return std::min(Total, MaxFile);
}

// An FWS or CWS file of the given tag stream.
Bytes Frame(std::span<const uint8_t> TagStream, bool Compressed, uint8_t Version)
{
    Bytes Body = {0x00, 0x00, 0x18, 0x01, 0x00};  // empty RECT, 24 fps, 1 frame
    Body.insert(Body.end(), TagStream.begin(), TagStream.end());
    const uint32_t Length = static_cast<uint32_t>(8 + Body.size());
    Bytes File = {uint8_t(Compressed ? 'C' : 'F'), 'W', 'S', Version, uint8_t(Length), uint8_t(Length >> 8),
                  uint8_t(Length >> 16), uint8_t(Length >> 24)};
    if (!Compressed) {
        File.insert(File.end(), Body.begin(), Body.end());
        return File;
    }
    uLongf Size = compressBound(static_cast<uLong>(Body.size()));
    File.resize(8 + Size);
    if (compress2(File.data() + 8, &Size, Body.data(), static_cast<uLong>(Body.size()), 1) != Z_OK)
        std::abort();
    File.resize(8 + Size);
    return File;
}

void UseActions(const ActionBlock& B) { Disassemble(B.Actions); }

void UseTag(const TagValue& V);

void UseTags(const std::vector<TypedTag>& Tags)
{
    for (const TypedTag& T : Tags)
        UseTag(T.Value);
}

void UseTag(const TagValue& V)
{
    if (const auto* D = std::get_if<DoAction>(&V)) {
        UseActions(D->Actions);
    } else if (const auto* I = std::get_if<DoInitAction>(&V)) {
        UseActions(I->Actions);
    } else if (const auto* P = std::get_if<PlaceObject2>(&V)) {
        if (P->Actions)
            for (const ClipActionRecord& R : P->Actions->Records)
                UseActions(R.Actions);
    } else if (const auto* S = std::get_if<DefineSprite>(&V)) {
        UseTags(S->Tags);
    } else if (const auto* B = std::get_if<DefineBitsLossless>(&V)) {
        const uint64_t Pixels = uint64_t(B->Width) * B->Height;
        if (Pixels > MaxPixels)
            return;
        // The inflated data (up to four bytes a pixel, row padding, a colour table) held by a vector
        // that grows, then the pixels.
        const size_t Data = size_t(Pixels) * 4 + 4 * size_t(B->Height) + 1024;
        alloccount::Window W;
        try {
            const std::vector<uint32_t> Argb = DecodeLosslessPixels(*B);
            Check(Argb.size() == Pixels);
        } catch (const SwfError&) {
        }
        CheckPeak(W, Data, "pixels", 3 * Data + alloccount::Slack);
    }
}

void FuzzContainer(std::span<const uint8_t> File)
{
    const DecodeOptions Options{MaxFile};
    const size_t Size = InflatedSize(File);
    {
        std::optional<SwfMovie> M;
        alloccount::Window W;
        try {
            M = Decode(File, Options);
        } catch (const SwfError&) {
        }
        CheckPeak(W, Size, "container");
        if (M) {
            std::optional<Bytes> E;
            try {
                E = Encode(*M);
            } catch (const SwfError&) {
            }
            if (E) {
                const SwfMovie Back = Decode(*E);
                Check(SameHeader(Back.Header, M->Header) && Back.Tags == M->Tags && Encode(Back) == *E);
            }
        }
    }
    std::optional<Movie> M;
    alloccount::Window W;
    try {
        M = DecodeMovie(File, Options);
    } catch (const SwfError&) {
    }
    CheckPeak(W, Size, "movie");
    if (!M)
        return;
    UseTags(M->Tags);
    std::optional<Bytes> E;
    try {
        E = EncodeMovie(*M);
    } catch (const SwfError&) {
    }
    if (!E)
        return;
    const Movie Back = DecodeMovie(*E);
    Check(SameHeader(Back.Header, M->Header) && Back.Tags == M->Tags && EncodeMovie(Back) == *E);
}

void FuzzTag(std::span<const uint8_t> In, uint8_t Version)
{
    if (In.size() < 2)
        return;
    Tag T;
    T.Code = static_cast<uint16_t>(In[0] | (In[1] & 0x03) << 8);
    T.Body.assign(In.begin() + 2, In.end());
    std::optional<TagValue> V;
    {
        std::vector<std::string> Warnings;
        alloccount::Window W;
        try {
            V = DecodeTag(T, Version, &Warnings);
        } catch (const SwfError&) {
        }
        CheckPeak(W, T.Body.size(), "tag");
    }
    if (!V)
        return;
    UseTag(*V);
    std::optional<Tag> E;
    try {
        E = EncodeTag(TypedTag(*V), Version);
    } catch (const SwfError&) {
    }
    if (!E)
        return;
    const TagValue Back = DecodeTag(*E, Version);
    Check(Back == *V && EncodeTag(TypedTag(Back), Version) == *E);
}

void FuzzActions(std::span<const uint8_t> In)
{
    std::optional<ActionBlock> B;
    {
        alloccount::Window W;
        try {
            B = DecodeActions(In);
        } catch (const SwfError&) {
        }
        CheckPeak(W, In.size(), "actions");
    }
    if (!B)
        return;
    UseActions(*B);
    std::optional<Bytes> E;
    try {
        Writer W;
        EncodeActions(W, *B);
        E = W.Take();
    } catch (const SwfError&) {
    }
    if (!E)
        return;
    const ActionBlock Back = DecodeActions(*E);
    Writer W;
    EncodeActions(W, Back);
    Check(Back == *B && W.Take() == *E);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size == 0)
        return 0;
    const std::span<const uint8_t> In(Data, Size);
    if (Data[0] == 'F' || Data[0] == 'C' || Data[0] == 'Z') {
        FuzzContainer(In);
        return 0;
    }
    const uint8_t Version = Data[0] & 0x40 ? 5 : 8;
    const auto Rest = In.subspan(1);
    switch (Data[0] & 3) {
    case 0: FuzzContainer(Frame(Rest, false, Version)); break;
    case 1: FuzzContainer(Frame(Rest, true, Version)); break;
    case 2: FuzzTag(Rest, Version); break;
    case 3: FuzzActions(Rest); break;
    }
    return 0;
}
