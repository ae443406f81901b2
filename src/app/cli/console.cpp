#include "app/cli/console.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "job/stop_signals.h"

namespace kestrelpix::cli {

namespace {

bool g_stdoutWasClosed = false;
bool g_stdoutFailureReported = false;

}  // namespace

void InstallAbortHandler() {
  InstallStopSignals();
  ::signal(SIGXFSZ, SIG_IGN);
  // A reader of stdout or stderr that went away (| head) makes the writes
  // fail instead of killing the run in the middle of its outputs.
  ::signal(SIGPIPE, SIG_IGN);
}

bool AbortRequested() { return StopSignal() != 0; }

void GuardStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == STDOUT_FILENO) g_stdoutWasClosed = true;
    const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
}

bool FlushStdout() {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  const int err = errno;
  if (!g_stdoutWasClosed && flushed && !std::ferror(stdout)) return true;
  if (g_stdoutFailureReported) return false;
  g_stdoutFailureReported = true;
  if (g_stdoutWasClosed) {
    std::fprintf(stderr, "kestrelpix-cli: standard output is closed; nothing could be printed\n");
  } else if (!flushed && err != 0) {
    std::fprintf(stderr, "kestrelpix-cli: cannot write to standard output: %s\n",
                 std::strerror(err));
  } else {
    std::fprintf(stderr, "kestrelpix-cli: cannot write to standard output; output was lost\n");
  }
  return false;
}

}  // namespace kestrelpix::cli
