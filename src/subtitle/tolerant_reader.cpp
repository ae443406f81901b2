// The tolerant reading, tried where the SubRip and frame-numbered format
// tests refuse a file or their readers stop in it: what players read is
// read here too. UTF-16 and UTF-32 become UTF-8, any line ends and leading
// blank lines are accepted; under .srt, .sub and .txt the first line of a
// known form decides between MicroDVD (a byte-order mark, junk lines, a
// {0}{0} header or no frame rate allowed), MPL2, SubViewer 2, TMPlayer and
// SubRip found by its time lines in a loose form; WebVTT and ASS/SSA files
// are read by their own readers. What was tolerated becomes one note.
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
#include "subtitle/ass_reader.h"
#include "subtitle/frame_reader.h"
#include "subtitle/markup.h"
#include "subtitle/mpl2_reader.h"
#include "subtitle/reader_parts.h"
#include "subtitle/subtitle_document.h"
#include "subtitle/subviewer_reader.h"
#include "subtitle/tmplayer_reader.h"
#include "subtitle/unicode_text.h"
#include "subtitle/vtt_reader.h"

namespace kestrelpix {

namespace {

bool IsCounter(std::string_view line) {
  const std::string_view counter = Trim(line);
  return !counter.empty() && counter.find_first_not_of("0123456789") == std::string_view::npos;
}

// SubRip found by its time lines: the text of an entry runs to the next
// time line; a line of digits just before a time line is its counter. A
// line holding "-->" where a time line goes (first, or after a blank line
// or a counter) that cannot be read loses its entry: it and the text up to
// the next time line are counted in `unread`, the first by its line number.
bool ReadLooseSubRip(std::string_view text, const EntryOut& out, Tolerated& t, size_t& unread,
                     size_t& firstUnread) {
  LineSplitter lines(text);
  Entry entry(TimeSpan{});  // the entry being read, while `open`
  bool open = false;
  bool any = false;
  // The last line read after the entry's time line: the next entry's
  // counter or the entry's text, as the next line shows.
  std::optional<std::string_view> pending;
  auto add = [&](std::string_view line) {
    if (IsBlankLine(line)) return;
    if (entry.place.Align == 0) entry.place.Align = OverrideAlign(line);
    entry.Add(SubtitleDocument::RemoveTags(std::string(line)));
  };
  auto finish = [&] {
    if (pending && !IsCounter(*pending)) {
      t.noCounter = true;
      add(*pending);
    }
    pending.reset();
    out(entry);
    open = false;
  };
  std::string_view line, previous;
  for (size_t k = 0; lines.Next(line); ++k, previous = line) {
    if (const auto span = ParseTimeLine(line, false, t)) {
      if (!open) {
        if (k == 0) t.noCounter = true;
      } else {
        finish();
      }
      entry = Entry(*span);
      open = any = true;
    } else if (line.find("-->") != std::string_view::npos &&
               (k == 0 || IsBlankLine(previous) || IsCounter(previous))) {
      if (open) finish();
      if (unread++ == 0) firstUnread = k + 1;
    } else if (open) {
      if (pending) add(*pending);
      pending = line;
    }
  }
  if (open) {
    if (pending) add(*pending);
    out(entry);
  }
  return any;
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

// MicroDVD found by its {start}{end} lines, from `line`, the first line
// of a known form, on (`skippedBefore` lines of no form came before it). A {0}{0} or {1}{1} line
// may state the frame rate; without it frames are counted at the chosen rate, and with none chosen
// the frame-rate message is shown and false returned.
bool ReadLooseMicroDvd(LineSplitter& lines, std::string_view line, size_t blanksBefore,
                       size_t skippedBefore, const LoadOptions& options, MessageSink& sink,
                       const EntryOut& out, std::string& tolerated) {
  int64_t a = 0, b = 0;
  std::string_view entryText;
  ParseMicroDvd(line, a, b, entryText);
  if (blanksBefore > 0) Join(tolerated, "blank lines before the first entry");
  // A {0}{0} or {1}{1} line holding a number is the frame-rate line, no
  // subtitle; a rate of 0 there is no rate.
  const std::optional<FrameRateLine> ownRate = ParseFrameRateLine(line);
  const bool rateLine = ownRate.has_value();
  double fps = rateLine ? ownRate->Fps : 0;
  std::string_view rateText =
      rateLine ? Trim(entryText.substr(0, entryText.size() - ownRate->Rest.size())) : "";
  if (rateLine) {
    const std::string rest = FrameRateLineText(ownRate->Rest);
    if (!rest.empty()) Join(tolerated, rest);
  }
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
  size_t skipped = skippedBefore;
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
      std::string part = RemoveSlashItalic(entryText.substr(0, bar));
      if (!IsBlankLine(part)) entry.Add(std::move(part));
    }
    if (!entry.kept.Lost()) {
      std::string part = RemoveSlashItalic(entryText);
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
                  SubtitleDocument& document, MessageSink& sink, const LoadOptions& options,
                  const ReadStopped* stopped) {
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
                       std::move(e.text[2]), e.place},
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
      Join(tolerated, Counted(skipped, "block without a readable time line, skipped",
                              "blocks without a readable time line, skipped"));
    }
  } else if (ass) {
    int skipped = 0;
    if (!ReadAss(text, out, skipped)) return false;
    format = "ASS/SSA";
    if (skipped > 0) {
      Join(tolerated, Counted(skipped, "Dialogue line that cannot be read, skipped",
                              "Dialogue lines that cannot be read, skipped"));
    }
  } else {
    // The first line of a known form decides the format; lines of no form
    // before it (a title, a note pasted in) are counted as skipped.
    LineSplitter lines(text);
    std::string_view line;
    size_t first = 0, junk = 0;
    bool have;
    int64_t a = 0, b = 0;
    std::string_view entryText;
    Tolerated probe;
    while ((have = lines.Next(line))) {
      if (IsBlankLine(line)) {
        if (junk == 0) ++first;
        continue;
      }
      if (ParseMicroDvd(line, a, b, entryText) || IsMpl2Line(line) || IsSubViewerLine(line) ||
          IsTmPlayerLine(line) || ParseTimeLine(line, false, probe)) {
        break;
      }
      ++junk;
    }
    if (!have) return false;
    size_t skipped = 0;
    if (ParseMicroDvd(line, a, b, entryText)) {
      format = "MicroDVD";
      if (!ReadLooseMicroDvd(lines, line, first, junk, options, sink, out, tolerated)) return true;
    } else if (IsMpl2Line(line)) {
      format = "MPL2";
      ReadMpl2(text, out, skipped);
    } else if (IsSubViewerLine(line)) {
      format = "SubViewer";
      ReadSubViewer(text, out, skipped);
    } else if (IsTmPlayerLine(line)) {
      format = "TMPlayer";
      bool openEnd = false;
      ReadTmPlayer(text, out, skipped, openEnd);
      if (openEnd) {
        Join(tolerated, "the last entry has no end and is shown for " +
                            std::to_string(kTmPlayerLastEntryMs / 1000) + " seconds");
      }
    } else {
      Tolerated t;
      size_t unread = 0, firstUnread = 0;
      if (!ReadLooseSubRip(text, out, t, unread, firstUnread)) return false;
      format = "SubRip";
      if (extension != ".SRT") Join(tolerated, "a SubRip file named " + std::string(extension));
      if (first > 0) Join(tolerated, "blank lines before the first entry");
      if (t.noCounter) Join(tolerated, "entries without counters");
      if (t.shortField) Join(tolerated, "one-digit time fields");
      if (t.dot) Join(tolerated, "\".\" before the milliseconds");
      if (t.noMillis) Join(tolerated, "times without milliseconds");
      if (t.blanks) Join(tolerated, "extra blanks in time lines");
      if (t.negative) Join(tolerated, "negative times, read as 0");
      if (t.blankZeros) Join(tolerated, "blanks for zeros in times");
      if (unread > 0) {
        Join(tolerated, Counted(unread, "entry", "entries") +
                            " whose time line cannot be read, skipped (the first at line " +
                            std::to_string(firstUnread) + ")");
      }
    }
    if (skipped > 0) {
      Join(tolerated, Counted(skipped, "line that is no entry, skipped",
                              "lines that are no entries, skipped"));
    }
  }

  undo.action = nullptr;
  document.Loaded = true;
  document.Report.TextIsUtf8 = unicode.form != UnicodeForm::None;
  // After a strict reader stopped, the note names where.
  const std::string why = stopped ? " as the strict reading stopped at line " +
                                        std::to_string(stopped->Line) + " (entry " +
                                        std::to_string(stopped->Entry) + ": " + stopped->Why + ")"
                                  : "";
  document.Report.Notes.push_back("Read as " + format + " by the tolerant reader" + why +
                                  (tolerated.empty() ? "" : ": " + tolerated) + ".");
  return true;
}

}  // namespace kestrelpix
