// Conversions without a window: the command-line tool's convert command and
// the unattended run of a batch line. They load, check and generate exactly
// as the window does, with CommandLineMode set.
#pragma once

#include <string>

#include "job/front_end.h"
#include "job/generation_job.h"

namespace kestrelpix {

struct ConversionReport {
  JobOutcome Outcome = JobOutcome::None;
  std::string IndexFile, SubFile, HelpFile;
  int Entries = 0;
};

// Loads input, checks that every line fits and converts it with the front
// end's settings. outputBase names the outputs as the input would (the three
// files take its folder and name); empty means beside the input.
ConversionReport ConvertHeadless(const std::string& input, const std::string& outputBase,
                                 FrontEnd& frontEnd);

int ExitStatusFor(JobOutcome outcome);

}  // namespace kestrelpix
