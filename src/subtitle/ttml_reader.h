// The TTML / DFXP reader (.ttml, .dfxp, .xml): the <p> elements of an XML
// document whose root is <tt>, read with pugixml. Elements and attributes
// are matched by their local names, whatever prefix a file gives them
// (files use prefixes they never declare).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrelpix {

class SubtitleDocument;
struct LoadOptions;

// How long an entry whose <p> gives no end, and whose parents give none, is
// shown.
constexpr int64_t kTtmlOpenEndMs = 5000;

// The frame and tick rates that time expressions count in, from the root's
// ttp: parameters.
struct TtmlRates {
  double FrameRate = 30;           // ttp:frameRate
  double FrameRateMultiplier = 1;  // ttp:frameRateMultiplier "1000 1001"
  double SubFrameRate = 1;         // ttp:subFrameRate
  // ttp:tickRate; without it ticks are sub-frames when a frame rate is
  // given, else seconds.
  std::optional<double> TickRate;
  bool FrameRateGiven = false;
  // ttp:timeBase="smpte": a clock time is a time code, its seconds labels
  // of FrameRate frames each, so at 29.97 frames per second 00:01:00:00 is
  // frame 1800, 60.06 s.
  bool Smpte = false;

  double EffectiveFrameRate() const { return FrameRate * FrameRateMultiplier; }
  double EffectiveTickRate() const {
    return TickRate ? *TickRate : FrameRateGiven ? EffectiveFrameRate() * SubFrameRate : 1;
  }
};

// A time expression in milliseconds (rounded): a clock time hh:mm:ss,
// hh:mm:ss.fff or hh:mm:ss:ff[.sub] (frames and sub-frames), or an offset
// such as 12.5s, 1.5m, 2h, 500ms, 360f or 1374000000t. Empty when it is
// none of these. Drop-frame time codes are counted as non-drop.
std::optional<int64_t> TtmlTimeToMs(std::string_view text, const TtmlRates& rates);

// The first element of the text (after a byte-order mark, an XML
// declaration, comments and a DOCTYPE) is <tt>, with any prefix.
bool IsTtmlText(std::string_view bytes);

// Reads every timed <p> into the document in file order: its time from
// begin, end and dur, each counted from the begin of its parent div and
// body; its text with <br/> breaking lines, <span> text kept and blanks
// collapsed unless xml:space="preserve"; its place from its region's
// displayAlign and origin and its textAlign. The text stays in the file's
// encoding unless it is UTF-16 or UTF-32 (then UTF-8). Malformed XML or a
// time that is no time expression throws ConvertError naming the file
// (options.FileName), the entry and the line, before the document changes.
void ReadTtml(std::string_view bytes, bool clearFirst, SubtitleDocument& document,
              const LoadOptions& options);

}  // namespace kestrelpix
