#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "Actions.h"

using namespace swf;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> Pieces)
{
    Bytes Out;
    for (const Bytes& P : Pieces)
        Out.insert(Out.end(), P.begin(), P.end());
    return Out;
}

// An action record from 0x80: code, UI16 length, data.
Bytes Rec(uint8_t Code, const Bytes& Data)
{
    return Cat({{Code, uint8_t(Data.size()), uint8_t(Data.size() >> 8)}, Data});
}

Bytes Str(const std::string& S)
{
    Bytes B(S.begin(), S.end());
    B.push_back(0);
    return B;
}

std::string Text(const ActionList& L)
{
    std::string S;
    for (const std::string& Line : Disassemble(L))
        S += Line + "\n";
    return S;
}

SwfError Raised(const std::function<void()>& F)
{
    try {
        F();
    } catch (const SwfError& E) {
        return E;
    }
    ADD_FAILURE() << "no SwfError raised";
    return SwfError(SIZE_MAX, "none");
}

struct TextCase {
    const char* Name;
    Bytes Data;
    const char* Lines;
};

// One case per data-carrying action and push kind, plus unknown codes.
const TextCase DataActions[] = {
    {"GotoFrame", Rec(0x81, {5, 0}), "GotoFrame 5\n"},
    {"GetURL", Rec(0x83, Cat({Str("http://x"), Str("_blank")})), "GetURL \"http://x\", \"_blank\"\n"},
    {"StoreRegister", Rec(0x87, {3}), "StoreRegister r3\n"},
    {"ConstantPool", Rec(0x88, Cat({{2, 0}, Str("a"), Str("bc")})), "ConstantPool \"a\", \"bc\"\n"},
    {"WaitForFrame", Rec(0x8A, {7, 0, 2}), "WaitForFrame 7 skip 2\n"},
    {"SetTarget", Rec(0x8B, Str("clip")), "SetTarget \"clip\"\n"},
    {"GotoLabel", Rec(0x8C, Str("intro")), "GotoLabel \"intro\"\n"},
    {"WaitForFrame2", Rec(0x8D, {1}), "WaitForFrame2 skip 1\n"},
    {"GetURL2", Rec(0x9A, {0x82}), "GetURL2 POST LoadTarget\n"},
    {"GotoFrame2 with bias", Rec(0x9F, {0x03, 0x02, 0x00}), "GotoFrame2 Play|SceneBias 2\n"},
    {"GotoFrame2", Rec(0x9F, {0x00}), "GotoFrame2\n"},
    {"Call", Rec(0x9E, {}), "Call\n"},
    {"simple", {0x1D, 0x1C, 0x69, 0x2B, 0x55}, "SetVariable\nGetVariable\nExtends\nCastOp\nEnumerate2\n"},
    {"Push every kind",
     Rec(0x96, Cat({{0}, Str("hi"), {1, 0x00, 0x00, 0xC0, 0x3F}, {2}, {3}, {4, 1}, {5, 1},
                    {6, 0x00, 0x00, 0xF8, 0x3F, 0, 0, 0, 0}, {7, 0xFF, 0xFF, 0xFF, 0xFF}, {8, 7}, {9, 0x34, 0x12}})),
     "Push \"hi\", 1.5f, null, undefined, r1, true, 1.5, -1, c7, c16:4660\n"},
    {"Push keeps kinds and bits",  // Double 1024, Integer 1024, a signalling NaN float, Boolean 0
     Rec(0x96, Cat({{6, 0x00, 0x00, 0x90, 0x40, 0, 0, 0, 0}, {7, 0x00, 0x04, 0, 0}, {1, 0x01, 0x00, 0x80, 0x7F},
                    {5, 0}, {0, 'a', '"', '\\', '\n', 0x01, 0xC3, 0xA9, 0}})),
     "Push 1024.0, 1024, NaN, false, \"a\\\"\\\\\\n\\x01\xC3\xA9\"\n"},
    {"DefineFunction", Cat({Rec(0x9B, Cat({Str("f"), {2, 0}, Str("a"), Str("b"), {1, 0}})), {0x3E}}),
     "DefineFunction \"f\" (a, b)\n  Return\n"},
    {"DefineFunction2",
     Cat({Rec(0x8E, Cat({Str("g"), {2, 0}, {3}, {0x01, 0x03}, {1}, Str("a"), {0}, Str("b"), {1, 0}})), {0x3E}}),
     "DefineFunction2 \"g\" (r1:a, b) regs=3 flags=PreloadThis|PreloadGlobal|0x0200\n  Return\n"},
    {"With", Cat({Rec(0x94, {1, 0}), {0x07}}), "With\n  Stop\n"},
    {"Try", Cat({Rec(0x8F, Cat({{0x03, 1, 0, 1, 0, 1, 0}, Str("e")})), {0x2A, 0x26, 0x07}}),
     "Try \"e\" catch|finally\n  .try\n    Throw\n  .catch\n    Trace\n  .finally\n    Stop\n"},
    {"Try into a register", Cat({Rec(0x8F, {0x05, 1, 0, 0, 0, 0, 0, 2}), {0x2A}}),
     "Try r2 catch\n  .try\n    Throw\n  .catch\n"},
    {"unknown codes", Cat({Rec(0x85, {1, 2}), {0x01}, Rec(0xFF, {})}), "Action0x85 01 02\nAction0x01\nAction0xFF\n"},
};

