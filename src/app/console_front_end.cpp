#include "app/console_front_end.h"

#include <unistd.h>

#include <cstdio>

#include "job/stop_signals.h"

namespace kestrelpix {

namespace {

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

}  // namespace

void ConsoleFrontEnd::ShowProgress(std::string label) {
  label_ = std::move(label);
  terminal_ = ::isatty(STDERR_FILENO) == 1;
  start_ = std::chrono::steady_clock::now();
}

void ConsoleFrontEnd::FinishProgress() {
  if (barDrawn_) std::fputc('\n', stderr);
  barDrawn_ = false;
}

void ConsoleFrontEnd::ShowMessage(std::string_view text) {
  FinishProgress();
  StderrMessageSink().ShowMessage(prefix_ + std::string(text));
}

void ConsoleFrontEnd::Warn(std::string_view text) {
  FinishProgress();
  StderrMessageSink().Warn(prefix_ + std::string(text));
}

void ConsoleFrontEnd::Loaded(const SubtitleDocument& doc, const std::vector<std::string>& notes) {
  for (const std::string& note : notes) Warn(note);
}

bool ConsoleFrontEnd::ShouldStop() { return StopSignal() != 0; }

void ConsoleFrontEnd::Progress(int done, int total) {
  if (label_.empty() || done <= 0) return;
  const auto now = std::chrono::steady_clock::now();
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const double rate = elapsed > 0 ? done / elapsed : 0;
  const double left = rate > 0 ? (total - done) / rate : 0;
  if (terminal_) {
    if (done < total && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    constexpr int kWidth = 30;
    const int filled = total > 0 ? done * kWidth / total : kWidth;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), '-');
    std::fprintf(stderr, "\r%s [%s] %d/%d  %.0f pictures/s  %s left ", label_.c_str(), bar.c_str(),
                 done, total, rate, Clock(left).c_str());
    barDrawn_ = true;
  } else {
    // A line at every tenth of the work, at most one every two seconds, and
    // always the last.
    const int tenth = total > 0 ? done * 10 / total : 10;
    if (done < total && (tenth == lastTenth_ || now - lastDraw_ < std::chrono::seconds(2))) {
      return;
    }
    lastTenth_ = tenth;
    lastDraw_ = now;
    std::fprintf(stderr, "%s: %d/%d pictures, %.0f pictures/s, %s left\n", label_.c_str(), done,
                 total, rate, Clock(left).c_str());
  }
  std::fflush(stderr);
}

}  // namespace kestrelpix
