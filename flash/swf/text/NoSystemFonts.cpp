// Builds without fontconfig: the host provides the font source.
#include "FontSource.h"

namespace swf::text {

std::unique_ptr<FontSource> MakeSystemFontSource() { return nullptr; }

}  // namespace swf::text
