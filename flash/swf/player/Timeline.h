// The loaded movie as the player sees it: the dictionary of characters and, for the root and every
// sprite, its frames (the control tags and scripts of each frame, and the frame labels).
//
// A Library owns the decoded movie; the definitions point into it and stay valid as long as the
// Library lives.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Tags.h"

namespace swf::player {

// One placement change of a frame: PlaceObject, PlaceObject2/3 or RemoveObject/2, normalised.
struct Control {
    enum Kind : uint8_t { Place, Modify, Replace, Remove };
    Kind Type = Place;
    uint16_t Depth = 0;
    uint16_t CharacterId = 0;           // Place, Replace
    std::optional<Matrix> Transform;
    std::optional<CxForm> ColorTransform;
    std::optional<uint16_t> Ratio;
    std::optional<std::string> Name;
    std::optional<uint16_t> ClipDepth;
    const ClipActions* Events = nullptr;  // PlaceObject2/3 clip actions
};

struct FrameDef {
    std::vector<Control> Controls;                // in tag order
    std::vector<const ActionBlock*> Actions;      // DoAction blocks, in tag order
    std::vector<const DoInitAction*> InitActions; // run once, before the frame's other scripts
    std::vector<std::string> Labels;
};

struct TimelineDef {
    uint16_t Id = 0;  // 0 for the root
    std::vector<FrameDef> Frames;

    // The frame (0-based) of a label, compared as Flash compares names (case-insensitively).
    std::optional<int> FindLabel(const std::string& Label) const;
};

class Library {
public:
    explicit Library(Movie M);
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    const Movie& Source() const { return FMovie; }
    const TimelineDef& Root() const { return FRoot; }
    const TimelineDef* Sprite(uint16_t Id) const;
    const TagValue* Character(uint16_t Id) const;  // the defining tag, or nullptr
    const std::vector<std::string>& Warnings() const { return FWarnings; }

private:
    TimelineDef Build(uint16_t Id, const std::vector<TypedTag>& Tags, size_t FrameCount);

    Movie FMovie;
    TimelineDef FRoot;
    std::map<uint16_t, TimelineDef> FSprites;
    std::map<uint16_t, const TagValue*> FCharacters;
    std::vector<std::string> FWarnings;
};

// Names as Flash compares labels and, before SWF 7, instance names: ASCII case ignored.
bool SameNameIgnoringCase(const std::string& A, const std::string& B);

// The character id a defining tag defines, or nothing for control tags.
std::optional<uint16_t> DefinedId(const TagValue& V);

}  // namespace swf::player
