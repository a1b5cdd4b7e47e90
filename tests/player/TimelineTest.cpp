// Timelines and display lists: placement, removal, replacement, looping, goto both ways, and the
// order in which frame scripts are handed over.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DisplayList.h"

using namespace swf;
using namespace swf::player;

namespace {

// A frame script that names itself: Push "<name>", Pop.
DoAction Script(const std::string& Name)
{
    Asm A;
    A.Push(Name).Pop().End();
    return DoAction{ActionBlock{A.Take(), {}}};
}

std::string NameOf(const FrameScript& S)
{
    const auto& First = S.Actions->Actions.at(0);
    return First.Get<PushArgs>()->Values.at(0).Str;
}

std::vector<std::string> Tick(Clip& Root)
{
    Root.Advance();
    std::vector<FrameScript> Scripts;
    Root.CollectScripts(Scripts);
    std::vector<std::string> Names;
    for (const FrameScript& S : Scripts)
        Names.push_back(NameOf(S));
    return Names;
}

PlaceObject2 Place(uint16_t Depth, uint16_t Id, int32_t X = 0, const char* Name = nullptr)
{
    PlaceObject2 P;
    P.Depth = Depth;
    P.CharacterId = Id;
    Matrix M;
    M.TranslateX = X;
    P.Transform = M;
    if (Name)
        P.Name = Name;
    return P;
}

PlaceObject2 MoveTo(uint16_t Depth, int32_t X)
{
    PlaceObject2 P;
    P.Move = true;
    P.Depth = Depth;
    Matrix M;
    M.TranslateX = X;
    P.Transform = M;
    return P;
}

RemoveObject Remove(uint16_t Depth)
{
    RemoveObject R;
    R.Depth = Depth;
    return R;
}

// Root: 3 frames. Sprite 10 (2 frames, scripts "s1", "s2") placed at depth 1 in frame 1 as "kid",
// moved in frame 2, removed in frame 3; shape 5 at depth 2 in frame 2; scripts "r1".."r3".
Movie ThreeFrames()
{
    Movie M;
    M.Header.FrameCount = 3;
    DefineShape Shape;
    Shape.Id = 5;
    M.Tags.emplace_back(Shape);
    DefineSprite S;
    S.Id = 10;
    S.FrameCount = 2;
    S.Tags = {TypedTag(Script("s1")), TypedTag(ShowFrame{}), TypedTag(Script("s2")), TypedTag(ShowFrame{}), TypedTag(EndTag{})};
    M.Tags.emplace_back(S);
    for (TagValue V : std::vector<TagValue>{Script("r1"), Place(1, 10, 0, "kid"), ShowFrame{}, MoveTo(1, 200),
                                            Place(2, 5, 40), Script("r2"), ShowFrame{}, Remove(1), Script("r3"),
                                            ShowFrame{}, EndTag{}})
        M.Tags.emplace_back(std::move(V));
    return M;
}

}  // namespace

TEST(Timeline, FramesAdvanceAndScriptsFollowTheDisplayList)
{
    Library Lib(ThreeFrames());
    ASSERT_EQ(Lib.Root().Frames.size(), 3u);
    Clip Root(Lib, Lib.Root(), nullptr);

    // Frame 1: the script placed before the sprite still runs after it is placed; parent first.
    EXPECT_EQ(Tick(Root), (std::vector<std::string>{"r1", "s1"}));
    EXPECT_EQ(Root.CurrentFrame(), 1);
    ASSERT_TRUE(Root.ChildAt(1) && Root.ChildAt(1)->Sprite);
    Clip* Kid = Root.ChildAt(1)->Sprite.get();
    EXPECT_EQ(Kid->CurrentFrame(), 1);
    EXPECT_EQ(Root.ChildNamed("KID", false), Root.ChildAt(1));
    EXPECT_EQ(Root.ChildNamed("KID", true), nullptr);

    // Frame 2: moved, not re-created; the sprite goes on in its own timeline.
    EXPECT_EQ(Tick(Root), (std::vector<std::string>{"r2", "s2"}));
    EXPECT_EQ(Root.ChildAt(1)->Sprite.get(), Kid);
    EXPECT_EQ(Root.ChildAt(1)->Place.Transform.TranslateX, 200);
    EXPECT_EQ(Root.ChildAt(2)->Place.CharacterId, 5);

    // Frame 3: removed. Then the loop back to frame 1 places a new instance.
    EXPECT_EQ(Tick(Root), (std::vector<std::string>{"r3"}));
    EXPECT_EQ(Root.ChildAt(1), nullptr);
    EXPECT_EQ(Tick(Root), (std::vector<std::string>{"r1", "s1"}));
    EXPECT_EQ(Root.CurrentFrame(), 1);
    ASSERT_TRUE(Root.ChildAt(1));
    EXPECT_EQ(Root.ChildAt(1)->Place.Transform.TranslateX, 0);
    EXPECT_EQ(Root.ChildAt(2), nullptr);  // placed in frame 2, gone in frame 1
}

