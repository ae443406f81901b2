#include "job/headless_run.h"

#include <memory>

#include "base/app_state.h"
#include "base/errors.h"
#include "job/load_action.h"
#include "job/stop_signals.h"
#include "render/text_decode.h"
#include "subtitle/line_reader.h"
#include "vobsub/output_names.h"
#include "vobsub/ps_packer.h"

namespace kestrelpix {

namespace {

// The front end as the load of one input sees it: its messages are
// prefixed with the input's name.
class InputFrontEnd : public FrontEnd {
 public:
  InputFrontEnd(FrontEnd& outer, std::string prefix) : outer_(outer), prefix_(std::move(prefix)) {}
  RenderSettings ReadRenderSettings() override { return outer_.ReadRenderSettings(); }
  Fonts& GetFonts() override { return outer_.GetFonts(); }
  std::string WrapHint() const override { return outer_.WrapHint(); }
  void ShowMessage(std::string_view text) override {
    outer_.ShowMessage(prefix_ + std::string(text));
  }
  void Warn(std::string_view text) override { outer_.Warn(prefix_ + std::string(text)); }
  void LoadStarted(const std::string& fileName) override { outer_.LoadStarted(fileName); }
  void Loaded(const SubtitleDocument& doc, const std::vector<std::string>& notes) override {
    std::vector<std::string> prefixed;
    for (const std::string& note : notes) prefixed.push_back(prefix_ + note);
    outer_.Loaded(doc, prefixed);
  }
  void LoadRefused() override { outer_.LoadRefused(); }
  void AllEntriesFit() override { outer_.AllEntriesFit(); }
  void LoadEnded() override { outer_.LoadEnded(); }

 private:
  FrontEnd& outer_;
  std::string prefix_;
};

// Loads one input as the load action does without a window, fit check
// included, into stream. False when a file or number error ended the load
// (reported through frontEnd).
bool LoadStream(const std::string& input, FrontEnd& frontEnd,
                std::unique_ptr<SubtitleDocument>& doc, RunStream& stream) {
  AppState state;
  try {
    // A missing input, a folder or a FIFO gets its own message rather than
    // "Unsupported Subtitle Format !"; the probe opens without blocking.
    { LineReader probe(input); }
    LoadSubtitleFile(input, doc, state, frontEnd);
  } catch (const Error& e) {
    frontEnd.ShowMessage(e.what());
    return false;
  }
  stream.Doc = state.SubtitleLoaded ? doc.get() : nullptr;
  stream.Fits = state.SubtitleFits;
  stream.Input = input;
  return true;
}

ConversionReport ReportOf(const RunOutcome& outcome) {
  return {outcome.Outcome, outcome.Names.Index, outcome.Names.Sub, outcome.Names.Help,
          outcome.Entries};
}

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

ConversionReport ConvertHeadless(const std::string& input, const std::string& outputBase,
                                 FrontEnd& frontEnd, int workers) {
  RunRequest request;
  request.Workers = workers;
  request.Names = PairNames::ForInput(input, outputBase);
  std::unique_ptr<SubtitleDocument> doc;
  RunStream& stream = request.Streams.emplace_back();
  if (!LoadStream(input, frontEnd, doc, stream)) {
    // A number that does not convert or a file that cannot be read ends
    // the load, and with it this input's run; the caller goes on with its
    // other inputs.
    ConversionReport report;
    report.Outcome = JobOutcome::Failed;
    return report;
  }
  const RenderSettings settings = frontEnd.ReadRenderSettings();
  stream.Language = settings.Language;
  stream.Drawing = SettingsForText(settings, stream.Doc);
  request.Settings = stream.Drawing;
  const RunOutcome outcome = RunConversion(request, frontEnd.GetFonts(), frontEnd);
  if (outcome.Outcome == JobOutcome::Aborted) frontEnd.ShowMessage("Operation Aborted");
  return ReportOf(outcome);
}

std::string MergeOutputBase(const std::string& outBase) {
  for (const char* suffix : {kIndexSuffix, kSubSuffix}) {
    const std::string s = suffix;
    if (outBase.size() > s.size() && outBase.compare(outBase.size() - s.size(), s.size(), s) == 0) {
      return outBase.substr(0, outBase.size() - s.size());
    }
  }
  return outBase;
}

ConversionReport MergeHeadless(const std::vector<MergeInput>& inputs, const std::string& outBase,
                               FrontEnd& frontEnd, int workers) {
  RunRequest request;
  request.Workers = workers;
  request.Merge = true;
  request.Names = PairNames::WithBase(MergeOutputBase(outBase));
  request.Settings = frontEnd.ReadRenderSettings();
  ConversionReport report = ReportOf({JobOutcome::Refused, request.Names, 0, ""});
  const int streamCount = static_cast<int>(inputs.size());
  if (streamCount == 0 || streamCount > kMaxSubStreams) {
    frontEnd.ShowMessage("A merge takes 1 to " + std::to_string(kMaxSubStreams) +
                         " subtitles (one sub-stream each), not " + std::to_string(streamCount) +
                         ".");
    return report;
  }

  // Every input is loaded and checked before any file is touched; the first
  // that is refused ends the merge.
  std::vector<std::unique_ptr<SubtitleDocument>> docs(inputs.size());
  request.Streams.resize(inputs.size());
  for (size_t s = 0; s < inputs.size(); ++s) {
    RunStream& stream = request.Streams[s];
    stream.Prefix = streamCount > 1 ? inputs[s].Input + ": " : "";
    InputFrontEnd inputFrontEnd(frontEnd, stream.Prefix);
    if (!LoadStream(inputs[s].Input, inputFrontEnd, docs[s], stream)) {
      report.Outcome = JobOutcome::Failed;
      return report;
    }
    if (auto refusal = StreamRefusal(stream, request)) {
      frontEnd.ShowMessage(*refusal);
      return report;
    }
    stream.Language = inputs[s].Language;
    // Drawn as a conversion of this input alone draws it: in the charset
    // that decodes its text.
    stream.Drawing = SettingsForText(request.Settings, stream.Doc);
  }
  return ReportOf(RunConversion(request, frontEnd.GetFonts(), frontEnd));
}

}  // namespace kestrelpix
