// Runs the external decoders (ffprobe, spuunmux, mkvmerge) for the tests.
#pragma once

#include <string>

namespace kestrelpix::testing {

struct CommandResult {
  int exitCode = -1;
  std::string output;  // standard output and standard error together
};

// Runs a shell command line; build it with ShellQuote for every path.
CommandResult RunCommand(const std::string& commandLine);

// A path or argument quoted for the shell.
std::string ShellQuote(const std::string& text);

// True when `program` is found on the PATH.
bool HaveProgram(const std::string& program);

// A fresh, empty folder under the system's temporary folder.
std::string MakeTempFolder(const std::string& prefix);

}  // namespace kestrelpix::testing
