#include "job/headless_run.h"

#include <memory>

#include "base/errors.h"
#include "job/load_action.h"
#include "job/stop_signals.h"
#include "render/font_tables.h"
#include "render/text_decode.h"
#include "subtitle/line_reader.h"

namespace kestrelpix {

namespace {

class ConsoleJobHost : public JobHost {
 public:
  ConsoleJobHost(const RenderSettings& settings, MessageSink& sink,
                 const ConsoleCallbacks& callbacks)
      : settings_(settings), sink_(sink), callbacks_(callbacks) {}

  void Attach(GenerationJob* job, const TSubtitle* doc, const std::string* input) {
    job_ = job;
    doc_ = doc;
    input_ = input;
  }

  RenderSettings ReadRenderSettings() override { return settings_; }
  void ProcessEvents() override {
    if (!abortPressed_ && callbacks_.AbortRequested && callbacks_.AbortRequested()) {
      abortPressed_ = true;
      job_->ButtonGenerateClick(doc_, *input_);  // the press of "Abort"
    }
  }
  void SetProgressRange(int, int maximum) override { total_ = maximum + 1; }
  void SetProgressPosition(int position) override {
    position_ = position;
    if (callbacks_.Progress && position > 0) callbacks_.Progress(position, total_);
  }
  int ProgressPosition() const override { return position_; }
  void EnableInputs(bool) override {}
  MessageSink& Messages() override { return sink_; }

 private:
  RenderSettings settings_;
  MessageSink& sink_;
  const ConsoleCallbacks& callbacks_;
  GenerationJob* job_ = nullptr;
  const TSubtitle* doc_ = nullptr;
  const std::string* input_ = nullptr;
  bool abortPressed_ = false;
  int position_ = 0;
  int total_ = 0;
};

}  // namespace

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

ConversionReport ConvertHeadless(const std::string& input, const RenderSettings& settings,
                                 const std::string& outputBase, MessageSink& sink,
                                 const ConsoleCallbacks& callbacks, const std::string& wrapHint) {
  AppState state;
  state.CommandLineMode = true;
  std::unique_ptr<TSubtitle> doc;
  LoadActionHooks hooks;
  // The document decides what DEFAULT decodes with (its detected code page).
  auto settingsFor = [&settings](const TSubtitle* d) {
    RenderSettings s = settings;
    s.FontCharset = CharsetForText(s.FontCharset, d);
    return s;
  };
  hooks.Fit.ReadSettings = [&] { return settingsFor(doc.get()); };
  hooks.Fit.WrapHint = wrapHint;
  ConversionReport report;
  try {
    // A missing input, a folder or a FIFO gets its own message rather than
    // "Unsupported Subtitle Format !"; the probe opens without blocking.
    { LineReader probe(input); }
    LoadSubtitleFile(input, doc, state, sink, hooks);
  } catch (const Error& e) {
    // A number that does not convert or a file that cannot be read ends
    // the load, and with it this input's run; the caller goes on with its
    // other inputs.
    sink.ShowMessage(e.what());
    report.Outcome = JobOutcome::Failed;
    return report;
  }

  ConsoleJobHost host(settingsFor(doc.get()), sink, callbacks);
  GenerationJob job(state, host);
  job.SetOutputBase(outputBase);
  host.Attach(&job, doc.get(), &input);
  report.Outcome = job.ButtonGenerateClick(doc.get(), input);
  report.IndexFile = job.IndexFile();
  report.SubFile = job.SubFile();
  report.HelpFile = job.HelpFile();
  report.Entries = job.EntriesWritten();
  return report;
}

}  // namespace kestrelpix
