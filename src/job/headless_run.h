// Conversions without a window: the command-line tool's convert command and
// the unattended run of a batch line. They load, check and generate exactly
// as the window does, with CommandLineMode set.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/message_sink.h"
#include "job/generation_job.h"
#include "render/render_settings.h"

namespace kestrelpix {

struct ConsoleCallbacks {
  // After each entry drawn: entries done so far and the total.
  std::function<void(int done, int total)> Progress;
  // Polled once per entry, where the window would process its events; true
  // acts as a press of "Abort".
  std::function<bool()> AbortRequested;
};

struct ConversionReport {
  JobOutcome Outcome = JobOutcome::None;
  std::string IndexFile, SubFile, HelpFile;
  int Entries = 0;
};

// Loads input, checks that every line fits and converts it with settings.
// outputBase names the outputs as the input would (the three files take its
// folder and name); empty means beside the input.
ConversionReport ConvertHeadless(const std::string& input, const RenderSettings& settings,
                                 const std::string& outputBase, MessageSink& sink,
                                 const ConsoleCallbacks& callbacks = {},
                                 const std::string& wrapHint = "--wrap");

int ExitStatusFor(JobOutcome outcome);

}  // namespace kestrelpix
