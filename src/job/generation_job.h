// The conversion run: from the first entry of the loaded document to the
// last, each entry drawn, encoded, packed and indexed, with progress, abort
// and the completion help text. The window and the command-line tool both
// drive this one class through a JobHost of their own.
#pragma once

#include <cstdint>
#include <string>

#include "base/app_state.h"
#include "base/message_sink.h"
#include "base/frame_bitmap.h"
#include "render/render_settings.h"
#include "subtitle/subtitle.h"

namespace kestrelpix {

// What a front end offers the run.
class JobHost {
 public:
  virtual ~JobHost() = default;
  // The current settings, read afresh for every entry (and once for the
  // colours, the palette, the frame rate and the language at the start).
  virtual RenderSettings ReadRenderSettings() = 0;
  // Lets the front end handle pending events once per entry. An abort press
  // handled here calls GenerationJob::ButtonGenerateClick again (nested).
  virtual void ProcessEvents() = 0;
  // ProgressBar1: range and position.
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  virtual int ProgressPosition() const = 0;
  // Enables or disables the settings controls; the generate button reads
  // "Generate Vobsub" when enabled, "Abort" when not.
  virtual void EnableInputs(bool enabled) = 0;
  // The frame just drawn for an entry (the window shows it as its preview).
  virtual void FrameDrawn(const FrameBitmap& frame) {}
  // Command-line mode: a complete run ends the program.
  virtual void RequestTerminate() {}
  virtual MessageSink& Messages() = 0;
};

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
  GenerationJob(AppState& state, JobHost& host) : state_(state), host_(host) {}

  // One press of the generate button, or the unattended run's call: starts
  // a run over doc, writing beside inputFile; while a run is active, the
  // press is the abort request. Returns how this call ended.
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
  JobHost& host_;
  bool running_ = false;
  std::string outputBase_;
  std::string lastError_;
  std::string indexFile_, subFile_, helpFile_;
  int entriesWritten_ = 0;
};

}  // namespace kestrelpix
