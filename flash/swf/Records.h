// Basic SWF records: RECT, MATRIX, CXFORM, CXFORMWITHALPHA, RGB, RGBA.
//
// Each record starts and ends byte aligned. Coordinates are twips; scale, rotate and skew values are
// raw 16.16 fixed point; colour transform terms are raw 8.8 (multipliers) or plain integers (adds).
//
// The bit count fields (NBits and friends) hold the count a decoded record used, or -1. Encoding uses
// the stored count when it still fits the values, else the minimum, so decode then encode gives the
// same bytes and a freshly built record gets the minimal encoding. Equality compares the values and
// ignores these hints.
#pragma once

#include <cstdint>

#include "ByteIO.h"

namespace swf {

struct Rect {
    int32_t XMin = 0, XMax = 0, YMin = 0, YMax = 0;
    int NBits = -1;
    bool operator==(const Rect& O) const { return XMin == O.XMin && XMax == O.XMax && YMin == O.YMin && YMax == O.YMax; }
};

struct Matrix {
    bool HasScale = false;
    int32_t ScaleX = 0x10000, ScaleY = 0x10000;
    bool HasRotate = false;
    int32_t RotateSkew0 = 0, RotateSkew1 = 0;
    int32_t TranslateX = 0, TranslateY = 0;
    int ScaleBits = -1, RotateBits = -1, TranslateBits = -1;
    bool operator==(const Matrix& O) const
    {
        return HasScale == O.HasScale && (!HasScale || (ScaleX == O.ScaleX && ScaleY == O.ScaleY)) &&
               HasRotate == O.HasRotate && (!HasRotate || (RotateSkew0 == O.RotateSkew0 && RotateSkew1 == O.RotateSkew1)) &&
               TranslateX == O.TranslateX && TranslateY == O.TranslateY;
    }
};

// CXFORM: the alpha terms are not stored; decoding leaves them at 256 and 0.
// CXFORMWITHALPHA: all four.
struct CxForm {
    bool HasMult = false, HasAdd = false;
    int16_t RedMult = 256, GreenMult = 256, BlueMult = 256, AlphaMult = 256;
    int16_t RedAdd = 0, GreenAdd = 0, BlueAdd = 0, AlphaAdd = 0;
    int NBits = -1;
    bool operator==(const CxForm& O) const
    {
        return HasMult == O.HasMult && HasAdd == O.HasAdd &&
               (!HasMult || (RedMult == O.RedMult && GreenMult == O.GreenMult && BlueMult == O.BlueMult && AlphaMult == O.AlphaMult)) &&
               (!HasAdd || (RedAdd == O.RedAdd && GreenAdd == O.GreenAdd && BlueAdd == O.BlueAdd && AlphaAdd == O.AlphaAdd));
    }
};

struct Rgb {
    uint8_t R = 0, G = 0, B = 0;
    bool operator==(const Rgb&) const = default;
};

struct Rgba {
    uint8_t R = 0, G = 0, B = 0, A = 255;
    bool operator==(const Rgba&) const = default;
};

Rect ReadRect(Reader& R);
void WriteRect(Writer& W, const Rect& V);

Matrix ReadMatrix(Reader& R);
void WriteMatrix(Writer& W, const Matrix& V);

CxForm ReadCxForm(Reader& R);
void WriteCxForm(Writer& W, const CxForm& V);
CxForm ReadCxFormWithAlpha(Reader& R);
void WriteCxFormWithAlpha(Writer& W, const CxForm& V);

Rgb ReadRgb(Reader& R);
void WriteRgb(Writer& W, const Rgb& V);
Rgba ReadRgba(Reader& R);
void WriteRgba(Writer& W, const Rgba& V);

}  // namespace swf
