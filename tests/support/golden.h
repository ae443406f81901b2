// Golden files: whole outputs kept under tests/ (index and sub-picture files
// in tests/vobsub/golden, frames in tests/render/golden) and compared with
// this run's output, files byte for byte, frames pixel for pixel.
//
// To rewrite them after an intended change of an output, run the tests with
// KESTRELPIX_REGEN_GOLDENS set (scripts/regen-goldens.sh does that for every
// golden test): each golden check then writes this run's output over its
// golden file instead of comparing. Look at the new files (git diff) before
// committing them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace kestrelpix::testing {

inline bool RewritingGoldens() { return std::getenv("KESTRELPIX_REGEN_GOLDENS") != nullptr; }

// The full path of a golden file named relative to tests/.
inline std::string GoldenPath(const std::string& relative) {
  return std::string(KESTRELPIX_SOURCE_DIR) + "/tests/" + relative;
}

// Checks `actual` against the golden file, or rewrites the file. `load`
// reads a golden file, `store(value, path)` writes one, and
// `differences(golden, actual)` says how two values differ ("" when they
// are alike). On a difference this run's output is kept in the temporary
// folder, named after the golden file, for a look.
template <typename T, typename Load, typename Store, typename Differences>
void ExpectGolden(const std::string& relative, const T& actual, Load load, Store store,
                  Differences differences) {
  namespace fs = std::filesystem;
  const std::string path = GoldenPath(relative);
  if (RewritingGoldens()) {
    fs::create_directories(fs::path(path).parent_path());
    store(actual, path);
    return;
  }
  ASSERT_TRUE(fs::exists(path)) << relative << " is missing; KESTRELPIX_REGEN_GOLDENS writes it";
  const std::string difference = differences(load(path), actual);
  if (difference.empty()) return;
  const fs::path name(relative);
  const std::string kept =
      (fs::temp_directory_path() / (name.stem().string() + ".actual" + name.extension().string()))
          .string();
  store(actual, kept);
  ADD_FAILURE() << relative << ": " << difference << "; this run's output is in " << kept;
}

// Where two byte strings part, or "" when they are equal.
inline std::string ByteDifference(const std::string& golden, const std::string& actual) {
  if (golden == actual) return "";
  const size_t n = std::min(golden.size(), actual.size());
  const size_t at = static_cast<size_t>(
      std::mismatch(golden.begin(), golden.begin() + static_cast<std::ptrdiff_t>(n), actual.begin())
          .first -
      golden.begin());
  return "differs from byte " + std::to_string(at) + " on (the golden file has " +
         std::to_string(golden.size()) + " bytes, this run " + std::to_string(actual.size()) + ")";
}

// A whole output file (an .idx or .sub, any text) against its golden file.
inline void ExpectGoldenBytes(const std::string& relative, const std::string& actual) {
  ExpectGolden(
      relative, actual, ReadFileBytes,
      [](const std::string& bytes, const std::string& path) { WriteFileBytes(path, bytes); },
      ByteDifference);
}

}  // namespace kestrelpix::testing
