// Reading speed of the SubRip reader on a generated 100,000-entry film.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "subtitle/subtitle_document.h"
#include "support/collecting_sink.h"

namespace {

std::string MakeFilm(int entries) {
  const std::string path = "/tmp/kestrelpix-bench-" + std::to_string(::getpid()) + ".srt";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  for (int i = 1; i <= entries; ++i) {
    const int start = i * 3000, end = start + 2500;
    std::fprintf(f, "%d\r\n%02d:%02d:%02d,%03d --> %02d:%02d:%02d,%03d\r\n", i, start / 3600000,
                 start / 60000 % 60, start / 1000 % 60, start % 1000, end / 3600000,
                 end / 60000 % 60, end / 1000 % 60, end % 1000);
    std::fprintf(f, "<i>This is the first line of entry %d</i>\r\n", i);
    if (i % 2 == 0) std::fprintf(f, "and a second line for it\r\n");
    std::fprintf(f, "\r\n");
  }
  std::fclose(f);
  return path;
}

void BM_ReadSrt100k(benchmark::State& state) {
  const std::string path = MakeFilm(100000);
  kestrelpix::testing::CollectingMessageSink sink;
  for (auto _ : state) {
    kestrelpix::SubtitleDocument doc;
    doc.LoadSubtitle(path, true, sink);
    benchmark::DoNotOptimize(doc.LineCount());
  }
  state.SetItemsProcessed(state.iterations() * 100000);
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::remove(path.c_str());
}
BENCHMARK(BM_ReadSrt100k)->Unit(benchmark::kMillisecond);

}  // namespace
