// Drawing speed of the rasterizer: a whole frame per iteration, the frame
// reset to background and two 40-character lines drawn at 20 points with outline
// 4, as the conversion draws every entry into the one frame it reuses.
// Target: 10,000 frames per second on one core.
#include <benchmark/benchmark.h>

#include "render/measure.h"
#include "render/rasterizer.h"
#include "support/test_fonts.h"

using kestrelpix::testing::TestFonts;

namespace kestrelpix {
namespace {

const std::string kLine1 = "The old harbour lights burned all night.";  // 40 characters
const std::string kLine2 = "and twelve small boats came home at dawn";  // 40 characters

RenderSettings BenchSettings() {
  RenderSettings s;  // Arial, 20 points, PAL
  s.OutlineWidth = 4;
  return s;
}

void BM_RenderFrame(benchmark::State& state) {
  const RenderSettings s = BenchSettings();
  IndexFrame frame;
  RenderFrame(TestFonts(), kLine1, kLine2, s, frame);  // glyphs rasterized once, before timing
  for (auto _ : state) {
    Band band = RenderFrame(TestFonts(), kLine1, kLine2, s, frame);
    benchmark::DoNotOptimize(band);
    benchmark::DoNotOptimize(frame.Row(band.BandTop));
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderFrame);

// The drawing alone, over a picture that is not reset.
void BM_DrawSubtitleLines(benchmark::State& state) {
  const RenderSettings s = BenchSettings();
  FrameBitmap picture(720, 576);
  for (auto _ : state) {
    DrawSubtitleLines(TestFonts(), picture, kLine1, kLine2, s);
    benchmark::DoNotOptimize(picture.Row(500));
  }
}
BENCHMARK(BM_DrawSubtitleLines);

// The reset of a whole PAL frame: a pixel in the first and the last row
// makes every row count as written. (RenderFrame on a reused frame only
// clears the rows the previous entry wrote.)
void BM_FrameResetWhole(benchmark::State& state) {
  IndexFrame frame(720, 576);
  for (auto _ : state) {
    frame.Row(0)[0] = 1;
    frame.Row(575)[0] = 1;
    frame.Reset(720, 576);
    benchmark::DoNotOptimize(frame.Row(0));
  }
}
BENCHMARK(BM_FrameResetWhole);

void BM_MeasureLine(benchmark::State& state) {
  for (auto _ : state) {
    TextExtent e = MeasureLine(TestFonts(), kLine1, "Arial", 20, 0, 1);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_MeasureLine);

}  // namespace
}  // namespace kestrelpix
