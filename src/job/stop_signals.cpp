#include "job/stop_signals.h"

#include <signal.h>

#include <atomic>

namespace kestrelpix {

namespace {

std::atomic<int> g_signal{0};
std::atomic<int> g_count{0};

void OnStopSignal(int sig) {
  int none = 0;
  g_signal.compare_exchange_strong(none, sig);
  if (g_count.fetch_add(1) >= 1) {
    ::signal(sig, SIG_DFL);
    ::raise(sig);
  }
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

int StopSignal() { return g_signal.load(); }

int StoppedExitStatus() {
  const int sig = StopSignal();
  return 128 + (sig != 0 ? sig : SIGINT);
}

}  // namespace kestrelpix
