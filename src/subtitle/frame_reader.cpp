// The frame-numbered reader: lines of the form {start}{end}text, with the
// frame rate stated by the first line as {1}{1}25.000.
#include "subtitle/frame_reader.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

#include "base/errors.h"
#include "base/number_text.h"
#include "subtitle/line_reader.h"
#include "subtitle/load_report.h"
#include "subtitle/markup.h"
#include "subtitle/subtitle_document.h"

namespace kestrelpix {

namespace {

// Frame number to milliseconds: the frame times 1000 in 32-bit arithmetic,
// divided by the rate, rounded half to even. A product or a result that does
// not fit 32 bits is refused rather than wrapped into a wrong time.
int64_t FrameToMs(std::string_view frameText, double fps) {
  const int64_t frame = StrToInt(frameText);
  const int64_t product = frame * 1000;
  if (product > INT32_MAX || product < INT32_MIN) throw InvalidInteger(frameText);
  const double ms = std::nearbyint(static_cast<double>(product) / fps);
  if (!(ms <= INT32_MAX && ms >= INT32_MIN)) throw InvalidInteger(frameText);
  return static_cast<int64_t>(ms);
}

}  // namespace

bool IsFrameText(std::string_view bytes) {
  ByteLineReader reader(bytes);
  const std::string first = reader.LineStart(1);
  return !first.empty() && first[0] == '{';
}

std::optional<FrameRateLine> ParseFrameRateLine(std::string_view line) {
  if (line.substr(0, 6) != "{1}{1}" && line.substr(0, 6) != "{0}{0}") return std::nullopt;
  size_t i = line.find_first_not_of(" \t", 6);
  if (i == std::string_view::npos) return std::nullopt;
  std::string number;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') number += line[i++];
  if (number.empty()) return std::nullopt;
  if (i + 1 < line.size() && (line[i] == '.' || line[i] == ',') && line[i + 1] >= '0' &&
      line[i + 1] <= '9') {
    number += '.';
    for (++i; i < line.size() && line[i] >= '0' && line[i] <= '9';) number += line[i++];
  } else if (i < line.size() && (line[i] == '.' || line[i] == ',')) {
    ++i;  // "25." is 25
  }
  if (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '|') return std::nullopt;
  const std::optional<double> fps = TryStrToFloat(number);
  if (!fps) return std::nullopt;
  return FrameRateLine{*fps, line.substr(i)};
}

std::optional<double> ReadFrameRate(std::string_view line) {
  const std::optional<FrameRateLine> rate = ParseFrameRateLine(line);
  if (!rate) return std::nullopt;
  return rate->Fps;
}

std::string FrameRateLineText(std::string_view rest) {
  const size_t a = rest.find_first_not_of(" \t|");
  if (a == std::string_view::npos) return {};
  constexpr size_t kShown = 40;
  std::string shown(rest.substr(a, kShown));
  if (rest.size() - a > kShown) shown += "...";
  return "the frame-rate line's text after the rate, not shown: \"" + shown + "\"";
}

SubtitleEntry ParseFrameLine(std::string_view line, double fps) {
  // A line without "{" reads as if its first character followed the brace.
  const size_t brace = line.find('{');
  const size_t startBegin = brace == std::string_view::npos ? 0 : brace + 1;
  const size_t mid = line.find("}{", startBegin);
  std::string_view startText, endText, textPart;
  if (mid == std::string_view::npos) {
    startText = line.substr(startBegin);
  } else {
    startText = line.substr(startBegin, mid - startBegin);
    const size_t endBegin = mid + 2;
    const size_t close = line.find('}', endBegin);
    if (close == std::string_view::npos) {
      endText = line.substr(endBegin);
    } else {
      endText = line.substr(endBegin, close - endBegin);
      textPart = line.substr(close + 1);
    }
  }

  SubtitleEntry result;
  result.StartMs = FrameToMs(startText, fps);
  result.EndMs = FrameToMs(endText, fps);
  const size_t bar1 = textPart.find('|');
  if (bar1 == std::string_view::npos) {
    result.Text1 = textPart;
  } else {
    result.Text1 = textPart.substr(0, bar1);
    const std::string_view rest = textPart.substr(bar1 + 1);
    const size_t bar2 = rest.find('|');
    if (bar2 == std::string_view::npos) {
      result.Text2 = rest;
    } else {
      result.Text2 = rest.substr(0, bar2);
      result.Text3 = rest.substr(bar2 + 1);
    }
  }
  return result;
}

void ReadFrames(std::string_view bytes, SubtitleDocument& document, MessageSink& sink) {
  ByteLineReader reader(bytes);
  const std::string first = reader.ReadLine();
  const std::optional<FrameRateLine> rate = ParseFrameRateLine(first);
  const double fps = rate ? rate->Fps : 0;
  if (fps == 0) {
    sink.ShowMessage(
        "Please write at the first line of your *.txt subtitle the fps of this subtitle\r"
        "Example: {1}{1}25.000");
    document.Loaded = false;
    return;
  }
  document.Loaded = true;
  const std::string afterRate = FrameRateLineText(rate->Rest);
  if (!afterRate.empty()) document.Report.Notes.push_back("T" + afterRate.substr(1) + ".");
  for (size_t lineNumber = 2; !reader.AtEnd(); ++lineNumber) {
    std::string line = reader.ReadLine();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    // The line goes once parsed, so that a long one is not held three times
    // (as read, as parsed and in the document).
    SubtitleEntry parsed;
    try {
      parsed = ParseFrameLine(std::exchange(line, {}), fps);
    } catch (const ConvertError& e) {
      throw ReadStopped(lineNumber, document.LineCount() + 1, e.what());
    }
    KeptLines kept;
    if (parsed.Text3.find_first_not_of(" \t|") != std::string::npos) {
      // Text3 holds the third and any further lines, split at their bars.
      std::string_view rest = parsed.Text3;
      for (size_t bar; !kept.Lost() && (bar = rest.find('|')) != std::string_view::npos;
           rest.remove_prefix(bar + 1))
        kept.Add(RemoveSlashItalic(rest.substr(0, bar)));
      if (!kept.Lost()) kept.Add(RemoveSlashItalic(rest));
    }
    document.AddEntry({parsed.StartMs, parsed.EndMs, RemoveSlashItalic(parsed.Text1),
                       RemoveSlashItalic(parsed.Text2), RemoveSlashItalic(parsed.Text3)},
                      kept, false);
  }
}

}  // namespace kestrelpix
