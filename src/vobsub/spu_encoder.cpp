#include "vobsub/spu_encoder.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/number_text.h"
#include "vobsub/idx_writer.h"

namespace kestrelpix {

namespace {

// Command bytes of the control sequences.
constexpr uint8_t kCmdStartDisplay = 0x01;
constexpr uint8_t kCmdStopDisplay = 0x02;
constexpr uint8_t kCmdSetColor = 0x03;
constexpr uint8_t kCmdSetContrast = 0x04;
constexpr uint8_t kCmdSetArea = 0x05;
constexpr uint8_t kCmdSetFieldOffsets = 0x06;
constexpr uint8_t kCmdEnd = 0xFF;

// Bytes of the first control sequence, so the second starts at Q + 24.
constexpr int kFirstSequenceSize = 24;

bool Matches(uint8_t red, uint8_t green, uint8_t blue, const uint8_t key[3]) {
  return red == key[0] && green == key[1] && blue == key[2];
}

// Area command operand: x1, x2, y1, y2 as four 12-bit values, most
// significant bit first, in six bytes.
void WriteArea(ByteWriter& out, int x1, int x2, int y1, int y2) {
  BitWriter bits(out);
  bits.Put(static_cast<uint32_t>(x1), 12);  // x1[11..0]
  bits.Put(static_cast<uint32_t>(x2), 12);  // x2[11..0]
  bits.Put(static_cast<uint32_t>(y1), 12);  // y1[11..0]
  bits.Put(static_cast<uint32_t>(y2), 12);  // y2[11..0]
}

std::string ByteCountText(size_t bytes) { return std::to_string(bytes) + " bytes"; }

}  // namespace

ColorKeys ColorKeysFrom(ColorValue text, ColorValue outline, ColorValue antialias) {
  return ColorKeys{{RedOf(text), GreenOf(text), BlueOf(text)},
                   {RedOf(outline), GreenOf(outline), BlueOf(outline)},
                   {RedOf(antialias), GreenOf(antialias), BlueOf(antialias)}};
}

int ClassifyPixel(uint8_t red, uint8_t green, uint8_t blue, const ColorKeys& keys) {
  static constexpr uint8_t kBackground[3] = {RedOf(kBackgroundBlue), GreenOf(kBackgroundBlue),
                                             BlueOf(kBackgroundBlue)};
  int index = kIndexBackground;
  if (Matches(red, green, blue, keys.antialias)) index = kIndexAntialias;
  if (Matches(red, green, blue, keys.outline)) index = kIndexOutline;
  if (Matches(red, green, blue, keys.text)) index = kIndexText;
  if (Matches(red, green, blue, kBackground)) index = kIndexBackground;
  return index;
}

namespace {

// A pixel's three bytes in one number, blue in the low byte, for one
// comparison per key.
constexpr uint32_t PackRgb(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 | blue;
}
// Loads four bytes and keeps the pixel's three. The fourth byte belongs to
// the next pixel of the same row (every pixel read here has one after it).
uint32_t PackBgr(const uint8_t* pixel) {
  if constexpr (std::endian::native == std::endian::little) {
    uint32_t word;
    std::memcpy(&word, pixel, 4);
    return word & 0x00FFFFFF;
  } else {
    return PackRgb(pixel[2], pixel[1], pixel[0]);
  }
}

// ClassifyPixel with the keys packed once per row: the same order of tests,
// the later match winning.
struct PackedKeys {
  explicit PackedKeys(const ColorKeys& keys)
      : text(PackRgb(keys.text[0], keys.text[1], keys.text[2])),
        outline(PackRgb(keys.outline[0], keys.outline[1], keys.outline[2])),
        antialias(PackRgb(keys.antialias[0], keys.antialias[1], keys.antialias[2])) {}
  int Classify(uint32_t color) const {
    int index = kIndexBackground;
    if (color == antialias) index = kIndexAntialias;
    if (color == outline) index = kIndexOutline;
    if (color == text) index = kIndexText;
    if (color == kBackground) index = kIndexBackground;
    return index;
  }
  static constexpr uint32_t kBackground =
      PackRgb(RedOf(kBackgroundBlue), GreenOf(kBackgroundBlue), BlueOf(kBackgroundBlue));
  uint32_t text, outline, antialias;
};

// Number of set bits in a word whose bits can only be 0, 3, ..., 45, without
// a popcount instruction (not every x86-64 has one): neighbouring bits are
// added into 3-bit sums at 0, 6, ..., 42, and a multiplication gathers the
// eight sums in the field at 42.
int CountPixelBits(uint64_t bits) {
  const uint64_t pairs = (bits + (bits >> 3)) & 0x1C71C71C71C7;
  return static_cast<int>((pairs * 0x41041041041) >> 42 & 63);
}

// Starts of the runs among pixels 1 .. last of a row (last >= 1): pixel 1,
// then every pixel whose three bytes differ from the pixel before it.
// Writes them to `starts` in order and returns how many there are. `starts`
// has room for last + kStartsSlack entries: the unrolled writes below may
// put a few unused values past the count.
constexpr int kStartsSlack = 8;

int RunStarts(const uint8_t* row, int last, int32_t* starts) {
  int count = 0;
  starts[count++] = 1;
  int x = 2;
#if defined(__SSE2__)
  // Sixteen pixels at a time: their 48 bytes are compared with the 48 bytes
  // three before, giving a bit per byte; a pixel starts a run unless all
  // three of its bits are set. Pixel i of the block owns bit 3i.
  constexpr uint64_t kPixelBits = 0x249249249249;  // bits 0, 3, ..., 45
  for (; x + 15 <= last; x += 16) {
    const uint8_t* p = row + 3 * x;
    const auto load = [](const uint8_t* at) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    };
    const __m128i same0 = _mm_cmpeq_epi8(load(p), load(p - 3));
    const __m128i same1 = _mm_cmpeq_epi8(load(p + 16), load(p + 13));
    const __m128i same2 = _mm_cmpeq_epi8(load(p + 32), load(p + 29));
    // Sixteen pixels of one colour (the margins, the insides of long runs).
    if (_mm_movemask_epi8(_mm_and_si128(_mm_and_si128(same0, same1), same2)) == 0xFFFF) continue;
    const uint64_t equal0 = static_cast<uint32_t>(_mm_movemask_epi8(same0));
    const uint64_t equal1 = static_cast<uint32_t>(_mm_movemask_epi8(same1));
    const uint64_t equal2 = static_cast<uint32_t>(_mm_movemask_epi8(same2));
    const uint64_t equal = equal0 | equal1 << 16 | equal2 << 32;
    uint64_t changes = ~(equal & equal >> 1 & equal >> 2) & kPixelBits;
    // Four starts per step, the count advancing by the true number; a
    // block has two or three starts in typical text, so the loop usually
    // runs once.
    int32_t* out = starts + count;
    count += CountPixelBits(changes);
    do {
      for (int k = 0; k < 4; ++k) {
        out[k] = x + std::countr_zero(changes) / 3;
        changes &= changes - 1;
      }
      out += 4;
    } while (changes != 0);
  }
#endif
  for (; x <= last; ++x) {
    const uint8_t* p = row + 3 * x;
    if (p[0] != p[-3] || p[1] != p[-2] || p[2] != p[-1]) starts[count++] = x;
  }
  return count;
}

// Bits of the code for a run of n pixels, 1 <= n <= 255: the code's value
// v = 4n + index is written in 1 nibble for n 1..3 (nn cc), 2 for n 4..15
// (00 nnnn cc), 3 for n 16..63 (0000 nnnnnn cc) and 4 for n 64..255
// (000000 nnnnnnnn cc), so that a decoder can tell the length from the
// leading zero nibbles.
constexpr std::array<uint8_t, 256> kCodeBits = [] {
  std::array<uint8_t, 256> bits{};
  for (int n = 1; n < 256; ++n) bits[n] = n < 4 ? 4 : n < 16 ? 8 : n < 64 ? 12 : 16;
  return bits;
}();

// Run codes of one row into a buffer, most significant nibble first. Bits
// collect at the top of a 64-bit word; after each code the word is stored
// whole, big-endian, the store position advances by its whole bytes and
// the rest moves up, so no branch depends on the code lengths. Every code
// covers at least one pixel per nibble, so a row of w pixels needs at most
// w / 2 + 1 bytes, plus 8 for the last store.
struct RowCodes {
  uint8_t* next;         // where the next whole byte goes
  uint64_t pending = 0;  // the next `count` bits, at the top
  int count = 0;         // below 8 between codes

