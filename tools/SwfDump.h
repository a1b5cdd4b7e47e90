// A decoded SWF movie as text for authors tracking down why a movie misbehaves: the header, the
// decode warnings, then every tag in file order with its offset and stored length, details
// indented below it (sprite tags nested, actions disassembled).
#pragma once

#include <string>

#include "Tags.h"

// Offsets and lengths shown are those DecodeMovie recorded. Strings are quoted as stored, with
// quotes, backslashes and control bytes escaped.
std::string DumpMovie(const swf::Movie& M);