Bytes AllDataActions()
{
    Bytes B;
    for (const TextCase& C : DataActions)
        B.insert(B.end(), C.Data.begin(), C.Data.end());
    B.push_back(0x00);
    return B;
}

// Forward and backward branches, and labels at the same address in two scopes: the function
// body's end and the outer If, both at 32.
const Bytes Branches = Cat({
    Rec(0x96, {7, 1, 0, 0, 0}),           // 0: Push 1
    Rec(0x9D, {1, 0}),                    // 8: If -> 14
    {0x07},                               // 13: Stop
    Rec(0x99, {0xED, 0xFF}),              // 14: Jump -> 0
    Rec(0x9B, {0, 0, 0, 5, 0}),           // 19: DefineFunction "" (), body 27..32
    Rec(0x99, {0, 0}),                    // 27: Jump -> 32, the body's end
    Rec(0x9D, {0xFB, 0xFF}),              // 32: If -> 32
    {0x00},                               // 37: End
});

}  // namespace

TEST(SwfActions, DataActionsRoundTripAndDisassemble)
{
    for (const TextCase& C : DataActions) {
        SCOPED_TRACE(C.Name);
        const ActionBlock B = DecodeActions(C.Data);
        EXPECT_EQ(Text(B.Actions), C.Lines);
        EXPECT_TRUE(B.Trailing.empty());
        EXPECT_EQ(EncodeActions(B.Actions), C.Data);
    }
    EXPECT_STREQ(ActionName(0x8E), "DefineFunction2");
    EXPECT_STREQ(ActionName(0x00), "End");
    EXPECT_EQ(ActionName(0x85), nullptr);
}

TEST(SwfActions, DecodedPayloadsHoldTheValues)
{
    const ActionBlock B = DecodeActions(AllDataActions());
    const Action& Fn2 = B.Actions[20];
    ASSERT_EQ(Fn2.Code, ActionCode::DefineFunction2);
    ASSERT_NE(Fn2.Get<Function>(), nullptr);
    const Function& F = *Fn2.Get<Function>();
    EXPECT_EQ(F.Params, (std::vector<Param>{{1, "a"}, {0, "b"}}));
    EXPECT_EQ(F.RegisterCount, 3);
    EXPECT_EQ(F.Flags, FunctionFlag::PreloadThis | FunctionFlag::PreloadGlobal | 0x0200);
    ASSERT_EQ(F.Body.size(), 1u);
    EXPECT_EQ(F.Body[0].Code, ActionCode::Return);

    const auto& Push = B.Actions[17].Get<PushArgs>()->Values;
    ASSERT_EQ(Push.size(), 10u);
    EXPECT_EQ(Push[1].Type, PushValue::Kind::Float);
    EXPECT_EQ(Push[1].Number(), 1.5);
    EXPECT_EQ(Push[6].Type, PushValue::Kind::Double);
    EXPECT_EQ(Push[6].Number(), 1.5);
    EXPECT_EQ(Push[7].Int, -1);
    EXPECT_EQ(Push[9].Type, PushValue::Kind::Constant16);
    EXPECT_EQ(Push[9].Int, 0x1234);
    EXPECT_EQ(B.Actions.back().Code, ActionCode::End);
    EXPECT_EQ(B.Actions[1].Offset, 5u) << "GotoFrame is 5 bytes";
}

