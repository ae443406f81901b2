// Ctrl-C (SIGINT), SIGTERM and SIGHUP as the Abort button of a conversion
// without a window: the first of them asks the run to stop after the entry
// in progress, so the pair on disk stays consistent; a second one ends the
// process at once by that signal.
#pragma once

#include <sys/types.h>

namespace kestrelpix {

void InstallStopSignals();

// The first stop signal received, 0 while none was.
int StopSignal();

// The exit status of a run stopped by a signal: 128 + that signal (130 for
// Ctrl-C, also when the run was stopped in another way).
int StoppedExitStatus();

// fork() for a conversion that runs beside others (convert --jobs): every
// stop signal the parent receives is passed on to the child until
// ForgetChild, and the child receives SIGTERM when its parent dies, so it
// stops as a run stops either way. A press of Ctrl-C reaches the child
// twice, from the terminal and from its parent; the two count as one, and
// a second press still ends it at once. Returns as fork() does; at most 64
// children at a time are told.
pid_t ForkStoppableChild();

// Stops passing signals on to a child: called before it is reaped, while
// its process id cannot be taken by another process.
void ForgetChild(pid_t child);

}  // namespace kestrelpix
