#include "ByteIO.h"

#include <bit>
#include <cstring>

namespace swf {

SwfError::SwfError(size_t Offset, const std::string& Reason)
    : Exception("offset " + std::to_string(Offset) + ": " + Reason), FOffset(Offset), FReason(Reason)
{
}

unsigned UnsignedBits(uint32_t Value) { return static_cast<unsigned>(std::bit_width(Value)); }

unsigned SignedBits(int32_t Value)
{
    // Magnitude bits of V or ~V, plus the sign bit; 0 needs none.
    if (Value == 0)
        return 0;
    const uint32_t M = Value < 0 ? ~static_cast<uint32_t>(Value) : static_cast<uint32_t>(Value);
    return static_cast<unsigned>(std::bit_width(M)) + 1;
}

unsigned SignedBits(std::initializer_list<int32_t> Values)
{
    unsigned N = 0;
    for (int32_t V : Values)
        N = std::max(N, SignedBits(V));
    return N;
}

// ---- Reader ----

Reader::Reader(std::span<const uint8_t> Data, size_t Base, std::string Context)
    : FData(Data), FBase(Base), FContext(std::move(Context))
{
}

void Reader::Fail(const std::string& Reason) const { throw SwfError(Offset(), Reason); }

void Reader::Need(size_t Count, const char* What)
{
    Align();
    if (Count > Remaining())
        Fail(std::string(What) + " runs past the end of " + FContext + " (needs " + std::to_string(Count) +
             " bytes, " + std::to_string(Remaining()) + " left)");
}

uint8_t Reader::UI8()
{
    Need(1, "UI8");
    return FData[FPos++];
}

uint16_t Reader::UI16()
{
    Need(2, "UI16");
    const uint16_t V = static_cast<uint16_t>(FData[FPos] | FData[FPos + 1] << 8);
    FPos += 2;
    return V;
}

uint32_t Reader::UI32()
{
    Need(4, "UI32");
    uint32_t V = 0;
    for (int I = 3; I >= 0; --I)
        V = V << 8 | FData[FPos + I];
    FPos += 4;
    return V;
}

int16_t Reader::SI16() { return static_cast<int16_t>(UI16()); }
int32_t Reader::SI32() { return static_cast<int32_t>(UI32()); }
int32_t Reader::Fixed() { return SI32(); }
int16_t Reader::Fixed8() { return SI16(); }

float Reader::Float()
{
    Need(4, "FLOAT");
    return std::bit_cast<float>(UI32());
}

double Reader::Double()
{
    Need(8, "DOUBLE");
    const uint64_t Hi = UI32();
    const uint64_t Lo = UI32();
    return std::bit_cast<double>(Hi << 32 | Lo);
}

uint32_t Reader::EncodedU32()
{
    Align();
    const size_t Start = Offset();
    uint32_t V = 0;
    for (unsigned I = 0; I < 5; ++I) {
        if (AtEnd())
            throw SwfError(Start, "EncodedU32 runs past the end of " + FContext);
        const uint8_t B = FData[FPos++];
        V |= static_cast<uint32_t>(B & 0x7F) << (7 * I);
        if (!(B & 0x80))
            break;
    }
    return V;
}

std::string Reader::String()
{
    Align();
    const uint8_t* Begin = FData.data() + FPos;
    const void* Z = std::memchr(Begin, 0, Remaining());
    if (!Z)
        Fail("string has no terminator before the end of " + FContext);
    std::string S(reinterpret_cast<const char*>(Begin), static_cast<const uint8_t*>(Z) - Begin);
    FPos += S.size() + 1;
    return S;
}

std::span<const uint8_t> Reader::Bytes(size_t Count)
{
    Need(Count, "byte block");
    auto S = FData.subspan(FPos, Count);
    FPos += Count;
    return S;
}

std::span<const uint8_t> Reader::Rest()
{
    Align();
    return Bytes(Remaining());
}

void Reader::Skip(size_t Count) { Bytes(Count); }

Reader Reader::Sub(size_t Length, const std::string& What)
{
    Align();
    if (Length > Remaining())
        Fail(What + " runs past its parent (declares " + std::to_string(Length) + " bytes, " +
             std::to_string(Remaining()) + " left in " + FContext + ")");
    Reader R(FData.subspan(FPos, Length), Offset(), What);
    FPos += Length;
    return R;
}

uint32_t Reader::UB(unsigned Count)
{
    if (Count > 32)
        Fail("bit field of " + std::to_string(Count) + " bits is wider than 32");
    const size_t BitsLeft = (FData.size() - FPos) * 8 - FBitPos;
    if (Count > BitsLeft)
        Fail("bit field of " + std::to_string(Count) + " bits runs past the end of " + FContext + " (" +
             std::to_string(BitsLeft) + " bits left)");
    uint64_t V = 0;
    unsigned N = Count;
    while (N > 0) {
        const unsigned Avail = 8 - FBitPos;
        const unsigned Take = std::min(Avail, N);
        const unsigned Bits = (FData[FPos] >> (Avail - Take)) & ((1u << Take) - 1);
        V = V << Take | Bits;
        N -= Take;
        FBitPos += Take;
        if (FBitPos == 8) {
            FBitPos = 0;
            ++FPos;
        }
    }
    return static_cast<uint32_t>(V);
}

int32_t Reader::SB(unsigned Count)
{
    const uint32_t U = UB(Count);
    if (Count == 0 || Count == 32)
        return static_cast<int32_t>(U);
    const uint32_t Sign = 1u << (Count - 1);
    return static_cast<int32_t>((U ^ Sign) - Sign);
}

int32_t Reader::FB(unsigned Count) { return SB(Count); }

void Reader::Align()
{
    if (FBitPos) {
        FBitPos = 0;
        ++FPos;
    }
}

// ---- Writer ----

std::vector<uint8_t> Writer::Take()
{
    Flush();
    FBitPos = 0;
    return std::move(FData);
}

void Writer::UI8(uint8_t V)
{
    Flush();
    FData.push_back(V);
}

void Writer::UI16(uint16_t V)
{
    UI8(static_cast<uint8_t>(V));
    UI8(static_cast<uint8_t>(V >> 8));
}

void Writer::UI32(uint32_t V)
{
    for (int I = 0; I < 4; ++I)
        UI8(static_cast<uint8_t>(V >> (8 * I)));
}

void Writer::Float(float V) { UI32(std::bit_cast<uint32_t>(V)); }

void Writer::Double(double V)
{
    const uint64_t U = std::bit_cast<uint64_t>(V);
    UI32(static_cast<uint32_t>(U >> 32));
    UI32(static_cast<uint32_t>(U));
}

void Writer::EncodedU32(uint32_t V)
{
    do {
        const uint8_t B = V & 0x7F;
        V >>= 7;
        UI8(V ? B | 0x80 : B);
    } while (V);
}

void Writer::String(std::string_view S)
{
    if (S.find('\0') != std::string_view::npos)
        throw SwfError(Size(), "string holds a zero byte");
    Bytes({reinterpret_cast<const uint8_t*>(S.data()), S.size()});
    UI8(0);
}

void Writer::Bytes(std::span<const uint8_t> B)
{
    Flush();
    FData.insert(FData.end(), B.begin(), B.end());
}

void Writer::PatchUI16(size_t At, uint16_t V)
{
    if (At > FData.size() || FData.size() - At < 2)
        throw SwfError(At, "UI16 patch lies outside the written data");
    FData[At] = static_cast<uint8_t>(V);
    FData[At + 1] = static_cast<uint8_t>(V >> 8);
}

void Writer::PatchUI32(size_t At, uint32_t V)
{
    if (At > FData.size() || FData.size() - At < 4)
        throw SwfError(At, "UI32 patch lies outside the written data");
    for (int I = 0; I < 4; ++I)
        FData[At + I] = static_cast<uint8_t>(V >> (8 * I));
}

void Writer::UB(unsigned Count, uint32_t V)
{
    if (Count > 32 || (Count < 32 && V >> Count))
        throw SwfError(Size(), "value " + std::to_string(V) + " does not fit UB[" + std::to_string(Count) + "]");
    for (unsigned I = Count; I-- > 0;) {
        if (FBitPos == 0)
            FData.push_back(0);
        if (V >> I & 1)
            FData.back() |= static_cast<uint8_t>(0x80 >> FBitPos);
        FBitPos = (FBitPos + 1) & 7;
    }
}

void Writer::SB(unsigned Count, int32_t V)
{
    if (Count > 32 || SignedBits(V) > Count)
        throw SwfError(Size(), "value " + std::to_string(V) + " does not fit SB[" + std::to_string(Count) + "]");
    const uint32_t U = static_cast<uint32_t>(V);
    UB(Count, Count == 32 ? U : U & ((1u << Count) - 1));
}

void Writer::Flush() { FBitPos = 0; }

unsigned ChooseBits(Writer& W, int Stored, unsigned Minimum, unsigned Max, const char* What)
{
    if (Minimum > Max)
        throw SwfError(W.Size(), std::string(What) + " values need " + std::to_string(Minimum) +
                                     " bits, more than the field allows (" + std::to_string(Max) + ")");
    if (Stored >= static_cast<int>(Minimum) && Stored <= static_cast<int>(Max))
        return static_cast<unsigned>(Stored);
    return Minimum;
}

}  // namespace swf
