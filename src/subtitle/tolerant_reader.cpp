// The tolerant reading, tried only where the SubRip and frame-numbered
// format tests refuse a file: what players read is read here too. UTF-16 and
// UTF-32 become UTF-8, any line ends and leading blank lines are accepted,
// SubRip entries are found by their time lines in a loose form, MicroDVD
// files may carry a byte-order mark, a {0}{0} header or no frame rate, and
// WebVTT and ASS/SSA files are read. What was tolerated becomes one note.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "base/errors.h"
#include "base/idx_time.h"
#include "base/number_text.h"
#include "subtitle/markup.h"
#include "subtitle/subtitle.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

using LineViews = std::vector<std::string_view>;

std::string_view Trim(std::string_view s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string_view::npos) return {};
  const size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

bool IsBlankLine(std::string_view s) { return Trim(s).empty(); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What the loose time lines needed; each becomes a phrase of the note.
struct Tolerated {
  bool shortField = false;  // a one-digit field
  bool dot = false;         // "." before the milliseconds
  bool noMillis = false;
  bool blanks = false;  // blanks other than one on each side of the arrow
  bool negative = false;
  bool noCounter = false;
  bool notFixedColumns = false;
};

// Reads digits at s[i]: at least 1, at most `most`.
std::optional<int64_t> Digits(std::string_view s, size_t& i, size_t most, size_t& count) {
  const size_t begin = i;
  int64_t v = 0;
  while (i < s.size() && IsDigit(s[i]) && i - begin < most) v = v * 10 + (s[i++] - '0');
  count = i - begin;
  if (count == 0) return std::nullopt;
  return v;
}

// A clock time [-][h:]m:s[,.fff] at the start of s; `i` ends after it. The
// hours may be left out only where allowShort (WebVTT). Fractions of one or
// two digits are tenths or hundredths. A negative time gives 0.
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
    const auto v = Digits(s, i, n == 0 ? 3 : 2, counts[n]);
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
  if (i + 1 < s.size() && (s[i] == ',' || s[i] == '.') && IsDigit(s[i + 1])) {
    if (s[i] == '.') t.dot = true;
    ++i;
    size_t count = 0;
    int64_t v = *Digits(s, i, 3, count);
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

struct TimeSpan {
  int64_t start = 0;
  int64_t end = 0;
};

// A time line: start, arrow, end, and anything after a blank (positions,
// cue settings).
std::optional<TimeSpan> ParseTimeLine(std::string_view line, bool allowShort, Tolerated& t) {
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
  if (left.size() != startText.size() + 1 || left.back() != ' ' ||
      right.size() - endText.size() != 1 || right[0] != ' ')
    seen.blanks = true;
  t.shortField |= seen.shortField;
  t.dot |= seen.dot;
  t.noMillis |= seen.noMillis;
  t.blanks |= seen.blanks;
  t.negative |= seen.negative;
  return TimeSpan{*start, *end};
}

struct Entry {
  TimeSpan time;
  std::vector<std::string> lines;
};

void Join(std::string& note, const std::string& phrase) {
  note += note.empty() ? "" : ", ";
  note += phrase;
}

// SubRip found by its time lines: the text of an entry runs to the next
// time line; a line of digits just before a time line is its counter.
bool ReadLooseSubRip(const LineViews& lines, std::vector<Entry>& out, Tolerated& t) {
  std::vector<size_t> timeLines;
  std::vector<TimeSpan> spans;
  for (size_t k = 0; k < lines.size(); ++k) {
    if (const auto span = ParseTimeLine(lines[k], false, t)) {
      timeLines.push_back(k);
      spans.push_back(*span);
    }
  }
  if (timeLines.empty()) return false;
  for (size_t e = 0; e < timeLines.size(); ++e) {
    size_t stop = e + 1 < timeLines.size() ? timeLines[e + 1] : lines.size();
    // The counter of the next entry, with any blank lines before it.
    if (e + 1 < timeLines.size()) {
      size_t c = stop;
      if (c > timeLines[e] + 1) {
        const std::string_view counter = Trim(lines[c - 1]);
        if (!counter.empty() && counter.find_first_not_of("0123456789") == std::string_view::npos)
          --c;
        else
          t.noCounter = true;
      }
      stop = c;
    }
    Entry entry{spans[e], {}};
    for (size_t k = timeLines[e] + 1; k < stop; ++k) {
      if (!IsBlankLine(lines[k]))
        entry.lines.push_back(TSubtitle::RemoveTags(std::string(lines[k])));
    }
    out.push_back(std::move(entry));
  }
  if (timeLines.front() == 0) t.noCounter = true;
  return true;
}

// {start}{end}text; false when the line is not of that form.
bool ParseMicroDvd(std::string_view line, int64_t& start, int64_t& end, std::string_view& text) {
  size_t i = 0;
  size_t count = 0;
  if (line.empty() || line[0] != '{') return false;
  i = 1;
  const auto a = Digits(line, i, 9, count);
  if (!a || i + 1 >= line.size() || line[i] != '}' || line[i + 1] != '{') return false;
  i += 2;
  const auto b = Digits(line, i, 9, count);
  if (!b || i >= line.size() || line[i] != '}') return false;
  start = *a;
  end = *b;
  text = line.substr(i + 1);
  return true;
}

bool AsFloat(std::string_view text, double& value) {
  try {
    value = StrToFloat(text);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// ASS/SSA: the Dialogue lines of [Events], fields as the Format line orders
// them (the usual order when it is missing), Text last; WrapStyle in
// [Script Info] decides what \n is.
// Dialogue lines whose fields or times cannot be read are counted in
// `skipped`.
bool ReadAss(const LineViews& lines, std::vector<Entry>& out, int& skipped) {
  bool events = false;
  bool sawEvents = false;
  std::vector<std::string> format = {"layer",   "start",   "end",     "style",  "name",
                                     "marginl", "marginr", "marginv", "effect", "text"};
  bool scriptInfo = false;
  bool breakAtSoftBreaks = false;  // WrapStyle 2
  Tolerated t;
  for (std::string_view raw : lines) {
    const std::string_view line = Trim(raw);
    if (!line.empty() && line[0] == '[') {
      std::string section(line);
      for (char& c : section) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      events = section == "[events]";
      scriptInfo = section == "[script info]";
      sawEvents |= events;
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, colon);
    std::string_view rest = line.substr(colon + 1);
    if (scriptInfo && key == "WrapStyle") breakAtSoftBreaks = Trim(rest) == "2";
    if (!events) continue;
    if (key == "Format") {
      format.clear();
      while (!rest.empty()) {
        const size_t comma = rest.find(',');
        std::string name(Trim(rest.substr(0, comma)));
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        format.push_back(name);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
      }
      continue;
    }
    if (key != "Dialogue") continue;
    std::vector<std::string_view> fields;
    for (size_t f = 0; f + 1 < format.size(); ++f) {
      const size_t comma = rest.find(',');
      if (comma == std::string_view::npos) break;
      fields.push_back(Trim(rest.substr(0, comma)));
      rest.remove_prefix(comma + 1);
    }
    fields.push_back(rest);  // the text may hold commas
    if (fields.size() != format.size()) {
      ++skipped;
      continue;
    }
    std::optional<int64_t> start, end;
    std::string_view text;
    for (size_t f = 0; f < format.size(); ++f) {
      size_t i = 0;
      if (format[f] == "start") start = ParseClock(fields[f], i, false, t);
      if (format[f] == "end") end = ParseClock(fields[f], i, false, t);
      if (format[f] == "text") text = fields[f];
    }
    if (!start || !end) {
      ++skipped;
      continue;
    }
    Entry entry{{*start, *end}, {}};
    for (std::string& l : AssTextLines(text, breakAtSoftBreaks)) {
      if (!IsBlankLine(l)) entry.lines.push_back(std::move(l));
    }
    out.push_back(std::move(entry));
  }
  return sawEvents;
}

// WebVTT: cues are blocks of an optional identifier, a time line and text
// lines, separated by blank lines; NOTE, STYLE and REGION blocks and the
// header are skipped. Blocks with no readable time line are counted in
// `skipped`.
bool ReadWebVtt(const LineViews& lines, std::vector<Entry>& out, bool& header, int& skipped) {
  size_t k = 0;
  header = !lines.empty() && lines[0].substr(0, 6) == "WEBVTT";
  Tolerated t;
  while (k < lines.size()) {
    while (k < lines.size() && IsBlankLine(lines[k])) ++k;
    const size_t begin = k;
    while (k < lines.size() && !IsBlankLine(lines[k])) ++k;
    const LineViews block(lines.begin() + static_cast<std::ptrdiff_t>(begin),
                          lines.begin() + static_cast<std::ptrdiff_t>(k));
    if (block.empty() || block[0].substr(0, 6) == "WEBVTT" || block[0].substr(0, 4) == "NOTE" ||
        block[0].substr(0, 5) == "STYLE" || block[0].substr(0, 6) == "REGION")
      continue;
    bool read = false;
    for (size_t b = 0; b < block.size() && b < 2 && !read; ++b) {
      const auto span = ParseTimeLine(block[b], true, t);
      if (!span) continue;
      Entry entry{*span, {}};
      for (size_t l = b + 1; l < block.size(); ++l) {
        std::string text = RemoveWebVttMarkup(block[l]);
        if (!IsBlankLine(text)) entry.lines.push_back(std::move(text));
      }
      out.push_back(std::move(entry));
      read = true;
    }
    if (!read) ++skipped;
  }
  return header || !out.empty();
}

}  // namespace

bool TSubtitle::ReadTolerant(std::string_view Bytes, std::string_view Extension, bool ClearFirst,
                             MessageSink& sink, const LoadOptions& options) {
  const bool subRipOrFrames = Extension == ".SRT" || Extension == ".TXT" || Extension == ".SUB";
  const bool vtt = Extension == ".VTT";
  const bool ass = Extension == ".ASS" || Extension == ".SSA";
  if (!subRipOrFrames && !vtt && !ass) return false;

  const UnicodeText unicode = ToUtf8(Bytes);
  // Text with NUL bytes (a program stream, a binary file) is no subtitle.
  if (unicode.text.find('\0') != std::string::npos) return false;
  const TextLines split = SplitLines(unicode.text);
  LineViews lines = split.lines;

  std::string tolerated;
  if (unicode.form == UnicodeForm::Utf8) {
    Join(tolerated, "a UTF-8 byte-order mark");
  } else if (unicode.form != UnicodeForm::None) {
    Join(tolerated, std::string(UnicodeFormName(unicode.form)) +
                        (unicode.byteOrderMark ? " text" : " text without a byte-order mark"));
  }
  if (split.loneCr) Join(tolerated, "CR line ends");

  std::vector<Entry> entries;
  std::string format;
  if (vtt) {
    bool header = false;
    int skipped = 0;
    if (!ReadWebVtt(lines, entries, header, skipped)) return false;
    format = "WebVTT";
    if (!header) Join(tolerated, "no WEBVTT line");
    if (skipped > 0) {
      Join(tolerated, std::to_string(skipped) +
                          (skipped == 1 ? " block without a readable time line, skipped"
                                        : " blocks without a readable time line, skipped"));
    }
  } else if (ass) {
    int skipped = 0;
    if (!ReadAss(lines, entries, skipped)) return false;
    format = "ASS/SSA";
    if (skipped > 0) {
      Join(tolerated, std::to_string(skipped) +
                          (skipped == 1 ? " Dialogue line that cannot be read, skipped"
                                        : " Dialogue lines that cannot be read, skipped"));
    }
  } else {
    size_t first = 0;
    while (first < lines.size() && IsBlankLine(lines[first])) ++first;
    if (first == lines.size()) return false;
    int64_t a = 0, b = 0;
    std::string_view text;
    if (ParseMicroDvd(lines[first], a, b, text)) {
      format = "MicroDVD";
      if (first > 0) Join(tolerated, "blank lines before the first entry");
      double fps = 0;
      std::string_view rateText = Trim(text);
      size_t from = first;
      // A {0}{0} or {1}{1} line holding a number is the frame-rate line,
      // no subtitle; a rate of 0 there is no rate.
      if ((a == 0 || a == 1) && a == b && AsFloat(text, fps)) {
        if (a == 0) Join(tolerated, "a {0}{0} frame-rate line");
        ++from;
      }
      if (fps <= 0 && !options.ChosenFps.empty() && AsFloat(options.ChosenFps, fps) && fps > 0) {
        rateText = options.ChosenFps;
        Join(tolerated, "no frame-rate line: frames counted at the chosen " + options.ChosenFps +
                            " frames per second");
      } else if (fps <= 0) {
        sink.ShowMessage(
            "Please write at the first line of your *.txt subtitle the fps of this subtitle\r"
            "Example: {1}{1}25.000");
        return true;
      }
      if (!(fps >= kMinFrameRate)) {
        throw ConvertError("The frame rate " + std::string(rateText) +
                           " is below 0.000000466 frames per second, the lowest that frames "
                           "are counted at");
      }
      size_t skipped = 0;
      for (size_t k = from; k < lines.size(); ++k) {
        if (IsBlankLine(lines[k])) continue;
        if (!ParseMicroDvd(lines[k], a, b, text)) {
          ++skipped;
          continue;
        }
        // A frame of at most 9 digits at the lowest rate is below 2.2e18
        // ms, well inside int64; the index's limit is lower still.
        const double startMs = std::nearbyint(static_cast<double>(a) * 1000.0 / fps);
        const double endMs = std::nearbyint(static_cast<double>(b) * 1000.0 / fps);
        if (std::max(startMs, endMs) > kMaxIdxTimeMs) {
          throw ConvertError("Entry " + std::to_string(entries.size() + 1) + ": frame " +
                             std::to_string(std::max(a, b)) + " at " + std::string(rateText) +
                             " frames per second is later than an index can hold");
        }
        Entry entry{{static_cast<int64_t>(startMs), static_cast<int64_t>(endMs)}, {}};
        for (size_t bar; (bar = text.find('|')) != std::string_view::npos;
             text.remove_prefix(bar + 1)) {
          std::string part = RemoveTags(std::string(text.substr(0, bar)));
          if (!IsBlankLine(part)) entry.lines.push_back(std::move(part));
        }
        std::string part = RemoveTags(std::string(text));
        if (!IsBlankLine(part)) entry.lines.push_back(std::move(part));
        entries.push_back(std::move(entry));
      }
      if (skipped > 0)
        Join(tolerated,
             std::to_string(skipped) + (skipped == 1 ? " line that is no entry, skipped"
                                                     : " lines that are no entries, skipped"));
    } else {
      Tolerated t;
      if (!ReadLooseSubRip(lines, entries, t)) return false;
      format = "SubRip";
      if (Extension != ".SRT") Join(tolerated, "a SubRip file named " + std::string(Extension));
      if (first > 0) Join(tolerated, "blank lines before the first entry");
      if (t.noCounter) Join(tolerated, "entries without counters");
      if (t.shortField) Join(tolerated, "one-digit time fields");
      if (t.dot) Join(tolerated, "\".\" before the milliseconds");
      if (t.noMillis) Join(tolerated, "times without milliseconds");
      if (t.blanks) Join(tolerated, "extra blanks in time lines");
      if (t.negative) Join(tolerated, "negative times, read as 0");
    }
  }

  if (ClearFirst) ClearLines();
  for (Entry& e : entries) {
    AddEntryLines(std::to_string(e.time.start), std::to_string(e.time.end), std::move(e.lines));
  }
  Loaded = true;
  TextIsUtf8 = unicode.form != UnicodeForm::None;
  notes_.push_back("Read as " + format + " by the tolerant reader" +
                   (tolerated.empty() ? "" : ": " + tolerated) + ".");
  return true;
}

}  // namespace kestrelpix
