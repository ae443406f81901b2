#include "base/frame_bitmap.h"

#include <array>

#include "base/errors.h"

namespace kestrelpix {

void PaintPicture(const IndexFrame& frame, FrameBitmap& picture) {
  picture.Reset(frame.width(), frame.height());
  // Each value's three bytes in frame byte order, looked up per pixel.
  std::array<std::array<uint8_t, 3>, 256> bgr;
  for (int v = 0; v < 256; ++v) {
    const ColorValue c = frame.ColorOf(static_cast<uint8_t>(v));
    bgr[v] = {BlueOf(c), GreenOf(c), RedOf(c)};
  }
  for (int y = 0; y < frame.height(); ++y) {
    const uint8_t* values = frame.Row(y);
    uint8_t* out = picture.Row(y);
    for (int x = 0; x < frame.width(); ++x, out += 3) std::memcpy(out, bgr[values[x]].data(), 3);
  }
}

IndexFrame IndexPicture(const FrameBitmap& picture) {
  IndexFrame frame(picture.width(), picture.height());
  std::vector<ColorValue>& colors = frame.colors();
  colors.assign(1, kBackgroundBlue);
  for (int y = 0; y < picture.height(); ++y) {
    uint8_t* values = frame.Row(y);
    for (int x = 0; x < picture.width(); ++x) {
      const ColorValue c = picture.PixelAt(x, y);
      // Runs of one colour are the rule: the previous pixel's value first.
      if (x > 0 && colors[values[x - 1]] == c) {
        values[x] = values[x - 1];
        continue;
      }
      size_t v = 0;
      while (v < colors.size() && colors[v] != c) ++v;
      if (v == colors.size()) {
        if (v == 256) throw Error("A picture of more than 256 colours cannot be indexed");
        colors.push_back(c);
      }
      values[x] = static_cast<uint8_t>(v);
    }
  }
  return frame;
}

}  // namespace kestrelpix
