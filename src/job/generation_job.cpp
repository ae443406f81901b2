#include "job/generation_job.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/errors.h"
#include "base/number_text.h"
#include "job/output_file.h"
#include "render/line_wrap.h"
#include "render/rasterizer.h"
#include "vobsub/help_text.h"
#include "vobsub/idx_writer.h"
#include "vobsub/output_names.h"
#include "vobsub/palette.h"
#include "vobsub/ps_packer.h"
#include "vobsub/spu_encoder.h"

namespace kestrelpix {

namespace {

// The rows of the band that lie inside the frame. A band reaching above or
// below the frame is cut to the frame's rows; one lying wholly outside keeps
// two rows at the nearest edge, so the unit stays well formed. The top row
// stays even, as the two interlaced fields need.
Band ClampBand(Band band, int frameHeight) {
  int top = std::clamp(band.BandTop, 0, frameHeight - 2);
  top -= top % 2;
  const int bottom = std::clamp(band.BandTop + band.BandHeight, top + 2, frameHeight);
  return Band{top, bottom - top};
}

// True when writing the output would replace the input file itself.
bool SameFile(const std::string& output, const std::string& input) {
  std::error_code ec;
  if (std::filesystem::equivalent(output, input, ec)) return true;
  return std::filesystem::weakly_canonical(output, ec) ==
         std::filesystem::weakly_canonical(input, ec);
}

}  // namespace

JobOutcome GenerationJob::ButtonGenerateClick(const TSubtitle* doc, const std::string& inputFile) {
  state_.JobIdle = !state_.JobIdle;
  host_.SetProgressPosition(0);
  // A press while this object's run is active is always the abort request;
  // it never starts a second run inside the first.
  if (running_) state_.JobIdle = true;
  if (state_.JobIdle) {
    host_.Messages().ShowMessage("Operation Aborted");
    return JobOutcome::AbortPress;
  }

  host_.EnableInputs(false);
  const JobOutcome outcome = Run(doc, inputFile);
  host_.EnableInputs(true);
  return outcome;
}

JobOutcome GenerationJob::Refuse(const std::string& message) {
  host_.Messages().ShowMessage(message);
  state_.JobIdle = true;
  return JobOutcome::Refused;
}

JobOutcome GenerationJob::Run(const TSubtitle* doc, const std::string& inputFile) {
  if (!state_.SubtitleLoaded || doc == nullptr) {
    return Refuse("Please load an Srt/Sub/Txt subtitle.");
  }
  if (!state_.SubtitleFits) return Refuse("Please use smaller font.");
  const std::string& base = outputBase_.empty() ? inputFile : outputBase_;
  indexFile_ = OutputFileName(base, ".idx");
  subFile_ = OutputFileName(base, ".sub");
  helpFile_ = OutputFileName(base, ".Kestrelpix_Help.txt");
  if (SameFile(subFile_, inputFile) || SameFile(indexFile_, inputFile) ||
      SameFile(helpFile_, inputFile)) {
    return Refuse("Converting " + inputFile +
                  " would overwrite it: the VobSub output takes its name. Save the subtitle with "
                  "the extension .txt and load it again.");
  }
  const int count = doc->LineCount();
  if (count == 0) return Refuse("The subtitle has no entries: nothing to convert.");

  host_.SetProgressRange(0, count - 1);
  lastError_.clear();
  entriesWritten_ = 0;

  const RenderSettings first = host_.ReadRenderSettings();
  const ColorKeys keys = ColorKeysFrom(first.TextColor, first.OutlineColor, first.AntialiasColor);
  uint64_t packCount = 0;

  OutputFile index, sub;
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
      host_.ProcessEvents();
      host_.SetProgressPosition(host_.ProgressPosition() + 1);
      const SubtitleLine& line = doc->GetLine(k);
      const RenderSettings settings = host_.ReadRenderSettings();
      const DrawnLines text = LinesToDraw(*doc, k, settings);
      const Band drawn = RenderFrame(text.Line1, text.Line2, settings, frame);
      const Band band = ClampBand(drawn, frame.height());
      host_.FrameDrawn(frame);

      // A time before the start of the video cannot be stamped; it shows
      // from the start instead.
      const double start = std::max(0.0, StrToFloat(line.StartTime));
      const double end = StrToFloat(line.EndTime);
      // A unit's stop can lie at most 65535 ticks of 1024/90000 s (about
      // 745 s) after its own time stamp; a longer entry is shown by several
      // units whose times meet, each with its index line.
      for (const DisplaySpan& span : DisplaySpans(start, end)) {
        const std::vector<uint8_t> unit =
            EncodeSubpicture(frame, band.BandTop, band.BandHeight, span.StartTime, span.EndTime,
                             keys, &host_.Messages());
        packs.clear();
        const int packsOfUnit = PackSubpicture(unit, span.StartTime, packs);
        index.Write(IndexEntry(span.StartTime, packCount * kPackSize));
        packCount += static_cast<uint64_t>(packsOfUnit);
        sub.Write(packs.data(), packs.size());
      }
      ++entriesWritten_;
    }
    index.Close();
    sub.Close();
  } catch (const Error& e) {
    // What reached the disk is a cut pair whose index may point past the
    // end of the .sub: it is removed rather than left to pass for a
    // conversion. Files this run did not create are left alone.
    lastError_ = e.what();
    std::vector<std::string> removed;
    if (index.Discard()) removed.push_back(indexFile_);
    if (sub.Discard()) removed.push_back(subFile_);
    if (removed.size() == 2) {
      lastError_ += ". The unfinished " + removed[0] + " and " + removed[1] + " were removed.";
    } else if (removed.size() == 1) {
      lastError_ += ". The unfinished " + removed[0] + " was removed.";
    }
    running_ = false;
    state_.JobIdle = true;
    host_.Messages().ShowMessage(lastError_);
    return JobOutcome::Failed;
  }
  running_ = false;

  if (state_.JobIdle) return JobOutcome::Aborted;

  const std::string help =
      HelpText(first.AntialiasColor, first.OutlineColor, first.TextColor, base);
  try {
    OutputFile helpOut;
    helpOut.Create(helpFile_);
    helpOut.Write(help);
    helpOut.Close();
  } catch (const Error& e) {
    lastError_ = e.what();
    state_.JobIdle = true;
    host_.Messages().ShowMessage(lastError_);
    return JobOutcome::Failed;
  }
  state_.JobIdle = true;
  if (state_.CommandLineMode) {
    host_.RequestTerminate();
  } else {
    host_.Messages().ShowMessage(help);
  }
  return JobOutcome::Completed;
}

}  // namespace kestrelpix
