#include "job/stop_signals.h"

#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <atomic>
#include <cerrno>

namespace kestrelpix {

namespace {

std::atomic<int> g_signal{0};
// Signals received straight and signals passed on by the parent (or sent at
// its death), counted apart: one press of Ctrl-C brings one of each.
std::atomic<int> g_direct{0};
std::atomic<int> g_passedOn{0};
std::atomic<pid_t> g_parent{0};  // set in a child of ForkStoppableChild
std::atomic<pid_t> g_children[64];

void OnStopSignal(int sig, siginfo_t* info, void*) {
  const int savedErrno = errno;
  int none = 0;
  g_signal.compare_exchange_strong(none, sig);
  for (std::atomic<pid_t>& child : g_children) {
    const pid_t pid = child.load();
    if (pid > 0) ::kill(pid, sig);
  }
  const pid_t parent = g_parent.load();
  const bool passedOn = parent != 0 && info != nullptr && info->si_pid == parent;
  if ((passedOn ? g_passedOn : g_direct).fetch_add(1) >= 1) {
    ::signal(sig, SIG_DFL);
    ::raise(sig);
  }
  errno = savedErrno;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_sigaction = OnStopSignal;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

int StopSignal() { return g_signal.load(); }

int StoppedExitStatus() {
  const int sig = StopSignal();
  return 128 + (sig != 0 ? sig : SIGINT);
}

pid_t ForkStoppableChild() {
  // Held back until the child is known on both sides, so that none is lost
  // between fork() and the bookkeeping.
  sigset_t stops, before;
  sigemptyset(&stops);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, sig);
  ::sigprocmask(SIG_BLOCK, &stops, &before);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    for (std::atomic<pid_t>& child : g_children) child.store(0);  // its brothers
    g_parent.store(parent);
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // A parent that died before the request was made sends nothing.
    if (::getppid() != parent) ::kill(::getpid(), SIGTERM);
#endif
  } else if (pid > 0) {
    for (std::atomic<pid_t>& child : g_children) {
      pid_t free = 0;
      if (child.compare_exchange_strong(free, pid)) break;
    }
  }
  ::sigprocmask(SIG_SETMASK, &before, nullptr);
  return pid;
}

void ForgetChild(pid_t pid) {
  for (std::atomic<pid_t>& child : g_children) {
    pid_t known = pid;
    if (child.compare_exchange_strong(known, 0)) break;
  }
}

}  // namespace kestrelpix
