#include "Actions.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

namespace swf {

const char* ActionName(uint8_t Code)
{
    switch (static_cast<ActionCode>(Code)) {
#define SWF_ACTION_NAME(Name, Code) \
    case ActionCode::Name:          \
        return #Name;
        SWF_SIMPLE_ACTIONS(SWF_ACTION_NAME)
        SWF_DATA_ACTIONS(SWF_ACTION_NAME)
#undef SWF_ACTION_NAME
    default:
        return nullptr;
    }
}

// ---- PushValue ----

PushValue PushValue::String(std::string S)
{
    PushValue V;
    V.Type = Kind::String;
    V.Str = std::move(S);
    return V;
}

PushValue PushValue::Float(float F)
{
    PushValue V;
    V.Type = Kind::Float;
    V.Bits = std::bit_cast<uint32_t>(F);
    return V;
}

PushValue PushValue::Double(double D)
{
    PushValue V;
    V.Type = Kind::Double;
    V.Bits = std::bit_cast<uint64_t>(D);
    return V;
}

namespace {

PushValue Small(PushValue::Kind K, int32_t I)
{
    PushValue V;
    V.Type = K;
    V.Int = I;
    return V;
}

}  // namespace

PushValue PushValue::Integer(int32_t I) { return Small(Kind::Integer, I); }
PushValue PushValue::Boolean(bool B) { return Small(Kind::Boolean, B ? 1 : 0); }
PushValue PushValue::Null() { return Small(Kind::Null, 0); }
PushValue PushValue::Undefined() { return Small(Kind::Undefined, 0); }
PushValue PushValue::Register(uint8_t N) { return Small(Kind::Register, N); }
PushValue PushValue::Constant(uint16_t Index) { return Small(Index < 256 ? Kind::Constant8 : Kind::Constant16, Index); }

double PushValue::Number() const
{
    if (Type == Kind::Float)
        return std::bit_cast<float>(static_cast<uint32_t>(Bits));
    return std::bit_cast<double>(Bits);
}

namespace {

std::string CodeName(uint16_t Code)
{
    if (Code == static_cast<uint16_t>(ActionCode::Label))
        return "Label";
    if (Code <= 0xFF)
        if (const char* N = ActionName(static_cast<uint8_t>(Code)))
            return N;
    char B[16];
    std::snprintf(B, sizeof B, "Action0x%02X", Code);
    return B;
}

std::string CodeName(ActionCode Code) { return CodeName(static_cast<uint16_t>(Code)); }

bool HasData(ActionCode Code)
{
    switch (Code) {
#define SWF_ACTION_CASE(Name, Code) case ActionCode::Name:
        SWF_DATA_ACTIONS(SWF_ACTION_CASE)
#undef SWF_ACTION_CASE
        return true;
    default:
        return false;
    }
}

Action MakeLabel(std::string Name, size_t Offset)
{
    Action A;
    A.Code = ActionCode::Label;
    A.Data = NameArg{std::move(Name)};
    A.Offset = static_cast<uint32_t>(Offset);
    return A;
}

// ---- decoding ----

struct Branch {
    size_t At;       // offset of the Jump or If
    int64_t Target;  // absolute
    ActionCode Code;
};

// What a label scope (a function body or the top list, with its With and Try bodies) decoded.
struct Scope {
    size_t Begin = 0, End = 0;
    const char* Name = "the action list";
    std::vector<size_t> Starts;  // offsets of its actions, ascending
    std::vector<Branch> Branches;
};

ActionList DecodeList(Reader& R, int Depth, Scope& S, bool StopAtEnd);
void Resolve(const Scope& S, ActionList& L);

// A known action's data must be used up by its fields.
void NoMore(const Reader& P, ActionCode Code)
{
    if (!P.AtEnd())
        P.Fail(CodeName(Code) + " has " + std::to_string(P.Remaining()) + " bytes after its fields");
}

// A count of entries that take at least MinBytes each must fit the bytes left.
void CheckCount(const Reader& P, size_t Count, size_t MinBytes, const std::string& What)
{
    if (Count > P.Remaining() / MinBytes)
        P.Fail(What + " count " + std::to_string(Count) + " exceeds the " + std::to_string(P.Remaining()) +
               " bytes left");
}

// The Size bytes after the current action: a nested list at Depth, in scope Shared or, for a
// function body (Shared null), in a scope of its own.
ActionList Body(Reader& R, size_t Size, int Depth, Scope* Shared, const char* What, size_t At)
{
    if (Depth > MaxActionNesting)
        throw SwfError(At, "actions nested deeper than " + std::to_string(MaxActionNesting) + " levels");
    Reader B = R.Sub(Size, What);
    if (Shared)
        return DecodeList(B, Depth, *Shared, false);
    Scope S;
    S.Begin = B.Offset();
    S.Name = "its function body";
    ActionList L = DecodeList(B, Depth, S, false);
    S.End = B.Offset();
    Resolve(S, L);
    return L;
}

PushArgs DecodePush(Reader& P)
{
    using K = PushValue::Kind;
    PushArgs Out;
    while (!P.AtEnd()) {
        const size_t At = P.Offset();
        PushValue V;
        V.Type = static_cast<K>(P.UI8());
        switch (V.Type) {
        case K::String: V.Str = P.String(); break;
        case K::Float: V.Bits = P.UI32(); break;
        case K::Null:
        case K::Undefined: break;
        case K::Register:
        case K::Boolean:
        case K::Constant8: V.Int = P.UI8(); break;
        case K::Double: {
            const uint64_t Hi = P.UI32();
            V.Bits = Hi << 32 | P.UI32();
            break;
        }
        case K::Integer: V.Int = static_cast<int32_t>(P.UI32()); break;
        case K::Constant16: V.Int = P.UI16(); break;
        default:
            throw SwfError(At, "Push value of unknown type " + std::to_string(static_cast<int>(V.Type)));
        }
        Out.Values.push_back(std::move(V));
    }
    return Out;
}

Action DecodeOne(Reader& R, int Depth, Scope& S)
{
    Action A;
    A.Offset = static_cast<uint32_t>(R.Offset());
    S.Starts.push_back(R.Offset());
    const uint8_t Byte = R.UI8();
    A.Code = static_cast<ActionCode>(Byte);
    if (Byte < 0x80)
        return A;
    const std::string Name = CodeName(A.Code);
    const uint16_t Length = R.UI16();
    Reader P = R.Sub(Length, Name + " data");
    switch (A.Code) {
    case ActionCode::GotoFrame: A.Data = FrameArg{P.UI16()}; break;
    case ActionCode::GetURL: {
        UrlArgs U;
        U.Url = P.String();
        U.Target = P.String();
        A.Data = std::move(U);
        break;
    }
    case ActionCode::StoreRegister: A.Data = RegisterArg{P.UI8()}; break;
    case ActionCode::ConstantPool: {
        const uint16_t Count = P.UI16();
        CheckCount(P, Count, 1, "ConstantPool string");
        PoolArgs C;
        C.Strings.reserve(Count);
        for (uint16_t I = 0; I < Count; ++I)
            C.Strings.push_back(P.String());
        A.Data = std::move(C);
        break;
    }
    case ActionCode::WaitForFrame: {
        const uint16_t Frame = P.UI16();
        A.Data = WaitArgs{Frame, P.UI8()};
        break;
    }
    case ActionCode::WaitForFrame2: A.Data = WaitArgs{0, P.UI8()}; break;
    case ActionCode::SetTarget:
    case ActionCode::GotoLabel: A.Data = NameArg{P.String()}; break;
    case ActionCode::Push: A.Data = DecodePush(P); break;
    case ActionCode::Jump:
    case ActionCode::If: {
        const int64_t Target = static_cast<int64_t>(R.Offset()) + P.SI16();
        S.Branches.push_back({A.Offset, Target, A.Code});
        A.Data = BranchArg{std::to_string(Target)};  // named by Resolve and Renumber
        break;
    }
    case ActionCode::GetURL2: A.Data = FlagsArg{P.UI8(), 0}; break;
    case ActionCode::GotoFrame2: {
        FlagsArg F;
        F.Flags = P.UI8();
        if (F.Flags & GotoFlag::SceneBias)
            F.SceneBias = P.UI16();
        A.Data = F;
        break;
    }
    case ActionCode::DefineFunction:
    case ActionCode::DefineFunction2: {
        const bool Two = A.Code == ActionCode::DefineFunction2;
        Function F;
        F.Name = P.String();
        const uint16_t Count = P.UI16();
        if (Two) {
            F.RegisterCount = P.UI8();
            F.Flags = P.UI16();
        }
        CheckCount(P, Count, Two ? 2 : 1, Name + " parameter");
        F.Params.reserve(Count);
        for (uint16_t I = 0; I < Count; ++I) {
            Param Prm;
            if (Two)
                Prm.Register = P.UI8();
            Prm.Name = P.String();
            F.Params.push_back(std::move(Prm));
        }
        const uint16_t Size = P.UI16();
        NoMore(P, A.Code);
        F.Body = Body(R, Size, Depth + 1, nullptr, Two ? "DefineFunction2 body" : "DefineFunction body", A.Offset);
        A.Data = std::move(F);
        break;
    }
    case ActionCode::With: {
        const uint16_t Size = P.UI16();
        NoMore(P, A.Code);
        A.Data = WithArgs{Body(R, Size, Depth + 1, &S, "With body", A.Offset)};
        break;
    }
    case ActionCode::Try: {
        TryBlock T;
        T.Flags = P.UI8();
        const uint16_t TrySize = P.UI16(), CatchSize = P.UI16(), FinallySize = P.UI16();
        if (T.Flags & TryFlag::CatchInRegister)
            T.CatchRegister = P.UI8();
        else
            T.CatchName = P.String();
        NoMore(P, A.Code);
        T.Try = Body(R, TrySize, Depth + 1, &S, "try block", A.Offset);
        T.Catch = Body(R, CatchSize, Depth + 1, &S, "catch block", A.Offset);
        T.Finally = Body(R, FinallySize, Depth + 1, &S, "finally block", A.Offset);
        A.Data = std::move(T);
        break;
    }
    default:
        if (!ActionName(Byte)) {
            const auto B = P.Rest();
            A.Data = RawData{std::vector<uint8_t>(B.begin(), B.end())};
        }
        break;
    }
    NoMore(P, A.Code);
    return A;
}

ActionList DecodeList(Reader& R, int Depth, Scope& S, bool StopAtEnd)
{
    ActionList L;
    while (!R.AtEnd()) {
        L.push_back(DecodeOne(R, Depth, S));
        if (StopAtEnd && L.back().Code == ActionCode::End)
            break;
    }
    return L;
}

// Puts a label before each action of the scope that starts at a target; function bodies are
// scopes of their own and already done.
void InsertLabels(ActionList& L, const std::vector<size_t>& Targets)
{
    ActionList Out;
    Out.reserve(L.size());
    for (Action& A : L) {
        if (std::binary_search(Targets.begin(), Targets.end(), A.Offset))
            Out.push_back(MakeLabel(std::to_string(A.Offset), A.Offset));
        if (auto* W = A.Get<WithArgs>())
            InsertLabels(W->Body, Targets);
        else if (auto* T = A.Get<TryBlock>()) {
            InsertLabels(T->Try, Targets);
            InsertLabels(T->Catch, Targets);
            InsertLabels(T->Finally, Targets);
        }
        Out.push_back(std::move(A));
    }
    L = std::move(Out);
}

// Checks the scope's branch targets and adds labels named by their offsets.
void Resolve(const Scope& S, ActionList& L)
{
    if (S.Branches.empty())
        return;
    std::vector<size_t> Targets;
    for (const Branch& B : S.Branches) {
        const bool AtStart = B.Target >= 0 && std::binary_search(S.Starts.begin(), S.Starts.end(),
                                                                  static_cast<size_t>(B.Target));
        if (!AtStart && B.Target != static_cast<int64_t>(S.End)) {
            const std::string What = CodeName(B.Code) + " target " + std::to_string(B.Target);
            if (B.Target >= static_cast<int64_t>(S.Begin) && B.Target < static_cast<int64_t>(S.End))
                throw SwfError(B.At, What + " falls inside an action");
            throw SwfError(B.At, What + " lies outside " + S.Name);
        }
        Targets.push_back(static_cast<size_t>(B.Target));
    }
    std::sort(Targets.begin(), Targets.end());
    Targets.erase(std::unique(Targets.begin(), Targets.end()), Targets.end());
    InsertLabels(L, Targets);
    if (Targets.back() == S.End)
        L.push_back(MakeLabel(std::to_string(S.End), S.End));
}

// Final label names, "L1", "L2", ... in list order, which is address order.
using NameMap = std::map<std::string, std::string>;

void Renumber(ActionList& L, int& Next);

void NameLabels(ActionList& L, NameMap& Names, int& Next)
{
    for (Action& A : L) {
        if (A.Code == ActionCode::Label) {
            std::string& N = A.Get<NameArg>()->Name;
            N = Names[N] = "L" + std::to_string(++Next);
        } else if (auto* W = A.Get<WithArgs>()) {
            NameLabels(W->Body, Names, Next);
        } else if (auto* T = A.Get<TryBlock>()) {
            NameLabels(T->Try, Names, Next);
            NameLabels(T->Catch, Names, Next);
            NameLabels(T->Finally, Names, Next);
        } else if (auto* F = A.Get<Function>()) {
            Renumber(F->Body, Next);
        }
    }
}

void Retarget(ActionList& L, const NameMap& Names)
{
    for (Action& A : L) {
        if (auto* B = A.Get<BranchArg>())
            B->Target = Names.at(B->Target);
        else if (auto* W = A.Get<WithArgs>())
            Retarget(W->Body, Names);
        else if (auto* T = A.Get<TryBlock>()) {
            Retarget(T->Try, Names);
            Retarget(T->Catch, Names);
            Retarget(T->Finally, Names);
        }
    }
}

void Renumber(ActionList& L, int& Next)
{
    NameMap Names;
    NameLabels(L, Names, Next);
    Retarget(L, Names);
}

}  // namespace

ActionBlock DecodeActions(Reader& R)
{
    if (R.Offset() + R.Remaining() > UINT32_MAX)
        R.Fail("action block reaches past offset 0xFFFFFFFF");
    Scope S;
    S.Begin = R.Offset();
    ActionBlock B;
    B.Actions = DecodeList(R, 0, S, true);
    S.End = R.Offset();
    const auto Rest = R.Rest();
    B.Trailing.assign(Rest.begin(), Rest.end());
    Resolve(S, B.Actions);
    int Next = 0;
    Renumber(B.Actions, Next);
    return B;
}

ActionBlock DecodeActions(std::span<const uint8_t> Data, size_t Base)
{
    Reader R(Data, Base, "action block");
    return DecodeActions(R);
}

// ---- encoding ----

namespace {

struct Fixup {
    std::string Label;
    size_t At;  // offset of the branch action; its SI16 follows the 3-byte header
    ActionCode Code;
};

struct EncodeScope {
    std::map<std::string, size_t> Labels;  // name -> offset
    std::vector<Fixup> Fixups;
};

void EncodeList(Writer& W, const ActionList& L, EncodeScope& S);

template <class T>
const T& PayloadOf(const Action& A, size_t At)
{
    const T* P = A.Get<T>();
    if (!P)
        throw SwfError(At, CodeName(A.Code) + " action holds the wrong kind of data");
    return *P;
}

void CheckFits(size_t Value, size_t Max, const std::string& What, size_t At)
{
    if (Value > Max)
        throw SwfError(At, What + " " + std::to_string(Value) + " does not fit (at most " + std::to_string(Max) + ")");
}

void EncodePush(Writer& W, const PushArgs& P)
{
    using K = PushValue::Kind;
    for (const PushValue& V : P.Values) {
        const size_t At = W.Size();
        W.UI8(static_cast<uint8_t>(V.Type));
        switch (V.Type) {
        case K::String: W.String(V.Str); break;
        case K::Float:
            CheckFits(V.Bits, UINT32_MAX, "Float bits", At);
            W.UI32(static_cast<uint32_t>(V.Bits));
            break;
        case K::Null:
        case K::Undefined: break;
        case K::Register:
        case K::Boolean:
        case K::Constant8:
            CheckFits(static_cast<uint32_t>(V.Int), 0xFF, "Push byte value", At);
            W.UI8(static_cast<uint8_t>(V.Int));
            break;
        case K::Double:
            W.UI32(static_cast<uint32_t>(V.Bits >> 32));
            W.UI32(static_cast<uint32_t>(V.Bits));
            break;
        case K::Integer: W.UI32(static_cast<uint32_t>(V.Int)); break;
        case K::Constant16:
            CheckFits(static_cast<uint32_t>(V.Int), 0xFFFF, "Push constant index", At);
            W.UI16(static_cast<uint16_t>(V.Int));
            break;
        default:
            throw SwfError(At, "Push value of unknown type " + std::to_string(static_cast<int>(V.Type)));
        }
    }
}

// A body whose UI16 size field is at SizeField; Own: the body is a scope of its own.
void EncodeBody(Writer& W, const ActionList& Body, size_t SizeField, EncodeScope* Shared, const char* What, size_t At);

void EncodeScopeList(Writer& W, const ActionList& L)
{
    EncodeScope S;
    EncodeList(W, L, S);
    for (const Fixup& F : S.Fixups) {
        const std::string What = CodeName(F.Code) + " to label \"" + F.Label + "\"";
        const auto It = S.Labels.find(F.Label);
        if (It == S.Labels.end())
            throw SwfError(F.At, What + ", which is not in its scope");
        const int64_t Distance = static_cast<int64_t>(It->second) - static_cast<int64_t>(F.At + 5);
        if (Distance < INT16_MIN || Distance > INT16_MAX)
            throw SwfError(F.At, What + " spans " + std::to_string(Distance) + " bytes, beyond a SI16 offset");
        W.PatchUI16(F.At + 3, static_cast<uint16_t>(static_cast<int16_t>(Distance)));
    }
}

void EncodeBody(Writer& W, const ActionList& Body, size_t SizeField, EncodeScope* Shared, const char* What, size_t At)
{
    const size_t Start = W.Size();
    if (Shared)
        EncodeList(W, Body, *Shared);
    else
        EncodeScopeList(W, Body);
    const size_t Size = W.Size() - Start;
    if (Size > 0xFFFF)
        throw SwfError(At, std::string(What) + " of " + std::to_string(Size) + " bytes is longer than 65535");
    W.PatchUI16(SizeField, static_cast<uint16_t>(Size));
}

void EncodeOne(Writer& W, const Action& A, EncodeScope& S)
{
    const size_t At = W.Size();
    const std::string Name = CodeName(A.Code);
    if (A.Code == ActionCode::Label) {
        const std::string& L = PayloadOf<NameArg>(A, At).Name;
        if (!S.Labels.emplace(L, At).second)
            throw SwfError(At, "label \"" + L + "\" is defined twice in one scope");
        return;
    }
    const uint16_t Code = static_cast<uint16_t>(A.Code);
    if (Code > 0xFF)
        throw SwfError(At, Name + " is not a byte code");
    if (Code < 0x80) {
        if (!A.Get<std::monostate>())
            throw SwfError(At, Name + " is below 0x80 and cannot carry data");
        W.UI8(static_cast<uint8_t>(Code));
        return;
    }
    W.UI8(static_cast<uint8_t>(Code));
    W.UI16(0);  // length, patched below

    if (const auto* Raw = A.Get<RawData>()) {
        W.Bytes(Raw->Bytes);
    } else if (!HasData(A.Code)) {
        PayloadOf<std::monostate>(A, At);
    } else {
        switch (A.Code) {
        case ActionCode::GotoFrame: W.UI16(PayloadOf<FrameArg>(A, At).Frame); break;
        case ActionCode::GetURL: {
            const UrlArgs& U = PayloadOf<UrlArgs>(A, At);
            W.String(U.Url);
            W.String(U.Target);
            break;
        }
        case ActionCode::StoreRegister: W.UI8(PayloadOf<RegisterArg>(A, At).Register); break;
        case ActionCode::ConstantPool: {
            const PoolArgs& C = PayloadOf<PoolArgs>(A, At);
            CheckFits(C.Strings.size(), 0xFFFF, "ConstantPool string count", At);
            W.UI16(static_cast<uint16_t>(C.Strings.size()));
            for (const std::string& Str : C.Strings)
                W.String(Str);
            break;
        }
        case ActionCode::WaitForFrame: {
            const WaitArgs& Wt = PayloadOf<WaitArgs>(A, At);
            W.UI16(Wt.Frame);
            W.UI8(Wt.SkipCount);
            break;
        }
        case ActionCode::WaitForFrame2: W.UI8(PayloadOf<WaitArgs>(A, At).SkipCount); break;
        case ActionCode::SetTarget:
        case ActionCode::GotoLabel: W.String(PayloadOf<NameArg>(A, At).Name); break;
        case ActionCode::Push: EncodePush(W, PayloadOf<PushArgs>(A, At)); break;
        case ActionCode::Jump:
        case ActionCode::If:
            S.Fixups.push_back({PayloadOf<BranchArg>(A, At).Target, At, A.Code});
            W.SI16(0);
            break;
        case ActionCode::GetURL2: W.UI8(PayloadOf<FlagsArg>(A, At).Flags); break;
        case ActionCode::GotoFrame2: {
            const FlagsArg& F = PayloadOf<FlagsArg>(A, At);
            W.UI8(F.Flags);
            if (F.Flags & GotoFlag::SceneBias)
                W.UI16(F.SceneBias);
            break;
        }
        case ActionCode::DefineFunction:
        case ActionCode::DefineFunction2: {
            const bool Two = A.Code == ActionCode::DefineFunction2;
            const Function& F = PayloadOf<Function>(A, At);
            W.String(F.Name);
            CheckFits(F.Params.size(), 0xFFFF, Name + " parameter count", At);
            W.UI16(static_cast<uint16_t>(F.Params.size()));
            if (Two) {
                W.UI8(F.RegisterCount);
                W.UI16(F.Flags);
            }
            for (const Param& Prm : F.Params) {
                if (Two)
                    W.UI8(Prm.Register);
                W.String(Prm.Name);
            }
            const size_t SizeField = W.Size();
            W.UI16(0);
            CheckFits(W.Size() - At - 3, 0xFFFF, Name + " data length", At);
            W.PatchUI16(At + 1, static_cast<uint16_t>(W.Size() - At - 3));
            EncodeBody(W, F.Body, SizeField, nullptr, Two ? "DefineFunction2 body" : "DefineFunction body", At);
            return;
        }
        case ActionCode::With: {
            W.UI16(0);
            W.PatchUI16(At + 1, 2);
            EncodeBody(W, PayloadOf<WithArgs>(A, At).Body, At + 3, &S, "With body", At);
            return;
        }
        case ActionCode::Try: {
            const TryBlock& T = PayloadOf<TryBlock>(A, At);
            W.UI8(T.Flags);
            W.UI16(0);
            W.UI16(0);
            W.UI16(0);
            if (T.Flags & TryFlag::CatchInRegister)
                W.UI8(T.CatchRegister);
            else
                W.String(T.CatchName);
            CheckFits(W.Size() - At - 3, 0xFFFF, "Try data length", At);
            W.PatchUI16(At + 1, static_cast<uint16_t>(W.Size() - At - 3));
            EncodeBody(W, T.Try, At + 4, &S, "try block", At);
            EncodeBody(W, T.Catch, At + 6, &S, "catch block", At);
            EncodeBody(W, T.Finally, At + 8, &S, "finally block", At);
            return;
        }
        default: break;
        }
    }
    const size_t Length = W.Size() - At - 3;
    CheckFits(Length, 0xFFFF, Name + " data length", At);
    W.PatchUI16(At + 1, static_cast<uint16_t>(Length));
}

void EncodeList(Writer& W, const ActionList& L, EncodeScope& S)
{
    for (const Action& A : L)
        EncodeOne(W, A, S);
}

}  // namespace

void EncodeActions(Writer& W, const ActionList& L) { EncodeScopeList(W, L); }

void EncodeActions(Writer& W, const ActionBlock& B)
{
    EncodeScopeList(W, B.Actions);
    W.Bytes(B.Trailing);
}

std::vector<uint8_t> EncodeActions(const ActionList& L)
{
    Writer W;
    EncodeActions(W, L);
    return W.Take();
}

// ---- disassembly ----

std::string Quote(std::string_view S)
{
    std::string Out = "\"";
    for (const char C : S) {
        const auto U = static_cast<unsigned char>(C);
        switch (C) {
        case '"': Out += "\\\""; break;
        case '\\': Out += "\\\\"; break;
        case '\n': Out += "\\n"; break;
        case '\r': Out += "\\r"; break;
        case '\t': Out += "\\t"; break;
        default:
            if (U < 0x20 || U == 0x7F) {
                char B[8];
                std::snprintf(B, sizeof B, "\\x%02X", U);
                Out += B;
            } else {
                Out += C;
            }
        }
    }
    return Out + "\"";
}

namespace {

template <class F>
std::string NumberText(F V, const char* Suffix)
{
    if (std::isnan(V))
        return "NaN";
    if (std::isinf(V))
        return V < 0 ? "-Infinity" : "Infinity";
    char B[64];
    const auto R = std::to_chars(B, B + sizeof B, V);
    std::string S(B, R.ptr);
    if (S.find_first_of(".e") == std::string::npos)
        S += ".0";
    return S + Suffix;
}

std::string ValueText(const PushValue& V)
{
    using K = PushValue::Kind;
    switch (V.Type) {
    case K::String: return Quote(V.Str);
    case K::Float: return NumberText(std::bit_cast<float>(static_cast<uint32_t>(V.Bits)), "f");
    case K::Null: return "null";
    case K::Undefined: return "undefined";
    case K::Register: return "r" + std::to_string(V.Int);
    case K::Boolean: return V.Int == 0 ? "false" : V.Int == 1 ? "true" : "true(" + std::to_string(V.Int) + ")";
    case K::Double: return NumberText(std::bit_cast<double>(V.Bits), "");
    case K::Integer: return std::to_string(V.Int);
    case K::Constant8: return "c" + std::to_string(V.Int);
    case K::Constant16: return "c16:" + std::to_string(V.Int);
    }
    return "type" + std::to_string(static_cast<int>(V.Type));
}

std::string Hex(unsigned V, int Digits)
{
    char B[16];
    std::snprintf(B, sizeof B, "0x%0*X", Digits, V);
    return B;
}

// Names of the set bits, "A|B|0x0200" for bits without a name; "" for none.
std::string FlagNames(unsigned Flags, std::initializer_list<std::pair<unsigned, const char*>> Names, int Digits)
{
    std::string Out;
    for (const auto& [Bit, N] : Names)
        if (Flags & Bit) {
            Out += (Out.empty() ? "" : "|") + std::string(N);
            Flags &= ~Bit;
        }
    if (Flags)
        Out += (Out.empty() ? "" : "|") + Hex(Flags, Digits);
    return Out;
}

std::string Line(const Action& A)
{
    std::string S = CodeName(A.Code);
    const auto Arg = [&S](const std::string& T) {
        if (!T.empty())
            S += " " + T;
    };
    const auto List = [&S](const auto& Items, const auto& ItemText) {
        for (size_t I = 0; I < Items.size(); ++I)
            S += (I ? ", " : " ") + ItemText(Items[I]);
    };
    if (const auto* P = A.Get<FrameArg>()) {
        Arg(std::to_string(P->Frame));
    } else if (const auto* P = A.Get<UrlArgs>()) {
        Arg(Quote(P->Url) + ", " + Quote(P->Target));
    } else if (const auto* P = A.Get<RegisterArg>()) {
        Arg("r" + std::to_string(P->Register));
    } else if (const auto* P = A.Get<PoolArgs>()) {
        List(P->Strings, Quote);
    } else if (const auto* P = A.Get<WaitArgs>()) {
        if (A.Code == ActionCode::WaitForFrame)
            Arg(std::to_string(P->Frame));
        Arg("skip " + std::to_string(P->SkipCount));
    } else if (const auto* P = A.Get<NameArg>()) {
        if (A.Code == ActionCode::Label)
            S = P->Name + ":";
        else
            Arg(Quote(P->Name));
    } else if (const auto* P = A.Get<BranchArg>()) {
        Arg(P->Target);
    } else if (const auto* P = A.Get<FlagsArg>()) {
        if (A.Code == ActionCode::GotoFrame2) {
            Arg(FlagNames(P->Flags, {{GotoFlag::Play, "Play"}, {GotoFlag::SceneBias, "SceneBias"}}, 2));
            if (P->Flags & GotoFlag::SceneBias)
                Arg(std::to_string(P->SceneBias));
        } else {
            static const char* const Methods[] = {"", "GET", "POST", "method3"};
            Arg(Methods[P->Flags >> 6]);
            Arg(FlagNames(P->Flags & 0x3F, {{UrlFlag::LoadTarget, "LoadTarget"}, {UrlFlag::LoadVariables, "LoadVariables"}},
                          2));
        }
    } else if (const auto* P = A.Get<PushArgs>()) {
        List(P->Values, ValueText);
    } else if (const auto* P = A.Get<Function>()) {
        const bool Two = A.Code == ActionCode::DefineFunction2;
        std::string Params;
        for (const Param& Prm : P->Params) {
            Params += Params.empty() ? "" : ", ";
            if (Two && Prm.Register)
                Params += "r" + std::to_string(Prm.Register) + ":";
            Params += Prm.Name;
        }
        Arg(Quote(P->Name) + " (" + Params + ")");
        if (Two) {
            Arg("regs=" + std::to_string(P->RegisterCount));
            const std::string F = FlagNames(
                P->Flags,
                {{FunctionFlag::PreloadThis, "PreloadThis"}, {FunctionFlag::SuppressThis, "SuppressThis"},
                 {FunctionFlag::PreloadArguments, "PreloadArguments"}, {FunctionFlag::SuppressArguments, "SuppressArguments"},
                 {FunctionFlag::PreloadSuper, "PreloadSuper"}, {FunctionFlag::SuppressSuper, "SuppressSuper"},
                 {FunctionFlag::PreloadRoot, "PreloadRoot"}, {FunctionFlag::PreloadParent, "PreloadParent"},
                 {FunctionFlag::PreloadGlobal, "PreloadGlobal"}},
                4);
            if (!F.empty())
                Arg("flags=" + F);
        }
    } else if (const auto* P = A.Get<TryBlock>()) {
        Arg(P->Flags & TryFlag::CatchInRegister ? "r" + std::to_string(P->CatchRegister) : Quote(P->CatchName));
        Arg(FlagNames(P->Flags & ~TryFlag::CatchInRegister, {{TryFlag::Catch, "catch"}, {TryFlag::Finally, "finally"}}, 2));
    } else if (const auto* P = A.Get<RawData>()) {
        for (const uint8_t B : P->Bytes) {
            char H[4];
            std::snprintf(H, sizeof H, "%02X", B);
            Arg(H);
        }
    }
    return S;
}

void DisassembleInto(std::vector<std::string>& Out, const ActionList& L, int Indent)
{
    const std::string Pad(2 * static_cast<size_t>(std::max(Indent, 0)), ' ');
    for (const Action& A : L) {
        Out.push_back(Pad + Line(A));
        if (const auto* F = A.Get<Function>())
            DisassembleInto(Out, F->Body, Indent + 1);
        else if (const auto* W = A.Get<WithArgs>())
            DisassembleInto(Out, W->Body, Indent + 1);
        else if (const auto* T = A.Get<TryBlock>()) {
            const std::string Inner(Pad.size() + 2, ' ');
            Out.push_back(Inner + ".try");
            DisassembleInto(Out, T->Try, Indent + 2);
            if (!T->Catch.empty() || (T->Flags & TryFlag::Catch)) {
                Out.push_back(Inner + ".catch");
                DisassembleInto(Out, T->Catch, Indent + 2);
            }
            if (!T->Finally.empty() || (T->Flags & TryFlag::Finally)) {
                Out.push_back(Inner + ".finally");
                DisassembleInto(Out, T->Finally, Indent + 2);
            }
        }
    }
}

}  // namespace

std::vector<std::string> Disassemble(const ActionList& L, int Indent)
{
    std::vector<std::string> Out;
    DisassembleInto(Out, L, Indent);
    return Out;
}

// ---- Asm ----

Asm& Asm::Emit(Action A)
{
    FList.push_back(std::move(A));
    return *this;
}

Asm& Asm::Op(ActionCode Code)
{
    Action A;
    A.Code = Code;
    return Emit(std::move(A));
}

namespace {

Action Make(ActionCode Code, Action::Payload Data)
{
    Action A;
    A.Code = Code;
    A.Data = std::move(Data);
    return A;
}

}  // namespace

Asm& Asm::Label(std::string Name) { return Emit(MakeLabel(std::move(Name), 0)); }
Asm& Asm::Push(std::vector<PushValue> Values) { return Emit(Make(ActionCode::Push, PushArgs{std::move(Values)})); }
Asm& Asm::GotoFrame(uint16_t Frame) { return Emit(Make(ActionCode::GotoFrame, FrameArg{Frame})); }
Asm& Asm::GetURL(std::string Url, std::string Target)
{
    return Emit(Make(ActionCode::GetURL, UrlArgs{std::move(Url), std::move(Target)}));
}
Asm& Asm::StoreRegister(uint8_t Register) { return Emit(Make(ActionCode::StoreRegister, RegisterArg{Register})); }
Asm& Asm::ConstantPool(std::vector<std::string> Strings)
{
    return Emit(Make(ActionCode::ConstantPool, PoolArgs{std::move(Strings)}));
}
Asm& Asm::WaitForFrame(uint16_t Frame, uint8_t SkipCount)
{
    return Emit(Make(ActionCode::WaitForFrame, WaitArgs{Frame, SkipCount}));
}
Asm& Asm::SetTarget(std::string Name) { return Emit(Make(ActionCode::SetTarget, NameArg{std::move(Name)})); }
Asm& Asm::GotoLabel(std::string Label) { return Emit(Make(ActionCode::GotoLabel, NameArg{std::move(Label)})); }
Asm& Asm::WaitForFrame2(uint8_t SkipCount) { return Emit(Make(ActionCode::WaitForFrame2, WaitArgs{0, SkipCount})); }
Asm& Asm::Jump(std::string Label) { return Emit(Make(ActionCode::Jump, BranchArg{std::move(Label)})); }
Asm& Asm::If(std::string Label) { return Emit(Make(ActionCode::If, BranchArg{std::move(Label)})); }
Asm& Asm::GetURL2(uint8_t Flags) { return Emit(Make(ActionCode::GetURL2, FlagsArg{Flags, 0})); }
Asm& Asm::GotoFrame2(bool Play, std::optional<uint16_t> SceneBias)
{
    const auto Flags = static_cast<uint8_t>((Play ? GotoFlag::Play : 0) | (SceneBias ? GotoFlag::SceneBias : 0));
    return Emit(Make(ActionCode::GotoFrame2, FlagsArg{Flags, SceneBias.value_or(0)}));
}
Asm& Asm::DefineFunction(std::string Name, std::vector<std::string> Params, ActionList Body)
{
    Function F;
    F.Name = std::move(Name);
    for (std::string& P : Params)
        F.Params.push_back({0, std::move(P)});
    F.Body = std::move(Body);
    return Emit(Make(ActionCode::DefineFunction, std::move(F)));
}
Asm& Asm::DefineFunction2(Function F) { return Emit(Make(ActionCode::DefineFunction2, std::move(F))); }
Asm& Asm::With(ActionList Body) { return Emit(Make(ActionCode::With, WithArgs{std::move(Body)})); }
Asm& Asm::Try(TryBlock T) { return Emit(Make(ActionCode::Try, std::move(T))); }

}  // namespace swf
