// Ctrl-C as the Abort button, for the conversions of the command-line tool
// (their progress and messages: app/console_front_end.h).
#pragma once

namespace kestrelpix::cli {

// Installs the handler of Ctrl-C, SIGTERM and SIGHUP: the first asks the run
// in progress to stop after its current entry; a second one ends the process
// at once.
// Also lets a write past the file-size limit, or to a pipe without reader,
// fail with an error instead of killing the process.
void InstallAbortHandler();
bool AbortRequested();

}  // namespace kestrelpix::cli
