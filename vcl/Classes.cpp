#include "Classes.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

// ---- TStream -----------------------------------------------------------------------

int64_t TStream::Size()
{
    const int64_t Pos = Seek(0, TSeekOrigin::soCurrent);
    const int64_t Result = Seek(0, TSeekOrigin::soEnd);
    Seek(Pos, TSeekOrigin::soBeginning);
    return Result;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* Buffer, int32_t Count)
{
    if (Count != 0 && Read(Buffer, Count) != Count)
        throw EReadError();
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count)
{
    if (Count != 0 && Write(Buffer, Count) != Count)
        throw EWriteError();
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count)
{
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    const int64_t Result = Count;
    constexpr int32_t BlockSize = 64 * 1024;
    uint8_t Block[BlockSize];
    while (Count > 0) {
        const int32_t N = static_cast<int32_t>(std::min<int64_t>(Count, BlockSize));
        Source.ReadBuffer(Block, N);
        WriteBuffer(Block, N);
        Count -= N;
    }
    return Result;
}

// ---- TMemoryStream -----------------------------------------------------------------

TMemoryStream::~TMemoryStream() { std::free(FMemory); }

void TMemoryStream::Reserve(int64_t NewCapacity)
{
    if (NewCapacity <= FCapacity)
        return;
    // Grow by a quarter at least, in 8 KiB steps, so that appending stays linear.
    int64_t Capacity = std::max(NewCapacity, FCapacity + FCapacity / 4);
    Capacity = (Capacity + 0x1FFF) & ~int64_t(0x1FFF);
    if (static_cast<uint64_t>(Capacity) > SIZE_MAX)
        throw std::bad_alloc();
    auto* P = static_cast<uint8_t*>(std::realloc(FMemory, static_cast<size_t>(Capacity)));
    if (!P)
        throw std::bad_alloc();
    FMemory = P;
    FCapacity = Capacity;
}

int32_t TMemoryStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0 || FPosition >= FSize)
        return 0;
    const int32_t N = static_cast<int32_t>(std::min<int64_t>(Count, FSize - FPosition));
    std::memcpy(Buffer, FMemory + FPosition, static_cast<size_t>(N));
    FPosition += N;
    return N;
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count)
{
    if (Count <= 0)
        return 0;
    const int64_t End = FPosition + Count;
    if (End > FSize) {
        Reserve(End);
        if (FPosition > FSize)  // a gap left by a seek past the end reads as zeros
            std::memset(FMemory + FSize, 0, static_cast<size_t>(FPosition - FSize));
        FSize = End;
    }
    std::memcpy(FMemory + FPosition, Buffer, static_cast<size_t>(Count));
    FPosition = End;
    return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    int64_t Base = 0;
    switch (Origin) {
    case TSeekOrigin::soBeginning: Base = 0; break;
    case TSeekOrigin::soCurrent: Base = FPosition; break;
    case TSeekOrigin::soEnd: Base = FSize; break;
    }
    const int64_t NewPos = Base + Offset;
    if (NewPos >= 0)
        FPosition = NewPos;
    return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize)
{
    if (NewSize < 0)
        NewSize = 0;
    if (NewSize > FSize) {
        Reserve(NewSize);
        std::memset(FMemory + FSize, 0, static_cast<size_t>(NewSize - FSize));
    }
    FSize = NewSize;
    if (FPosition > FSize)
        FPosition = FSize;
}

void TMemoryStream::Clear()
{
    std::free(FMemory);
    FMemory = nullptr;
    FSize = FCapacity = FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Source)
{
    Source.SetPosition(0);
    const int64_t Count = Source.Size();
    SetSize(Count);
    if (Count != 0)
        Source.ReadBuffer(FMemory, static_cast<int32_t>(Count));
    FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& Target)
{
    if (FSize != 0)
        Target.WriteBuffer(FMemory, static_cast<int32_t>(FSize));
}

void TMemoryStream::LoadFromFile(const std::string& FileName)
{
    TFileStream File(FileName, fmOpenRead);
    LoadFromStream(File);
}

void TMemoryStream::SaveToFile(const std::string& FileName)
{
    TFileStream File(FileName, fmCreate);
    SaveToStream(File);
}

// ---- TFileStream -------------------------------------------------------------------

TFileStream::TFileStream(const std::string& FileName, TFileMode Mode)
{
    FFile = std::fopen(FileName.c_str(), Mode == fmCreate ? "wb" : "rb");
    if (!FFile)
        throw EFOpenError(std::string(Mode == fmCreate ? "Cannot create file \"" : "Cannot open file \"") +
                          FileName + "\": " + std::strerror(errno));
}

TFileStream::~TFileStream()
{
    if (FFile)
        std::fclose(FFile);
}

int32_t TFileStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0)
        return 0;
    return static_cast<int32_t>(std::fread(Buffer, 1, static_cast<size_t>(Count), FFile));
}

int32_t TFileStream::Write(const void* Buffer, int32_t Count)
{
    if (Count <= 0)
        return 0;
    return static_cast<int32_t>(std::fwrite(Buffer, 1, static_cast<size_t>(Count), FFile));
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    const int Whence = Origin == TSeekOrigin::soBeginning ? SEEK_SET
                     : Origin == TSeekOrigin::soCurrent   ? SEEK_CUR
                                                          : SEEK_END;
#ifdef _WIN32
    _fseeki64(FFile, Offset, Whence);
    return _ftelli64(FFile);
#else
    fseeko(FFile, static_cast<off_t>(Offset), Whence);
    return static_cast<int64_t>(ftello(FFile));
#endif
}
