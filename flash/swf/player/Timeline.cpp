#include "Timeline.h"

#include <algorithm>
#include <cctype>

namespace swf::player {

bool SameNameIgnoringCase(const std::string& A, const std::string& B)
{
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](unsigned char X, unsigned char Y) {
               return std::tolower(X) == std::tolower(Y);
           });
}

namespace {

Control FromPlace2(const PlaceObject2& P)
{
    Control C;
    C.Type = P.CharacterId ? (P.Move ? Control::Replace : Control::Place) : Control::Modify;
    C.Depth = P.Depth;
    C.CharacterId = P.CharacterId.value_or(0);
    C.Transform = P.Transform;
    C.ColorTransform = P.ColorTransform;
    C.Ratio = P.Ratio;
    C.Name = P.Name;
    C.ClipDepth = P.ClipDepth;
    C.Events = P.Actions ? &*P.Actions : nullptr;
    return C;
}

}  // namespace

std::optional<int> TimelineDef::FindLabel(const std::string& Label) const
{
    for (size_t F = 0; F < Frames.size(); ++F)
        for (const std::string& L : Frames[F].Labels)
            if (SameNameIgnoringCase(L, Label))
                return static_cast<int>(F);
    return std::nullopt;
}

std::optional<uint16_t> DefinedId(const TagValue& V)
{
    return std::visit(
        [](const auto& T) -> std::optional<uint16_t> {
            using Type = std::decay_t<decltype(T)>;
            if constexpr (std::is_same_v<Type, DefineShape> || std::is_same_v<Type, DefineBits> ||
                          std::is_same_v<Type, DefineBitsJpeg> || std::is_same_v<Type, DefineBitsLossless> ||
                          std::is_same_v<Type, DefineFont> || std::is_same_v<Type, DefineFont2> ||
                          std::is_same_v<Type, DefineText> || std::is_same_v<Type, DefineEditText> ||
                          std::is_same_v<Type, DefineSprite>)
                return T.Id;
            else
                return std::nullopt;
        },
        V);
}

Library::Library(Movie M) : FMovie(std::move(M))
{
    for (const TypedTag& T : FMovie.Tags) {
        const auto Id = DefinedId(T.Value);
        if (!Id)
            continue;
        if (!FCharacters.emplace(*Id, &T.Value).second) {
            FWarnings.push_back("offset " + std::to_string(T.Offset) + ": character " + std::to_string(*Id) +
                                " defined again; the first definition stays");
            continue;
        }
        if (auto* S = std::get_if<DefineSprite>(&T.Value))
            FSprites.emplace(S->Id, Build(S->Id, S->Tags, S->FrameCount));
    }
    FRoot = Build(0, FMovie.Tags, FMovie.Header.FrameCount);
}

TimelineDef Library::Build(uint16_t Id, const std::vector<TypedTag>& Tags, size_t FrameCount)
{
    TimelineDef D;
    D.Id = Id;
    D.Frames.resize(std::max<size_t>(FrameCount, 1));
    size_t F = 0;
    bool Dropped = false;
    for (const TypedTag& T : Tags) {
        if (std::holds_alternative<ShowFrame>(T.Value)) {
            ++F;
            continue;
        }
        if (std::holds_alternative<EndTag>(T.Value))
            break;
        const bool IsControl = std::holds_alternative<PlaceObject>(T.Value) || std::holds_alternative<PlaceObject2>(T.Value) ||
                               std::holds_alternative<RemoveObject>(T.Value) || std::holds_alternative<DoAction>(T.Value) ||
                               std::holds_alternative<DoInitAction>(T.Value) || std::holds_alternative<FrameLabel>(T.Value);
        if (!IsControl)
            continue;
        if (F >= D.Frames.size()) {
            Dropped = true;
            continue;
        }
        FrameDef& Frame = D.Frames[F];
        if (auto* P = std::get_if<PlaceObject>(&T.Value)) {
            Control C;
            C.Depth = P->Depth;
            C.CharacterId = P->CharacterId;
            C.Transform = P->Transform;
            C.ColorTransform = P->ColorTransform;
            Frame.Controls.push_back(C);
        } else if (auto* P2 = std::get_if<PlaceObject2>(&T.Value)) {
            Frame.Controls.push_back(FromPlace2(*P2));
        } else if (auto* R = std::get_if<RemoveObject>(&T.Value)) {
            Control C;
            C.Type = Control::Remove;
            C.Depth = R->Depth;
            Frame.Controls.push_back(C);
        } else if (auto* A = std::get_if<DoAction>(&T.Value)) {
            Frame.Actions.push_back(&A->Actions);
        } else if (auto* I = std::get_if<DoInitAction>(&T.Value)) {
            Frame.InitActions.push_back(I);
        } else if (auto* L = std::get_if<FrameLabel>(&T.Value)) {
            Frame.Labels.push_back(L->Name);
        }
    }
    if (Dropped)
        FWarnings.push_back((Id ? "sprite " + std::to_string(Id) : std::string("the root timeline")) +
                            ": tags after its last declared frame ignored");
    return D;
}

const TimelineDef* Library::Sprite(uint16_t Id) const
{
    const auto It = FSprites.find(Id);
    return It == FSprites.end() ? nullptr : &It->second;
}

const TagValue* Library::Character(uint16_t Id) const
{
    const auto It = FCharacters.find(Id);
    return It == FCharacters.end() ? nullptr : It->second;
}

}  // namespace swf::player
