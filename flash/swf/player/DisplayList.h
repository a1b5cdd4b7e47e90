// Clips and their display lists: frame by frame placement, removal and replacement, and goto in
// both directions.
//
// A tick has two phases. First every playing clip, parent before children, advances and applies
// its frame's control tags; a sprite placed in that phase enters its first frame at once. Then
// CollectScripts walks the tree, parent before children and children in depth order, and hands
// over the scripts of the frames entered: the init scripts first, then the frame scripts, each in
// tag order. So a frame's scripts always see the display list of their frame.
//
// Going back in a timeline rebuilds its display list from frame 1 to the target: children that the
// timeline placed and that exist in both states keep their instance (and their own state), the
// others are removed or created; the skipped frames' scripts do not run.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Timeline.h"

namespace swf::player {

class Clip;

// What the timeline has put at one depth.
struct Placement {
    uint16_t CharacterId = 0;
    Matrix Transform;
    CxForm ColorTransform;  // identity unless HasMult/HasAdd
    uint16_t Ratio = 0;
    std::string Name;
    uint16_t ClipDepth = 0;
    int CreatedFrame = -1;  // the frame whose control created the instance
    const ClipActions* Events = nullptr;
};

struct DisplayObject {
    uint16_t Depth = 0;
    Placement Place;
    bool ScriptControlled = false;  // a script moved it: the timeline no longer sets its transform
    std::unique_ptr<Clip> Sprite;   // when the character is a sprite
};

struct FrameScript {
    Clip* Target = nullptr;
    const ActionBlock* Actions = nullptr;
    bool Init = false;          // a DoInitAction block
    uint16_t InitSpriteId = 0;  // its sprite
};

class Clip {
public:
    Clip(const Library& Lib, const TimelineDef& Def, Clip* Parent, std::string Name = {});
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;

    const TimelineDef& Definition() const { return FDef; }
    Clip* Parent() const { return FParent; }
    const std::string& Name() const { return FName; }
    int CurrentFrame() const { return FCurrent + 1; }  // 1-based, 0 before the first frame
    int TotalFrames() const { return static_cast<int>(FDef.Frames.size()); }
    bool Playing() const { return FPlaying; }
    void Play() { FPlaying = true; }
    void Stop() { FPlaying = false; }

    // Phase one of a tick: this clip and then its children go one frame on (looping at the end)
    // when playing; a clip that has not entered a frame enters its first.
    void Advance();
    // Jumps to Frame (0-based, clamped to the timeline) at once; the target frame's scripts are
    // collected by the next CollectScripts. Going to the current frame does nothing.
    void GotoFrame(int Frame);
    // Phase two: the scripts of the frames entered since the last call, in running order.
    void CollectScripts(std::vector<FrameScript>& Out);

    const std::map<uint16_t, DisplayObject>& Children() const { return FChildren; }
    DisplayObject* ChildAt(uint16_t Depth);
    DisplayObject* ChildNamed(const std::string& Name, bool CaseSensitive);
    void RemoveChild(uint16_t Depth);

private:
    void Enter(int Frame, bool WithScripts);
    void Apply(const Control& C, int Frame);
    void Rebuild(int Target);
    std::map<uint16_t, Placement> StateAt(int Target) const;
    void Create(uint16_t Depth, const Placement& P);

    const Library& FLib;
    const TimelineDef& FDef;
    Clip* FParent;
    std::string FName;
    int FCurrent = -1;
    bool FPlaying = true;
    std::vector<bool> FInitRan;       // per frame: its init scripts have run
    std::map<uint16_t, DisplayObject> FChildren;
    std::vector<int> FPendingFrames;  // frames entered whose scripts are not collected yet
    std::vector<uint16_t> FNewChildren; // depths created during this phase one (they do not advance again)
};

}  // namespace swf::player
