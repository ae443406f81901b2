// vobsub_reencode_check PAIR.idx...: checks every unit of each VobSub pair
// against independent decoders (see reencode_check.h). Prints one line per
// problem and a summary per pair; exits 0 when every unit matched.
#include <cstdio>

#include "vobsub/reencode_check.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PAIR.idx...\n", argv[0]);
    return 2;
  }
  bool allOk = true;
  for (int i = 1; i < argc; ++i) {
    const kestrelpix::testing::ReencodeReport report = kestrelpix::testing::ReencodeCheck(argv[i]);
    for (const std::string& problem : report.problems) {
      std::printf("%s: %s\n", argv[i], problem.c_str());
    }
    std::printf("%s: %d of %d units re-encode to the same bytes\n", argv[i], report.matched,
                report.units);
    allOk = allOk && report.ok();
  }
  return allOk ? 0 : 1;
}
