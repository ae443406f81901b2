#include "subtitle/mpl2_reader.h"

#include <optional>
#include <string>

#include "subtitle/subtitle_document.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

// [start][end] at the start of the line, in tenths of a second; `text`
// receives the rest. Nine digits at most, so the times stay far inside
// 64 bits.
bool ParseMpl2(std::string_view line, TimeSpan& span, std::string_view& text) {
  size_t i = 0;
  size_t count = 0;
  std::optional<int64_t> times[2];
  for (auto& time : times) {
    if (i >= line.size() || line[i] != '[') return false;
    ++i;
    time = Digits(line, i, 9, count);
    if (!time || i >= line.size() || line[i] != ']') return false;
    ++i;
  }
  span = TimeSpan{*times[0] * 100, *times[1] * 100};
  text = line.substr(i);
  return true;
}

}  // namespace

bool IsMpl2Line(std::string_view line) {
  TimeSpan span;
  std::string_view text;
  return ParseMpl2(line, span, text);
}

void ReadMpl2(std::string_view text, const EntryOut& out, size_t& skipped) {
  LineSplitter lines(text);
  for (std::string_view line; lines.Next(line);) {
    if (IsBlankLine(line)) continue;
    TimeSpan span;
    std::string_view rest;
    if (!ParseMpl2(line, span, rest)) {
      ++skipped;
      continue;
    }
    Entry entry(span);
    for (bool more = true; more && !entry.kept.Lost();) {
      const size_t bar = rest.find('|');
      more = bar != std::string_view::npos;
      std::string_view part = Trim(rest.substr(0, bar));
      if (more) rest.remove_prefix(bar + 1);
      // "/" before a line makes it italic, which is not drawn.
      if (!part.empty() && part[0] == '/') part.remove_prefix(1);
      std::string drawn = SubtitleDocument::RemoveTags(std::string(part));
      if (!IsBlankLine(drawn)) entry.Add(std::move(drawn));
    }
    out(entry);
  }
}

}  // namespace kestrelpix