TEST(SwfActions, BranchesBecomeLabelsInAddressOrder)
{
    const TextCase Cases[] = {
        {"forward, backward, function body", Branches,
         "L1:\nPush 1\nIf L2\nStop\nL2:\nJump L1\nDefineFunction \"\" ()\n  Jump L3\n  L3:\nL4:\nIf L4\nEnd\n"},
        // A try block may branch past its catch and finally blocks.
        {"out of a try block",
         Cat({Rec(0x8F, {0x02, 5, 0, 0, 0, 1, 0, 0}), Rec(0x99, {1, 0}), {0x07}, {0x00}}),
         "Try \"\" finally\n  .try\n    Jump L1\n  .finally\n    Stop\nL1:\nEnd\n"},
        {"into a With body",
         Cat({Rec(0x99, {5, 0}), Rec(0x94, {2, 0}), {0x07, 0x06}, {0x00}}),
         "Jump L1\nWith\n  L1:\n  Stop\n  Play\nEnd\n"},
        {"past End, with trailing bytes", Cat({Rec(0x99, {1, 0}), {0x00, 0xAA, 0xBB}}), "Jump L1\nEnd\nL1:\n"},
    };
    for (const TextCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        Writer W;
        const ActionBlock B = DecodeActions(C.Data);
        EXPECT_EQ(Text(B.Actions), C.Lines);
        EncodeActions(W, B);
        EXPECT_EQ(W.Data(), C.Data);
    }
}

TEST(SwfActions, EndAndTrailingBytesAreKept)
{
    const std::pair<Bytes, size_t> Cases[] = {
        {{0x07, 0x00, 0xAA, 0x00}, 2},  // End, then two bytes
        {{0x07}, 0},                    // no End
        {{}, 0},
    };
    for (const auto& [Data, TrailingSize] : Cases) {
        const ActionBlock B = DecodeActions(Data);
        EXPECT_EQ(B.Trailing.size(), TrailingSize);
        EXPECT_EQ(B.Actions.size(), Data.size() - TrailingSize);
        Writer W;
        EncodeActions(W, B);
        EXPECT_EQ(W.Data(), Data);
    }
}

