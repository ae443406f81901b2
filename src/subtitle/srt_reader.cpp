// The SubRip reader: a line scanner keyed on fixed columns. It looks only
// for time lines, takes the two times from fixed positions, and takes the
// three lines after each time line as text.
#include "subtitle/srt_reader.h"

#include <cstdint>
#include <optional>

#include "base/errors.h"
#include "base/number_text.h"
#include "subtitle/line_reader.h"
#include "subtitle/reader_parts.h"
#include "subtitle/subtitle_document.h"

namespace kestrelpix {

namespace {

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

// Columns 14 to 16 (1-based) hold the arrow.
bool ArrowAtColumn14(std::string_view line) {
  return line.size() >= 16 && line.substr(13, 3) == "-->";
}

// The digits after the comma as a fraction of a second: "5" and "50" are
// 500 ms, "050" 50 ms. Blanks before the digits stand for zeros, so " 9"
// is 90 ms; blanks after them are no part of it. Other text is read as an
// integer count of milliseconds, which throws unless it is one.
int64_t FractionToMs(std::string_view text) {
  const std::string_view digits = text.substr(0, text.find_last_not_of(" \t") + 1);
  const size_t first = digits.find_first_not_of(' ');
  if (first != std::string_view::npos && digits.size() <= 3 &&
      digits.find_first_not_of("0123456789", first) == std::string_view::npos) {
    int64_t ms = 0;
    for (size_t k = 0; k < 3; ++k)
      ms = ms * 10 + (k < digits.size() && digits[k] != ' ' ? digits[k] - '0' : 0);
    return ms;
  }
  return StrToInt(text);
}

}  // namespace

bool IsSrtText(std::string_view bytes) {
  ByteLineReader reader(bytes);
  reader.ReadLine(0);
  return ArrowAtColumn14(reader.LineStart(16));
}

bool IsSrtTimeLine(std::string_view line) { return line.size() >= 27 && ArrowAtColumn14(line); }

int64_t SrtTimeToMs(std::string_view time) {
  // hh:mm:ss,mmm; the separators at columns 3, 6 and 9 are not examined.
  auto field = [&](size_t start, size_t count) {
    return start < time.size() ? time.substr(start, count) : std::string_view();
  };
  const int64_t hours = StrToInt(field(0, 2));
  const int64_t minutes = StrToInt(field(3, 2));
  const int64_t seconds = StrToInt(field(6, 2));
  return hours * 3600000 + minutes * 60000 + seconds * 1000 +
         FractionToMs(field(9, std::string_view::npos));
}

void ReadSrt(std::string_view bytes, SubtitleDocument& document) {
  ByteLineReader reader(bytes);
  // The entry being read is added once the next time line, or the end,
  // shows that no more of its text follows.
  struct Entry {
    SubtitleEntry line;
    KeptLines kept;
    bool lost = false;
  };
  std::optional<Entry> entry;
  auto finish = [&] {
    if (entry) document.AddEntry(std::move(entry->line), entry->kept, entry->lost);
    entry.reset();
  };
  // Text the reader does not draw is noted for the entry it follows: a
  // third line, lines read after a blank one, and lines skipped between
  // entries. The line just before a time line is its counter, so a skipped
  // line is held until the next line shows what it was.
  std::string held;
  size_t lineNumber = 0;  // of the line last read
  auto dropped = [&](std::string text, bool keep) {
    if (!entry || IsBlank(text)) return;
    if (keep) {
      entry->kept.Add(SubtitleDocument::RemoveTags(std::move(text)));
    } else {
      entry->lost = true;
    }
  };
  // A time line that is not read stops reading: the entries before it stay,
  // with all of their text.
  auto stop = [&](std::string why) {
    finish();
    throw ReadStopped(lineNumber, document.LineCount() + 1, std::move(why));
  };
  Tolerated loose;
  while (!reader.AtEnd()) {
    std::string line = reader.ReadLine();
    ++lineNumber;
    if (IsSrtTimeLine(line)) {
      held.clear();
      int64_t start = 0, end = 0;
      try {
        start = SrtTimeToMs(std::string_view(line).substr(0, 12));
        end = SrtTimeToMs(std::string_view(line).substr(17, 12));
      } catch (const ConvertError& e) {
        stop(e.what());
      }
      finish();
      // Exactly three lines follow a time line, whatever they hold.
      std::string text1 = reader.ReadLine();
      std::string text2 = reader.ReadLine();
      std::string text3 = reader.ReadLine();
      lineNumber += 3;
      std::string lost2, lost3;
      if (text1.empty()) lost2 = std::move(text2), text2.clear();
      if (text2.empty()) lost3 = std::move(text3), text3.clear();
      std::string kept3 = text3;
      // The first {\anN} or {\aN} of the drawn lines places the entry.
      Placement place;
      for (const std::string* text : {&text1, &text2, &text3}) {
        if (place.Align == 0) place.Align = OverrideAlign(*text);
      }
      entry.emplace();
      entry->line = {start,
                     end,
                     SubtitleDocument::RemoveTags(std::move(text1)),
                     SubtitleDocument::RemoveTags(std::move(text2)),
                     SubtitleDocument::RemoveTags(std::move(text3)),
                     place};
      // The last line read may be the next entry's counter; a time line
      // swallowed here loses its entry, and it and its counter are no text
      // of this one.
      const bool nextIsTime = IsSrtTimeLine(reader.PeekLine());
      const bool time3 = IsSrtTimeLine(lost3);
      if (!(nextIsTime && !kept3.empty())) dropped(std::move(kept3), true);
      if (!time3) dropped(lost2, !IsSrtTimeLine(lost2));
      if (time3) {
        dropped(lost3, false);
      } else if (!nextIsTime) {
        dropped(lost3, true);
      }
    } else if (line.find("-->") != std::string::npos && ParseTimeLine(line, false, loose)) {
      // A time line out of the fixed columns would be taken as text.
      stop("a time line not in the SubRip columns");
    } else {
      dropped(std::move(held), true);
      held = std::move(line);
    }
    document.Loaded = true;
  }
  dropped(std::move(held), true);
  finish();
}

}  // namespace kestrelpix
