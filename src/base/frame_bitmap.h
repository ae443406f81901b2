// A 24-bit frame: three bytes per pixel in the order blue, green, red, row 0
// at the top, rows packed without padding.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/color.h"

namespace kestrelpix {

class FrameBitmap {
 public:
  FrameBitmap() = default;
  FrameBitmap(int width, int height) { Reset(width, height); }

  // Resizes the frame and paints every pixel the background blue. A frame
  // of the same size is only repainted in the rows written since the last
  // reset: a frame is reset for every entry drawn, and refilling all of it
  // would cost more than the drawing.
  void Reset(int width, int height) {
    if (width == width_ && height == height_) {
      if (dirtyTop_ <= dirtyBottom_) {
        FillBlue(static_cast<size_t>(dirtyTop_) * width_ * 3,
                 static_cast<size_t>(dirtyBottom_ - dirtyTop_ + 1) * width_ * 3);
      }
    } else {
      width_ = width;
      height_ = height;
      pixels_.assign(static_cast<size_t>(width) * height * 3, 0);
      FillBlue(0, pixels_.size());
    }
    dirtyTop_ = height_;
    dirtyBottom_ = -1;
  }

  int width() const { return width_; }
  int height() const { return height_; }
  // Row y, 0 <= y < height(); callers keep y in range.
  const uint8_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_ * 3; }
  // Writable access marks the row as written.
  uint8_t* Row(int y) {
    dirtyTop_ = std::min(dirtyTop_, y);
    dirtyBottom_ = std::max(dirtyBottom_, y);
    return pixels_.data() + static_cast<size_t>(y) * width_ * 3;
  }

  ColorValue PixelAt(int x, int y) const {
    const uint8_t* p = Row(y) + x * 3;
    return MakeColor(p[2], p[1], p[0]);
  }
  void SetPixel(int x, int y, ColorValue c) {
    uint8_t* p = Row(y) + x * 3;
    p[0] = BlueOf(c);
    p[1] = GreenOf(c);
    p[2] = RedOf(c);
  }

  const std::vector<uint8_t>& bytes() const { return pixels_; }

 private:
  // One blue pixel, then the filled part copied onto the rest in doubling
  // blocks.
  void FillBlue(size_t offset, size_t size) {
    if (size < 3) return;
    uint8_t* p = pixels_.data() + offset;
    p[0] = BlueOf(kBackgroundBlue);
    p[1] = GreenOf(kBackgroundBlue);
    p[2] = RedOf(kBackgroundBlue);
    for (size_t filled = 3; filled < size;) {
      const size_t block = std::min(filled, size - filled);
      std::memcpy(p + filled, p, block);
      filled += block;
    }
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;
  // Rows written since the last reset; empty when top > bottom.
  int dirtyTop_ = 0;
  int dirtyBottom_ = -1;
};

}  // namespace kestrelpix
