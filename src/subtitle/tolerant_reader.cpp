// The tolerant reading, tried only where the SubRip and frame-numbered
// format tests refuse a file: what players read is read here too. UTF-16 and
// UTF-32 become UTF-8, any line ends and leading blank lines are accepted,
// SubRip entries are found by their time lines in a loose form, MicroDVD
// files may carry a byte-order mark, a {0}{0} header or no frame rate, and
// WebVTT and ASS/SSA files are read. What was tolerated becomes one note.
#include "subtitle/tolerant_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>

#include "base/errors.h"
#include "base/idx_time.h"
#include "base/number_text.h"
#include "subtitle/markup.h"
#include "subtitle/subtitle_document.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

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

// An entry as a reader finds it: its time and its text lines in order. The
// first three lines become Text1 to Text3; the third and later are kept as
// the lines that are not drawn.
struct Entry {
  explicit Entry(TimeSpan span) : time(span) {}

  TimeSpan time;
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

void Join(std::string& note, const std::string& phrase) {
  note += note.empty() ? "" : ", ";
  note += phrase;
}

bool IsCounter(std::string_view line) {
  const std::string_view counter = Trim(line);
  return !counter.empty() && counter.find_first_not_of("0123456789") == std::string_view::npos;
}

// SubRip found by its time lines: the text of an entry runs to the next
// time line; a line of digits just before a time line is its counter.
bool ReadLooseSubRip(std::string_view text, const EntryOut& out, Tolerated& t) {
  LineSplitter lines(text);
  std::optional<Entry> entry;
  // The last line read after the entry's time line: the next entry's
  // counter or the entry's text, as the next line shows.
  std::optional<std::string_view> pending;
  auto add = [&](std::string_view line) {
    if (!IsBlankLine(line)) entry->Add(SubtitleDocument::RemoveTags(std::string(line)));
  };
  std::string_view line;
  for (size_t k = 0; lines.Next(line); ++k) {
    if (const auto span = ParseTimeLine(line, false, t)) {
      if (!entry) {
        if (k == 0) t.noCounter = true;
      } else {
        if (pending && !IsCounter(*pending)) {
          t.noCounter = true;
          add(*pending);
        }
        out(*entry);
      }
      entry.emplace(*span);
      pending.reset();
    } else if (entry) {
      if (pending) add(*pending);
      pending = line;
    }
  }
  if (!entry) return false;
  if (pending) add(*pending);
  out(*entry);
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

// The names of an ASS/SSA Format line that the reader uses: how many fields
// a Dialogue line has, and which of them (the last of each name) hold the
// start, the end and the text (empty where the line names none). Only a
// count and three places are held, however many fields the line names.
struct AssFormat {
  // The usual order, when the Events have no Format line.
  size_t fields = 10;
  std::optional<size_t> start = 1;
  std::optional<size_t> end = 2;
  std::optional<size_t> text = 9;
};

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    if (std::tolower(static_cast<unsigned char>(a[k])) != b[k]) return false;
  }
  return true;
}

AssFormat ParseAssFormat(std::string_view rest) {
  AssFormat format{0, std::nullopt, std::nullopt, std::nullopt};
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view name = Trim(rest.substr(0, comma));
    if (SameNoCase(name, "start")) format.start = format.fields;
    if (SameNoCase(name, "end")) format.end = format.fields;
    if (SameNoCase(name, "text")) format.text = format.fields;
    ++format.fields;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return format;
}

// The Text field in pieces of about 64 KiB, each cut just before a \N
// outside any override block, as AssTextLines finds the blocks (from a "{"
// to the next "}"; a "{" with no "}" after it is text). The lines of the
// pieces are the lines of the whole, and a field of millions of \N is read
// without holding millions of lines at once.
template <typename Piece>
void ForAssTextPieces(std::string_view text, const Piece& piece) {
  constexpr size_t kPieceBytes = size_t{64} << 10;
  const size_t lastClose = text.rfind('}');
  size_t begin = 0;
  for (size_t i = 0; i + 1 < text.size();) {
    if (text[i] == '{' && lastClose != std::string_view::npos && lastClose > i) {
      i = text.find('}', i) + 1;
    } else if (text[i] == '\\' && text[i + 1] == 'N' && i - begin >= kPieceBytes) {
      piece(text.substr(begin, i - begin));
      begin = i += 2;
    } else {
      ++i;
    }
  }
  piece(text.substr(begin));
}

