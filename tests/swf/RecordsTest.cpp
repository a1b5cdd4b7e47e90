#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "Records.h"

using namespace swf;

namespace {

using Bytes = std::vector<uint8_t>;

template <class T>
std::function<Bytes(Reader&)> Via(T (*Read)(Reader&), void (*Write)(Writer&, const T&))
{
    return [=](Reader& R) {
        Writer W;
        Write(W, Read(R));
        return W.Take();
    };
}

template <class T>
Bytes Encoded(void (*Write)(Writer&, const T&), const T& V)
{
    Writer W;
    Write(W, V);
    return W.Take();
}

Bytes ZeroRectIn31Bits()
{
    Bytes B(17, 0);
    B[0] = 0xF8;
    return B;
}

}  // namespace

TEST(Records, DecodeThenEncodeGivesTheSameBytes)
{
    Matrix Wide;
    Wide.HasScale = true;
    Wide.ScaleX = 0x18000;
    Wide.ScaleY = -0x10000;
    Wide.HasRotate = true;
    Wide.RotateSkew0 = 0x4000;
    Wide.RotateSkew1 = -1;
    Wide.TranslateX = -1000;
    Wide.TranslateY = 20;
    Wide.ScaleBits = 24;  // wider than needed, must be kept
    Wide.RotateBits = 16;
    Wide.TranslateBits = 30;
    CxForm Both;
    Both.HasMult = Both.HasAdd = true;
    Both.RedMult = 128;
    Both.AlphaMult = -256;
    Both.BlueAdd = 255;
    Both.AlphaAdd = -3;
    Both.NBits = 13;

    const struct {
        const char* Name;
        Bytes Data;
        std::function<Bytes(Reader&)> ReadWrite;
    } Cases[] = {
        {"RECT 550x400", {0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}, Via(ReadRect, WriteRect)},
        {"RECT empty", {0x00}, Via(ReadRect, WriteRect)},
        {"RECT zero in 31 bits", ZeroRectIn31Bits(), Via(ReadRect, WriteRect)},
        {"MATRIX identity", {0x00}, Via(ReadMatrix, WriteMatrix)},
        {"MATRIX translate", {0x0C, 0xA5, 0x80}, Via(ReadMatrix, WriteMatrix)},
        {"MATRIX wide", Encoded(WriteMatrix, Wide), Via(ReadMatrix, WriteMatrix)},
        {"CXFORM add", {0x95, 0x56, 0x00}, Via(ReadCxForm, WriteCxForm)},
        {"CXFORM none", {0x00}, Via(ReadCxForm, WriteCxForm)},
        {"CXFORMWITHALPHA both", Encoded(WriteCxFormWithAlpha, Both), Via(ReadCxFormWithAlpha, WriteCxFormWithAlpha)},
        {"RGB", {1, 2, 3}, Via(ReadRgb, WriteRgb)},
        {"RGBA", {1, 2, 3, 4}, Via(ReadRgba, WriteRgba)},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        Bytes Data = C.Data;
        Data.push_back(0x5A);  // a byte after the record must stay unread
        Reader R(Data);
        EXPECT_EQ(C.ReadWrite(R), C.Data);
        EXPECT_EQ(R.Remaining(), 1u);
        EXPECT_EQ(R.UI8(), 0x5A);
    }

    const Bytes WideBytes = Encoded(WriteMatrix, Wide);
    Reader R(WideBytes);
    EXPECT_EQ(ReadMatrix(R), Wide);
}

TEST(Records, DecodedValues)
{
    const Bytes Stage = {0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00};
    Reader R1(Stage);
    EXPECT_EQ(ReadRect(R1), (Rect{0, 11000, 0, 8000, 15}));

    const Bytes Translate = {0x0C, 0xA5, 0x80};
    Reader R2(Translate);
    const Matrix M = ReadMatrix(R2);
    EXPECT_FALSE(M.HasScale);
    EXPECT_FALSE(M.HasRotate);
    EXPECT_EQ(M.TranslateX, 20);
    EXPECT_EQ(M.TranslateY, -20);
    EXPECT_EQ(M.TranslateBits, 6);

    const Bytes Add = {0x95, 0x56, 0x00};
    Reader R3(Add);
    const CxForm C = ReadCxForm(R3);
    EXPECT_TRUE(C.HasAdd);
    EXPECT_FALSE(C.HasMult);
    EXPECT_EQ(C.RedAdd, 10);
    EXPECT_EQ(C.GreenAdd, -10);
    EXPECT_EQ(C.BlueAdd, 0);
    EXPECT_EQ(C.RedMult, 256);
}

TEST(Records, BuiltRecordsGetMinimalBits)
{
    EXPECT_EQ(Encoded(WriteRect, Rect{0, 11000, 0, 8000}), (Bytes{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00}));
    Matrix M;
    M.TranslateX = 20;
    M.TranslateY = -20;
    EXPECT_EQ(Encoded(WriteMatrix, M), (Bytes{0x0C, 0xA5, 0x80}));
    M.TranslateBits = 3;  // too narrow for the values: the minimum is used
    EXPECT_EQ(Encoded(WriteMatrix, M), (Bytes{0x0C, 0xA5, 0x80}));
    CxForm C;
    C.HasAdd = true;
    C.RedAdd = 10;
    C.GreenAdd = -10;
    EXPECT_EQ(Encoded(WriteCxForm, C), (Bytes{0x95, 0x56, 0x00}));
    C.RedAdd = 0x4000;  // needs 16 bits, the field holds at most 15
    EXPECT_THROW(Encoded(WriteCxForm, C), SwfError);
}

TEST(Records, TruncatedRecordsRaiseAtTheFieldThatRunsOut)
{
    const struct {
        const char* Name;
        Bytes Data;
        std::function<void(Reader&)> Read;
        size_t Offset;
    } Cases[] = {
        {"RECT", {0x78, 0x00, 0x05}, [](Reader& R) { ReadRect(R); }, 12},  // xmax starts at bit 20
        {"MATRIX", {0x0C, 0xA5}, [](Reader& R) { ReadMatrix(R); }, 11},
        {"CXFORM", {0x95}, [](Reader& R) { ReadCxForm(R); }, 10},
        {"RGBA", {1, 2, 3}, [](Reader& R) { ReadRgba(R); }, 13},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        Reader R(C.Data, 10, "tag Test");
        try {
            C.Read(R);
            ADD_FAILURE() << "no error";
        } catch (const SwfError& E) {
            EXPECT_EQ(E.Offset(), C.Offset) << E.what();
            EXPECT_NE(E.Reason().find("tag Test"), std::string::npos) << E.what();
        }
    }
}
