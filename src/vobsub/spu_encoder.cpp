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

ValueIndices IndicesOf(const IndexFrame& frame, const ColorKeys& keys) {
  ValueIndices indices{};
  const std::vector<ColorValue>& colors = frame.colors();
  for (size_t v = 0; v < colors.size() && v < indices.size(); ++v) {
    const ColorValue c = colors[v];
    indices[v] = static_cast<uint8_t>(ClassifyPixel(RedOf(c), GreenOf(c), BlueOf(c), keys));
  }
  return indices;
}

namespace {

// Marks the starts of the runs among pixels 1 .. last of a row (last >= 1)
// in `starts`, bit x for pixel x: every pixel from 2 on whose value differs
// from the one before it, and bit last + 2, where the last run ends (it
// stands for the unread pixel last + 1 too). Pixel 1, which always starts
// a run, is left unmarked. `starts` holds (last + 2) / 64 + 1 words.
void MarkRunStarts(const uint8_t* row, int last, uint64_t* starts) {
  const int words = (last + 2) / 64 + 1;
  std::fill(starts, starts + words, 0);
  int x = 2;
#if defined(__SSE2__)
  // Sixteen pixels compared with the sixteen one before: a pixel starts a
  // run where its byte of the comparison is clear. No branch depends on
  // the values. Blocks may overlap: a bit set twice is set.
  const auto changes = [row](int at) -> uint64_t {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + at));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + at - 1));
    return ~static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, before))) & 0xFFFF;
  };
  if (last >= 64) {
    // Pixels 2 .. 63 (pixel 1 compared too, its bit cleared), then whole
    // words, then the last sixteen pixels.
    starts[0] = (changes(1) << 1 | changes(16) << 16 | changes(32) << 32 | changes(48) << 48) &
                ~uint64_t{2};
    for (x = 64; x + 63 <= last; x += 64) {
      starts[x >> 6] =
          changes(x) | changes(x + 16) << 16 | changes(x + 32) << 32 | changes(x + 48) << 48;
    }
    for (; x + 15 <= last; x += 16) starts[x >> 6] |= changes(x) << (x & 63);
    if (x <= last) {
      const int at = last - 15;
      const uint64_t tail = changes(at);
      starts[at >> 6] |= tail << (at & 63);
      if ((at & 63) > 48) starts[(at >> 6) + 1] |= tail >> (64 - (at & 63));
      x = last + 1;
    }
  }
#endif
  for (; x <= last; ++x) {
    if (row[x] != row[x - 1]) starts[x >> 6] |= uint64_t{1} << (x & 63);
  }
  starts[(last + 2) >> 6] |= uint64_t{1} << ((last + 2) & 63);
}

// Nibbles of the code for a run of n pixels of index c, 1 <= n <= 255: the
// code's value v = 4n + c is written in 1 nibble for n 1..3 (nn cc), 2 for
// n 4..15 (00 nnnn cc), 3 for n 16..63 (0000 nnnnnn cc) and 4 for n
// 64..255 (000000 nnnnnnnn cc), so that a decoder can tell the length from
// the leading zero nibbles.
constexpr int CodeNibbleCount(int n) { return n < 4 ? 1 : n < 16 ? 2 : n < 64 ? 3 : 4; }

// Entry 4n + c: eight bytes that, stored in memory order, hold the code's
// nibbles one per byte, most significant first, then zeros, and in the last
// byte the number of nibbles.
constexpr std::array<uint64_t, 1024> kCodeNibbles = [] {
  constexpr bool little = std::endian::native == std::endian::little;
  // The shift that puts a value into byte k of the eight in memory.
  const auto at = [](int k) { return little ? 8 * k : 56 - 8 * k; };
  std::array<uint64_t, 1024> codes{};
  for (int v = 4; v < 1024; ++v) {
    const int count = CodeNibbleCount(v / 4);
    uint64_t code = static_cast<uint64_t>(count) << at(7);
    for (int k = 0; k < count; ++k) {
      code |= static_cast<uint64_t>(v >> (4 * (count - 1 - k)) & 0xF) << at(k);
    }
    codes[v] = code;
  }
  return codes;
}();

// Writes the code of value v = 4n + c as nibbles, one per byte, at `at`,
// and returns where the next code goes. Eight bytes are written whatever
// the code's length; the next code overwrites those past it.
inline uint8_t* WriteCode(uint8_t* at, int v) {
  constexpr int kCountShift = std::endian::native == std::endian::little ? 56 : 0;
  const uint64_t code = kCodeNibbles[static_cast<size_t>(v)];
  std::memcpy(at, &code, 8);
  return at + (code >> kCountShift & 0xFF);
}

// A run longer than 255 pixels is written as codes of 255 followed by the
// rest, all with the run's index.
inline uint8_t* WriteRun(uint8_t* at, int length, int index) {
  for (; length > 255; length -= 255) at = WriteCode(at, 255 * 4 + index);
  return WriteCode(at, length * 4 + index);
}

