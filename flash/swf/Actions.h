// AVM1 actions (SWF 3 to 8): the action model, a decoder and encoder with exact round trips, an
// assembler-style builder and a disassembler.
//
// An action list is a sequence of Action values. Bodies of DefineFunction, DefineFunction2 and With
// and the three blocks of Try are nested lists. Branch targets are names: a Label pseudo-action
// (no bytes) marks a position, and Jump/If name it.
//
// Label scope: a function body, or the top-level list, together with the With and Try bodies nested
// in it (not the bodies of nested functions). Try blocks are regions of the surrounding code, so a
// branch may leave a try block for its finally block or for the code after the Try; a branch may
// not leave or enter a function body. Label names are unique within their scope.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "ByteIO.h"

namespace swf {

// Actions without data, as X(Name, code). Codes from 0x80 carry a length field even when it is 0.
#define SWF_SIMPLE_ACTIONS(X)                                                                          \
    X(End, 0x00) X(NextFrame, 0x04) X(PreviousFrame, 0x05) X(Play, 0x06) X(Stop, 0x07)                \
    X(ToggleQuality, 0x08) X(StopSounds, 0x09) X(Add, 0x0A) X(Subtract, 0x0B) X(Multiply, 0x0C)       \
    X(Divide, 0x0D) X(Equals, 0x0E) X(Less, 0x0F) X(And, 0x10) X(Or, 0x11) X(Not, 0x12)               \
    X(StringEquals, 0x13) X(StringLength, 0x14) X(StringExtract, 0x15) X(Pop, 0x17)                   \
    X(ToInteger, 0x18) X(GetVariable, 0x1C) X(SetVariable, 0x1D) X(SetTarget2, 0x20)                  \
    X(StringAdd, 0x21) X(GetProperty, 0x22) X(SetProperty, 0x23) X(CloneSprite, 0x24)                 \
    X(RemoveSprite, 0x25) X(Trace, 0x26) X(StartDrag, 0x27) X(EndDrag, 0x28) X(StringLess, 0x29)      \
    X(Throw, 0x2A) X(CastOp, 0x2B) X(ImplementsOp, 0x2C) X(RandomNumber, 0x30)                        \
    X(MBStringLength, 0x31) X(CharToAscii, 0x32) X(AsciiToChar, 0x33) X(GetTime, 0x34)                \
    X(MBStringExtract, 0x35) X(MBCharToAscii, 0x36) X(MBAsciiToChar, 0x37) X(Delete, 0x3A)            \
    X(Delete2, 0x3B) X(DefineLocal, 0x3C) X(CallFunction, 0x3D) X(Return, 0x3E) X(Modulo, 0x3F)       \
    X(NewObject, 0x40) X(DefineLocal2, 0x41) X(InitArray, 0x42) X(InitObject, 0x43) X(TypeOf, 0x44)   \
    X(TargetPath, 0x45) X(Enumerate, 0x46) X(Add2, 0x47) X(Less2, 0x48) X(Equals2, 0x49)              \
    X(ToNumber, 0x4A) X(ToString, 0x4B) X(PushDuplicate, 0x4C) X(StackSwap, 0x4D) X(GetMember, 0x4E)  \
    X(SetMember, 0x4F) X(Increment, 0x50) X(Decrement, 0x51) X(CallMethod, 0x52) X(NewMethod, 0x53)   \
    X(InstanceOf, 0x54) X(Enumerate2, 0x55) X(BitAnd, 0x60) X(BitOr, 0x61) X(BitXor, 0x62)            \
    X(BitLShift, 0x63) X(BitRShift, 0x64) X(BitURShift, 0x65) X(StrictEquals, 0x66) X(Greater, 0x67)  \
    X(StringGreater, 0x68) X(Extends, 0x69) X(Call, 0x9E)

// Actions with data.
#define SWF_DATA_ACTIONS(X)                                                                            \
    X(GotoFrame, 0x81) X(GetURL, 0x83) X(StoreRegister, 0x87) X(ConstantPool, 0x88)                    \
    X(WaitForFrame, 0x8A) X(SetTarget, 0x8B) X(GotoLabel, 0x8C) X(WaitForFrame2, 0x8D)                \
    X(DefineFunction2, 0x8E) X(Try, 0x8F) X(With, 0x94) X(Push, 0x96) X(Jump, 0x99) X(GetURL2, 0x9A)  \
    X(DefineFunction, 0x9B) X(If, 0x9D) X(GotoFrame2, 0x9F)

// The byte codes, plus Label, which is no byte. Any other byte value is an unknown action.
enum class ActionCode : uint16_t {
#define SWF_ACTION_ENUM(Name, Code) Name = Code,
    SWF_SIMPLE_ACTIONS(SWF_ACTION_ENUM) SWF_DATA_ACTIONS(SWF_ACTION_ENUM)
#undef SWF_ACTION_ENUM
    Label = 0x100,
};

// "GetVariable", ...; nullptr for a code this model does not know.
const char* ActionName(uint8_t Code);

struct PushValue {
    enum class Kind : uint8_t {
        String = 0, Float = 1, Null = 2, Undefined = 3, Register = 4,
        Boolean = 5, Double = 6, Integer = 7, Constant8 = 8, Constant16 = 9,
    };
    std::string Str;    // String
    uint64_t Bits = 0;  // Float: its 32 bits; Double: its 64 bits (kept as bits so that they survive exactly)
    int32_t Int = 0;    // Integer; Register number; Boolean byte as stored; constant pool index
    Kind Type = Kind::Undefined;

