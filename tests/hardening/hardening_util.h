// Shared pieces of the fault tests: generated films, output checks, and a
// way to tell whether the tool may run as another user.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "support/run_command.h"

namespace kestrelpix::testing {

inline const std::string kCli = KESTRELPIX_CLI;

// A SubRip film of n two-line entries, one every two seconds.
inline std::string MakeSrt(int n) {
  std::string srt;
  for (int i = 0; i < n; ++i) {
    const int s = i * 2;
    char time[64];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d,000 --> %02d:%02d:%02d,500", s / 3600,
                  s / 60 % 60, s % 60, s / 3600, s / 60 % 60, s % 60);
    srt += std::to_string(i + 1) + "\n" + time + "\nEntry number " + std::to_string(i + 1) +
           "\nand its second line\n\n";
  }
  return srt;
}

inline int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

// The names in a folder.
inline std::set<std::string> Names(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename());
  return names;
}

// How to run the tool as a user whom file permissions bind: "" when the
// tests already run as such a user, the setpriv prefix that runs it as
// "nobody" when they run as root, and "-" when that is impossible here (no
// setpriv, or the tool lies out of that user's reach).
inline std::string AsOtherUser() {
  if (::geteuid() != 0) return "";
  const std::string prefix = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
  if (RunCommand(prefix + ShellQuote(kCli) + " --version").status != 0) return "-";
  return prefix;
}

// Checks a VobSub pair with ffprobe and returns the number of subtitles it
// read, or -1 when it reported an error.
inline int FfprobeSubtitles(const std::string& idx) {
  const CommandResult probe =
      RunCommand("ffprobe -v error -show_frames -of compact " + ShellQuote(idx));
  if (probe.status != 0 || !probe.err.empty()) return -1;
  return CountOf(probe.out, "subtitle|media_type");
}

}  // namespace kestrelpix::testing
