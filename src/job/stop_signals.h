// Ctrl-C (SIGINT), SIGTERM and SIGHUP as the Abort button of a conversion
// without a window: the first of them asks the run to stop after the entry
// in progress, so the pair on disk stays consistent; a second one ends the
// process at once by that signal.
#pragma once

namespace kestrelpix {

void InstallStopSignals();

// The first stop signal received, 0 while none was.
int StopSignal();

// The exit status of a run stopped by a signal: 128 + that signal (130 for
// Ctrl-C, also when the run was stopped in another way).
int StoppedExitStatus();

}  // namespace kestrelpix
