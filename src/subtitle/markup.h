// Markup of the formats that only the tolerant reading meets. The SubRip and
// frame-numbered markup is removed by TSubtitle::RemoveTags.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrelpix {

// A WebVTT cue line without its tags (<c.yellow>, <v Anna>, <00:00:01.500>,
// <i>, ...) and with the entities &amp; &lt; &gt; &nbsp; &lrm; &rlm; turned
// into their characters.
std::string RemoveWebVttMarkup(std::string_view text);

// The Text field of an ASS/SSA Dialogue line as lines: override blocks
// {...} removed, \N and \n break the line, \h is a blank.
std::vector<std::string> AssTextLines(std::string_view text);

}  // namespace kestrelpix
