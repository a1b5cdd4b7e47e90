// Counts the heap bytes allocated through operator new, for allocation bounds in the tests and the
// fuzzer. Replaces the global operator new and delete: include it in exactly one source file of a
// program. Each block carries a header with its size; aligned forms are not replaced (uncounted).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace alloccount {

// The allocation bound of the SWF decoders: decoding N bytes (inflated) peaks at most at
// Factor x N + Slack live bytes, whatever counts the data claims. Factor is set by the densest
// valid encodings of the value model, measured: 6-bit shape records (64-byte ShapeRecord) and
// a one-byte action followed by a label (48-byte Action) reach 256x while their vectors double;
// empty tags (2 bytes, a 296-byte TypedTag and a 48-byte raw Tag) 196x; sprites nested 16 deep
// add a copy of their bytes per level. Slack covers the fixed costs (inflate chunks, messages).
constexpr size_t Factor = 320;
constexpr size_t Slack = 256 * 1024;

inline size_t Bound(size_t Bytes) { return Factor * Bytes + Slack; }

inline std::atomic<size_t> Live{0};
inline std::atomic<size_t> Peak{0};

// Peak live bytes since construction, above the live bytes at construction.
class Window {
public:
    Window() : FBase(Live.load()) { Peak.store(FBase); }
    size_t PeakAbove() const
    {
        const size_t P = Peak.load();
        return P > FBase ? P - FBase : 0;
    }

private:
    size_t FBase;
};

constexpr size_t HeaderSize = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t) : sizeof(size_t);

inline void* Allocate(size_t Size) noexcept
{
    void* Block = std::malloc(Size + HeaderSize);
    if (!Block)
        return nullptr;
    *static_cast<size_t*>(Block) = Size;
    const size_t Now = Live.fetch_add(Size) + Size;
    size_t Old = Peak.load();
    while (Now > Old && !Peak.compare_exchange_weak(Old, Now)) {
    }
    return static_cast<char*>(Block) + HeaderSize;
}

inline void Release(void* P) noexcept
{
    if (!P)
        return;
    void* Block = static_cast<char*>(P) - HeaderSize;
    Live.fetch_sub(*static_cast<size_t*>(Block));
    std::free(Block);
}

inline void* AllocateOrThrow(size_t Size)
{
    if (void* P = Allocate(Size))
        return P;
    throw std::bad_alloc();
}

}  // namespace alloccount

void* operator new(size_t Size) { return alloccount::AllocateOrThrow(Size); }
void* operator new[](size_t Size) { return alloccount::AllocateOrThrow(Size); }
void* operator new(size_t Size, const std::nothrow_t&) noexcept { return alloccount::Allocate(Size); }
void* operator new[](size_t Size, const std::nothrow_t&) noexcept { return alloccount::Allocate(Size); }
void operator delete(void* P) noexcept { alloccount::Release(P); }
void operator delete[](void* P) noexcept { alloccount::Release(P); }
void operator delete(void* P, size_t) noexcept { alloccount::Release(P); }
void operator delete[](void* P, size_t) noexcept { alloccount::Release(P); }
void operator delete(void* P, const std::nothrow_t&) noexcept { alloccount::Release(P); }
void operator delete[](void* P, const std::nothrow_t&) noexcept { alloccount::Release(P); }
