// The two subtitle movies, built from code: the library's built-in movie and the setup program's
// test movie. Both are deterministic: the same bytes on every run.
//
// Root timeline (both movies):
//   frame 1  FileAttributes (all clear), background #FFFFFF, [built-in only: the script setting
//            osdstr, w and h], the definitions, and three clips:
//              depth 1  emblem   110-frame animation, 34 % scale, alpha x 205/256, at (873, 7) px
//              depth 3  clock    plate bitmap and the time field (variable "timers")
//              depth 7  ticker   the scrolling field "str1" (variable "msginf1")
//   frame 2  stop.
// The test movie's ticker shows a fixed text, and its emblem differs in one layer's colour
// transform and in its outlines.
#pragma once

#include <cstdint>
#include <vector>

#include "Tags.h"

namespace movies {

enum class Kind { Builtin, Test };

// The default text of the built-in movie and the fixed text of the test movie.
inline constexpr const char* DefaultText = "ovix工作室硬解控件";
inline constexpr int TickerPadding = 51;  // spaces on each side of the ticker text

swf::Movie Build(Kind K);
std::vector<uint8_t> Write(Kind K);  // the CWS file

}  // namespace movies
