// Streams of the framework layer: TStream, TMemoryStream, TFileStream.
// Portable; the Windows-only resource stream and IStream adapter build on TStream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "SysUtils.h"

class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
};
class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Move up to Count bytes; return how many moved.
    virtual int32_t Read(void* Buffer, int32_t Count) = 0;
    virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
    // Return the new position. Seeking past the end is allowed; a negative result is refused.
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t Value) { Seek(Value, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t NewSize);

    // Move exactly Count bytes or raise EReadError / EWriteError.
    void ReadBuffer(void* Buffer, int32_t Count);
    void WriteBuffer(const void* Buffer, int32_t Count);

    // Copy Count bytes from Source's position; Count 0 copies all of Source from its start.
    int64_t CopyFrom(TStream& Source, int64_t Count);
};

// Growable stream in one contiguous heap block.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return FSize; }
    // New bytes are zero; the position is kept unless it lies past the new end.
    void SetSize(int64_t NewSize) override;

    void Clear();  // size 0, position 0, memory released
    uint8_t* Memory() { return FMemory; }
    const uint8_t* Memory() const { return FMemory; }

    void LoadFromStream(TStream& Source);  // replace content with all of Source
    void SaveToStream(TStream& Target);    // write the whole content at Target's position
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);

private:
    void Reserve(int64_t NewCapacity);

    uint8_t* FMemory = nullptr;
    int64_t FSize = 0;
    int64_t FCapacity = 0;
    int64_t FPosition = 0;
};

enum TFileMode { fmOpenRead, fmCreate };

// A file opened for reading, or created (replaced) for writing.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& FileName, TFileMode Mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

private:
    std::FILE* FFile = nullptr;
};
