// The sub-picture encoder: gives the colours of a frame band the four DVD
// pixel indices and lays the band out, run-length encoded as two interlaced
// fields, in one DVD sub-picture unit with the control sequences that start
// the display at the unit's time stamp and stop it after the entry's time.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "base/color.h"
#include "base/errors.h"
#include "base/message_sink.h"
#include "base/frame_bitmap.h"
#include "vobsub/byte_writer.h"

namespace kestrelpix {

// Pixel indices of the unit. The colour command of every unit maps them to
// palette entries 3 (background), 2 (text), 1 (outline) and 0 (antialias).
enum PixelIndex : uint8_t {
  kIndexBackground = 0,
  kIndexText = 1,
  kIndexOutline = 2,
  kIndexAntialias = 3,
};

// The red, green and blue bytes of the three drawn colours, taken once per
// run. The background key is always kBackgroundBlue.
struct ColorKeys {
  uint8_t text[3];
  uint8_t outline[3];
  uint8_t antialias[3];
};

ColorKeys ColorKeysFrom(ColorValue text, ColorValue outline, ColorValue antialias);

// Exact comparison against the keys: antialias 3, outline 2, text 1,
// background 0, each later match replacing an earlier one. So with equal
// keys text wins over outline over antialias, and a key equal to the
// background blue never yields its index. Unmatched colours give 0.
int ClassifyPixel(uint8_t red, uint8_t green, uint8_t blue, const ColorKeys& keys);

// The pixel index of each value of a frame: its colour's ClassifyPixel.
using ValueIndices = std::array<uint8_t, 256>;
ValueIndices IndicesOf(const IndexFrame& frame, const ColorKeys& keys);

// Unit limits.
constexpr int kMaxUnitSize = 65535;       // the 16-bit unit size field
constexpr int kPlayerBufferSize = 53220;  // the largest unit DVD players buffer
constexpr int64_t kMaxStopDelay = 65535;  // the 16-bit delay field, 1024/90000 s units
constexpr int kUnitFieldWidth = 720;      // columns of every encoded row

// Encodes one frame row (one colour value per pixel; 720 pixels in a frame)
// and appends its bytes to `out`. Pixel 0 is not encoded and the last pixel
// is never read: the last run is made one pixel longer instead, and the
// end-of-line code 00 00 supplies the final pixel as index 0. Runs are cut
// where the value changes, so where the colour changes, not where the index
// changes: two colours of one index (two that match no key) are two runs.
void EncodeRow(std::span<const uint8_t> row, const ValueIndices& indices, ByteWriter& out);

// The stop delay of an entry in 1024/90000 s units, rounded to the nearest
// integer (halves to even). An end before the start gives 0. Not limited to
// the 16-bit field; see DisplaySpans for longer displays.
int64_t StopDelayUnits(double StartTime, double EndTime);

// A unit larger than the 16-bit size field can describe. The entry cannot be
// encoded; its band holds far too many colour changes.
class SubpictureTooLargeError : public Error {
 public:
  using Error::Error;
};

// Encodes rows BandTop .. BandTop + BandHeight - 1 of a 720-pixel wide frame
// into one sub-picture unit. Times are the entry's times in milliseconds.
//
// Throws Error "Scan line index out of range" before reading anything when a
// band row lies outside the frame, Error for a frame that is not 720 pixels
// wide or an empty band, and SubpictureTooLargeError for a unit above 65535
// bytes. Warns through `sink` (when given) about a unit above the 53220
// bytes DVD players buffer, and about a display longer than the delay field
// holds (the stop is then written at the field's maximum, about 745.6 s;
// DisplaySpans splits such an entry so that it ends on time).
std::vector<uint8_t> EncodeSubpicture(const IndexFrame& frame, int BandTop, int BandHeight,
                                      double StartTime, double EndTime, const ColorKeys& keys,
                                      MessageSink* sink = nullptr);

// The same for a 24-bit picture of at most 256 colours (IndexPicture): the
// re-encoding of decoded pictures, and pictures drawn colour by colour.
std::vector<uint8_t> EncodeSubpicture(const FrameBitmap& picture, int BandTop, int BandHeight,
                                      double StartTime, double EndTime, const ColorKeys& keys,
                                      MessageSink* sink = nullptr);

// One stretch of an entry's display, to be encoded as a unit of its own.
struct DisplaySpan {
  double StartTime;
  double EndTime;
  bool operator==(const DisplaySpan&) const = default;
};

// The longest span DisplaySpans cuts: 745472 ms is 1456 x 512 ms, a whole
// number of milliseconds (so the next span's time stamp is exact) and of
// delay units (65520 of them), just below the 16-bit delay limit.
constexpr double kMaxSpanMs = 745472.0;

// Splits a display that the 16-bit stop delay cannot hold (longer than about
// 745.6 s) into consecutive spans: each but the last kMaxSpanMs long, the
// last ending at EndTime. An entry whose delay fits gives exactly one span,
// {StartTime, EndTime}. Every decoder reads a unit's delays as counted from
// that unit's own time stamp, so a long display needs several units (each
// with its own index line and time stamp) to stop at the entry's end.
std::vector<DisplaySpan> DisplaySpans(double StartTime, double EndTime);

}  // namespace kestrelpix
