// Frames and bands for the VobSub tests: drawing in the four key colours,
// the pixel indices a decoder must give back for a band, and one row's
// codes on their own.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "base/color.h"
#include "base/frame_bitmap.h"
#include "vobsub/byte_writer.h"
#include "vobsub/spu_encoder.h"

namespace kestrelpix::testing {

inline constexpr ColorValue kTestText = MakeColor(255, 255, 255);
inline constexpr ColorValue kTestOutline = MakeColor(0, 0, 0);
inline constexpr ColorValue kTestAntialias = MakeColor(128, 128, 128);

// Index of a colour of the test frames: the keys above, the background
// blue, and everything else 0.
inline int TestIndexOf(ColorValue color) {
  if (color == kTestText) return 1;
  if (color == kTestOutline) return 2;
  if (color == kTestAntialias) return 3;
  return 0;
}

inline void FillRect(FrameBitmap& frame, int x, int y, int width, int height, ColorValue color) {
  for (int row = y; row < y + height; ++row) {
    if (row < 0 || row >= frame.height()) continue;
    for (int col = x; col < x + width; ++col) {
      if (col >= 0 && col < frame.width()) frame.SetPixel(col, row, color);
    }
  }
}

// A glyph-like box: a one-pixel antialias ring, a two-pixel outline ring and
// text inside, the way outlined text is drawn.
inline void DrawOutlinedBox(FrameBitmap& frame, int x, int y, int width, int height) {
  FillRect(frame, x, y, width, height, kTestAntialias);
  FillRect(frame, x + 1, y + 1, width - 2, height - 2, kTestOutline);
  FillRect(frame, x + 3, y + 3, width - 6, height - 6, kTestText);
}

// The indices a unit of this band decodes to, 720 per row: the encoder
// skips pixel 0, so column x shows pixel x + 1; column 718 repeats pixel
// 718 (the last run is one longer) and column 719 is the end-of-line fill 0.
inline std::vector<uint8_t> ExpectedIndices(const FrameBitmap& frame, int BandTop, int BandHeight,
                                            const std::function<int(ColorValue)>& indexOf) {
  std::vector<uint8_t> indices(static_cast<size_t>(720) * BandHeight, 0);
  for (int row = 0; row < BandHeight; ++row) {
    uint8_t* out = &indices[static_cast<size_t>(row) * 720];
    for (int x = 0; x <= 717; ++x) {
      out[x] = static_cast<uint8_t>(indexOf(frame.PixelAt(x + 1, BandTop + row)));
    }
    out[718] = static_cast<uint8_t>(indexOf(frame.PixelAt(718, BandTop + row)));
    out[719] = 0;
  }
  return indices;
}

// The bytes EncodeRow appends for one row of 24-bit pixels, given as the
// row of its IndexPicture.
inline std::vector<uint8_t> EncodedRow(std::span<const uint8_t> bgrRow, const ColorKeys& keys) {
  FrameBitmap picture(static_cast<int>(bgrRow.size() / 3), 1);
  std::copy(bgrRow.begin(), bgrRow.end(), picture.Row(0));
  const IndexFrame frame = IndexPicture(picture);
  std::vector<uint8_t> bytes;
  ByteWriter out(bytes);
  EncodeRow({frame.Row(0), static_cast<size_t>(frame.width())}, IndicesOf(frame, keys), out);
  return bytes;
}

}  // namespace kestrelpix::testing
