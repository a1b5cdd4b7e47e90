// Internal to the tag layer: the bitmap and text tag codecs that Tags.cpp dispatches to.
#pragma once

#include <optional>

#include "Tags.h"

namespace swf {

// The typed value for a bitmap (or font/text) tag code, or nothing when the code is not one.
std::optional<TagValue> DecodeBitmapTag(uint16_t Code, Reader& R);
std::optional<TagValue> DecodeTextTag(uint16_t Code, Reader& R);

void EncodeTagBody(const DefineBits& T, Writer& W);
void EncodeTagBody(const JpegTables& T, Writer& W);
void EncodeTagBody(const DefineBitsJpeg& T, Writer& W);
void EncodeTagBody(const DefineBitsLossless& T, Writer& W);
void EncodeTagBody(const DefineFont& T, Writer& W);
void EncodeTagBody(const DefineFont2& T, Writer& W);
void EncodeTagBody(const DefineFontInfo& T, Writer& W);
void EncodeTagBody(const DefineFontName& T, Writer& W);
void EncodeTagBody(const DefineFontAlignZones& T, Writer& W);
void EncodeTagBody(const CsmTextSettings& T, Writer& W);
void EncodeTagBody(const DefineText& T, Writer& W);
void EncodeTagBody(const DefineEditText& T, Writer& W);

uint16_t TagCodeOf(const DefineBits&);
uint16_t TagCodeOf(const JpegTables&);
uint16_t TagCodeOf(const DefineBitsJpeg& T);
uint16_t TagCodeOf(const DefineBitsLossless& T);
uint16_t TagCodeOf(const DefineFont&);
uint16_t TagCodeOf(const DefineFont2& T);
uint16_t TagCodeOf(const DefineFontInfo& T);
uint16_t TagCodeOf(const DefineFontName&);
uint16_t TagCodeOf(const DefineFontAlignZones&);
uint16_t TagCodeOf(const CsmTextSettings&);
uint16_t TagCodeOf(const DefineText& T);
uint16_t TagCodeOf(const DefineEditText&);

}  // namespace swf
