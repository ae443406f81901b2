// The WebVTT reader: cue blocks, their markup and the settings that place
// them.
#include "subtitle/vtt_reader.h"

#include <optional>
#include <string>

#include "base/number_text.h"
#include "subtitle/markup.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

Placement WebVttPlacement(std::string_view settings) {
  int row = -1;     // 0 bottom, 3 middle, 6 top: added to the column
  int column = -1;  // 1 left, 2 centre, 3 right
  while (!settings.empty()) {
    const size_t blank = settings.find_first_of(" \t");
    const std::string_view setting = settings.substr(0, blank);
    settings = blank == std::string_view::npos ? std::string_view() : Trim(settings.substr(blank));
    if (setting.substr(0, 5) == "line:") {
      std::string_view value = setting.substr(5);
      value = value.substr(0, value.find(','));
      std::optional<double> percent;
      if (!value.empty() && value.back() == '%') {
        percent = TryStrToFloat(value.substr(0, value.size() - 1));
      } else if (const auto n = TryStrToInt(value)) {
        // A line is 5 1/3 % of the frame high; -1 is the last line.
        percent = *n >= 0 ? *n * 16.0 / 3 : 100 + *n * 16.0 / 3;
      }
      if (percent) row = *percent < 100.0 / 3 ? 6 : *percent > 200.0 / 3 ? 0 : 3;
    } else if (setting.substr(0, 6) == "align:") {
      const std::string_view value = setting.substr(6);
      if (value == "start" || value == "left") column = 1;
      if (value == "center" || value == "middle") column = 2;
      if (value == "end" || value == "right") column = 3;
    }
  }
  Placement place;
  if (row >= 0 || column >= 0) {
    place.Align = static_cast<uint8_t>((row >= 0 ? row : 0) + (column >= 0 ? column : 2));
  }
  return place;
}

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
    std::string_view settings;
    if (!skip) span = ParseTimeLine(line, true, t, &settings);
    have = lines.Next(line);
    if (!skip && !span && have && !IsBlankLine(line)) {
      span = ParseTimeLine(line, true, t, &settings);
      have = lines.Next(line);
    }
    if (!span) {
      if (!skip) ++skipped;
      while (have && !IsBlankLine(line)) have = lines.Next(line);
      continue;
    }
    Entry entry(*span);
    // The settings are a view of the line, read before the next is.
    entry.place = WebVttPlacement(settings);
    for (; have && !IsBlankLine(line); have = lines.Next(line)) {
      std::string cueText = RemoveWebVttMarkup(line);
      if (!IsBlankLine(cueText)) entry.Add(std::move(cueText));
    }
    out(entry);
    ++cues;
  }
  return header || cues > 0;
}

}  // namespace kestrelpix
