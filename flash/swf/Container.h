// The SWF container: header and tag list, read from and written to memory, uncompressed ("FWS")
// or zlib-compressed ("CWS").
//
// Offsets in errors and in Tag::Offset are positions in the uncompressed file (the 8-byte
// signature/version/length prefix followed by the inflated data for CWS).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ByteIO.h"
#include "Records.h"

namespace swf {

struct SwfHeader {
    bool Compressed = false;   // "CWS" when true, else "FWS"
    uint8_t Version = 8;
    uint32_t FileLength = 0;   // as declared; Encode writes the true length
    size_t DataLength = 0;     // when decoded: the bytes the file holds, uncompressed; Encode ignores it
    Rect FrameSize;            // twips
    uint16_t FrameRate = 0;    // 8.8 fixed point, raw
    uint16_t FrameCount = 0;
};

struct Tag {
    uint16_t Code = 0;
    std::vector<uint8_t> Body;
    bool LongHeader = false;   // the tag used (or is to use) the 6-byte header even for a short body
    size_t Offset = 0;         // file offset of the tag header when decoded
    bool operator==(const Tag& O) const { return Code == O.Code && Body == O.Body && LongHeader == O.LongHeader; }
};

struct SwfMovie {
    SwfHeader Header;
    std::vector<Tag> Tags;              // up to and including the End tag, when the file has one
    std::vector<std::string> Warnings;  // tolerated faults found by Decode, each "offset N: ..."
};

struct DecodeOptions {
    size_t MaxFileSize = 64u << 20;  // largest uncompressed file accepted
};

namespace TagCode {
enum : uint16_t { End = 0, ShowFrame = 1, DefineSprite = 39 };
}

// Name of a tag code for messages ("DefineShape", or "tag 123" when unknown).
std::string TagName(uint16_t Code);

SwfMovie Decode(std::span<const uint8_t> File, const DecodeOptions& Options = {});
// The file with its true length; CWS bodies are deflated at zlib's default level (stream header 78 9C).
std::vector<uint8_t> Encode(const SwfMovie& Movie);

// A tag list (the movie's, or a sprite's): reads tags up to and including End or until R is
// exhausted; a missing End tag or bytes after it add a warning.
std::vector<Tag> ReadTags(Reader& R, std::vector<std::string>& Warnings);
void WriteTag(Writer& W, const Tag& T);
void WriteTags(Writer& W, const std::vector<Tag>& Tags);

}  // namespace swf
