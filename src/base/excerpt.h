// Subtitle text quoted in a message: a line of a file can be megabytes long,
// and a message quoting it whole fills the screen or the terminal.
#pragma once

#include <string>
#include <string_view>

namespace kestrelpix {

// The characters a message quotes of one text.
constexpr size_t kExcerptChars = 100;
// Bytes enough for kExcerptChars characters in any encoding of the system
// code pages and in UTF-8: what to convert before cutting.
constexpr size_t kExcerptBytes = 4 * kExcerptChars;

// text itself when it has at most kExcerptChars characters; otherwise its
// first kExcerptChars characters followed by "…". A character is a whole
// UTF-8 sequence, or a single byte that does not begin one.
std::string Excerpt(std::string_view text);

}  // namespace kestrelpix
