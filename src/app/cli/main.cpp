// kestrelpix-cli: the converter without a window.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/cli/command.h"
#include "app/cli/console.h"
#include "app/command_line.h"
#include "app/console_front_end.h"
#include "app/unattended_run.h"
#include "base/errors.h"

namespace kestrelpix::cli {

namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

void PrintHelp() {
  std::printf(
      "Usage: kestrelpix-cli COMMAND [ARGUMENTS]\n"
      "       kestrelpix-cli FILE FONT CHARSET STYLE SIZE ALIGN OFFSET OFFSETOR OUTLINE\n"
      "                      ANTIALIAS OUTLINECOLOR TEXT LANG FPS METHOD\n\n"
      "Converts text subtitles (.srt, or frame-numbered .sub/.txt) into VobSub\n"
      "(.idx/.sub) DVD bitmap subtitles.\n\nCommands:\n");
  for (const Command& c : Registry()) std::printf("  %-10s %s\n", c.name, c.summary);
  std::printf("\nRun 'kestrelpix-cli COMMAND --help' for a command's options.\n");
}

// A closed standard stream would be the first free descriptor, which the
// next open() takes: the outputs' paths would then be printed into an
// output. /dev/null holds its place; a closed stdout is reported at exit.
bool g_stdoutWasClosed = false;

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

// What a command printed must have reached stdout: a full disk or a closed
// stdout turns success into a failure with a message.
int CheckStdout(int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  const int err = errno;
  if (!g_stdoutWasClosed && flushed && !std::ferror(stdout)) return status;
  if (g_stdoutWasClosed) {
    std::fprintf(stderr, "kestrelpix-cli: standard output is closed; nothing could be printed\n");
  } else if (!flushed && err != 0) {
    std::fprintf(stderr, "kestrelpix-cli: cannot write to standard output: %s\n",
                 std::strerror(err));
  } else {
    std::fprintf(stderr, "kestrelpix-cli: cannot write to standard output; output was lost\n");
  }
  return status == kExitOk ? kExitFailed : status;
}

}  // namespace

const std::vector<Command>& Commands() { return Registry(); }

RegisterCommand::RegisterCommand(Command command) { Registry().push_back(command); }

}  // namespace kestrelpix::cli

int main(int argc, char** argv) {
  using namespace kestrelpix::cli;
  GuardStandardStreams();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp();
    return args.empty() ? kExitUsage : kExitOk;
  }
  if (args[0] == "--version") {
    std::printf("kestrelpix-cli %s\n", KESTRELPIX_VERSION);
    return kExitOk;
  }
  const Command* chosen = nullptr;
  for (const Command& c : Commands()) {
    if (args[0] == c.name) chosen = &c;
  }
  // Fifteen positional parameters are an unattended conversion, as a batch
  // line gives them.
  if (chosen == nullptr && kestrelpix::DetectCommandLine(args)) {
    InstallAbortHandler();
    kestrelpix::ConsoleFrontEnd console;
    console.ShowProgress(args[0]);
    const int status = kestrelpix::RunUnattendedHeadless(args, console);
    console.FinishProgress();
    return CheckStdout(status);
  }
  if (chosen == nullptr) {
    std::fprintf(stderr, "kestrelpix-cli: unknown command '%s' (see --help)\n", args[0].c_str());
    return kExitUsage;
  }
  try {
    return CheckStdout(chosen->run(std::vector<std::string>(args.begin() + 1, args.end())));
  } catch (const kestrelpix::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return kExitFailed;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrelpix-cli: %s\n", e.what());
    return kExitFailed;
  }
}
