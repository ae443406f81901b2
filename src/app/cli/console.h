// Progress on stderr and Ctrl-C as the Abort button, for the conversions of
// the command-line tool.
#pragma once

#include <string>

#include "job/headless_run.h"

namespace kestrelpix::cli {

// Installs the handler of Ctrl-C, SIGTERM and SIGHUP: the first asks the run
// in progress to stop after its current entry; a second one ends the process
// at once.
// Also lets a write past the file-size limit, or to a pipe without reader,
// fail with an error instead of killing the process.
void InstallAbortHandler();
bool AbortRequested();

// Callbacks that draw a progress bar on stderr when it is a terminal (done
// of total, rate, time left), and plain lines otherwise. label names the
// input; quiet shows nothing.
ConsoleCallbacks ProgressCallbacks(const std::string& label, bool quiet);

// Ends the progress bar's line, if one was drawn.
void FinishProgress();

}  // namespace kestrelpix::cli
