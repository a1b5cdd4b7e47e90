// Tag dispatch, the control and placement tags, shapes, sprites and the typed movie.
// Fonts and text are in TextTags.cpp, bitmaps in BitmapTags.cpp.
#include "Tags.h"

#include "TagCodecs.h"

namespace swf {

namespace {

constexpr int MaxSpriteNesting = 16;

template <class... F>
struct Overload : F... {
    using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

std::vector<uint8_t> ToVector(std::span<const uint8_t> B) { return {B.begin(), B.end()}; }

// ---- clip actions and filters ----

uint32_t ReadEventFlags(Reader& R, uint8_t Version) { return Version >= 6 ? R.UI32() : R.UI16(); }

void WriteEventFlags(Writer& W, uint32_t Flags, uint8_t Version)
{
    if (Version >= 6)
        W.UI32(Flags);
    else if (Flags > 0xFFFF)
        throw SwfError(W.Size(), "clip event flags above 16 bits need SWF 6 or later");
    else
        W.UI16(static_cast<uint16_t>(Flags));
}

ClipActions ReadClipActions(Reader& R, uint8_t Version)
{
    ClipActions C;
    C.Reserved = R.UI16();
    C.AllEvents = ReadEventFlags(R, Version);
    for (;;) {
        const uint32_t Events = ReadEventFlags(R, Version);
        if (Events == 0)
            break;
        ClipActionRecord Rec;
        Rec.Events = Events;
        const uint32_t Size = R.UI32();
        Reader Body = R.Sub(Size, "clip action record");
        if (Version >= 6 && (Events & ClipEvent::KeyPress))
            Rec.KeyCode = Body.UI8();
        Rec.Actions = DecodeActions(Body);
        C.Records.push_back(std::move(Rec));
    }
    return C;
}

void WriteClipActions(Writer& W, const ClipActions& C, uint8_t Version)
{
    W.UI16(C.Reserved);
    WriteEventFlags(W, C.AllEvents, Version);
    for (const ClipActionRecord& Rec : C.Records) {
        if (Rec.Events == 0)
            throw SwfError(W.Size(), "clip action record without events (it would end the list)");
        WriteEventFlags(W, Rec.Events, Version);
        Writer Body;
        if (Version >= 6 && (Rec.Events & ClipEvent::KeyPress))
            Body.UI8(Rec.KeyCode);
        EncodeActions(Body, Rec.Actions);
        W.UI32(static_cast<uint32_t>(Body.Size()));
        W.Bytes(Body.Data());
    }
    WriteEventFlags(W, 0, Version);
}

// Bytes of a filter's data after its id.
size_t FilterSize(Reader& R, uint8_t Id)
{
    switch (Id) {
    case 0: return 23;
    case 1: return 9;
    case 2: return 15;
    case 3: return 27;
    case 4:
    case 7: {
        Reader Peek = R;
        return 1 + size_t(Peek.UI8()) * 5 + 19;
    }
    case 5: {
        Reader Peek = R;
        const size_t X = Peek.UI8(), Y = Peek.UI8();
        return 2 + 8 + 4 * X * Y + 4 + 1;
    }
    case 6: return 80;
    default: R.Fail("unknown filter type " + std::to_string(Id));
    }
}

std::vector<Filter> ReadFilters(Reader& R)
{
    std::vector<Filter> List;
    const unsigned N = R.UI8();
    for (unsigned I = 0; I < N; ++I) {
        Filter F;
        F.Id = R.UI8();
        F.Data = ToVector(R.Bytes(FilterSize(R, F.Id)));
        List.push_back(std::move(F));
    }
    return List;
}

void WriteFilters(Writer& W, const std::vector<Filter>& List)
{
    if (List.size() > 255)
        throw SwfError(W.Size(), "more than 255 filters");
    W.UI8(static_cast<uint8_t>(List.size()));
    for (const Filter& F : List) {
        std::vector<uint8_t> Check = F.Data;
        Reader R(Check, W.Size(), "filter");
        if (FilterSize(R, F.Id) != F.Data.size())
            throw SwfError(W.Size(), "filter " + std::to_string(F.Id) + " data has the wrong size");
        W.UI8(F.Id);
        W.Bytes(F.Data);
    }
}

// ---- placement ----

PlaceObject2 ReadPlaceObject2(Reader& R, int Version, uint8_t SwfVersion)
{
    PlaceObject2 P;
    P.Version = Version;
    const uint8_t F = R.UI8();
    const uint8_t F3 = Version == 3 ? R.UI8() : 0;
    P.Move = F & 0x01;
    P.Flags3Reserved = F3 & 0xE0;
    P.HasImage = F3 & 0x10;
    P.Depth = R.UI16();
    if (F3 & 0x08 || (P.HasImage && (F & 0x02)))
        P.ClassName = R.String();
    if (F & 0x02)
        P.CharacterId = R.UI16();
    if (F & 0x04)
        P.Transform = ReadMatrix(R);
    if (F & 0x08)
        P.ColorTransform = ReadCxFormWithAlpha(R);
    if (F & 0x10)
        P.Ratio = R.UI16();
    if (F & 0x20)
        P.Name = R.String();
    if (F & 0x40)
        P.ClipDepth = R.UI16();
    if (F3 & 0x01)
        P.Filters = ReadFilters(R);
    if (F3 & 0x02)
        P.BlendMode = R.UI8();
    if (F3 & 0x04)
        P.BitmapCache = R.UI8();
    if (F & 0x80)
        P.Actions = ReadClipActions(R, SwfVersion);
    return P;
}

void WritePlaceObject2(Writer& W, const PlaceObject2& P, uint8_t SwfVersion)
{
    const bool V3 = P.Version == 3;
    if (!V3 && (P.ClassName || P.Filters || P.BlendMode || P.BitmapCache || P.HasImage || P.Flags3Reserved))
        throw SwfError(W.Size(), "PlaceObject2 cannot hold PlaceObject3 fields");
    if (P.ClassName && !(P.HasImage && P.CharacterId) && !V3)
        throw SwfError(W.Size(), "class name needs PlaceObject3");
    W.UI8(static_cast<uint8_t>((P.Actions ? 0x80 : 0) | (P.ClipDepth ? 0x40 : 0) | (P.Name ? 0x20 : 0) |
                               (P.Ratio ? 0x10 : 0) | (P.ColorTransform ? 0x08 : 0) | (P.Transform ? 0x04 : 0) |
                               (P.CharacterId ? 0x02 : 0) | (P.Move ? 0x01 : 0)));
    // The class name is stored when either flag calls for it; HasClassName is set unless the image
    // rule alone already does.
    const bool ImageNamesClass = P.HasImage && P.CharacterId;
    if (V3)
        W.UI8(static_cast<uint8_t>((P.Flags3Reserved & 0xE0) | (P.HasImage ? 0x10 : 0) |
                                   (P.ClassName && !ImageNamesClass ? 0x08 : 0) | (P.BitmapCache ? 0x04 : 0) |
                                   (P.BlendMode ? 0x02 : 0) | (P.Filters ? 0x01 : 0)));
    if (ImageNamesClass && !P.ClassName)
        throw SwfError(W.Size(), "PlaceObject3 with an image and a character needs a class name");
    W.UI16(P.Depth);
    if (P.ClassName)
        W.String(*P.ClassName);
    if (P.CharacterId)
        W.UI16(*P.CharacterId);
    if (P.Transform)
        WriteMatrix(W, *P.Transform);
    if (P.ColorTransform)
        WriteCxFormWithAlpha(W, *P.ColorTransform);
    if (P.Ratio)
        W.UI16(*P.Ratio);
    if (P.Name)
        W.String(*P.Name);
    if (P.ClipDepth)
        W.UI16(*P.ClipDepth);
    if (P.Filters)
        WriteFilters(W, *P.Filters);
    if (P.BlendMode)
        W.UI8(*P.BlendMode);
    if (P.BitmapCache)
        W.UI8(*P.BitmapCache);
    if (P.Actions)
        WriteClipActions(W, *P.Actions, SwfVersion);
}

// ---- the rest of the simple tags ----

int ShapeVersionOf(uint16_t Code)
{
    switch (Code) {
    case 2: return 1;
    case 22: return 2;
    case 32: return 3;
    default: return 4;
    }
}

uint16_t ShapeCode(int Version)
{
    switch (Version) {
    case 1: return 2;
    case 2: return 22;
    case 3: return 32;
    case 4: return 83;
    default: throw SwfError(0, "DefineShape version " + std::to_string(Version) + " does not exist");
    }
}

TagValue DecodeBody(const Tag& T, Reader& R, uint8_t V, int Nesting, std::vector<std::string>* Warnings);

// Decodes one tag's body; bytes a typed tag leaves unread are a warning.
TagValue DecodeChecked(const Tag& T, uint8_t V, int Nesting, std::vector<std::string>* Warnings)
{
    const size_t BodyOffset = T.Offset + (T.LongHeader || T.Body.size() >= 0x3F ? 6 : 2);
    Reader R(T.Body, BodyOffset, TagName(T.Code));
    TagValue Value = DecodeBody(T, R, V, Nesting, Warnings);
    if (!R.AtEnd() && !std::holds_alternative<UnknownTag>(Value) && Warnings)
        Warnings->push_back("offset " + std::to_string(R.Offset()) + ": " + std::to_string(R.Remaining()) +
                            " bytes after the end of " + TagName(T.Code) + " ignored");
    return Value;
}

DefineSprite ReadSprite(Reader& R, uint8_t V, int Nesting, std::vector<std::string>* Warnings)
{
    if (Nesting >= MaxSpriteNesting)
        R.Fail("sprites nested deeper than " + std::to_string(MaxSpriteNesting));
    DefineSprite S;
    S.Id = R.UI16();
    S.FrameCount = R.UI16();
    std::vector<std::string> Local;
    const std::vector<Tag> Raw = ReadTags(R, Warnings ? *Warnings : Local);
    S.Tags.reserve(Raw.size());  // typed tags are large: no growth by doubling
    for (const Tag& Child : Raw) {
        TypedTag TT(DecodeChecked(Child, V, Nesting + 1, Warnings), Child.LongHeader);
        TT.Offset = Child.Offset;
        TT.BodyLength = Child.Body.size();
        S.Tags.push_back(std::move(TT));
    }
    return S;
}

TagValue DecodeBody(const Tag& T, Reader& R, uint8_t V, int Nesting, std::vector<std::string>* Warnings)
{
    switch (T.Code) {
    case 0: return EndTag{};
    case 1: return ShowFrame{};
    case 9: return SetBackgroundColor{ReadRgb(R)};
    case 69: return FileAttributes{R.UI32()};
    case 77: return Metadata{R.String()};
    case 24: return Protect{ToVector(R.Rest())};
    case 65: {
        ScriptLimits S;
        S.MaxRecursionDepth = R.UI16();
        S.ScriptTimeoutSeconds = R.UI16();
        return S;
    }
    case 43: {
        FrameLabel L;
        L.Name = R.String();
        if (!R.AtEnd())
            L.NamedAnchor = R.UI8();
        return L;
    }
    case 12: return DoAction{DecodeActions(R)};
    case 59: {
        DoInitAction D;
        D.SpriteId = R.UI16();
        D.Actions = DecodeActions(R);
        return D;
    }
    case 56: {
        ExportAssets E;
        const unsigned N = R.UI16();
        for (unsigned I = 0; I < N; ++I) {
            ExportAssets::Asset A;
            A.Id = R.UI16();
            A.Name = R.String();
            E.Assets.push_back(std::move(A));
        }
        return E;
    }
    case 5: {
        RemoveObject O;
        O.Version = 1;
        O.CharacterId = R.UI16();
        O.Depth = R.UI16();
        return O;
    }
    case 28: {
        RemoveObject O;
        O.Depth = R.UI16();
        return O;
    }
    case 4: {
        PlaceObject P;
        P.CharacterId = R.UI16();
        P.Depth = R.UI16();
        P.Transform = ReadMatrix(R);
        if (!R.AtEnd())
            P.ColorTransform = ReadCxForm(R);
        return P;
    }
    case 26: return ReadPlaceObject2(R, 2, V);
    case 70: return ReadPlaceObject2(R, 3, V);
    case 2:
    case 22:
    case 32:
    case 83: {
        DefineShape S;
        S.Version = ShapeVersionOf(T.Code);
        S.Id = R.UI16();
        S.Bounds = ReadRect(R);
        if (S.Version == 4) {
            S.EdgeBounds = ReadRect(R);
            S.Flags4 = R.UI8();
        }
        S.Geometry = ReadShapeWithStyle(R, S.Version);
        return S;
    }
    case 39: return ReadSprite(R, V, Nesting, Warnings);
    default:
        if (auto Value = DecodeBitmapTag(T.Code, R))
            return std::move(*Value);
        if (auto Value = DecodeTextTag(T.Code, R))
            return std::move(*Value);
        return UnknownTag{T.Code, T.Body};
    }
}

void EncodeBody(const TagValue& Value, Writer& W, uint8_t V)
{
    std::visit(
        Overload{
            [](const EndTag&) {}, [](const ShowFrame&) {},
            [&](const SetBackgroundColor& S) { WriteRgb(W, S.Color); },
            [&](const FileAttributes& F) { W.UI32(F.Flags); },
            [&](const Metadata& M) { W.String(M.Xml); },
            [&](const Protect& P) { W.Bytes(P.Password); },
            [&](const ScriptLimits& S) {
                W.UI16(S.MaxRecursionDepth);
                W.UI16(S.ScriptTimeoutSeconds);
            },
            [&](const FrameLabel& L) {
                W.String(L.Name);
                if (L.NamedAnchor)
                    W.UI8(*L.NamedAnchor);
            },
            [&](const DoAction& D) { EncodeActions(W, D.Actions); },
            [&](const DoInitAction& D) {
                W.UI16(D.SpriteId);
                EncodeActions(W, D.Actions);
            },
            [&](const ExportAssets& E) {
                if (E.Assets.size() > 0xFFFF)
                    throw SwfError(W.Size(), "more than 65535 exported assets");
                W.UI16(static_cast<uint16_t>(E.Assets.size()));
                for (const auto& A : E.Assets) {
                    W.UI16(A.Id);
                    W.String(A.Name);
                }
            },
            [&](const RemoveObject& O) {
                if (O.Version == 1)
                    W.UI16(O.CharacterId);
                W.UI16(O.Depth);
            },
            [&](const PlaceObject& P) {
                W.UI16(P.CharacterId);
                W.UI16(P.Depth);
                WriteMatrix(W, P.Transform);
                if (P.ColorTransform)
                    WriteCxForm(W, *P.ColorTransform);
            },
            [&](const PlaceObject2& P) { WritePlaceObject2(W, P, V); },
            [&](const DefineShape& S) {
                W.UI16(S.Id);
                WriteRect(W, S.Bounds);
                if (S.Version == 4) {
                    WriteRect(W, S.EdgeBounds);
                    W.UI8(S.Flags4);
                }
                WriteShapeWithStyle(W, S.Geometry, S.Version);
            },
            [&](const DefineSprite& S) {
                W.UI16(S.Id);
                W.UI16(S.FrameCount);
                for (const TypedTag& Child : S.Tags)
                    WriteTag(W, EncodeTag(Child, V));
            },
            [&](const UnknownTag& U) { W.Bytes(U.Body); },
            [&](const auto& Other) { EncodeTagBody(Other, W); },
        },
        Value);
}

}  // namespace

uint16_t CodeOf(const TagValue& Value)
{
    return std::visit(
        Overload{
            [](const EndTag&) -> uint16_t { return 0; },
            [](const ShowFrame&) -> uint16_t { return 1; },
            [](const SetBackgroundColor&) -> uint16_t { return 9; },
            [](const FileAttributes&) -> uint16_t { return 69; },
            [](const Metadata&) -> uint16_t { return 77; },
            [](const Protect&) -> uint16_t { return 24; },
            [](const ScriptLimits&) -> uint16_t { return 65; },
            [](const FrameLabel&) -> uint16_t { return 43; },
            [](const DoAction&) -> uint16_t { return 12; },
            [](const DoInitAction&) -> uint16_t { return 59; },
            [](const ExportAssets&) -> uint16_t { return 56; },
            [](const RemoveObject& O) -> uint16_t { return O.Version == 1 ? 5 : 28; },
            [](const PlaceObject&) -> uint16_t { return 4; },
            [](const PlaceObject2& P) -> uint16_t { return P.Version == 3 ? 70 : 26; },
            [](const DefineShape& S) -> uint16_t { return ShapeCode(S.Version); },
            [](const DefineSprite&) -> uint16_t { return 39; },
            [](const UnknownTag& U) -> uint16_t { return U.Code; },
            [](const auto& Other) -> uint16_t { return TagCodeOf(Other); },
        },
        Value);
}

TagValue DecodeTag(const Tag& T, uint8_t SwfVersion, std::vector<std::string>* Warnings)
{
    return DecodeChecked(T, SwfVersion, 0, Warnings);
}

Tag EncodeTag(const TypedTag& T, uint8_t SwfVersion)
{
    Tag Out;
    Out.Code = CodeOf(T.Value);
    Out.LongHeader = T.LongHeader;
    Writer W;
    EncodeBody(T.Value, W, SwfVersion);
    W.Flush();
    Out.Body = W.Take();
    return Out;
}

Movie DecodeMovie(std::span<const uint8_t> File, const DecodeOptions& Options)
{
    SwfMovie Raw = Decode(File, Options);
    Movie M;
    M.Header = Raw.Header;
    M.Warnings = std::move(Raw.Warnings);
    M.Tags.reserve(Raw.Tags.size());
    for (const Tag& T : Raw.Tags) {
        TypedTag TT(DecodeTag(T, M.Header.Version, &M.Warnings), T.LongHeader);
        TT.Offset = T.Offset;
        TT.BodyLength = T.Body.size();
        M.Tags.push_back(std::move(TT));
    }
    return M;
}

std::vector<uint8_t> EncodeMovie(const Movie& M)
{
    SwfMovie Raw;
    Raw.Header = M.Header;
    for (const TypedTag& T : M.Tags)
        Raw.Tags.push_back(EncodeTag(T, M.Header.Version));
    return Encode(Raw);
}

}  // namespace swf