// ASS/SSA: the Dialogue lines of [Events], fields as the Format line orders
// them (the usual order when it is missing), Text last; WrapStyle in
// [Script Info] decides what \n is.
// Dialogue lines whose fields or times cannot be read are counted in
// `skipped`.
bool ReadAss(std::string_view text, const EntryOut& out, int& skipped) {
  bool events = false;
  bool sawEvents = false;
  AssFormat format;
  bool scriptInfo = false;
  bool breakAtSoftBreaks = false;  // WrapStyle 2
  Tolerated t;
  LineSplitter lines(text);
  for (std::string_view raw; lines.Next(raw);) {
    const std::string_view line = Trim(raw);
    if (!line.empty() && line[0] == '[') {
      events = SameNoCase(line, "[events]");
      scriptInfo = SameNoCase(line, "[script info]");
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
      format = ParseAssFormat(rest);
      continue;
    }
    if (key != "Dialogue") continue;
    // Fields before the last end at a comma; the last, the text as a rule,
    // may hold commas.
    std::optional<int64_t> start, end;
    std::string_view textField;
    size_t f = 0;
    for (; f < format.fields; ++f) {
      std::string_view field = rest;
      if (f + 1 < format.fields) {
        const size_t comma = rest.find(',');
        if (comma == std::string_view::npos) break;
        field = Trim(rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
      }
      size_t i = 0;
      if (f == format.start) start = ParseClock(field, i, false, t);
      if (f == format.end) end = ParseClock(field, i, false, t);
      if (f == format.text) textField = field;
    }
    if (f != format.fields || !start || !end) {
      ++skipped;
      continue;
    }
    Entry entry(TimeSpan{*start, *end});
    ForAssTextPieces(textField, [&](std::string_view piece) {
      if (entry.kept.Lost()) return;
      for (std::string& l : AssTextLines(piece, breakAtSoftBreaks)) {
        if (!IsBlankLine(l)) entry.Add(std::move(l));
      }
    });
    out(entry);
  }
  return sawEvents;
}

// WebVTT: cues are blocks of an optional identifier, a time line and text
// lines, separated by blank lines; NOTE, STYLE and REGION blocks and the
// header are skipped. Blocks with no readable time line are counted in
// `skipped`.
bool ReadWebVtt(std::string_view text, const EntryOut& out, bool& header, int& skipped) {
  LineSplitter lines(text);
  std::string_view line;
  bool have = lines.Next(line);  // `line` is read and not yet used
  header = have && line.substr(0, 6) == "WEBVTT";
  size_t cues = 0;
  Tolerated t;
  while (have) {
    if (IsBlankLine(line)) {
      have = lines.Next(line);
      continue;
    }
    // The first line of a block, then its second: a time line in either
    // starts the cue.
    const bool skip = line.substr(0, 6) == "WEBVTT" || line.substr(0, 4) == "NOTE" ||
                      line.substr(0, 5) == "STYLE" || line.substr(0, 6) == "REGION";
    std::optional<TimeSpan> span;
    if (!skip) span = ParseTimeLine(line, true, t);
    have = lines.Next(line);
    if (!skip && !span && have && !IsBlankLine(line)) {
      span = ParseTimeLine(line, true, t);
      have = lines.Next(line);
    }
    if (!span) {
      if (!skip) ++skipped;
      while (have && !IsBlankLine(line)) have = lines.Next(line);
      continue;
    }
    Entry entry(*span);
    for (; have && !IsBlankLine(line); have = lines.Next(line)) {
      std::string cueText = RemoveWebVttMarkup(line);
      if (!IsBlankLine(cueText)) entry.Add(std::move(cueText));
    }
    out(entry);
    ++cues;
  }
  return header || cues > 0;
}

// MicroDVD found by its {start}{end} lines, from `line`, the first line
// that is not blank, on. A {0}{0} or {1}{1} line may state the frame rate;
// without it frames are counted at the chosen rate, and with none chosen the
// frame-rate message is shown and false returned.
bool ReadLooseMicroDvd(LineSplitter& lines, std::string_view line, size_t blanksBefore,
                       const LoadOptions& options, MessageSink& sink, const EntryOut& out,
                       std::string& tolerated) {
  int64_t a = 0, b = 0;
  std::string_view entryText;
  ParseMicroDvd(line, a, b, entryText);
  if (blanksBefore > 0) Join(tolerated, "blank lines before the first entry");
  std::string_view rateText = Trim(entryText);
  // A {0}{0} or {1}{1} line holding a number is the frame-rate line,
  // no subtitle; a rate of 0 there is no rate.
  const std::optional<double> ownRate =
      (a == 0 || a == 1) && a == b ? TryStrToFloat(entryText) : std::nullopt;
  const bool rateLine = ownRate.has_value();
  double fps = ownRate.value_or(0);
  if (rateLine && a == 0) Join(tolerated, "a {0}{0} frame-rate line");
  const std::optional<double> chosenRate =
      fps <= 0 ? TryStrToFloat(options.ChosenFps) : std::nullopt;
  if (chosenRate && *chosenRate > 0) {
    fps = *chosenRate;
    rateText = options.ChosenFps;
    Join(tolerated, "no frame-rate line: frames counted at the chosen " + options.ChosenFps +
                        " frames per second");
  } else if (fps <= 0) {
    sink.ShowMessage(
        "Please write at the first line of your *.txt subtitle the fps of this subtitle\r"
        "Example: {1}{1}25.000");
    return false;
  }
  if (!(fps >= kMinFrameRate)) {
    throw ConvertError("The frame rate " + std::string(rateText) +
                       " is below 0.000000466 frames per second, the lowest that frames "
                       "are counted at");
  }
  size_t skipped = 0;
  size_t count = 0;  // entries read so far
  for (bool next = rateLine ? lines.Next(line) : true; next; next = lines.Next(line)) {
    if (IsBlankLine(line)) continue;
    if (!ParseMicroDvd(line, a, b, entryText)) {
      ++skipped;
      continue;
    }
    // A frame of at most 9 digits at the lowest rate is below 2.2e18
    // ms, well inside int64; the index's limit is lower still.
    const double startMs = std::nearbyint(static_cast<double>(a) * 1000.0 / fps);
    const double endMs = std::nearbyint(static_cast<double>(b) * 1000.0 / fps);
    if (std::max(startMs, endMs) > kMaxIdxTimeMs) {
      throw ConvertError("Entry " + std::to_string(count + 1) + ": frame " +
                         std::to_string(std::max(a, b)) + " at " + std::string(rateText) +
                         " frames per second is later than an index can hold");
    }
    Entry entry(TimeSpan{static_cast<int64_t>(startMs), static_cast<int64_t>(endMs)});
    for (size_t bar; !entry.kept.Lost() && (bar = entryText.find('|')) != std::string_view::npos;
         entryText.remove_prefix(bar + 1)) {
      std::string part = SubtitleDocument::RemoveTags(std::string(entryText.substr(0, bar)));
      if (!IsBlankLine(part)) entry.Add(std::move(part));
    }
    if (!entry.kept.Lost()) {
      std::string part = SubtitleDocument::RemoveTags(std::string(entryText));
      if (!IsBlankLine(part)) entry.Add(std::move(part));
    }
    ++count;
    out(entry);
  }
  if (skipped > 0)
    Join(tolerated,
         std::to_string(skipped) + (skipped == 1 ? " line that is no entry, skipped"
                                                 : " lines that are no entries, skipped"));
  return true;
}

}  // namespace

