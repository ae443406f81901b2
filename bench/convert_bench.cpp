// End to end: a generated two-line film of 3,000 and of 20,000 entries
// converted with the default settings, as `kestrelpix-cli convert` does it,
// reading the subtitle and writing the pair included, on one thread and on
// every core (wall-clock time, as a user waits for it).
// bench/compare_spumux.sh sets the whole program beside dvdauthor's spumux.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/console_front_end.h"
#include "job/entry_encoder.h"
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

// Arguments: the number of entries and of threads (0: every core).
// items_per_second is entries per second.
void BM_Convert(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const int threads =
      state.range(1) > 0 ? static_cast<int>(state.range(1)) : kestrelpix::DefaultWorkerCount();
  char folder[] = "/tmp/kestrelpix-bench-XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string film = MakeFilm(folder, entries);
  kestrelpix::ConsoleFrontEnd console;
  for (auto _ : state) {
    const auto report = kestrelpix::ConvertHeadless(film, "", console, threads);
    if (report.Outcome != kestrelpix::JobOutcome::Completed)
      state.SkipWithError("conversion failed");
  }
  state.SetItemsProcessed(state.iterations() * entries);
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_Convert)
    ->ArgNames({"entries", "threads"})
    ->Args({3000, 1})
    ->Args({20000, 1})
    ->Args({20000, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace
