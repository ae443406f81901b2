// Pieces the text readers of the tolerant reading share: trimming, clock
// times, time lines, the entry as a reader gathers it and the note phrases.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "subtitle/entry_store.h"

namespace kestrelpix {

std::string_view Trim(std::string_view s);
inline bool IsBlankLine(std::string_view s) { return Trim(s).empty(); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// ASCII letters compared without case; `lower` is in lower case.
bool SameNoCase(std::string_view text, std::string_view lower);

// What the loose time lines needed; each becomes a phrase of the note.
struct Tolerated {
  bool shortField = false;  // a one-digit field
  bool dot = false;         // "." before the milliseconds
  bool noMillis = false;
  bool blanks = false;  // blanks other than one on each side of the arrow
  bool negative = false;
  bool noCounter = false;
  bool blankZeros = false;  // blanks standing for zeros inside a time
};

// Reads digits at s[i]: at least 1, at most `most`; `count` says how many.
std::optional<int64_t> Digits(std::string_view s, size_t& i, size_t most, size_t& count);

// A clock time [-][h:]m:s[,.fff] at s[i]; `i` ends after it. The hours may
// be left out only where allowShort (WebVTT). A fraction is of a second
// whatever its length: one digit is tenths, two hundredths, more than three
// are cut to milliseconds. Blanks before a field's digits other than the
// first stand for zeros (" 0: 0:26, 26" is 0:00:26.026). A negative time
// gives 0.
std::optional<int64_t> ParseClock(std::string_view s, size_t& i, bool allowShort, Tolerated& t);

struct TimeSpan {
  int64_t start = 0;
  int64_t end = 0;
};

// A time line: start, arrow, end, and anything after a blank (positions,
// cue settings), which `settings` receives when given.
std::optional<TimeSpan> ParseTimeLine(std::string_view line, bool allowShort, Tolerated& t,
                                      std::string_view* settings = nullptr);

// An entry as a reader finds it: its time, its place and its text lines in
// order. The first three lines become Text1 to Text3; the third and later
// are kept as the lines that are not drawn.
struct Entry {
  explicit Entry(TimeSpan span) : time(span) {}

  TimeSpan time;
  Placement place;
  std::string text[3];
  size_t count = 0;
  KeptLines kept;

  void Add(std::string line) {
    if (count >= 2) kept.Add(line);
    if (count < 3) text[count] = std::move(line);
    ++count;
  }
};

// Where the readers put each entry as soon as it is complete; its text is
// taken.
using EntryOut = std::function<void(Entry&)>;

// Adds a phrase to a note, after a comma when the note has one already.
void Join(std::string& note, const std::string& phrase);

// "1 line that is no entry, skipped" / "3 lines that are no entries,
// skipped": `what` and `whatMany` name one and more.
std::string Counted(size_t n, const std::string& one, const std::string& many);

// The place an ASS/SSA override tag in `text` asks for: the first \anN
// (keypad numbers) or \aN (the legacy numbers: 1-3 bottom, 5-7 top, 9-11
// middle), looked for inside override blocks {...} only; 0 when none.
uint8_t OverrideAlign(std::string_view text);

}  // namespace kestrelpix
