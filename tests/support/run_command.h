// Runs a command through the shell and collects its output and exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace kestrelpix::testing {

struct CommandResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline CommandResult RunCommand(const std::string& command) {
  TempDir dir;
  const std::string out = (dir.path() / "out").string();
  const std::string err = (dir.path() / "err").string();
  const std::string full = command + " >" + ShellQuote(out) + " 2>" + ShellQuote(err);
  const int raw = std::system(full.c_str());
  CommandResult r;
  if (WIFEXITED(raw))
    r.status = WEXITSTATUS(raw);
  else if (WIFSIGNALED(raw))
    r.status = 128 + WTERMSIG(raw);
  r.out = ReadFileBytes(out);
  r.err = ReadFileBytes(err);
  return r;
}

}  // namespace kestrelpix::testing
