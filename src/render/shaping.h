// Shaping and bidirectional ordering of one text line, for text_layout.cpp.
//
// The line's characters are given in logical order, tabs included. The
// paragraph direction is that of the first letter with a strong direction
// (Hebrew and Arabic letters right to left, most others left to right; left
// to right when there is none), and the Unicode bidirectional algorithm gives
// every character its level. Tabs cut the line into segments that follow one
// another from the left, each starting at a tab stop; within a segment the
// runs of characters are shaped and then ordered by their levels.
//
// A run is a stretch of one level, one script and one face. Each character
// is drawn from the face that has it (the chosen face, else the first
// fontconfig fallback that has it); marks and format characters (joiners,
// direction marks, variation selectors) stay in the face of the character
// before them, and so do spaces, digits and punctuation inside text of a
// script other than Latin, Greek and Cyrillic, where that face has them, so
// that an Arabic or Thai phrase keeps one face. Characters that no face has,
// the soft hyphen, and characters of symbol or bitmap-only faces are not
// shaped: each is drawn as its face's glyph (the missing-glyph box when no
// face has it), as unshaped text draws it.
//
// Shaping keeps kerning off, and in Latin, Greek, Cyrillic and script-less
// runs also the ligatures and contextual forms (liga, clig, calt), so that
// such text draws the same inside a shaped line as on its own. No language
// is set: the fonts' default forms of each script are used.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "render/font_cache.h"
#include "render/text_layout.h"

namespace kestrelpix {

// The characters of a line that are laid out, with the index of each in the
// decoded text (control characters other than tabs are left out before
// layout).
struct LineText {
  std::u32string chars;
  std::vector<uint32_t> sources;
};

// A line's advance stops growing here; nothing past it can be seen or
// measured meaningfully.
constexpr long kMaxLineAdvance = INT_MAX / 2;

// True for characters that draw as their face's nominal glyph at its
// nominal advance, left to right, whatever surrounds them: letters of the
// Latin, Greek and Cyrillic blocks, digits, punctuation and symbols, without
// combining marks, spaces other than U+0020 and U+00A0, and format
// characters. A line made only of these needs no shaping.
inline bool NeedsNoShaping(char32_t c) {
  // The tone letters and marks from U+02E5 on combine into contours in some
  // fonts.
  if (c < 0x2E5) return c >= 0x20 && c != 0x7F && (c < 0x80 || c >= 0xA0);
  if (c < 0x2000) {
    return (c >= 0x370 && c <= 0x3FF) || (c >= 0x400 && c <= 0x482) || (c >= 0x48A && c <= 0x52F) ||
           c >= 0x1E00;
  }
  return (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) ||
         (c >= 0x2070 && c <= 0x20CF) || (c >= 0x2100 && c <= 0x2BFF) ||
         (c >= 0x2C60 && c <= 0x2C7F) || (c >= 0xA720 && c <= 0xA7FF) ||
         (c >= 0xFB00 && c <= 0xFB06);
}

// The next tab stop after pen: stops are every tab_width pixels.
inline long NextTabStop(long pen, int tab_width) { return (pen / tab_width + 1) * tab_width; }

// Appends the shaped glyphs of the line in visual order, left to right, with
// pen positions from the start of the line, and returns the line's advance in
// whole pixels.
long ShapeLine(ResolvedFont& font, const LineText& text, int tab_width,
               std::vector<PlacedGlyph>& glyphs);

}  // namespace kestrelpix
