#include "Container.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace swf {

namespace {

struct TagNameEntry {
    uint16_t Code;
    const char* Name;
};

constexpr TagNameEntry TagNames[] = {
    {0, "End"}, {1, "ShowFrame"}, {2, "DefineShape"}, {4, "PlaceObject"}, {5, "RemoveObject"},
    {6, "DefineBits"}, {7, "DefineButton"}, {8, "JPEGTables"}, {9, "SetBackgroundColor"},
    {10, "DefineFont"}, {11, "DefineText"}, {12, "DoAction"}, {13, "DefineFontInfo"},
    {14, "DefineSound"}, {15, "StartSound"}, {17, "DefineButtonSound"}, {18, "SoundStreamHead"},
    {19, "SoundStreamBlock"}, {20, "DefineBitsLossless"}, {21, "DefineBitsJPEG2"},
    {22, "DefineShape2"}, {23, "DefineButtonCxform"}, {24, "Protect"}, {26, "PlaceObject2"},
    {28, "RemoveObject2"}, {32, "DefineShape3"}, {33, "DefineText2"}, {34, "DefineButton2"},
    {35, "DefineBitsJPEG3"}, {36, "DefineBitsLossless2"}, {37, "DefineEditText"},
    {39, "DefineSprite"}, {43, "FrameLabel"}, {45, "SoundStreamHead2"}, {46, "DefineMorphShape"},
    {48, "DefineFont2"}, {56, "ExportAssets"}, {57, "ImportAssets"}, {58, "EnableDebugger"},
    {59, "DoInitAction"}, {60, "DefineVideoStream"}, {61, "VideoFrame"}, {62, "DefineFontInfo2"},
    {64, "EnableDebugger2"}, {65, "ScriptLimits"}, {66, "SetTabIndex"}, {69, "FileAttributes"},
    {70, "PlaceObject3"}, {71, "ImportAssets2"}, {73, "DefineFontAlignZones"},
    {74, "CSMTextSettings"}, {75, "DefineFont3"}, {76, "SymbolClass"}, {77, "Metadata"},
    {78, "DefineScalingGrid"}, {82, "DoABC"}, {83, "DefineShape4"}, {84, "DefineMorphShape2"},
    {86, "DefineSceneAndFrameLabelData"}, {87, "DefineBinaryData"}, {88, "DefineFontName"},
    {89, "StartSound2"}, {90, "DefineBitsJPEG4"}, {91, "DefineFont4"},
};

constexpr size_t PrefixSize = 8;  // signature, version, file length
constexpr size_t InflateChunk = 64 * 1024;

std::string Warn(size_t Offset, const std::string& Text) { return "offset " + std::to_string(Offset) + ": " + Text; }

// Inflates Compressed after the 8 prefix bytes, never growing past Max bytes in all.
std::vector<uint8_t> Inflate(std::span<const uint8_t> Prefix, std::span<const uint8_t> Compressed, size_t Max,
                             std::vector<std::string>& Warnings)
{
    std::vector<uint8_t> Out(Prefix.begin(), Prefix.end());
    z_stream Z{};
    if (inflateInit(&Z) != Z_OK)
        throw SwfError(PrefixSize, "zlib cannot start inflating");
    struct Ender {
        z_stream* Z;
        ~Ender() { inflateEnd(Z); }
    } End{&Z};

    size_t InPos = 0;
    int Rc = Z_OK;
    while (Rc != Z_STREAM_END) {
        if (Out.size() >= Max)
            throw SwfError(Max, "uncompressed movie exceeds the limit of " + std::to_string(Max) + " bytes");
        const size_t Chunk = std::min(InflateChunk, Max - Out.size());
        const size_t Old = Out.size();
        Out.resize(Old + Chunk);
        const size_t InChunk = std::min<size_t>(Compressed.size() - InPos, std::numeric_limits<uInt>::max());
        Z.next_in = const_cast<Bytef*>(Compressed.data() + InPos);
        Z.avail_in = static_cast<uInt>(InChunk);
        Z.next_out = Out.data() + Old;
        Z.avail_out = static_cast<uInt>(Chunk);
        Rc = inflate(&Z, Z_NO_FLUSH);
        InPos += InChunk - Z.avail_in;
        Out.resize(Old + (Chunk - Z.avail_out));
        if (Rc == Z_STREAM_END)
            break;
        if (Rc == Z_BUF_ERROR)
            throw SwfError(Out.size(), "zlib data ends early (after " + std::to_string(InPos) + " compressed bytes)");
        if (Rc != Z_OK)
            throw SwfError(Out.size(), std::string("zlib data damaged (") + (Z.msg ? Z.msg : "error " + std::to_string(Rc)) +
                                           ") near compressed byte " + std::to_string(PrefixSize + InPos));
        if (Rc == Z_OK && InPos == Compressed.size() && Z.avail_out != 0)
            throw SwfError(Out.size(), "zlib data ends early (after " + std::to_string(InPos) + " compressed bytes)");
    }
    if (InPos != Compressed.size())
        Warnings.push_back(Warn(PrefixSize + InPos, std::to_string(Compressed.size() - InPos) +
                                                        " bytes after the zlib data ignored"));
    return Out;
}

std::vector<uint8_t> Deflate(std::span<const uint8_t> Data)
{
    uLongf Size = compressBound(static_cast<uLong>(Data.size()));
    std::vector<uint8_t> Out(Size);
    if (compress2(Out.data(), &Size, Data.data(), static_cast<uLong>(Data.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        throw SwfError(PrefixSize, "zlib cannot compress the movie");
    Out.resize(Size);
    return Out;
}

}  // namespace

std::string TagName(uint16_t Code)
{
    for (const auto& E : TagNames)
        if (E.Code == Code)
            return E.Name;
    return "tag " + std::to_string(Code);
}

std::vector<Tag> ReadTags(Reader& R, std::vector<std::string>& Warnings)
{
    std::vector<Tag> Tags;
    while (!R.AtEnd()) {
        const size_t Start = R.Offset();
        if (R.Remaining() < 2)
            R.Fail("tag header runs past the end of " + R.Context());
        const uint16_t CodeAndLength = R.UI16();
        Tag T;
        T.Code = CodeAndLength >> 6;
        T.Offset = Start;
        size_t Length = CodeAndLength & 0x3F;
        if (Length == 0x3F) {
            if (R.Remaining() < 4)
                throw SwfError(Start, "long header of " + TagName(T.Code) + " runs past the end of " + R.Context());
            Length = R.UI32();
            T.LongHeader = Length < 0x3F;  // only a choice when a short header would do
        }
        if (Length > R.Remaining())
            throw SwfError(Start, "tag " + TagName(T.Code) + " runs past its parent (declares " + std::to_string(Length) +
                                      " bytes, " + std::to_string(R.Remaining()) + " left in " + R.Context() + ")");
        const auto Body = R.Bytes(Length);
        T.Body.assign(Body.begin(), Body.end());
        Tags.push_back(std::move(T));
        if (Tags.back().Code == TagCode::End) {
            if (!R.AtEnd())
                Warnings.push_back(Warn(R.Offset(), std::to_string(R.Remaining()) + " bytes after the End tag ignored"));
            return Tags;
        }
    }
    Warnings.push_back(Warn(R.Offset(), "tag list in " + R.Context() + " has no End tag"));
    return Tags;
}

void WriteTag(Writer& W, const Tag& T)
{
    if (T.Code > 0x3FF)
        throw SwfError(W.Size(), "tag code " + std::to_string(T.Code) + " does not fit 10 bits");
    if (T.Body.size() > std::numeric_limits<uint32_t>::max())
        throw SwfError(W.Size(), "tag " + TagName(T.Code) + " body is too long");
    const bool Long = T.LongHeader || T.Body.size() >= 0x3F;
    W.UI16(static_cast<uint16_t>(T.Code << 6 | (Long ? 0x3F : T.Body.size())));
    if (Long)
        W.UI32(static_cast<uint32_t>(T.Body.size()));
    W.Bytes(T.Body);
}

void WriteTags(Writer& W, const std::vector<Tag>& Tags)
{
    for (const Tag& T : Tags)
        WriteTag(W, T);
}

SwfMovie Decode(std::span<const uint8_t> File, const DecodeOptions& Options)
{
    SwfMovie M;
    if (File.size() < PrefixSize)
        throw SwfError(File.size(), "file of " + std::to_string(File.size()) + " bytes is too short for the SWF header");
    const std::string Signature(File.begin(), File.begin() + 3);
    if (Signature == "CWS")
        M.Header.Compressed = true;
    else if (Signature == "ZWS")
        throw SwfError(0, "LZMA-compressed movies (ZWS) are not supported");
    else if (Signature != "FWS")
        throw SwfError(0, "not an SWF file (signature is not FWS or CWS)");
    Reader Prefix(File.first(PrefixSize), 0, "header");
    Prefix.Skip(3);
    M.Header.Version = Prefix.UI8();
    M.Header.FileLength = Prefix.UI32();

    std::vector<uint8_t> Inflated;
    std::span<const uint8_t> Data = File;
    if (M.Header.Compressed) {
        Inflated = Inflate(File.first(PrefixSize), File.subspan(PrefixSize), Options.MaxFileSize, M.Warnings);
        Data = Inflated;
    } else if (File.size() > Options.MaxFileSize) {
        throw SwfError(Options.MaxFileSize, "movie exceeds the limit of " + std::to_string(Options.MaxFileSize) + " bytes");
    }
    M.Header.DataLength = Data.size();
    if (M.Header.FileLength != Data.size())
        M.Warnings.push_back(Warn(4, "declared file length " + std::to_string(M.Header.FileLength) + " but the " +
                                         (M.Header.Compressed ? "uncompressed " : "") + "file holds " +
                                         std::to_string(Data.size()) + " bytes"));

    Reader R(Data, 0, "file");
    R.Skip(PrefixSize);
    M.Header.FrameSize = ReadRect(R);
    M.Header.FrameRate = R.UI16();
    M.Header.FrameCount = R.UI16();
    M.Tags = ReadTags(R, M.Warnings);
    return M;
}

std::vector<uint8_t> Encode(const SwfMovie& Movie)
{
    Writer W;
    W.Bytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(Movie.Header.Compressed ? "CWS" : "FWS"), 3));
    W.UI8(Movie.Header.Version);
    W.UI32(0);
    WriteRect(W, Movie.Header.FrameSize);
    W.UI16(Movie.Header.FrameRate);
    W.UI16(Movie.Header.FrameCount);
    WriteTags(W, Movie.Tags);
    if (W.Size() > std::numeric_limits<uint32_t>::max())
        throw SwfError(W.Size(), "movie is too long for the file length field");
    W.PatchUI32(4, static_cast<uint32_t>(W.Size()));
    std::vector<uint8_t> Out = W.Take();
    if (!Movie.Header.Compressed)
        return Out;
    std::vector<uint8_t> Packed = Deflate(std::span<const uint8_t>(Out).subspan(PrefixSize));
    Out.resize(PrefixSize);
    Out.insert(Out.end(), Packed.begin(), Packed.end());
    return Out;
}

}  // namespace swf
