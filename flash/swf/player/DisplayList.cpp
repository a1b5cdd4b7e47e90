#include "DisplayList.h"

#include <algorithm>

namespace swf::player {

namespace {

void Merge(Placement& P, const Control& C)
{
    if (C.Transform)
        P.Transform = *C.Transform;
    if (C.ColorTransform)
        P.ColorTransform = *C.ColorTransform;
    if (C.Ratio)
        P.Ratio = *C.Ratio;
    if (C.Name)
        P.Name = *C.Name;
    if (C.ClipDepth)
        P.ClipDepth = *C.ClipDepth;
    if (C.Events)
        P.Events = C.Events;
}

}  // namespace

Clip::Clip(const Library& Lib, const TimelineDef& Def, Clip* Parent, std::string Name)
    : FLib(Lib), FDef(Def), FParent(Parent), FName(std::move(Name)), FInitRan(Def.Frames.size(), false)
{
}

void Clip::Advance()
{
    FNewChildren.clear();
    if (FCurrent < 0)
        Enter(0, true);
    else if (FPlaying && TotalFrames() > 1) {
        if (FCurrent + 1 < TotalFrames())
            Enter(FCurrent + 1, true);
        else
            Rebuild(0);
    }
    for (auto& [Depth, Child] : FChildren)
        if (Child.Sprite && std::find(FNewChildren.begin(), FNewChildren.end(), Depth) == FNewChildren.end())
            Child.Sprite->Advance();
    FNewChildren.clear();
}

void Clip::GotoFrame(int Frame)
{
    Frame = std::clamp(Frame, 0, TotalFrames() - 1);
    if (Frame == FCurrent)
        return;
    if (FCurrent >= 0 && Frame > FCurrent) {
        for (int F = FCurrent + 1; F <= Frame; ++F)
            Enter(F, F == Frame);
    } else {
        Rebuild(Frame);
    }
}

void Clip::Enter(int Frame, bool WithScripts)
{
    FCurrent = Frame;
    for (const Control& C : FDef.Frames[Frame].Controls)
        Apply(C, Frame);
    if (WithScripts)
        FPendingFrames.push_back(Frame);
}

void Clip::Apply(const Control& C, int Frame)
{
    DisplayObject* Child = ChildAt(C.Depth);
    switch (C.Type) {
    case Control::Place: {
        if (Child)
            return;  // the depth is taken: the placement is ignored
        Placement P;
        P.CharacterId = C.CharacterId;
        P.CreatedFrame = Frame;
        Merge(P, C);
        Create(C.Depth, P);
        return;
    }
    case Control::Replace:
    case Control::Modify: {
        if (!Child)
            return;
        Placement P = Child->Place;
        Merge(P, C);
        if (Child->ScriptControlled)
            P.Transform = Child->Place.Transform;
        if (C.Type == Control::Replace && C.CharacterId != P.CharacterId) {
            P.CharacterId = C.CharacterId;
            const bool ScriptControlled = Child->ScriptControlled;
            FChildren.erase(C.Depth);
            Create(C.Depth, P);
            ChildAt(C.Depth)->ScriptControlled = ScriptControlled;
        } else {
            Child->Place = P;
        }
        return;
    }
    case Control::Remove: FChildren.erase(C.Depth); return;
    }
}

void Clip::Create(uint16_t Depth, const Placement& P)
{
    DisplayObject& O = FChildren[Depth];
    O.Depth = Depth;
    O.Place = P;
    if (const TimelineDef* Def = FLib.Sprite(P.CharacterId)) {
        O.Sprite = std::make_unique<Clip>(FLib, *Def, this, P.Name);
        O.Sprite->Enter(0, true);
    }
    FNewChildren.push_back(Depth);
}

std::map<uint16_t, Placement> Clip::StateAt(int Target) const
{
    std::map<uint16_t, Placement> State;
    for (int F = 0; F <= Target; ++F)
        for (const Control& C : FDef.Frames[F].Controls) {
            auto It = State.find(C.Depth);
            switch (C.Type) {
            case Control::Place:
                if (It == State.end()) {
                    Placement P;
                    P.CharacterId = C.CharacterId;
                    P.CreatedFrame = F;
                    Merge(P, C);
                    State.emplace(C.Depth, P);
                }
                break;
            case Control::Replace:
            case Control::Modify:
                if (It != State.end()) {
                    Merge(It->second, C);
                    if (C.Type == Control::Replace)
                        It->second.CharacterId = C.CharacterId;
                }
                break;
            case Control::Remove:
                if (It != State.end())
                    State.erase(It);
                break;
            }
        }
    return State;
}

void Clip::Rebuild(int Target)
{
    const std::map<uint16_t, Placement> Want = StateAt(Target);
    for (auto It = FChildren.begin(); It != FChildren.end();) {
        const Placement& Have = It->second.Place;
        if (Have.CreatedFrame < 0) {  // made by a script: the timeline does not own it
            ++It;
            continue;
        }
        const auto W = Want.find(It->first);
        if (W == Want.end() || W->second.CreatedFrame != Have.CreatedFrame || W->second.CharacterId != Have.CharacterId) {
            It = FChildren.erase(It);
            continue;
        }
        Placement P = W->second;
        if (It->second.ScriptControlled)
            P.Transform = Have.Transform;
        It->second.Place = P;
        ++It;
    }
    for (const auto& [Depth, P] : Want)
        if (!ChildAt(Depth))
            Create(Depth, P);
    FCurrent = Target;
    FPendingFrames.push_back(Target);
}

void Clip::CollectScripts(std::vector<FrameScript>& Out)
{
    for (int F : FPendingFrames) {
        const FrameDef& Frame = FDef.Frames[F];
        if (!FInitRan[F]) {
            FInitRan[F] = true;
            for (const DoInitAction* I : Frame.InitActions)
                Out.push_back(FrameScript{this, &I->Actions, true, I->SpriteId});
        }
        for (const ActionBlock* A : Frame.Actions)
            Out.push_back(FrameScript{this, A, false, 0});
    }
    FPendingFrames.clear();
    for (auto& [Depth, Child] : FChildren)
        if (Child.Sprite)
            Child.Sprite->CollectScripts(Out);
}

DisplayObject* Clip::ChildAt(uint16_t Depth)
{
    const auto It = FChildren.find(Depth);
    return It == FChildren.end() ? nullptr : &It->second;
}

DisplayObject* Clip::ChildNamed(const std::string& Name, bool CaseSensitive)
{
    for (auto& [Depth, Child] : FChildren)
        if (!Child.Place.Name.empty() && (CaseSensitive ? Child.Place.Name == Name : SameNameIgnoringCase(Child.Place.Name, Name)))
            return &Child;
    return nullptr;
}

void Clip::RemoveChild(uint16_t Depth) { FChildren.erase(Depth); }

}  // namespace swf::player
