#include "subtitle/subviewer_reader.h"

#include <optional>
#include <string>

#include "subtitle/subtitle_document.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

// start,end: two clock times with their hours, the fractions of a second
// after a "." (or ","), nothing else on the line but blanks.
std::optional<TimeSpan> ParseSubViewerTimes(std::string_view line) {
  line = Trim(line);
  Tolerated t;
  size_t i = 0;
  const auto start = ParseClock(line, i, false, t);
  if (!start || i >= line.size() || line[i] != ',') return std::nullopt;
  ++i;
  const auto end = ParseClock(line, i, false, t);
  if (!end || i != line.size()) return std::nullopt;
  return TimeSpan{*start, *end};
}

// A text line of a block: its pieces between "[br]" (any case) become lines.
void AddPieces(std::string_view line, Entry& entry) {
  while (!entry.kept.Lost()) {
    size_t br = std::string_view::npos;
    for (size_t at = line.find('['); at != std::string_view::npos; at = line.find('[', at + 1)) {
      if (SameNoCase(line.substr(at, 4), "[br]")) {
        br = at;
        break;
      }
    }
    std::string drawn = SubtitleDocument::RemoveTags(std::string(line.substr(0, br)));
    if (!IsBlankLine(drawn)) entry.Add(std::move(drawn));
    if (br == std::string_view::npos) return;
    line.remove_prefix(br + 4);
  }
}

}  // namespace

bool IsSubViewerLine(std::string_view line) {
  return SameNoCase(Trim(line), "[information]") || ParseSubViewerTimes(line).has_value();
}

void ReadSubViewer(std::string_view text, const EntryOut& out, size_t& skipped) {
  LineSplitter lines(text);
  std::optional<Entry> entry;
  for (std::string_view line; lines.Next(line);) {
    if (entry) {
      if (!IsBlankLine(line)) {
        AddPieces(line, *entry);
        continue;
      }
      out(*entry);
      entry.reset();
      continue;
    }
    if (IsBlankLine(line)) continue;
    if (const auto span = ParseSubViewerTimes(line)) {
      entry.emplace(*span);
    } else if (Trim(line)[0] != '[') {
      // Header lines ([TITLE]..., [COLF]&H...) say nothing of the text.
      ++skipped;
    }
  }
  if (entry) out(*entry);
}

}  // namespace kestrelpix
