#include "job/generation_job.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/errors.h"
#include "base/number_text.h"
#include "job/job_support.h"
#include "job/output_file.h"
#include "job/run_checks.h"
#include "render/line_wrap.h"
#include "render/rasterizer.h"
#include "render/text_decode.h"
#include "vobsub/help_text.h"
#include "vobsub/idx_writer.h"
#include "vobsub/output_names.h"
#include "vobsub/palette.h"
#include "vobsub/ps_packer.h"
#include "vobsub/spu_encoder.h"

namespace kestrelpix {

namespace {

// The encoder's warnings of one run, passed on up to a limit: a film whose
// every entry draws the same warning would otherwise bury the user under
// one message per entry (a message box each, in the window).
class CappedWarnings : public MessageSink {
 public:
  explicit CappedWarnings(MessageSink& target) : target_(target) {}
  void ShowMessage(std::string_view text) override { target_.ShowMessage(text); }
  void Warn(std::string_view text) override {
    if (shown_ < kLimit) {
      ++shown_;
      target_.Warn(text);
    } else {
      ++held_;
    }
  }
  // Says how many were held back, once, at the end of the run.
  void Finish() {
    if (held_ > 0) {
      target_.Warn(std::to_string(held_) + " more warning" + (held_ == 1 ? "" : "s") +
                   " of this run not shown.");
    }
    held_ = 0;
  }

