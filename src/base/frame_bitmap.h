// The two kinds of frame: a 24-bit picture, as it is shown and saved, and
// a frame of colour values, as a conversion draws and encodes it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/color.h"

namespace kestrelpix {

// A 24-bit picture: three bytes per pixel in the order blue, green, red, row
// 0 at the top, rows packed without padding.
class FrameBitmap {
 public:
  FrameBitmap() = default;
  FrameBitmap(int width, int height) { Reset(width, height); }

  // Resizes the frame and paints every pixel the background blue.
  void Reset(int width, int height) {
    width_ = width;
    height_ = height;
    pixels_.resize(static_cast<size_t>(width) * height * 3);
    FillBlue();
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
  // One blue pixel, then the filled part copied onto the rest in doubling
  // blocks.
  void FillBlue() {
    const size_t size = pixels_.size();
    if (size < 3) return;
    uint8_t* p = pixels_.data();
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
};

// A frame of colour values, one byte per pixel, row 0 at the top, rows
// packed without padding: what a conversion draws and encodes. Value v
// stands for colors()[v]. Pixels of one colour hold one value (the
// rasterizer and IndexPicture keep to that), so the values change exactly
// where the colours do.
class IndexFrame {
 public:
  IndexFrame() = default;
  IndexFrame(int width, int height) { Reset(width, height); }

  // Resizes the frame and sets every pixel to 0. A frame of the same size is
  // only cleared in the rows written since the last reset: a frame is reset
  // for every entry drawn, and its text covers a few rows of it. The colours
  // are kept.
  void Reset(int width, int height) {
    if (width == width_ && height == height_) {
      if (dirtyTop_ <= dirtyBottom_) {
        std::memset(values_.data() + static_cast<size_t>(dirtyTop_) * width_, 0,
                    static_cast<size_t>(dirtyBottom_ - dirtyTop_ + 1) * width_);
      }
    } else {
      width_ = width;
      height_ = height;
      values_.assign(static_cast<size_t>(width) * height, 0);
    }
    dirtyTop_ = height_;
    dirtyBottom_ = -1;
  }

  int width() const { return width_; }
  int height() const { return height_; }
  // Row y, 0 <= y < height(); callers keep y in range.
  const uint8_t* Row(int y) const { return values_.data() + static_cast<size_t>(y) * width_; }
  // Writable access marks the row as written.
  uint8_t* Row(int y) {
    dirtyTop_ = std::min(dirtyTop_, y);
    dirtyBottom_ = std::max(dirtyBottom_, y);
    return values_.data() + static_cast<size_t>(y) * width_;
  }

  // The colour of each value; a value past the end stands for the
  // background blue.
  std::vector<ColorValue>& colors() { return colors_; }
  const std::vector<ColorValue>& colors() const { return colors_; }
  ColorValue ColorOf(uint8_t value) const {
    return value < colors_.size() ? colors_[value] : kBackgroundBlue;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> values_;
  std::vector<ColorValue> colors_{kBackgroundBlue};
  // Rows written since the last reset; empty when top > bottom.
  int dirtyTop_ = 0;
  int dirtyBottom_ = -1;
};

// The 24-bit picture of a frame: every pixel in its value's colour. The
// picture takes the frame's size.
void PaintPicture(const IndexFrame& frame, FrameBitmap& picture);

// The frame of a 24-bit picture: the background blue is value 0, the other
// colours are numbered in the order they first appear, row by row. Throws
// Error for a picture of more than 256 colours.
IndexFrame IndexPicture(const FrameBitmap& picture);

}  // namespace kestrelpix
