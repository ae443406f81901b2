// Ctrl-C as the Abort button, for the conversions of the command-line tool
// (their progress and messages: app/console_front_end.h), and the standard
// streams the tool prints to.
#pragma once

namespace kestrelpix::cli {

// Installs the handler of Ctrl-C, SIGTERM and SIGHUP: the first asks the run
// in progress to stop after its current entry; a second one ends the process
// at once.
// Also lets a write past the file-size limit, or to a pipe without reader,
// fail with an error instead of killing the process.
void InstallAbortHandler();
bool AbortRequested();

// A closed standard stream would be the first free descriptor, which the
// next open() takes: the outputs' paths would then be printed into an
// output. /dev/null holds its place; a closed stdout is remembered.
void GuardStandardStreams();

// Flushes stdout and tells whether everything printed so far reached it:
// false after a failed write (a full disk, a reader gone) and when stdout
// was closed at start. The first failure is reported on stderr, later ones
// are not.
bool FlushStdout();

}  // namespace kestrelpix::cli
