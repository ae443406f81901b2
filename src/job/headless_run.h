// Conversions without a window: the command-line tool's convert command,
// its merge, and the unattended run of a batch line. Each loads its
// subtitles as the window does, refuses what does not fit, and runs one
// conversion with the front end as its observer.
#pragma once

#include <string>
#include <vector>

#include "job/conversion_run.h"
#include "job/front_end.h"

namespace kestrelpix {

struct ConversionReport {
  JobOutcome Outcome = JobOutcome::None;
  std::string IndexFile, SubFile, HelpFile;
  int Entries = 0;
};

// Loads input, checks that every line fits and converts it with the front
// end's settings. outputBase names the outputs as the input would (the three
// files take its folder and name); empty means beside the input. A stop the
// front end asks for shows "Operation Aborted". workers: threads that draw
// and encode (the output is the same for any number).
ConversionReport ConvertHeadless(const std::string& input, const std::string& outputBase,
                                 FrontEnd& frontEnd, int workers = 1);

// One stream of a merge: the subtitle file and its entry of the language
// list ("fr FRENCH").
struct MergeInput {
  std::string Input;
  std::string Language;
};

// OUTBASE as the user gave it, without a final ".idx" or ".sub" (so that
// "--merge film.idx" writes film.idx, not film.idx.idx).
std::string MergeOutputBase(const std::string& outBase);

// Several subtitles, one per language, merged into one VobSub pair: one
// .idx with a language block per stream, one .sub whose packs carry the
// units of every stream in start-time order, each stream on a sub-stream id
// of its own (0x20 + its index). Players offer the streams as a language
// menu. Every input is loaded and checked (with the front end's settings,
// read once) before anything is written; refuses more than 32 inputs, an
// input that does not load or fit or has no entries, and outputs that would
// replace an input. Messages name the input they concern when there are
// several. A merge of one input gives exactly the pair a plain conversion
// gives.
ConversionReport MergeHeadless(const std::vector<MergeInput>& inputs, const std::string& outBase,
                               FrontEnd& frontEnd, int workers = 1);

int ExitStatusFor(JobOutcome outcome);

}  // namespace kestrelpix
