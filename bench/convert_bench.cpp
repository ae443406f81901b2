// End to end: a generated 3,000-entry two-line film converted with the
// default settings, as `kestrelpix-cli convert` does it. Where dvdauthor's
// spumux is installed, the same film is also rendered by it for comparison
// (see scripts/bench-spumux.sh).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/console_front_end.h"
#include "job/headless_run.h"

namespace {

std::string MakeFilm(const std::string& folder, int entries) {
  const std::string path = folder + "/film.srt";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  for (int i = 1; i <= entries; ++i) {
    const int start = i * 2500, end = start + 2000;
    std::fprintf(f, "%d\r\n%02d:%02d:%02d,%03d --> %02d:%02d:%02d,%03d\r\n", i, start / 3600000,
                 start / 60000 % 60, start / 1000 % 60, start % 1000, end / 3600000,
                 end / 60000 % 60, end / 1000 % 60, end % 1000);
    std::fprintf(f, "Entry %d: the tide turns at the harbour\r\nand the boats come home %d\r\n\r\n",
                 i, i % 97);
  }
  std::fclose(f);
  return path;
}

void BM_Convert3000(benchmark::State& state) {
  char folder[] = "/tmp/kestrelpix-bench-XXXXXX";
  ::mkdtemp(folder);
  const std::string film = MakeFilm(folder, 3000);
  kestrelpix::ConsoleFrontEnd console;
  for (auto _ : state) {
    const auto report = kestrelpix::ConvertHeadless(film, "", console);
    if (report.Outcome != kestrelpix::JobOutcome::Completed)
      state.SkipWithError("conversion failed");
  }
  state.SetItemsProcessed(state.iterations() * 3000);
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::system((std::string("rm -rf ") + folder).c_str());
}
BENCHMARK(BM_Convert3000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
