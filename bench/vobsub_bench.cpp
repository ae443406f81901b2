// Encoding and packing one sub-picture unit from a typical two-line band of
// 720 x 74 pixels, next to a blank band and the densest band there is.
//
// The typical band is drawn the way outlined text looks: two lines of 40
// glyph cells (about 45 characters with spaces), each glyph made of 3-pixel
// strokes in the text colour inside a 3-pixel outline and a 1-pixel
// antialias ring, on the blue background. Its counts match a real entry of
// two 45-character lines drawn by the rasterizer at the default settings
// (about 8000 to 9500 runs, 6 KB).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "vobsub/ps_packer.h"
#include "vobsub/spu_encoder.h"

namespace {

using namespace kestrelpix;

constexpr ColorValue kText = MakeColor(255, 255, 255);
constexpr ColorValue kOutline = MakeColor(0, 0, 0);
constexpr ColorValue kAntialias = MakeColor(128, 128, 128);
constexpr int kBandTop = 474;
constexpr int kBandHeight = 74;

// Text pixels of one glyph cell: a few vertical and horizontal strokes.
void DrawGlyph(std::vector<uint8_t>& mask, int cellX, int cellY, std::mt19937& random) {
  auto fill = [&](int x, int y, int w, int h) {
    for (int row = y; row < y + h; ++row) {
      for (int col = x; col < x + w; ++col) mask[static_cast<size_t>(row) * 720 + col] = 1;
    }
  };
  const int width = 11 + static_cast<int>(random() % 4);
  const int strokes = 2 + static_cast<int>(random() % 3);
  for (int s = 0; s < strokes; ++s) {
    if (random() % 2) {
      fill(cellX + static_cast<int>(random() % (width - 3)), cellY, 3, 24);  // stem
    } else {
      fill(cellX, cellY + static_cast<int>(random() % 21), width, 3);  // bar
    }
  }
}

// A frame with two lines of outlined glyphs inside the band.
FrameBitmap TwoLineFrame() {
  std::mt19937 random(42);
  std::vector<uint8_t> mask(720 * 576, 0);  // 1 text, 2 outline, 3 antialias
  for (int line = 0; line < 2; ++line) {
    const int y = kBandTop + 8 + line * 34;
    int x = 30;
    for (int glyph = 0; glyph < 40; ++glyph) {
      if (glyph % 6 == 5) {  // a word space
        x += 8;
        continue;
      }
      DrawGlyph(mask, x, y, random);
      x += 17;
    }
  }
  // Outline: every pixel within 3 of a text pixel; antialias: the ring
  // just outside the outline.
  auto grow = [&](uint8_t from, uint8_t to, int radius) {
    std::vector<uint8_t> next = mask;
    for (int y = kBandTop; y < kBandTop + kBandHeight; ++y) {
      for (int x = 0; x < 720; ++x) {
        if (mask[static_cast<size_t>(y) * 720 + x] != 0) continue;
        bool near = false;
        for (int dy = -radius; dy <= radius && !near; ++dy) {
          for (int dx = -radius; dx <= radius && !near; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || nx >= 720) continue;
            const uint8_t m = mask[static_cast<size_t>(ny) * 720 + nx];
            near = m != 0 && m <= from;
          }
        }
        if (near) next[static_cast<size_t>(y) * 720 + x] = to;
      }
    }
    mask = next;
  };
  grow(1, 2, 3);
  grow(2, 3, 1);

  FrameBitmap frame(720, 576);
  const ColorValue colors[4] = {kBackgroundBlue, kText, kOutline, kAntialias};
  for (int y = kBandTop; y < kBandTop + kBandHeight; ++y) {
    for (int x = 0; x < 720; ++x)
      frame.SetPixel(x, y, colors[mask[static_cast<size_t>(y) * 720 + x]]);
  }
  return frame;
}

FrameBitmap DenseFrame() {
  FrameBitmap frame(720, 576);
  for (int y = kBandTop; y < kBandTop + kBandHeight; ++y) {
    for (int x = 0; x < 720; ++x) frame.SetPixel(x, y, (x + y) % 2 ? kText : kOutline);
  }
  return frame;
}

const ColorKeys kKeys = ColorKeysFrom(kText, kOutline, kAntialias);

void EncodeAndPack(benchmark::State& state, const FrameBitmap& picture, bool pack) {
  const IndexFrame frame = IndexPicture(picture);
  std::vector<uint8_t> stream;
  size_t unitBytes = 0;
  int packs = 0;
  for (auto _ : state) {
    std::vector<uint8_t> unit = EncodeSubpicture(frame, kBandTop, kBandHeight, 62500, 65000, kKeys);
    if (pack) {
      stream.clear();
      packs = PackSubpicture(unit, 62500, stream);
      benchmark::DoNotOptimize(stream.data());
    }
    unitBytes = unit.size();
    benchmark::DoNotOptimize(unit.data());
  }
  int runs = 0;  // runs of one colour in the band's rows, pixels 1..718
  for (int y = kBandTop; y < kBandTop + kBandHeight; ++y) {
    const uint8_t* row = frame.Row(y);
    ++runs;
    for (int x = 2; x <= 718; ++x) runs += row[x] != row[x - 1];
  }
  state.counters["runs"] = runs;
  state.counters["unit_bytes"] = static_cast<double>(unitBytes);
  state.counters["packs"] = packs;
  state.counters["pixels/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * 720 * kBandHeight, benchmark::Counter::kIsRate);
}

void BM_EncodeAndPackTwoLineBand(benchmark::State& state) {
  static const FrameBitmap frame = TwoLineFrame();
  EncodeAndPack(state, frame, true);
}
BENCHMARK(BM_EncodeAndPackTwoLineBand)->Unit(benchmark::kMicrosecond);

void BM_EncodeTwoLineBand(benchmark::State& state) {
  static const FrameBitmap frame = TwoLineFrame();
  EncodeAndPack(state, frame, false);
}
BENCHMARK(BM_EncodeTwoLineBand)->Unit(benchmark::kMicrosecond);

void BM_EncodeAndPackBlankBand(benchmark::State& state) {
  static const FrameBitmap frame(720, 576);
  EncodeAndPack(state, frame, true);
}
BENCHMARK(BM_EncodeAndPackBlankBand)->Unit(benchmark::kMicrosecond);

// Every pixel a run of its own: the most codes a band can need.
void BM_EncodeAndPackDenseBand(benchmark::State& state) {
  static const FrameBitmap frame = DenseFrame();
  EncodeAndPack(state, frame, true);
}
BENCHMARK(BM_EncodeAndPackDenseBand)->Unit(benchmark::kMicrosecond);

}  // namespace
