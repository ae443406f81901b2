// The SubRip reader: a line scanner keyed on fixed columns. It looks only
// for time lines, takes the two times from fixed positions, and takes the
// three lines after each time line as text.
#include "subtitle/srt_reader.h"

#include <cstdint>
#include <optional>

#include "base/number_text.h"
#include "subtitle/line_reader.h"
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

}  // namespace

bool IsSrtText(std::string_view bytes) {
  ByteLineReader reader(bytes);
  reader.ReadLine(0);
  return ArrowAtColumn14(reader.LineStart(16));
}

bool IsSrtTimeLine(std::string_view line) { return line.size() >= 29 && ArrowAtColumn14(line); }

int64_t SrtTimeToMs(std::string_view time) {
  // hh:mm:ss,mmm; the separators at columns 3, 6 and 9 are not examined.
  auto field = [&](size_t start, size_t count) {
    return start < time.size() ? time.substr(start, count) : std::string_view();
  };
  const int64_t hours = StrToInt(field(0, 2));
  const int64_t minutes = StrToInt(field(3, 2));
  const int64_t seconds = StrToInt(field(6, 2));
  const int64_t millis = StrToInt(field(9, std::string_view::npos));
  // Two- and three-character fields keep the sum well inside 32 bits.
  return hours * 3600000 + minutes * 60000 + seconds * 1000 + millis;
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
  auto dropped = [&](std::string text, bool keep) {
    if (!entry || IsBlank(text)) return;
    if (keep) {
      entry->kept.Add(SubtitleDocument::RemoveTags(std::move(text)));
    } else {
      entry->lost = true;
    }
  };
  while (!reader.AtEnd()) {
    std::string line = reader.ReadLine();
    if (IsSrtTimeLine(line)) {
      held.clear();
      // A time that does not convert stops reading: the entries before it
      // stay, with all of their text.
      finish();
      const int64_t start = SrtTimeToMs(std::string_view(line).substr(0, 12));
      const int64_t end = SrtTimeToMs(std::string_view(line).substr(17, 12));
      // Exactly three lines follow a time line, whatever they hold.
      std::string text1 = reader.ReadLine();
      std::string text2 = reader.ReadLine();
      std::string text3 = reader.ReadLine();
      std::string lost2, lost3;
      if (text1.empty()) lost2 = std::move(text2), text2.clear();
      if (text2.empty()) lost3 = std::move(text3), text3.clear();
      std::string kept3 = text3;
      entry.emplace();
      entry->line = {start, end, SubtitleDocument::RemoveTags(std::move(text1)),
                     SubtitleDocument::RemoveTags(std::move(text2)),
                     SubtitleDocument::RemoveTags(std::move(text3))};
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