    double Number() const;  // the value of a Float or Double

    static PushValue String(std::string S);
    static PushValue Float(float V);
    static PushValue Double(double V);
    static PushValue Integer(int32_t V);
    static PushValue Boolean(bool V);
    static PushValue Null();
    static PushValue Undefined();
    static PushValue Register(uint8_t N);
    static PushValue Constant(uint16_t Index);  // Constant8 below 256, else Constant16

    bool operator==(const PushValue&) const = default;
};

struct Action;
using ActionList = std::vector<Action>;

// Bit values of Function::Flags (DefineFunction2).
namespace FunctionFlag {
enum : uint16_t {
    PreloadThis = 0x0001, SuppressThis = 0x0002, PreloadArguments = 0x0004, SuppressArguments = 0x0008,
    PreloadSuper = 0x0010, SuppressSuper = 0x0020, PreloadRoot = 0x0040, PreloadParent = 0x0080,
    PreloadGlobal = 0x0100,
};
}

// Bit values of TryBlock::Flags.
namespace TryFlag {
enum : uint8_t { Catch = 0x01, Finally = 0x02, CatchInRegister = 0x04 };
}

// Bit values of GetURL2 and GotoFrame2 flags. A GetURL2 method is Flags >> 6: 0 none, 1 GET, 2 POST.
namespace UrlFlag {
enum : uint8_t { LoadVariables = 0x01, LoadTarget = 0x02, MethodGet = 0x40, MethodPost = 0x80 };
}
namespace GotoFlag {
enum : uint8_t { Play = 0x01, SceneBias = 0x02 };
}

// Payloads. Flag fields keep every bit as stored, reserved ones included.
struct FrameArg {  // GotoFrame
    uint16_t Frame = 0;
    bool operator==(const FrameArg&) const = default;
};
struct UrlArgs {  // GetURL
    std::string Url, Target;
    bool operator==(const UrlArgs&) const = default;
};
struct RegisterArg {  // StoreRegister
    uint8_t Register = 0;
    bool operator==(const RegisterArg&) const = default;
};
struct PoolArgs {  // ConstantPool
    std::vector<std::string> Strings;
    bool operator==(const PoolArgs&) const = default;
};
struct WaitArgs {  // WaitForFrame (Frame, SkipCount) and WaitForFrame2 (SkipCount); counts actions
    uint16_t Frame = 0;
    uint8_t SkipCount = 0;
    bool operator==(const WaitArgs&) const = default;
};
struct NameArg {  // SetTarget, GotoLabel, Label
    std::string Name;
    bool operator==(const NameArg&) const = default;
};
struct BranchArg {  // Jump, If: the label branched to
    std::string Target;
    bool operator==(const BranchArg&) const = default;
};
struct FlagsArg {  // GetURL2 (UrlFlag), GotoFrame2 (GotoFlag; SceneBias used with GotoFlag::SceneBias)
    uint8_t Flags = 0;
    uint16_t SceneBias = 0;
    bool operator==(const FlagsArg&) const = default;
};
struct PushArgs {
    std::vector<PushValue> Values;
    bool operator==(const PushArgs&) const = default;
};
struct Param {
    uint8_t Register = 0;  // DefineFunction2: 0 means the parameter is a named variable
    std::string Name;
    bool operator==(const Param&) const = default;
};
struct Function {  // DefineFunction, DefineFunction2; an empty name makes an anonymous function
    std::string Name;
    std::vector<Param> Params;  // DefineFunction ignores Register
    uint8_t RegisterCount = 0;  // DefineFunction2 only
    uint16_t Flags = 0;         // DefineFunction2 only: FunctionFlag bits
    ActionList Body;
    bool operator==(const Function&) const = default;
};
struct WithArgs {
    ActionList Body;
    bool operator==(const WithArgs&) const = default;
};
struct TryBlock {
    uint8_t Flags = 0;          // TryFlag bits
    std::string CatchName;      // without TryFlag::CatchInRegister
    uint8_t CatchRegister = 0;  // with TryFlag::CatchInRegister
    ActionList Try, Catch, Finally;
    bool operator==(const TryBlock&) const = default;
};
struct RawData {  // an unknown code from 0x80: its data as stored
    std::vector<uint8_t> Bytes;
    bool operator==(const RawData&) const = default;
};

// A heap-held payload with value semantics, so that the rare large payloads keep Action small.
// A moved-from Boxed is empty.
template <class T>
class Boxed {
public:
    Boxed(T V) : FPtr(std::make_unique<T>(std::move(V))) {}
    Boxed(const Boxed& O) : FPtr(O.FPtr ? std::make_unique<T>(*O.FPtr) : nullptr) {}
    Boxed(Boxed&&) noexcept = default;
    Boxed& operator=(const Boxed& O) { return *this = Boxed(O); }
    Boxed& operator=(Boxed&&) noexcept = default;
    T* Get() const { return FPtr.get(); }
    bool operator==(const Boxed& O) const { return FPtr && O.FPtr ? *FPtr == *O.FPtr : FPtr == O.FPtr; }

private:
    std::unique_ptr<T> FPtr;
};

struct Action {
    using Payload = std::variant<std::monostate, FrameArg, Boxed<UrlArgs>, RegisterArg, PoolArgs, WaitArgs, NameArg,
                                 BranchArg, FlagsArg, PushArgs, Boxed<Function>, WithArgs, Boxed<TryBlock>, RawData>;
    ActionCode Code = ActionCode::End;
    uint32_t Offset = 0;  // file offset when decoded; not compared
    Payload Data;         // assign a payload type directly, e.g. A.Data = Function{...}

