#include "subtitle/reader_parts.h"

#include <cctype>

namespace kestrelpix {

std::string_view Trim(std::string_view s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string_view::npos) return {};
  const size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    if (std::tolower(static_cast<unsigned char>(a[k])) != b[k]) return false;
  }
  return true;
}

std::optional<int64_t> Digits(std::string_view s, size_t& i, size_t most, size_t& count) {
  const size_t begin = i;
  int64_t v = 0;
  while (i < s.size() && IsDigit(s[i]) && i - begin < most) v = v * 10 + (s[i++] - '0');
  count = i - begin;
  if (count == 0) return std::nullopt;
  return v;
}

namespace {

// As Digits, but a blank followed (after more blanks) by a digit counts as
// a zero, as some writers pad times with blanks: " 9" is "09".
std::optional<int64_t> DigitsOrBlanks(std::string_view s, size_t& i, size_t most, size_t& count,
                                      bool& blanks) {
  const size_t begin = i;
  int64_t v = 0;
  for (; i < s.size() && i - begin < most; ++i) {
    if (IsDigit(s[i])) {
      v = v * 10 + (s[i] - '0');
      continue;
    }
    if (s[i] != ' ') break;
    size_t j = i;
    while (j < s.size() && s[j] == ' ') ++j;
    if (j >= s.size() || !IsDigit(s[j])) break;
    blanks = true;
    v *= 10;
  }
  count = i - begin;
  if (count == 0) return std::nullopt;
  return v;
}

}  // namespace

std::optional<int64_t> ParseClock(std::string_view s, size_t& i, bool allowShort, Tolerated& t) {
  bool negative = false;
  if (i < s.size() && s[i] == '-') negative = true, ++i;
  int64_t fields[3];
  size_t counts[3];
  int n = 0;
  for (; n < 3; ++n) {
    if (n > 0) {
      if (i >= s.size() || s[i] != ':') break;
      ++i;
    }
    const auto v =
        n == 0 ? Digits(s, i, 3, counts[n]) : DigitsOrBlanks(s, i, 2, counts[n], t.blankZeros);
    if (!v) return std::nullopt;
    fields[n] = *v;
  }
  if (n < 2 || (n == 2 && !allowShort)) return std::nullopt;
  if (n == 2)
    fields[2] = fields[1], fields[1] = fields[0], fields[0] = 0, counts[2] = counts[1],
    counts[1] = counts[0], counts[0] = 2;
  for (int k = 0; k < 3; ++k) {
    if (counts[k] < 2) t.shortField = true;
  }
  if (fields[1] > 59 || fields[2] > 59) return std::nullopt;
  int64_t millis = 0;
  size_t count = 0;
  size_t at = i + 1;
  bool blanks = false;
  if (i + 1 < s.size() && (s[i] == ',' || s[i] == '.') && DigitsOrBlanks(s, at, 3, count, blanks)) {
    if (s[i] == '.') t.dot = true;
    t.blankZeros |= blanks;
    ++i;
    int64_t v = *DigitsOrBlanks(s, i, 3, count, blanks);
    while (i < s.size() && IsDigit(s[i])) ++i;  // finer than milliseconds
    for (; count < 3; ++count) v *= 10;
    millis = v;
  } else {
    t.noMillis = true;
  }
  const int64_t ms = fields[0] * 3600000 + fields[1] * 60000 + fields[2] * 1000 + millis;
  if (negative) t.negative = true;
  return negative ? 0 : ms;
}

std::optional<TimeSpan> ParseTimeLine(std::string_view line, bool allowShort, Tolerated& t,
                                      std::string_view* settings) {
  const size_t arrow = line.find("-->");
  if (arrow == std::string_view::npos) return std::nullopt;
  Tolerated seen;
  const std::string_view left = line.substr(0, arrow);
  const std::string_view startText = Trim(left);
  size_t i = 0;
  const auto start = ParseClock(startText, i, allowShort, seen);
  if (!start || i != startText.size()) return std::nullopt;
  std::string_view right = line.substr(arrow + 3);
  const std::string_view endText = right.substr(
      right.find_first_not_of(" \t") == std::string_view::npos ? right.size()
                                                               : right.find_first_not_of(" \t"));
  size_t j = 0;
  const auto end = ParseClock(endText, j, allowShort, seen);
  if (!end || (j < endText.size() && endText[j] != ' ' && endText[j] != '\t')) return std::nullopt;
  if (settings) *settings = Trim(endText.substr(j));
  if (left.size() != startText.size() + 1 || left.back() != ' ' ||
      right.size() - endText.size() != 1 || right[0] != ' ')
    seen.blanks = true;
  t.shortField |= seen.shortField;
  t.dot |= seen.dot;
  t.noMillis |= seen.noMillis;
  t.blanks |= seen.blanks;
  t.negative |= seen.negative;
  t.blankZeros |= seen.blankZeros;
  return TimeSpan{*start, *end};
}

void Join(std::string& note, const std::string& phrase) {
  note += note.empty() ? "" : ", ";
  note += phrase;
}

std::string Counted(size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

uint8_t OverrideAlign(std::string_view text) {
  for (size_t open = text.find('{'); open != std::string_view::npos;
       open = text.find('{', open + 1)) {
    const size_t close = text.find('}', open);
    if (close == std::string_view::npos) return 0;
    const std::string_view block = text.substr(open + 1, close - open - 1);
    for (size_t at = block.find("\\a"); at != std::string_view::npos;
         at = block.find("\\a", at + 1)) {
      size_t i = at + 2;
      const bool keypad = i < block.size() && block[i] == 'n';
      if (keypad) ++i;
      size_t count = 0;
      const auto n = Digits(block, i, 2, count);
      // \alpha and the like are other tags.
      if (!n || (i < block.size() && std::isalpha(static_cast<unsigned char>(block[i])))) continue;
      if (keypad) return *n >= 1 && *n <= 9 ? static_cast<uint8_t>(*n) : 0;
      // Legacy: 1-3 bottom, +4 top, +8 middle.
      if (*n >= 1 && *n <= 3) return static_cast<uint8_t>(*n);
      if (*n >= 5 && *n <= 7) return static_cast<uint8_t>(*n + 2);
      if (*n >= 9 && *n <= 11) return static_cast<uint8_t>(*n - 5);
      return 0;
    }
    open = close;
  }
  return 0;
}

}  // namespace kestrelpix
