#include "app/cli/console.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "job/stop_signals.h"

namespace kestrelpix::cli {

namespace {

bool g_barDrawn = false;

std::string Clock(double seconds) {
  const long s = static_cast<long>(seconds + 0.5);
  char text[32];
  if (s >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  }
  return text;
}

struct ProgressState {
  std::string label;
  bool terminal = false;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastDraw{};
  int lastTenth = -1;
};

}  // namespace

void InstallAbortHandler() {
  InstallStopSignals();
  ::signal(SIGXFSZ, SIG_IGN);
  // A reader of stdout or stderr that went away (| head) makes the writes
  // fail instead of killing the run in the middle of its outputs.
  ::signal(SIGPIPE, SIG_IGN);
}

bool AbortRequested() { return StopSignal() != 0; }

ConsoleCallbacks ProgressCallbacks(const std::string& label, bool quiet) {
  ConsoleCallbacks callbacks;
  callbacks.AbortRequested = [] { return AbortRequested(); };
  if (quiet) return callbacks;
  auto state = std::make_shared<ProgressState>();
  state->label = label;
  state->terminal = ::isatty(STDERR_FILENO) == 1;
  callbacks.Progress = [state](int done, int total) {
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - state->start).count();
    const double rate = elapsed > 0 ? done / elapsed : 0;
    const double left = rate > 0 ? (total - done) / rate : 0;
    if (state->terminal) {
      if (done < total && now - state->lastDraw < std::chrono::milliseconds(100)) return;
      state->lastDraw = now;
      constexpr int kWidth = 30;
      const int filled = total > 0 ? done * kWidth / total : kWidth;
      std::string bar(static_cast<size_t>(filled), '#');
      bar.append(static_cast<size_t>(kWidth - filled), '-');
      std::fprintf(stderr, "\r%s [%s] %d/%d  %.0f entries/s  %s left ", state->label.c_str(),
                   bar.c_str(), done, total, rate, Clock(left).c_str());
      g_barDrawn = true;
    } else {
      // A line at every tenth of the work, at most one every two seconds,
      // and always the last.
      const int tenth = total > 0 ? done * 10 / total : 10;
      if (done < total &&
          (tenth == state->lastTenth || now - state->lastDraw < std::chrono::seconds(2))) {
        return;
      }
      state->lastTenth = tenth;
      state->lastDraw = now;
      std::fprintf(stderr, "%s: %d/%d entries, %.0f entries/s, %s left\n", state->label.c_str(),
                   done, total, rate, Clock(left).c_str());
    }
    std::fflush(stderr);
  };
  return callbacks;
}

void FinishProgress() {
  if (g_barDrawn) std::fputc('\n', stderr);
  g_barDrawn = false;
}

}  // namespace kestrelpix::cli