bool ReadTolerant(std::string_view bytes, std::string_view extension, bool clearFirst,
                  SubtitleDocument& document, MessageSink& sink, const LoadOptions& options) {
  const bool subRipOrFrames = extension == ".SRT" || extension == ".TXT" || extension == ".SUB";
  const bool vtt = extension == ".VTT";
  const bool ass = extension == ".ASS" || extension == ".SSA";
  if (!subRipOrFrames && !vtt && !ass) return false;

  const UnicodeText unicode = ToUtf8(bytes);
  const std::string_view text = unicode.text();
  // Text with NUL bytes (a program stream, a binary file) is no subtitle.
  if (text.find('\0') != std::string_view::npos) return false;

  std::string tolerated;
  if (unicode.form == UnicodeForm::Utf8) {
    Join(tolerated, "a UTF-8 byte-order mark");
  } else if (unicode.form != UnicodeForm::None) {
    Join(tolerated, std::string(UnicodeFormName(unicode.form)) +
                        (unicode.byteOrderMark ? " text" : " text without a byte-order mark"));
  }
  if (HasLoneCr(text)) Join(tolerated, "CR line ends");

  // Entries go into the document as they are read. Until the reading has
  // taken the file, the entries the document had stay aside; when it does
  // not, they come back (without clearFirst: those added after them go).
  const size_t before = static_cast<size_t>(document.LineCount());
  EntryStore previous;
  if (clearFirst) previous = document.TakeLines();
  struct Undo {
    std::function<void()> action;
    ~Undo() {
      if (action) action();
    }
  } undo{[&] {
    if (clearFirst) {
      document.RestoreLines(std::move(previous));
    } else {
      document.TruncateLines(before);
    }
    document.Report.NotDrawn.clear();
    document.Report.TextLost.clear();
  }};
  const EntryOut out = [&](Entry& e) {
    document.AddEntry({e.time.start, e.time.end, std::move(e.text[0]), std::move(e.text[1]),
                       std::move(e.text[2])},
                      e.kept, false);
  };

  std::string format;
  if (vtt) {
    bool header = false;
    int skipped = 0;
    if (!ReadWebVtt(text, out, header, skipped)) return false;
    format = "WebVTT";
    if (!header) Join(tolerated, "no WEBVTT line");
    if (skipped > 0) {
      Join(tolerated, std::to_string(skipped) +
                          (skipped == 1 ? " block without a readable time line, skipped"
                                        : " blocks without a readable time line, skipped"));
    }
  } else if (ass) {
    int skipped = 0;
    if (!ReadAss(text, out, skipped)) return false;
    format = "ASS/SSA";
    if (skipped > 0) {
      Join(tolerated, std::to_string(skipped) +
                          (skipped == 1 ? " Dialogue line that cannot be read, skipped"
                                        : " Dialogue lines that cannot be read, skipped"));
    }
  } else {
    LineSplitter lines(text);
    std::string_view line;
    size_t first = 0;
    bool have;
    while ((have = lines.Next(line)) && IsBlankLine(line)) ++first;
    if (!have) return false;
    int64_t a = 0, b = 0;
    std::string_view entryText;
    if (ParseMicroDvd(line, a, b, entryText)) {
      format = "MicroDVD";
      if (!ReadLooseMicroDvd(lines, line, first, options, sink, out, tolerated)) return true;
    } else {
      Tolerated t;
      if (!ReadLooseSubRip(text, out, t)) return false;
      format = "SubRip";
      if (extension != ".SRT") Join(tolerated, "a SubRip file named " + std::string(extension));
      if (first > 0) Join(tolerated, "blank lines before the first entry");
      if (t.noCounter) Join(tolerated, "entries without counters");
      if (t.shortField) Join(tolerated, "one-digit time fields");
      if (t.dot) Join(tolerated, "\".\" before the milliseconds");
      if (t.noMillis) Join(tolerated, "times without milliseconds");
      if (t.blanks) Join(tolerated, "extra blanks in time lines");
      if (t.negative) Join(tolerated, "negative times, read as 0");
    }
  }

  undo.action = nullptr;
  document.Loaded = true;
  document.Report.TextIsUtf8 = unicode.form != UnicodeForm::None;
  document.Report.Notes.push_back("Read as " + format + " by the tolerant reader" +
                                  (tolerated.empty() ? "" : ": " + tolerated) + ".");
  return true;
}

}  // namespace kestrelpix
