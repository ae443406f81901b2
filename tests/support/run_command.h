// Running other programs from the tests: RunCommand for a shell command line
// run to its end, ChildProcess for the command-line tool started directly so
// that a test can signal it and measure it while it runs. Both collect
// standard output and standard error apart, through files.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kestrelpix::testing {

struct CommandResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// A path or argument quoted for the shell.
inline std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs a shell command line; build it with ShellQuote for every path. The
// redirections are added at the end, so they apply to the line's last
// command.
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

// True when `program` is found on the PATH.
inline bool HaveProgram(const std::string& program) {
  return RunCommand("command -v " + ShellQuote(program)).status == 0;
}

struct ChildResult : CommandResult {
  bool killed = false;  // ended by a signal rather than by exiting
  long peakRssKb = 0;
  double cpuSeconds = 0;  // user and system time
};

// A program run as a child process without a shell: argv[0] is its path.
// Its output goes to files, and Wait() returns its exit status with its peak
// resident memory and the processor time it took. A child still running when the object goes is
// killed.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv) {
    out_ = (logs_.path() / "out").string();
    err_ = (logs_.path() / "err").string();
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
      ::dup2(::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
  }
  ~ChildProcess() {
    if (!waited_ && pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  void Signal(int sig) const { ::kill(pid_, sig); }

  // True once the child has its own handler for sig (the "SigCgt" mask of
  // /proc/PID/status).
  bool Catches(int sig) const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("SigCgt:", 0) == 0) {
        const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
        return (mask >> (sig - 1)) & 1;
      }
    }
    return false;
  }

  // True while the child has not exited.
  bool Running() const {
    if (waited_) return false;
    siginfo_t info{};
    info.si_pid = 0;
    return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
  }

  ChildResult Wait() {
    ChildResult r;
    int raw = 0;
    struct rusage usage {};
    ::wait4(pid_, &raw, 0, &usage);
    waited_ = true;
    if (WIFEXITED(raw)) {
      r.status = WEXITSTATUS(raw);
    } else if (WIFSIGNALED(raw)) {
      r.status = 128 + WTERMSIG(raw);
      r.killed = true;
    }
    r.out = ReadFileBytes(out_);
    r.err = ReadFileBytes(err_);
    r.peakRssKb = usage.ru_maxrss;
    r.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return r;
  }

 private:
  TempDir logs_;
  std::string out_, err_;
  pid_t pid_ = -1;
  bool waited_ = false;
};

}  // namespace kestrelpix::testing
