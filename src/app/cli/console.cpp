#include "app/cli/console.h"

#include <signal.h>

#include "job/stop_signals.h"

namespace kestrelpix::cli {

void InstallAbortHandler() {
  InstallStopSignals();
  ::signal(SIGXFSZ, SIG_IGN);
  // A reader of stdout or stderr that went away (| head) makes the writes
  // fail instead of killing the run in the middle of its outputs.
  ::signal(SIGPIPE, SIG_IGN);
}

bool AbortRequested() { return StopSignal() != 0; }

}  // namespace kestrelpix::cli
