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

std::optional<double> ReadFrameRate(std::string_view line) {
  if (line.substr(0, 6) != "{1}{1}") return std::nullopt;
  return StrToFloat(line.substr(6));
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
  double fps = 0;
  bool first = true;
  while (!reader.AtEnd()) {
    std::string line = reader.ReadLine();
    if (first) {
      fps = ReadFrameRate(line).value_or(0);
      first = false;
    }
    if (fps == 0) {
      sink.ShowMessage(
          "Please write at the first line of your *.txt subtitle the fps of this subtitle\r"
          "Example: {1}{1}25.000");
      document.Loaded = false;
      return;
    }
    // The first line passes through here too: it becomes an entry of its own.
    // The line goes once parsed, so that a long one is not held three times
    // (as read, as parsed and in the document).
    SubtitleEntry parsed = ParseFrameLine(std::exchange(line, {}), fps);
    KeptLines kept;
    if (parsed.Text3.find_first_not_of(" \t|") != std::string::npos) {
      // Text3 holds the third and any further lines, split at their bars.
      std::string_view rest = parsed.Text3;
      for (size_t bar; !kept.Lost() && (bar = rest.find('|')) != std::string_view::npos;
           rest.remove_prefix(bar + 1))
        kept.Add(SubtitleDocument::RemoveTags(std::string(rest.substr(0, bar))));
      if (!kept.Lost()) kept.Add(SubtitleDocument::RemoveTags(std::string(rest)));
    }
    document.AddEntry(
        {parsed.StartMs, parsed.EndMs, SubtitleDocument::RemoveTags(std::move(parsed.Text1)),
         SubtitleDocument::RemoveTags(std::move(parsed.Text2)),
         SubtitleDocument::RemoveTags(std::move(parsed.Text3))},
        kept, false);
    document.Loaded = true;
  }
}

}  // namespace kestrelpix
