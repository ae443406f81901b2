// kestrelpix-cli add-to-batch BATCHFILE INPUT [options]: queues a conversion
// as the window's "Add to Batch" does, with the settings given as convert
// takes them.
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/command.h"
#include "app/cli/console.h"
#include "app/cli/convert_options.h"
#include "app/command_line.h"
#include "app/console_front_end.h"
#include "app/settings_location.h"
#include "base/errors.h"
#include "base/message_sink.h"
#include "job/load_action.h"
#include "render/font_tables.h"
#include "subtitle/line_reader.h"

namespace kestrelpix::cli {

namespace {

const char* const kUsage =
    "Usage: kestrelpix-cli add-to-batch BATCHFILE INPUT [options]\n\n"
    "Appends to BATCHFILE the line that the window's \"Add to Batch\" writes for\n"
    "INPUT with these settings (the options of convert, which must be entries of\n"
    "the window's lists). A new BATCHFILE starts with #!/bin/sh and is made\n"
    "executable; running it converts every queued subtitle. The line carries the\n"
    "palette mode (PC without --palette) and whether to --wrap, as the window's\n"
    "lines do. It carries no --output-dir, --jobs, --threads, --merge, --languages,\n"
    "--sami-class or --quiet: they are refused. When this confirmation cannot be printed, the\n"
    "job is taken back out and the exit status is 1.\n";

int RunAddToBatch(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::printf("%s\nOptions: the settings 'kestrelpix-cli convert --help' lists.\n", kUsage);
      return kExitOk;
    }
  }
  ConvertSettings parsed;
  try {
    parsed = ParseConvertSettings(args);
  } catch (const UsageError& e) {
    // The options are convert's, and so are their messages.
    return ReportUsage("convert", e.what());
  }
  if (parsed.Help) {
    PrintConvertOptionsHelp();
    return kExitOk;
  }
  if (!parsed.RunOptions.empty()) {
    std::fprintf(stderr,
                 "kestrelpix-cli add-to-batch: %s cannot be queued: a batch line carries only "
                 "the subtitle and the settings of the window's lists. Nothing was added.\n",
                 parsed.RunOptions.front().c_str());
    return kExitUsage;
  }
  const RenderSettings& settings = parsed.Settings;
  const std::vector<std::string>& positional = parsed.Positional;
  if (positional.size() != 2) {
    std::fprintf(stderr,
                 "kestrelpix-cli add-to-batch: give BATCHFILE and one INPUT (see --help)\n");
    return kExitUsage;
  }
  const std::string& batchFile = positional[0];
  // The batch file may run from any folder: it names the subtitle by its
  // full path.
  const std::string input = std::filesystem::absolute(positional[1]).lexically_normal().string();

  ConsoleFrontEnd sink(settings);
  const ControlPositions positions = PositionsFromSettings(settings, FontList());
  // Queued only what the window would queue: a subtitle that loads and
  // whose lines fit with these settings.
  AppState state;
  std::unique_ptr<SubtitleDocument> doc;
  { LineReader probe(input); }
  LoadSubtitleFile(input, doc, state, sink);
  if (!state.SubtitleLoaded) {
    sink.ShowMessage("Load an srt");
    return kExitFailed;
  }
  if (!state.SubtitleFits) {
    sink.ShowMessage("Please use smaller fonts.");
    return kExitFailed;
  }
  // Written last, after every check: a failure leaves nothing queued, so
  // trying again queues the job once.
  ::signal(SIGPIPE, SIG_IGN);  // a reader of stdout gone: a failed write, not the end
  const BatchFileAppend added =
      AppendToBatchFile(batchFile, BatchLine(RunningProgramFolder(), input, positions));
  std::printf("Job added to Batch file: %s\n", batchFile.c_str());
  if (FlushStdout()) return kExitOk;
  if (UndoBatchFileAppend(added)) {
    std::fprintf(stderr,
                 "kestrelpix-cli add-to-batch: the job was taken back out of %s, as its "
                 "confirmation could not be printed\n",
                 batchFile.c_str());
  } else {
    std::fprintf(stderr,
                 "kestrelpix-cli add-to-batch: the job stays in %s, which changed meanwhile, "
                 "though its confirmation could not be printed; do not add it again\n",
                 batchFile.c_str());
  }
  return kExitFailed;
}

const RegisterCommand kRegistration({"add-to-batch", "queue a conversion in a batch file",
                                     RunAddToBatch});

}  // namespace

}  // namespace kestrelpix::cli