    // The payload if it is a T (boxed or not), else nullptr.
    template <class T>
    const T* Get() const
    {
        if constexpr (std::is_same_v<T, UrlArgs> || std::is_same_v<T, Function> || std::is_same_v<T, TryBlock>) {
            const auto* B = std::get_if<Boxed<T>>(&Data);
            return B ? B->Get() : nullptr;
        } else {
            return std::get_if<T>(&Data);
        }
    }
    template <class T>
    T* Get()
    {
        return const_cast<T*>(std::as_const(*this).Get<T>());
    }

    bool operator==(const Action& O) const { return Code == O.Code && Data == O.Data; }
};

// A DoAction or DoInitAction body. Actions stops after the first top-level End action, which it
// holds (a label may follow it); when the data runs out first there is no End. Bytes after the End
// are kept in Trailing. Encoding writes Actions as they are, then Trailing.
struct ActionBlock {
    ActionList Actions;
    std::vector<uint8_t> Trailing;
    bool operator==(const ActionBlock&) const = default;
};

constexpr int MaxActionNesting = 64;  // nested bodies (functions, With, Try) accepted by the decoder

// Reads all of R. Labels are named "L1", "L2", ... in address order; a label goes before the
// action at its target, or at the end of the scope's top list when the target is the scope's end.
// Every length is checked against the bytes present; a branch target that falls inside an action
// or outside its function body or block is an error at the branch.
ActionBlock DecodeActions(Reader& R);
ActionBlock DecodeActions(std::span<const uint8_t> Data, size_t Base = 0);

// Writes the actions, computing branch offsets from labels and sizes from bodies. Throws SwfError
// (offset into W) for a missing or duplicated label, a branch or body out of range, a value that
// does not fit its field. For every decoded block, encoding gives the bytes decoded.
void EncodeActions(Writer& W, const ActionList& L);
void EncodeActions(Writer& W, const ActionBlock& B);
std::vector<uint8_t> EncodeActions(const ActionList& L);

// One line per action, nested bodies indented two spaces per level below their action, e.g.
//   Push "osdstr", 1024, 1.5, r1, c3, null
//   If L2
//   DefineFunction2 "f" (r1:a, b) regs=3 flags=PreloadThis|PreloadGlobal
// Strings are quoted; quotes, backslashes and control bytes are escaped, other bytes printed as is.
std::vector<std::string> Disassemble(const ActionList& L, int Indent = 0);

// S in double quotes as Disassemble writes strings.
std::string Quote(std::string_view S);

// Push argument tags for Asm::Push.
struct NullTag {};
struct UndefinedTag {};
inline constexpr NullTag Null{};
inline constexpr UndefinedTag Undefined{};
struct Reg {
    uint8_t Number;
};
struct Pool {  // a constant pool entry
    uint16_t Index;
};

// Builds a list in script order:
//   Asm a;
//   a.Push("osdstr", "text").SetVariable();
//   a.Label("loop").Push("n").GetVariable().If("loop").Stop();
//   ActionList L = a.Take();
// Push takes strings (String), bool (Boolean), integers (Integer; outside int32, Double), float
// (Float), double (Double), Null, Undefined, Reg{n}, Pool{n} and PushValue.
class Asm {
public:
#define SWF_ASM_SIMPLE(Name, Code) \
    Asm& Name() { return Op(ActionCode::Name); }
    SWF_SIMPLE_ACTIONS(SWF_ASM_SIMPLE)
#undef SWF_ASM_SIMPLE

