#include "job/headless_run.h"

#include <memory>

#include "base/errors.h"
#include "job/load_action.h"
#include "job/stop_signals.h"
#include "subtitle/line_reader.h"

namespace kestrelpix {

int ExitStatusFor(JobOutcome outcome) {
  switch (outcome) {
    case JobOutcome::Completed:
      return 0;
    case JobOutcome::Aborted:
      return StoppedExitStatus();
    default:
      return 1;
  }
}

ConversionReport ConvertHeadless(const std::string& input, const std::string& outputBase,
                                 FrontEnd& frontEnd) {
  AppState state;
  state.CommandLineMode = true;
  std::unique_ptr<TSubtitle> doc;
  ConversionReport report;
  try {
    // A missing input, a folder or a FIFO gets its own message rather than
    // "Unsupported Subtitle Format !"; the probe opens without blocking.
    { LineReader probe(input); }
    LoadSubtitleFile(input, doc, state, frontEnd);
  } catch (const Error& e) {
    // A number that does not convert or a file that cannot be read ends
    // the load, and with it this input's run; the caller goes on with its
    // other inputs.
    frontEnd.ShowMessage(e.what());
    report.Outcome = JobOutcome::Failed;
    return report;
  }

  GenerationJob job(state, frontEnd);
  job.SetOutputBase(outputBase);
  report.Outcome = job.ButtonGenerateClick(doc.get(), input);
  report.IndexFile = job.IndexFile();
  report.SubFile = job.SubFile();
  report.HelpFile = job.HelpFile();
  report.Entries = job.EntriesWritten();
  return report;
}

}  // namespace kestrelpix