  void Code(int length, int index) {
    const uint64_t value = static_cast<uint64_t>(length) * 4 + static_cast<uint64_t>(index);
    const int bits = kCodeBits[static_cast<size_t>(length)];
    pending |= value << (64 - count - bits);
    count += bits;
    uint64_t word = pending;
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    std::memcpy(next, &word, 8);
    const int whole = count / 8;  // at most 2: count stays below 8 + 16
    next += whole;
    pending <<= 8 * whole;
    count -= 8 * whole;
  }
  // A run longer than 255 pixels is written as codes of 255 followed by the
  // rest, all with the run's index.
  void Run(int length, int index) {
    while (length > 255) {
      Code(255, index);
      length -= 255;
    }
    Code(length, index);
  }
  // Completes a half-written byte with a zero nibble.
  void Align() {
    if (count != 0) *next++ = static_cast<uint8_t>(pending >> 56);
    pending = 0;
    count = 0;
  }
};

}  // namespace

void EncodeRow(std::span<const uint8_t> bgrRow, const ColorKeys& keys, ByteWriter& out) {
  const PackedKeys packed(keys);
  const int width = static_cast<int>(bgrRow.size() / 3);
  // Pixels 1 .. width - 2 are cut into runs; pixel 0 is skipped and the last
  // pixel is never read.
  const int last = width - 2;
  const uint8_t* row = bgrRow.data();
  if (last >= 1) {
    // A frame row fits the buffers on the stack; a wider one gets them from
    // the heap.
    constexpr int kLocalWidth = 1024;
    std::array<int32_t, kLocalWidth + kStartsSlack> localStarts;
    std::array<uint8_t, kLocalWidth / 2 + 16> localBytes;
    std::vector<int32_t> wideStarts;
    std::vector<uint8_t> wideBytes;
    int32_t* starts = localStarts.data();
    uint8_t* bytes = localBytes.data();
    if (width > kLocalWidth) {
      wideStarts.resize(static_cast<size_t>(width) + kStartsSlack);
      wideBytes.resize(static_cast<size_t>(width) / 2 + 16);
      starts = wideStarts.data();
      bytes = wideBytes.data();
    }
    const int count = RunStarts(row, last, starts);
    // The last run stands for the unread last pixel too.
    starts[count] = last + 2;
    RowCodes codes{bytes};
    for (int i = 0; i < count; ++i) {
      const int x = starts[i];
      codes.Run(starts[i + 1] - x, packed.Classify(PackBgr(row + 3 * x)));
    }
    codes.Align();
    out.Bytes({bytes, static_cast<size_t>(codes.next - bytes)});
  }
  out.be16(0x0000);  // end of line: the rest of the row, index 0
}

