// The conversion run: from the first entry of the loaded document to the
// last, each entry drawn, encoded, packed and indexed, with progress, abort
// and the completion help text. The window and the command-line tool both
// drive this one class, each as its front end.
#pragma once

#include <cstdint>
#include <string>

#include "base/app_state.h"
#include "job/front_end.h"
#include "subtitle/subtitle.h"

namespace kestrelpix {

enum class JobOutcome {
  None,       // no run has ended yet
  Completed,  // all entries written, help file written
  Aborted,    // stopped by an abort press; a consistent, shorter pair
  Refused,    // not started: nothing loaded, text too wide, bad input name
  Failed,     // a file error stopped the run; both files closed
  AbortPress  // this call was the abort press of a run in progress
};

class GenerationJob {
 public:
  GenerationJob(AppState& state, FrontEnd& frontEnd) : state_(state), frontEnd_(frontEnd) {}

  // One press of the generate button, or the unattended run's call: starts
  // a run over doc, writing beside inputFile; while a run is active, the
  // press is the abort request, and so is a stop the front end asks for.
  // Returns how this call ended.
  JobOutcome ButtonGenerateClick(const TSubtitle* doc, const std::string& inputFile);

  // Names the outputs after this path instead of the input (the three files
  // take its folder and name); empty names them after the input.
  void SetOutputBase(const std::string& path) { outputBase_ = path; }

  // The text of the error that stopped the last failed run, if any.
  const std::string& LastError() const { return lastError_; }
  // The three output files of the last run (index, sub, help).
  const std::string& IndexFile() const { return indexFile_; }
  const std::string& SubFile() const { return subFile_; }
  const std::string& HelpFile() const { return helpFile_; }
  // Entries written by the last run.
  int EntriesWritten() const { return entriesWritten_; }

 private:
  JobOutcome Run(const TSubtitle* doc, const std::string& inputFile);
  JobOutcome Refuse(const std::string& message);

  AppState& state_;
  FrontEnd& frontEnd_;
  bool running_ = false;
  int progress_ = 0;  // the progress position shown
  std::string outputBase_;
  std::string lastError_;
  std::string indexFile_, subFile_, helpFile_;
  int entriesWritten_ = 0;
};

}  // namespace kestrelpix