TEST(Timeline, GotoBackKeepsInstancesBothStatesShareAndForwardSkipsScripts)
{
    Library Lib(ThreeFrames());
    Clip Root(Lib, Lib.Root(), nullptr);
    Tick(Root);
    Tick(Root);  // frame 2: kid moved to 200, shape at depth 2
    Clip* Kid = Root.ChildAt(1)->Sprite.get();
    Kid->Stop();

    Root.GotoFrame(0);
    std::vector<FrameScript> Scripts;
    Root.CollectScripts(Scripts);
    ASSERT_EQ(Scripts.size(), 1u);
    EXPECT_EQ(NameOf(Scripts[0]), "r1");
    EXPECT_EQ(Root.ChildAt(1)->Sprite.get(), Kid) << "created in frame 1 and alive there: kept";
    EXPECT_EQ(Kid->CurrentFrame(), 2) << "its own timeline is not reset";
    EXPECT_EQ(Root.ChildAt(1)->Place.Transform.TranslateX, 0) << "the timeline's frame 1 transform again";
    EXPECT_EQ(Root.ChildAt(2), nullptr);

    // A script-moved instance keeps its transform through the timeline's changes.
    Root.ChildAt(1)->ScriptControlled = true;
    Root.ChildAt(1)->Place.Transform.TranslateX = 77;
    Root.GotoFrame(2);  // forward over frame 2: its script does not run
    Scripts.clear();
    Root.CollectScripts(Scripts);
    ASSERT_EQ(Scripts.size(), 1u);
    EXPECT_EQ(NameOf(Scripts[0]), "r3");
    EXPECT_EQ(Root.ChildAt(1), nullptr);
    EXPECT_EQ(Root.ChildAt(2)->Place.Transform.TranslateX, 40);

    Root.GotoFrame(2);  // the current frame: nothing
    Scripts.clear();
    Root.CollectScripts(Scripts);
    EXPECT_TRUE(Scripts.empty());
    Root.GotoFrame(99);  // clamped to the last frame, which is current
    EXPECT_EQ(Root.CurrentFrame(), 3);
}

TEST(Timeline, ReplaceInitScriptsAndIgnoredPlacements)
{
    Movie M;
    M.Header.FrameCount = 2;
    DefineShape A, B;
    A.Id = 1;
    B.Id = 2;
    M.Tags = {TypedTag(A), TypedTag(B), TypedTag(DoInitAction{1, Script("init").Actions}), TypedTag(Place(3, 1, 10)),
              TypedTag(Place(3, 2, 99)),  // depth taken: ignored
              TypedTag(ShowFrame{})};
    PlaceObject2 Swap = MoveTo(3, 20);
    Swap.CharacterId = 2;
    M.Tags.emplace_back(Swap);
    M.Tags.emplace_back(FrameLabel{"Two", std::nullopt});
    M.Tags.emplace_back(ShowFrame{});
    M.Tags.emplace_back(Script("beyond the last frame"));
    M.Tags.emplace_back(ShowFrame{});
    Library Lib(std::move(M));
    EXPECT_EQ(Lib.Warnings().size(), 1u);
    EXPECT_EQ(Lib.Root().FindLabel("two"), 1);
    EXPECT_FALSE(Lib.Root().FindLabel("three"));

    Clip Root(Lib, Lib.Root(), nullptr);
    EXPECT_EQ(Tick(Root), (std::vector<std::string>{"init"}));
    EXPECT_EQ(Root.ChildAt(3)->Place.CharacterId, 1);
    EXPECT_EQ(Root.ChildAt(3)->Place.Transform.TranslateX, 10);
    Tick(Root);
    EXPECT_EQ(Root.ChildAt(3)->Place.CharacterId, 2);
    EXPECT_EQ(Root.ChildAt(3)->Place.Transform.TranslateX, 20);
    EXPECT_TRUE(Tick(Root).empty()) << "init scripts run once, also when the loop comes back";
    EXPECT_EQ(Root.ChildAt(3)->Place.CharacterId, 1);
}

TEST(Timeline, TheBuiltInMovieBuildsItsClips)
{
    std::ifstream In(std::string(SOURCE_DIR) + "/osd/resources/ovixosd.swf", std::ios::binary);
    const std::vector<uint8_t> File{std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
    Library Lib(DecodeMovie(File));
    Clip Root(Lib, Lib.Root(), nullptr);
    Root.Advance();
    std::vector<FrameScript> Scripts;
    Root.CollectScripts(Scripts);
    std::vector<uint16_t> Depths;
    for (const auto& [Depth, Child] : Root.Children())
        Depths.push_back(Depth);
    EXPECT_EQ(Depths, (std::vector<uint16_t>{1, 3, 7}));
    // Root frame 1, then the clock's and the ticker's first frames.
    ASSERT_EQ(Scripts.size(), 3u);
    EXPECT_EQ(Scripts[0].Target, &Root);
    EXPECT_EQ(Scripts[1].Target, Root.ChildAt(3)->Sprite.get());
    EXPECT_EQ(Scripts[2].Target, Root.ChildAt(7)->Sprite.get());
    Clip& Clock = *Root.ChildAt(3)->Sprite;
    EXPECT_TRUE(Clock.ChildAt(1) && Clock.ChildAt(3));
    EXPECT_EQ(Root.ChildAt(7)->Sprite->ChildNamed("str1", true)->Depth, 1);
    EXPECT_EQ(Root.ChildAt(1)->Sprite->TotalFrames(), 110);

    Root.Advance();
    EXPECT_EQ(Clock.CurrentFrame(), 2);
    EXPECT_EQ(Clock.ChildAt(3), nullptr) << "the time field is removed in frame 2";
    Clock.GotoFrame(0);  // what its frame 2 script asks for
    EXPECT_TRUE(Clock.ChildAt(3)) << "and back in frame 1";
    Root.Stop();
    Root.Advance();
    EXPECT_EQ(Root.CurrentFrame(), 2);
}
