// Byte and bit level access to SWF data: a bounds-checked Reader, a Writer with the same primitives,
// and SwfError, which carries the byte offset of the fault.
//
// All multi-byte values are little-endian. Byte-aligned reads and writes first align the bit cursor,
// as the format requires after bit fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "SysUtils.h"

namespace swf {

// Bad or unrepresentable SWF data. Message: "offset N: reason".
class SwfError : public Exception {
public:
    SwfError(size_t Offset, const std::string& Reason);
    size_t Offset() const noexcept { return FOffset; }
    const std::string& Reason() const noexcept { return FReason; }

private:
    size_t FOffset;
    std::string FReason;
};

// Minimum bit counts for UB and SB/FB fields (0 needs 0 bits).
unsigned UnsignedBits(uint32_t Value);
unsigned SignedBits(int32_t Value);
unsigned SignedBits(std::initializer_list<int32_t> Values);

// 16.16 and 8.8 fixed point conversions.
inline double FixedToDouble(int32_t Raw) { return Raw / 65536.0; }
inline double Fixed8ToDouble(int16_t Raw) { return Raw / 256.0; }

// Reads a byte span. Offsets reported are Base + position, so a sub-reader for a tag body reports
// file offsets. Every read that would pass the end throws SwfError naming Context.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> Data, size_t Base = 0, std::string Context = "data");

    size_t Offset() const { return FBase + FPos; }      // file offset of the next byte
    size_t Position() const { return FPos; }           // position inside this reader
    size_t Size() const { return FData.size(); }
    size_t Remaining() const { return FData.size() - FPos - (FBitPos ? 1 : 0); }  // whole bytes after alignment
    bool AtEnd() const { return Remaining() == 0; }
    const std::string& Context() const { return FContext; }

    uint8_t UI8();
    uint16_t UI16();
    uint32_t UI32();
    int16_t SI16();
    int32_t SI32();
    int32_t Fixed();   // 16.16, raw
    int16_t Fixed8();  // 8.8, raw
    float Float();
    double Double();   // AVM1 Push order: high 32-bit word first, each word little-endian
    uint32_t EncodedU32();
    std::string String();  // up to and without the zero terminator
    std::span<const uint8_t> Bytes(size_t Count);
    std::span<const uint8_t> Rest();  // all bytes left
    void Skip(size_t Count);

    // A reader over the next Length bytes, which this reader then skips. Throws "<what> runs past its
    // parent" at the current offset when fewer bytes are left.
    Reader Sub(size_t Length, const std::string& What);

    // Bit fields, most significant bit first; Count at most 32.
    uint32_t UB(unsigned Count);
    int32_t SB(unsigned Count);
    int32_t FB(unsigned Count);  // 16.16, raw
    void Align();                // skip to the next whole byte

    [[noreturn]] void Fail(const std::string& Reason) const;  // throws at the current offset

private:
    void Need(size_t Count, const char* What);

    std::span<const uint8_t> FData;
    size_t FBase;
    std::string FContext;
    size_t FPos = 0;       // next byte to read
    unsigned FBitPos = 0;  // bits already taken from FData[FPos] (0..7)
};

// Builds a byte buffer with the same primitives. Values that do not fit their field throw SwfError
// at the current output offset.
class Writer {
public:
    size_t Size() const { return FData.size(); }
    const std::vector<uint8_t>& Data() const { return FData; }  // partial bit byte included
    std::vector<uint8_t> Take();

    void UI8(uint8_t V);
    void UI16(uint16_t V);
    void UI32(uint32_t V);
    void SI16(int16_t V) { UI16(static_cast<uint16_t>(V)); }
    void SI32(int32_t V) { UI32(static_cast<uint32_t>(V)); }
    void Fixed(int32_t Raw) { SI32(Raw); }
    void Fixed8(int16_t Raw) { SI16(Raw); }
    void Float(float V);
    void Double(double V);
    void EncodedU32(uint32_t V);
    void String(std::string_view S);  // appends the terminator; S must hold no zero byte
    void Bytes(std::span<const uint8_t> B);
    void PatchUI16(size_t At, uint16_t V);  // overwrite a UI16 written earlier
    void PatchUI32(size_t At, uint32_t V);  // overwrite a UI32 written earlier

    void UB(unsigned Count, uint32_t V);
    void SB(unsigned Count, int32_t V);
    void FB(unsigned Count, int32_t Raw) { SB(Count, Raw); }
    void Flush();  // pad the partial byte with zero bits

private:
    std::vector<uint8_t> FData;
    unsigned FBitPos = 0;  // bits used in the last byte (0: byte aligned)
};

// The bit count to write: Stored (a decoded record's count, or -1) when it is valid for the values
// (at least Minimum) and the field (at most Max), else Minimum. Throws when Minimum exceeds Max.
unsigned ChooseBits(Writer& W, int Stored, unsigned Minimum, unsigned Max, const char* What);

}  // namespace swf