int64_t StopDelayUnits(double StartTime, double EndTime) {
  const double span = EndTime - StartTime;
  if (!(span > 0)) return 0;  // an end before the start, or not a number
  const double units = span * 90.0 / 1024.0;
  // Far beyond any real display; keeps the conversion to an integer defined.
  if (units >= 9.0e15) return static_cast<int64_t>(9.0e15);
  return RoundHalfEven(units);
}

std::vector<uint8_t> EncodeSubpicture(const FrameBitmap& frame, int BandTop, int BandHeight,
                                      double StartTime, double EndTime, const ColorKeys& keys,
                                      MessageSink* sink) {
  if (frame.width() != kUnitFieldWidth) {
    throw Error("Frame width must be " + std::to_string(kUnitFieldWidth) + " pixels");
  }
  if (BandHeight < 1) throw Error("The subtitle band has no rows");
  // The whole band is checked before any row is read.
  const int64_t bandEnd = static_cast<int64_t>(BandTop) + BandHeight;  // one past the last row
  if (BandTop < 0 || bandEnd > frame.height()) throw Error("Scan line index out of range");
  // The area's row numbers are 12-bit values.
  if (bandEnd - 1 > 0xFFF) throw Error("Scan line index out of range");

  const size_t rowBytes = static_cast<size_t>(frame.width()) * 3;
  std::vector<uint8_t> unit;
  unit.reserve(4096);
  ByteWriter out(unit, kMaxUnitSize);

  ByteWriter::Slot unitSize = out.ReserveBe16();  // unit size
  ByteWriter::Slot control = out.ReserveBe16();   // Q: offset of the first control sequence
  out.be16(0x0000);                               // filler

  // Top field: even frame rows of the band, then the bottom field: odd rows.
  const size_t topOffset = out.size();
  for (int y = BandTop; y < bandEnd && !out.overflowed(); y += 2) {
    EncodeRow({frame.Row(y), rowBytes}, keys, out);
  }
  const size_t bottomOffset = out.size();
  for (int y = BandTop + 1; y < bandEnd && !out.overflowed(); y += 2) {
    EncodeRow({frame.Row(y), rowBytes}, keys, out);
  }

  const size_t q = out.size();
  out.SetBe16(control, static_cast<uint16_t>(q));

  int64_t delay = StopDelayUnits(StartTime, EndTime);
  if (delay > kMaxStopDelay) {
    if (sink) {
      sink->Warn("Subtitle at " + FormatIdxTime(StartTime) +
                 " lasts longer than a sub-picture can show it; the stop was set to " +
                 FormatIdxTime(kMaxStopDelay * 1024.0 / 90.0) + " after its start.");
    }
    delay = kMaxStopDelay;
  }

  // Control sequence 1: at the time stamp, start the display.
  const size_t second = q + kFirstSequenceSize;
  out.be16(0x0000);                         // SP_DCSQ_STM: delay 0
  out.be16(static_cast<uint16_t>(second));  // SP_NXT_DCSQ_SA: sequence 2
  out.u8(kCmdStartDisplay);                 // STA_DSP
  out.u8(kCmdSetColor);                     // SET_COLOR
  out.be16(0x0123);                         // index 3,2,1,0 -> palette 0,1,2,3
  out.u8(kCmdSetContrast);                  // SET_CONTR
  out.be16(0xFFF0);                         // index 3,2,1 opaque, index 0 transparent
  out.u8(kCmdSetArea);                      // SET_DAREA
  WriteArea(out, 0, kUnitFieldWidth - 1, BandTop, static_cast<int>(bandEnd - 1));
  out.u8(kCmdSetFieldOffsets);                    // SET_DSPXA
  out.be16(static_cast<uint16_t>(topOffset));     // top field
  out.be16(static_cast<uint16_t>(bottomOffset));  // bottom field
  out.u8(kCmdEnd);                                // CMD_END

  // Control sequence 2, the last: stop the display after the delay.
  out.be16(static_cast<uint16_t>(delay));   // SP_DCSQ_STM
  out.be16(static_cast<uint16_t>(second));  // SP_NXT_DCSQ_SA: itself, the last
  out.u8(kCmdStopDisplay);                  // STP_DSP
  out.u8(kCmdEnd);                          // CMD_END
  if (out.size() % 2 != 0) out.u8(0xFF);    // keeps the unit length even

  if (out.overflowed()) {
    throw SubpictureTooLargeError("Subtitle at " + FormatIdxTime(StartTime) +
                                  " is too complex to encode: its picture needs more than " +
                                  ByteCountText(kMaxUnitSize));
  }
  out.SetBe16(unitSize, static_cast<uint16_t>(out.size()));

  if (sink && unit.size() > static_cast<size_t>(kPlayerBufferSize)) {
    sink->Warn("Subtitle at " + FormatIdxTime(StartTime) + " needs " + ByteCountText(unit.size()) +
               ", more than the " + ByteCountText(kPlayerBufferSize) +
               " DVD players buffer; a DVD player may not show it.");
  }
  return unit;
}

std::vector<DisplaySpan> DisplaySpans(double StartTime, double EndTime) {
  // No span starts past the last time stamp the stream can carry (33 bits
  // of a 90 kHz clock, about 26.5 hours), which also bounds the count.
  constexpr double kLastTimeStampMs = 8589934591.0 / 90.0;
  std::vector<DisplaySpan> spans;
  double start = StartTime;
  while (StopDelayUnits(start, EndTime) > kMaxStopDelay && start + kMaxSpanMs < kLastTimeStampMs) {
    spans.push_back({start, start + kMaxSpanMs});
    start += kMaxSpanMs;
  }
  spans.push_back({start, EndTime});
  return spans;
}

}  // namespace kestrelpix
