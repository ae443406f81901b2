// The sub-picture encoder and the pack writer fed with arbitrary frames,
// bands, times and colour keys. Properties checked:
//  - a band outside the frame (or an empty one) is refused before any row
//    is read; no other input is refused except a unit too large for its
//    16-bit size;
//  - every unit decodes (strict test decoder) to exactly the indices of its
//    band, with the rounded and limited stop delay, and an even size;
//  - the packs are whole 2048-byte packs that carry the unit unchanged.
//
// Input layout: height (2 bytes), BandTop and BandHeight (2 bytes each,
// signed), start and duration in ms (4 bytes each, the duration signed), the
// three colour keys (9 bytes), then pairs (colour selector, run length)
// that paint the frame row after row from the band's first row.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../tests/vobsub/spu_decoder.h"
#include "vobsub/ps_packer.h"
#include "vobsub/spu_encoder.h"

namespace {

using namespace kestrelpix;

void Check(bool ok) {
  if (!ok) std::abort();
}

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t U16() { return static_cast<uint16_t>(Byte() << 8 | Byte()); }
  uint32_t U32() { return static_cast<uint32_t>(U16()) << 16 | U16(); }
  bool empty() const { return pos_ >= size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const int height = 1 + in.U16() % 600;
  const int top = static_cast<int16_t>(in.U16());
  const int bandHeight = static_cast<int16_t>(in.U16());
  const double start = in.U32();
  const double end = start + static_cast<int32_t>(in.U32());
  ColorKeys keys;
  for (uint8_t* key : {keys.text, keys.outline, keys.antialias}) {
    for (int i = 0; i < 3; ++i) key[i] = in.Byte();
  }
  const ColorValue palette[8] = {
      kBackgroundBlue,
      MakeColor(keys.text[0], keys.text[1], keys.text[2]),
      MakeColor(keys.outline[0], keys.outline[1], keys.outline[2]),
      MakeColor(keys.antialias[0], keys.antialias[1], keys.antialias[2]),
      MakeColor(0, 0, 254),
      MakeColor(255, 255, 255),
      MakeColor(0, 0, 0),
      MakeColor(17, 34, 51),
  };

  FrameBitmap frame(720, height);
  int x = 0;
  int y = top < 0 || top >= height ? 0 : top;
  while (!in.empty() && y < height) {
    const ColorValue color = palette[in.Byte() & 7];
    const int length = 1 + in.Byte();
    for (int i = 0; i < length && y < height; ++i) {
      frame.SetPixel(x, y, color);
      if (++x == 720) {
        x = 0;
        ++y;
      }
    }
  }

  const bool outside = bandHeight < 1 || top < 0 || top + bandHeight > height;
  std::vector<uint8_t> unit;
  try {
    unit = EncodeSubpicture(frame, top, bandHeight, start, end, keys);
  } catch (const SubpictureTooLargeError&) {
    Check(!outside);
    return 0;
  } catch (const Error&) {
    Check(outside);
    return 0;
  }
  Check(!outside);

  const kestrelpix::testing::DecodedUnit decoded = kestrelpix::testing::DecodeUnit(unit);
  Check(unit.size() % 2 == 0 && unit.size() <= 65535);
  Check(decoded.x1 == 0 && decoded.x2 == 719 && decoded.y1 == top &&
        decoded.y2 == top + bandHeight - 1);
  Check(decoded.sequences.size() == 2 && decoded.sequences[0].delay == 0);
  const int64_t delay = StopDelayUnits(start, end);
  Check(decoded.sequences[1].delay == (delay > 65535 ? 65535 : delay));
  for (int row = 0; row < bandHeight; ++row) {
    const uint8_t* pixels = frame.Row(top + row);
    for (int col = 0; col < 720; ++col) {
      // Column c shows pixel c + 1; column 718 pixel 718; column 719 is 0.
      const int source = col <= 717 ? col + 1 : 718;
      const uint8_t* p = pixels + 3 * source;
      const int expected = col == 719 ? 0 : ClassifyPixel(p[2], p[1], p[0], keys);
      Check(decoded.At(col, row) == expected);
    }
  }

  std::vector<uint8_t> stream;
  const int packs = PackSubpicture(unit, start, stream);
  Check(packs == PackCountFor(unit.size()));
  Check(stream.size() == static_cast<size_t>(packs) * kPackSize);
  uint64_t pts = 0;
  Check(kestrelpix::testing::UnitFromPacks(stream, 0, &pts) == unit);
  Check(pts == PtsFromMs(start));
  return 0;
}
