// Markup of the formats that only the tolerant reading meets. The SubRip and
// frame-numbered markup is removed by SubtitleDocument::RemoveTags.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrelpix {

// A WebVTT cue line without its tags (<c.yellow>, <v Anna>, <00:00:01.500>,
// <i>, ...) and with the entities &amp; &lt; &gt; &nbsp; &lrm; &rlm; turned
// into their characters.
std::string RemoveWebVttMarkup(std::string_view text);

// The Text field of an ASS/SSA Dialogue line as lines, as players draw it:
// override blocks {...} removed (a "{" without its "}" is text), \N breaks
// the line, the soft break \n breaks it only where breakAtSoftBreaks (the
// script's WrapStyle 2) and is a blank elsewhere, \h is a blank, \{ and \}
// are the braces. Angle-bracket tags such as <i> are no markup in ASS and
// stay text.
std::vector<std::string> AssTextLines(std::string_view text, bool breakAtSoftBreaks = false);

// A MicroDVD or MPL2 text line as drawn: a "/" at its start (after any
// blanks) marks it italic and goes, then the tags as RemoveTags removes
// them.
std::string RemoveSlashItalic(std::string_view line);

}  // namespace kestrelpix