    Asm& Op(ActionCode Code);  // an action without data
    Asm& Emit(Action A);       // any action, e.g. an unknown one
    Asm& Label(std::string Name);

    template <class... T>
    Asm& Push(const T&... Values)
    {
        return Push(std::vector<PushValue>{ToPush(Values)...});
    }
    Asm& Push(std::vector<PushValue> Values);

    Asm& GotoFrame(uint16_t Frame);
    Asm& GetURL(std::string Url, std::string Target);
    Asm& StoreRegister(uint8_t Register);
    Asm& ConstantPool(std::vector<std::string> Strings);
    Asm& WaitForFrame(uint16_t Frame, uint8_t SkipCount);
    Asm& SetTarget(std::string Name);
    Asm& GotoLabel(std::string Label);
    Asm& WaitForFrame2(uint8_t SkipCount);
    Asm& Jump(std::string Label);
    Asm& If(std::string Label);
    Asm& GetURL2(uint8_t Flags);
    Asm& GotoFrame2(bool Play, std::optional<uint16_t> SceneBias = {});
    Asm& DefineFunction(std::string Name, std::vector<std::string> Params, ActionList Body);
    Asm& DefineFunction2(Function F);
    Asm& With(ActionList Body);
    Asm& Try(TryBlock T);

    ActionList Take() { return std::exchange(FList, {}); }  // the list so far; the builder starts empty

private:
    static PushValue ToPush(std::string_view S) { return PushValue::String(std::string(S)); }
    static PushValue ToPush(NullTag) { return PushValue::Null(); }
    static PushValue ToPush(UndefinedTag) { return PushValue::Undefined(); }
    static PushValue ToPush(Reg R) { return PushValue::Register(R.Number); }
    static PushValue ToPush(Pool P) { return PushValue::Constant(P.Index); }
    static PushValue ToPush(const PushValue& V) { return V; }
    template <class T>
        requires std::is_arithmetic_v<T>
    static PushValue ToPush(T V)
    {
        if constexpr (std::is_same_v<T, bool>)
            return PushValue::Boolean(V);
        else if constexpr (std::is_same_v<T, float>)
            return PushValue::Float(V);
        else if constexpr (std::is_floating_point_v<T>)
            return PushValue::Double(static_cast<double>(V));
        else if (std::in_range<int32_t>(V))
            return PushValue::Integer(static_cast<int32_t>(V));
        else
            return PushValue::Double(static_cast<double>(V));
    }

    ActionList FList;
};

}  // namespace swf