 private:
  static constexpr int kLimit = 5;
  MessageSink& target_;
  int shown_ = 0;
  int held_ = 0;
};

}  // namespace

JobOutcome GenerationJob::ButtonGenerateClick(const TSubtitle* doc, const std::string& inputFile) {
  state_.JobIdle = !state_.JobIdle;
  progress_ = 0;
  frontEnd_.SetProgressPosition(progress_);
  // A press while this object's run is active is always the abort request;
  // it never starts a second run inside the first.
  if (running_) state_.JobIdle = true;
  if (state_.JobIdle) {
    frontEnd_.ShowMessage("Operation Aborted");
    return JobOutcome::AbortPress;
  }

  frontEnd_.EnableInputs(false);
  const JobOutcome outcome = Run(doc, inputFile);
  frontEnd_.EnableInputs(true);
  return outcome;
}

JobOutcome GenerationJob::Refuse(const std::string& message) {
  frontEnd_.ShowMessage(message);
  state_.JobIdle = true;
  return JobOutcome::Refused;
}

JobOutcome GenerationJob::Run(const TSubtitle* doc, const std::string& inputFile) {
  if (!state_.SubtitleLoaded || doc == nullptr) {
    return Refuse("Please load an Srt/Sub/Txt subtitle.");
  }
  if (!state_.SubtitleFits) return Refuse("Please use smaller font.");
  const std::string& base = outputBase_.empty() ? inputFile : outputBase_;
  indexFile_ = OutputFileName(base, kIndexSuffix);
  subFile_ = OutputFileName(base, kSubSuffix);
  helpFile_ = OutputFileName(base, kHelpSuffix);
  if (SameFile(subFile_, inputFile) || SameFile(indexFile_, inputFile) ||
      SameFile(helpFile_, inputFile)) {
    return Refuse("Converting " + inputFile +
                  " would overwrite it: the VobSub output takes its name. Save the subtitle with "
                  "the extension .txt and load it again.");
  }
  const int count = doc->LineCount();
  if (count == 0) return Refuse("The subtitle has no entries: nothing to convert.");
  const std::string tooLong = NameTooLongMessage({indexFile_, subFile_, helpFile_});
  if (!tooLong.empty()) return Refuse(tooLong);
  try {
    for (const std::string* name : {&indexFile_, &subFile_, &helpFile_}) {
      OutputFile::CheckReplaceable(*name);
    }
  } catch (const Error& e) {
    return Refuse(e.what());
  }
  const std::string longDisplays = LongDisplayWarning(*doc);
  if (!longDisplays.empty()) frontEnd_.Warn(longDisplays);

  frontEnd_.SetProgressRange(0, count - 1);
  lastError_.clear();
  entriesWritten_ = 0;

  const RenderSettings first = SettingsForText(frontEnd_.ReadRenderSettings(), doc);
  const ColorKeys keys = ColorKeysFrom(first.TextColor, first.OutlineColor, first.AntialiasColor);
  uint64_t packCount = 0;

  OutputFile index, sub;
  std::string help;
  CappedWarnings warnings(frontEnd_);
  std::error_code removeError;
  running_ = true;
  try {
    index.Create(indexFile_);
    index.Write(IndexHeader(
        first.Fps, first.Language,
        PaletteBlock(first.Palette, first.AntialiasColor, first.OutlineColor, first.TextColor)));
    sub.Create(subFile_);

    FrameBitmap frame;
    std::vector<uint8_t> packs;
    for (int k = 1; k <= count; ++k) {
      if (state_.JobIdle) continue;
      frontEnd_.ProcessEvents();
      if (!state_.JobIdle && frontEnd_.StopRequested()) {
        ButtonGenerateClick(doc, inputFile);  // the press of "Abort"
      }
      frontEnd_.SetProgressPosition(++progress_);
      const SubtitleLineView line = doc->LineView(k);
      const RenderSettings settings = SettingsForText(frontEnd_.ReadRenderSettings(), doc);
      const DrawnLines text = LinesToDraw(frontEnd_.GetFonts(), *doc, k, settings);
      const Band drawn = RenderFrame(frontEnd_.GetFonts(), text.Line1, text.Line2, settings, frame);
      const Band band = ClampBand(drawn, frame.height());
      frontEnd_.FrameDrawn(frame);

      // A time before the start of the video cannot be stamped; it shows
      // from the start instead.
      const double start = std::max(0.0, StrToFloat(line.StartTime));
      const double end = StrToFloat(line.EndTime);
      // A unit's stop can lie at most 65535 ticks of 1024/90000 s (about
      // 745 s) after its own time stamp; a longer entry is shown by several
      // units whose times meet, each with its index line.
      for (const DisplaySpan& span : DisplaySpans(start, end)) {
        const std::vector<uint8_t> unit = EncodeSubpicture(
            frame, band.BandTop, band.BandHeight, span.StartTime, span.EndTime, keys, &warnings);
        packs.clear();
        const int packsOfUnit = PackSubpicture(unit, span.StartTime, packs);
        index.Write(IndexEntry(span.StartTime, packCount * kPackSize));
        packCount += static_cast<uint64_t>(packsOfUnit);
        sub.Write(packs.data(), packs.size());
      }
      ++entriesWritten_;
    }
    warnings.Finish();
    // The help file only after a complete run. The outputs keep their
    // temporary names until all are written; then all replace whatever
    // held their names, so an earlier pair stays whole until this one is.
    OutputFile helpOut;
    std::vector<OutputFile*> outputs = {&index, &sub};
    if (!state_.JobIdle) {
      help = HelpText(first.AntialiasColor, first.OutlineColor, first.TextColor,
                      std::filesystem::absolute(base).lexically_normal().string());
      helpOut.Create(helpFile_);
      helpOut.Write(help);
      outputs.push_back(&helpOut);
    }
    OutputFile::Commit(outputs);
    // A help file left by an earlier complete run would vouch for this
    // shorter pair: without it, the pair reads as the aborted run it is.
    if (state_.JobIdle) std::filesystem::remove(helpFile_, removeError);
  } catch (const std::exception& e) {
    // Any failure, a broken internal rule included, ends the run. Nothing
    // of it replaced an earlier output: its temporary files are removed and
    // the names keep what they held.
    lastError_ = e.what();
    const bool indexRemoved = index.Discard();
    const bool subRemoved = sub.Discard();
    if (indexRemoved || subRemoved) {
      lastError_ += ". Nothing was replaced: the unfinished files were removed.";
    }
    running_ = false;
    state_.JobIdle = true;
    frontEnd_.ShowMessage(lastError_);
    return JobOutcome::Failed;
  }
  running_ = false;

  if (state_.JobIdle) return JobOutcome::Aborted;

  state_.JobIdle = true;
  if (state_.CommandLineMode) {
    frontEnd_.RequestTerminate();
  } else {
    frontEnd_.ShowMessage(help);
  }
  return JobOutcome::Completed;
}

}  // namespace kestrelpix
