// kestrelpix-cli: the converter without a window.
#include <cstdio>
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
      "                      ANTIALIAS OUTLINECOLOR TEXT LANG FPS METHOD [WRAP]\n\n"
      "Converts text subtitles (SubRip .srt, frame-numbered .sub/.txt, WebVTT .vtt,\n"
      "ASS/SSA .ass/.ssa, SAMI .smi/.sami, TTML .ttml/.dfxp/.xml) into VobSub\n"
      "(.idx/.sub) DVD bitmap subtitles.\n\n"
      "The second form runs a batch line as the window's \"Add to Batch\" writes it:\n"
      "list positions of the window's controls, METHOD 0 pc, 1 dvd, 2 two, 3 safe,\n"
      "and WRAP 1 to draw every line of an entry, breaking lines too wide for the\n"
      "frame (0, or no WRAP, draws the first two lines). 'convert' wraps unless\n"
      "given --no-wrap.\n\n"
      "Commands:\n");
  for (const Command& c : Registry()) std::printf("  %-10s %s\n", c.name, c.summary);
  std::printf("\nRun 'kestrelpix-cli COMMAND --help' for a command's options.\n");
}

// What a command printed must have reached stdout: a full disk or a closed
// stdout turns success into a failure with a message.
int CheckStdout(int status) {
  if (FlushStdout()) return status;
  return status == kExitOk ? kExitFailed : status;
}

}  // namespace

const std::vector<Command>& Commands() { return Registry(); }

RegisterCommand::RegisterCommand(Command command) { Registry().push_back(command); }

int ReportUsage(const char* command, const std::string& message) {
  std::fprintf(stderr, "kestrelpix-cli %s: %s\n", command, message.c_str());
  return kExitUsage;
}

}  // namespace kestrelpix::cli

int main(int argc, char** argv) {
  using namespace kestrelpix::cli;
  GuardStandardStreams();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp();
    return CheckStdout(args.empty() ? kExitUsage : kExitOk);
  }
  if (args[0] == "--version") {
    std::printf("kestrelpix-cli %s\n", KESTRELPIX_VERSION);
    return CheckStdout(kExitOk);
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
