#include "base/excerpt.h"

namespace kestrelpix {

namespace {

// The length of the UTF-8 sequence at text[i], or 1 for a byte that does
// not begin a well-formed one.
size_t CharLength(std::string_view text, size_t i) {
  const auto b = static_cast<unsigned char>(text[i]);
  const size_t n = b < 0x80             ? 1
                   : (b & 0xE0) == 0xC0 ? 2
                   : (b & 0xF0) == 0xE0 ? 3
                   : (b & 0xF8) == 0xF0 ? 4
                                        : 1;
  if (n == 1 || i + n > text.size()) return 1;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

}  // namespace

std::string Excerpt(std::string_view text) {
  size_t end = 0;
  for (size_t chars = 0; end < text.size(); ++chars) {
    if (chars == kExcerptChars) return std::string(text.substr(0, end)) + "…";
    end += CharLength(text, end);
  }
  return std::string(text);
}

}  // namespace kestrelpix