TEST(SwfActions, BadInputGivesErrorsAtTheirOffset)
{
    struct Case {
        const char* Name;
        Bytes Data;
        size_t Offset;
        const char* Reason;
    };
    const Case Cases[] = {
        {"branch into an action", Cat({Rec(0x96, {7, 1, 0, 0, 0}), Rec(0x99, {0xF4, 0xFF})}), 8,
         "Jump target 1 falls inside an action"},
        {"branch out of a function body", Cat({Rec(0x9B, {0, 0, 0, 5, 0}), Rec(0x99, {1, 0}), {0x07}}), 8,
         "Jump target 14 lies outside its function body"},
        {"branch into a function body", Cat({Rec(0x9D, {8, 0}), Rec(0x9B, {0, 0, 0, 1, 0}), {0x07}}), 0,
         "If target 13 falls inside an action"},
        {"branch before the block", Rec(0x99, {0x00, 0x80}), 0, "Jump target -32763 lies outside the action list"},
        {"branch into trailing bytes", Cat({Rec(0x99, {2, 0}), {0x00, 0xAA, 0xBB}}), 0,
         "Jump target 7 lies outside the action list"},
        {"length field cut", {0x96, 0x05}, 1, "UI16 runs past the end"},
        {"data past the block", {0x81, 0x05, 0x00, 0x01}, 3, "GotoFrame data runs past its parent"},
        {"string cut", Rec(0x8B, {'a', 'b'}), 3, "no terminator"},
        {"push value cut", Rec(0x96, {6, 0, 0, 0}), 4, "UI32 runs past the end of Push data"},
        {"push type", Rec(0x96, {0x0A}), 3, "Push value of unknown type 10"},
        {"pool count", Rec(0x88, {0xFF, 0xFF, 0}), 5, "ConstantPool string count 65535 exceeds the 1 bytes left"},
        {"parameter count", Rec(0x8E, {0, 0xFF, 0x7F, 0, 0, 0, 0, 0}), 9, "DefineFunction2 parameter count 32767"},
        {"function body past the block", Cat({Rec(0x9B, {0, 0, 0, 9, 0}), {0x07}}), 8,
         "DefineFunction body runs past its parent"},
        {"catch block past the block", Cat({Rec(0x8F, {0x01, 1, 0, 5, 0, 0, 0, 0}), {0x2A}}), 12,
         "catch block runs past its parent"},
        {"bytes after the fields", Rec(0x81, {1, 0, 0xFF}), 5, "GotoFrame has 1 bytes after its fields"},
        {"Call with data", Rec(0x9E, {0}), 3, "Call has 1 bytes"},
        {"With length", Rec(0x94, {0, 0, 0}), 5, "With has 1 bytes"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        const SwfError E = Raised([&] { DecodeActions(C.Data, 0); });
        EXPECT_EQ(E.Offset(), C.Offset) << E.what();
        EXPECT_NE(E.Reason().find(C.Reason), std::string::npos) << E.what();
    }
    const SwfError Based = Raised([] { DecodeActions(Bytes{0x96, 0x05}, 1000); });
    EXPECT_EQ(Based.Offset(), 1001u) << "offsets are file offsets";
}

TEST(SwfActions, NestingIsCapped)
{
    // Depth nested With actions around a Stop; each With header is 5 bytes.
    const auto Nested = [](int Depth) {
        Bytes B = {0x07};
        for (int I = 0; I < Depth; ++I)
            B = Cat({Rec(0x94, {uint8_t(B.size()), uint8_t(B.size() >> 8)}), B});
        return B;
    };
    const Bytes Ok = Nested(MaxActionNesting);
    EXPECT_EQ(EncodeActions(DecodeActions(Ok).Actions), Ok);
    const SwfError E = Raised([&] { DecodeActions(Nested(MaxActionNesting + 1)); });
    EXPECT_EQ(E.Offset(), size_t(5 * MaxActionNesting)) << E.what();
    EXPECT_NE(E.Reason().find("nested deeper"), std::string::npos);
}

TEST(SwfActions, EveryCutOfABlockFailsInsideOrEndsAtAnAction)
{
    const Bytes Full = AllDataActions();
    const ActionBlock B = DecodeActions(Full);
    std::vector<size_t> Boundaries;
    for (const Action& A : B.Actions)
        Boundaries.push_back(A.Offset);
    for (size_t Cut = 0; Cut < Full.size(); ++Cut) {
        const Bytes Prefix(Full.begin(), Full.begin() + Cut);
        const bool AtBoundary = std::find(Boundaries.begin(), Boundaries.end(), Cut) != Boundaries.end();
        try {
            const ActionBlock P = DecodeActions(Prefix);
            EXPECT_TRUE(AtBoundary) << "cut " << Cut << " accepted";
            EXPECT_EQ(EncodeActions(P.Actions), Prefix);
        } catch (const SwfError& E) {
            EXPECT_FALSE(AtBoundary) << "cut " << Cut << ": " << E.what();
            EXPECT_LE(E.Offset(), Cut) << E.what();
        }
    }
}

TEST(SwfActions, DamagedBlocksFailCleanlyOrRoundTripExactly)
{
    const Bytes Seed = Cat({Branches, AllDataActions()});
    std::mt19937 Rng(1234);
    int Accepted = 0;
    for (int I = 0; I < 3000; ++I) {
        Bytes B = Seed;
        for (unsigned N = 1 + Rng() % 3; N > 0; --N)
            B[Rng() % B.size()] = uint8_t(Rng());
        if (Rng() % 4 == 0)
            B.resize(Rng() % B.size());
        try {
            const ActionBlock D = DecodeActions(B);
            Writer W;
            EncodeActions(W, D);
            ASSERT_EQ(W.Data(), B) << "mutation " << I;
            ++Accepted;
        } catch (const SwfError& E) {
            EXPECT_LE(E.Offset(), B.size()) << E.what();
        }
    }
    EXPECT_GT(Accepted, 0);
    EXPECT_LT(Accepted, 3000) << "some damage must be refused";
}

TEST(SwfActions, AsmScriptEncodesToTheBytesExpected)
{
    Asm A;
    A.Push("a", 1).SetVariable().Label("L1").Push("a").GetVariable().If("L1").Stop().End();
    const ActionList L = A.Take();
    const Bytes Expected = {
        0x96, 0x08, 0x00, 0x00, 'a', 0x00, 0x07, 0x01, 0x00, 0x00, 0x00,  // Push "a", 1
        0x1D,                                                              // SetVariable
        0x96, 0x03, 0x00, 0x00, 'a', 0x00,                                 // 12: Push "a"
        0x1C,                                                              // GetVariable
        0x9D, 0x02, 0x00, 0xF4, 0xFF,                                      // If -12 -> 12
        0x07, 0x00,                                                        // Stop, End
    };
    EXPECT_EQ(EncodeActions(L), Expected);
    EXPECT_EQ(DecodeActions(Expected).Actions, L);
    EXPECT_TRUE(A.Take().empty()) << "Take leaves the builder empty";
}

TEST(SwfActions, AsmPushPicksKinds)
{
    using K = PushValue::Kind;
    const ActionList L = Asm().Push("s", 7, true, 2.5, 1.5f, Null, Undefined, Reg{2}, Pool{3}, Pool{300},
                                    int64_t(1) << 40).Take();
    const auto& V = L.at(0).Get<PushArgs>()->Values;
    std::vector<K> Kinds;
    for (const PushValue& P : V)
        Kinds.push_back(P.Type);
    EXPECT_EQ(Kinds, (std::vector<K>{K::String, K::Integer, K::Boolean, K::Double, K::Float, K::Null, K::Undefined,
                                     K::Register, K::Constant8, K::Constant16, K::Double}));
    EXPECT_EQ(V[10].Number(), 1099511627776.0) << "beyond int32 an integer goes as Double";
    EXPECT_EQ(V[9].Int, 300);
}

TEST(SwfActions, AsmBuiltScriptRoundTripsAndDisassembles)
{
    Function F;
    F.Name = "add";
    F.Params = {{1, "a"}, {2, "b"}};
    F.RegisterCount = 3;
    F.Flags = FunctionFlag::SuppressThis | FunctionFlag::SuppressArguments | FunctionFlag::SuppressSuper;
    F.Body = Asm().Push(Reg{1}, Reg{2}).Add2().Return().Take();
    TryBlock T;
    T.Flags = TryFlag::Catch;
    T.CatchName = "e";
    T.Try = Asm().Push("boom").Throw().Jump("L2").Take();
    T.Catch = Asm().Push("e").GetVariable().Trace().Take();
    const ActionList L = Asm()
                             .ConstantPool({"osd"})
                             .Label("L1")
                             .DefineFunction2(F)
                             .Try(T)
                             .Label("L2")
                             .Push(Pool{0})
                             .GetVariable()
                             .If("L1")
                             .End()
                             .Take();
    EXPECT_EQ(DecodeActions(EncodeActions(L)).Actions, L);
    EXPECT_EQ(Text(L), "ConstantPool \"osd\"\n"
                       "L1:\n"
                       "DefineFunction2 \"add\" (r1:a, r2:b) regs=3 flags=SuppressThis|SuppressArguments|SuppressSuper\n"
                       "  Push r1, r2\n"
                       "  Add2\n"
                       "  Return\n"
                       "Try \"e\" catch\n"
                       "  .try\n"
                       "    Push \"boom\"\n"
                       "    Throw\n"
                       "    Jump L2\n"
                       "  .catch\n"
                       "    Push \"e\"\n"
                       "    GetVariable\n"
                       "    Trace\n"
                       "L2:\n"
                       "Push c0\n"
                       "GetVariable\n"
                       "If L1\n"
                       "End\n");
}

TEST(SwfActions, EncoderRejectsWhatItCannotWrite)
{
    PushValue BigRegister = PushValue::Register(0);
    BigRegister.Int = 300;
    Action NoPayload;
    NoPayload.Code = ActionCode::GotoFrame;
    Action StopWithData;
    StopWithData.Code = ActionCode::Stop;
    StopWithData.Data = NameArg{"x"};
    const std::string Long(40000, 'x');
    struct Case {
        const char* Name;
        ActionList List;
        size_t Offset;
        const char* Reason;
    };
    const Case Cases[] = {
        {"missing label", Asm().Jump("nowhere").Take(), 0, "Jump to label \"nowhere\", which is not in its scope"},
        {"duplicated label", Asm().Label("x").Stop().Label("x").Take(), 1, "label \"x\" is defined twice"},
        {"label outside the function",
         Asm().Label("out").DefineFunction("f", {}, Asm().Jump("out").Take()).Take(), 9, "not in its scope"},
        {"branch too far", Asm().Jump("far").Push(Long).Label("far").Take(), 0, "beyond a SI16 offset"},
        {"body too long", Asm().DefineFunction("f", {}, Asm().Push(Long).Push(Long).Take()).Take(), 0,
         "DefineFunction body of 80010 bytes is longer than 65535"},
        {"data too long", Asm().Push(Long + Long).Take(), 0, "Push data length 80002 does not fit"},
        {"zero byte", Asm().Stop().SetTarget(std::string("a\0b", 3)).Take(), 4, "zero byte"},
        {"register", Asm().Push(BigRegister).Take(), 3, "Push byte value 300"},
        {"payload", Asm().Emit(NoPayload).Take(), 0, "GotoFrame action holds the wrong kind of data"},
        {"data below 0x80", Asm().Emit(StopWithData).Take(), 0, "Stop is below 0x80"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        const SwfError E = Raised([&] { EncodeActions(C.List); });
        EXPECT_EQ(E.Offset(), C.Offset) << E.what();
        EXPECT_NE(E.Reason().find(C.Reason), std::string::npos) << E.what();
    }
}