// Buffers for a row's codes, first as one nibble per byte, then packed two
// to a byte. Every code covers at least one pixel per nibble, so a row of
// w pixels needs at most w nibbles.
class RowCodes {
 public:
  // Room for a row of `width` pixels.
  explicit RowCodes(int width) {
    const size_t room = static_cast<size_t>(width) + kSlack;
    if (room > local_nibbles_.size()) {
      wide_nibbles_.resize(room);
      wide_bytes_.resize(room / 2 + kSlack);
      nibbles_ = wide_nibbles_.data();
      bytes_ = wide_bytes_.data();
    }
  }

  uint8_t* nibbles() { return nibbles_; }

  // The nibbles up to `end` packed into bytes, the first of a pair in the
  // high half, a zero nibble completing the last byte.
  std::span<const uint8_t> Pack(uint8_t* end) {
    size_t count = static_cast<size_t>(end - nibbles_);
    if (count % 2 != 0) nibbles_[count++] = 0;
    const size_t size = count / 2;
    size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes from 32 nibbles: as 16-bit lanes, the first nibble of a
    // pair is the low byte and moves up by 4, the second comes down by 8.
    // The nibbles past `count` are read but their bytes are not kept.
    const __m128i mask = _mm_set1_epi16(0x00F0);
    for (; i < size; i += 16) {
      const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(nibbles_ + 2 * i));
      const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(nibbles_ + 2 * i + 16));
      const __m128i a =
          _mm_or_si128(_mm_and_si128(_mm_slli_epi16(low, 4), mask), _mm_srli_epi16(low, 8));
      const __m128i b =
          _mm_or_si128(_mm_and_si128(_mm_slli_epi16(high, 4), mask), _mm_srli_epi16(high, 8));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes_ + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < size; ++i) {
      bytes_[i] = static_cast<uint8_t>(nibbles_[2 * i] << 4 | nibbles_[2 * i + 1]);
    }
    return {bytes_, size};
  }

 private:
  // Past the last nibble: the eight bytes of the last code's copy, the pad
  // nibble, and the whole 32-nibble block the packing reads.
  static constexpr size_t kSlack = 40;

  std::array<uint8_t, 1024 + kSlack> local_nibbles_;
  std::array<uint8_t, 512 + kSlack> local_bytes_;
  std::vector<uint8_t> wide_nibbles_;
  std::vector<uint8_t> wide_bytes_;
  uint8_t* nibbles_ = local_nibbles_.data();
  uint8_t* bytes_ = local_bytes_.data();
};

}  // namespace

void EncodeRow(std::span<const uint8_t> row, const ValueIndices& indices, ByteWriter& out) {
  const int width = static_cast<int>(row.size());
  // Pixels 1 .. width - 2 are cut into runs; pixel 0 is skipped and the last
  // pixel is never read.
  const int last = width - 2;
  const uint8_t* values = row.data();
  if (last >= 1) {
    // A frame row fits the buffers on the stack; a wider one gets them from
    // the heap.
    constexpr int kLocalWidth = 1024;
    std::array<uint64_t, kLocalWidth / 64 + 1> localStarts;
    std::vector<uint64_t> wideStarts;
    uint64_t* starts = localStarts.data();
    if (width > kLocalWidth) {
      wideStarts.resize(static_cast<size_t>(width) / 64 + 1);
      starts = wideStarts.data();
    }
    MarkRunStarts(values, last, starts);
    RowCodes codes(width);
    uint8_t* at = codes.nibbles();
    int start = 1;
    for (int k = 0; k <= (last + 2) >> 6; ++k) {
      for (uint64_t w = starts[k]; w != 0; w &= w - 1) {
        const int next = (k << 6) + std::countr_zero(w);
        at = WriteRun(at, next - start, indices[values[start]]);
        start = next;
      }
    }
    out.Bytes(codes.Pack(at));
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

std::vector<uint8_t> EncodeSubpicture(const IndexFrame& frame, int BandTop, int BandHeight,
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

  const size_t rowBytes = static_cast<size_t>(frame.width());
  // One classification per colour of the frame, not one per pixel. The
  // colours are the entry's own: they need not be the colours the keys were
  // taken from.
  const ValueIndices indices = IndicesOf(frame, keys);
  std::vector<uint8_t> unit;
  unit.reserve(4096);
  ByteWriter out(unit, kMaxUnitSize);

  ByteWriter::Slot unitSize = out.ReserveBe16();  // unit size
  ByteWriter::Slot control = out.ReserveBe16();   // Q: offset of the first control sequence
  out.be16(0x0000);                               // filler

  // Top field: even frame rows of the band, then the bottom field: odd rows.
  const size_t topOffset = out.size();
  for (int y = BandTop; y < bandEnd && !out.overflowed(); y += 2) {
    EncodeRow({frame.Row(y), rowBytes}, indices, out);
  }
  const size_t bottomOffset = out.size();
  for (int y = BandTop + 1; y < bandEnd && !out.overflowed(); y += 2) {
    EncodeRow({frame.Row(y), rowBytes}, indices, out);
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

std::vector<uint8_t> EncodeSubpicture(const FrameBitmap& picture, int BandTop, int BandHeight,
                                      double StartTime, double EndTime, const ColorKeys& keys,
                                      MessageSink* sink) {
  return EncodeSubpicture(IndexPicture(picture), BandTop, BandHeight, StartTime, EndTime, keys,
                          sink);
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
