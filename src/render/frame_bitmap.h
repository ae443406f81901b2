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

  // Resizes the frame and paints every pixel the background blue.
  void Reset(int width, int height) {
    width_ = width;
    height_ = height;
    pixels_.resize(static_cast<size_t>(width) * height * 3);
    // One blue pixel, then the filled part copied onto the rest in doubling
    // blocks: a frame is reset for every entry drawn, and byte-wise filling
    // would cost more than the drawing.
    const size_t size = pixels_.size();
    if (size < 3) return;
    uint8_t* p = pixels_.data();
    p[0] = 255;  // blue
    p[1] = 0;    // green
    p[2] = 0;    // red
    for (size_t filled = 3; filled < size;) {
      const size_t block = std::min(filled, size - filled);
      std::memcpy(p + filled, p, block);
      filled += block;
    }
  }

  int width() const { return width_; }
  int height() const { return height_; }
  // Row y, 0 <= y < height(); callers keep y in range.
  const uint8_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_ * 3; }
  uint8_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_ * 3; }

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
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;
};

}  // namespace kestrelpix
