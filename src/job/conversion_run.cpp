#include "job/conversion_run.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "base/errors.h"
#include "job/entry_encoder.h"
#include "job/job_support.h"
#include "job/output_file.h"
#include "job/run_checks.h"
#include "job/timeline.h"
#include "vobsub/help_text.h"
#include "vobsub/idx_writer.h"
#include "vobsub/output_names.h"
#include "vobsub/palette.h"

namespace kestrelpix {

namespace {

// The encoder's warnings of one run, passed on up to a limit: a film whose
// every entry draws the same warning would otherwise bury the user under
// one message per entry (a message box each, in the window).
class CappedWarnings {
 public:
  explicit CappedWarnings(MessageSink& target) : target_(target) {}
  void Warn(std::string_view text) {
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

// The warnings of one stream: its prefix, then the run's cap.
class StreamWarnings : public MessageSink {
 public:
  StreamWarnings(CappedWarnings& capped, MessageSink& target, std::string prefix)
      : capped_(capped), target_(target), prefix_(std::move(prefix)) {}
  void ShowMessage(std::string_view text) override {
    target_.ShowMessage(prefix_ + std::string(text));
  }
  void Warn(std::string_view text) override { capped_.Warn(prefix_ + std::string(text)); }

 private:
  CappedWarnings& capped_;
  MessageSink& target_;
  std::string prefix_;
};

// Where the pair is named after: OUTBASE of OUTBASE.idx.
std::string BaseOf(const PairNames& names) {
  const std::string suffix = kIndexSuffix;
  return names.Index.substr(0, names.Index.size() - suffix.size());
}

}  // namespace

std::optional<std::string> StreamRefusal(const RunStream& stream, const RunRequest& request) {
  if (stream.Doc == nullptr) return stream.Prefix + "Please load an Srt/Sub/Txt subtitle.";
  if (!stream.Fits) return stream.Prefix + "Please use smaller font.";
  for (const std::string& output : request.Names.All()) {
    if (!SameFile(output, stream.Input)) continue;
    if (request.Merge) {
      return stream.Prefix + "Merging into " + BaseOf(request.Names) + " would overwrite " +
             stream.Input + "; choose another output name.";
    }
    return stream.Prefix + "Converting " + stream.Input + " would overwrite it: " + output +
           " is the same file. Convert it into another folder.";
  }
  if (stream.Doc->LineCount() == 0) {
    return stream.Prefix + "The subtitle has no entries: nothing to convert.";
  }
  bool blank = true;
  for (int k = 1; blank && k <= stream.Doc->LineCount(); ++k) blank = EntryIsBlank(*stream.Doc, k);
  if (blank) return stream.Prefix + "The subtitle's entries hold no text: nothing to convert.";
  return std::nullopt;
}

std::optional<std::string> RefusalBeforeWriting(const RunRequest& request) {
  for (const RunStream& stream : request.Streams) {
    if (auto refusal = StreamRefusal(stream, request)) return refusal;
  }
  const std::string tooLong = NameTooLongMessage(request.Names.All());
  if (!tooLong.empty()) return tooLong;
  try {
    for (const std::string& name : request.Names.All()) OutputFile::CheckReplaceable(name);
  } catch (const Error& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

namespace {

RunOutcome CheckAndWrite(const RunRequest& request, Fonts& fonts, RunObserver& observer) {
  RunOutcome outcome;
  outcome.Names = request.Names;
  outcome.Outcome = JobOutcome::Refused;
  if (auto refusal = RefusalBeforeWriting(request)) {
    observer.ShowMessage(*refusal);
    return outcome;
  }
  if (!request.Names.Avoided.empty()) {
    observer.Warn(request.Names.Avoided +
                  " would be replaced by an output of the same name; the outputs are named " +
                  BaseOf(request.Names) + kIndexSuffix + ", " + kSubSuffix + " and " +
                  kHelpSuffix + ".");
  }
  const std::vector<RunStream>& streams = request.Streams;
  for (const RunStream& stream : streams) {
    const std::string longDisplays = LongDisplayWarning(*stream.Doc);
    if (!longDisplays.empty()) observer.Warn(stream.Prefix + longDisplays);
  }

  const RenderSettings& settings = request.Settings;
  const ColorKeys keys =
      ColorKeysFrom(settings.TextColor, settings.OutlineColor, settings.AntialiasColor);
  CappedWarnings capped(observer);
  std::vector<StreamWarnings> warnings;
  warnings.reserve(streams.size());
  for (const RunStream& stream : streams) warnings.emplace_back(capped, observer, stream.Prefix);

  PairWriter writer(request.Names, static_cast<int>(streams.size()));
  bool aborted = false;
  std::string help;
  try {
    // Each stream's pictures in time order; the streams' pictures merged by
    // start time.
    std::vector<Timeline> timelines;
    timelines.reserve(streams.size());
    std::vector<std::vector<double>> starts(streams.size());
    for (size_t s = 0; s < streams.size(); ++s) {
      const Timeline& timeline = timelines.emplace_back(*streams[s].Doc);
      starts[s].reserve(timeline.Size());
      for (const TimelinePicture& picture : timeline.Pictures()) {
        starts[s].push_back(static_cast<double>(picture.StartMs));
      }
    }
    const std::vector<StreamEntry> order = MergeOrder(starts);
    starts = {};
    std::vector<PictureToDraw> pictures;
    pictures.reserve(order.size());
    for (const StreamEntry& at : order) {
      const RunStream& stream = streams[static_cast<size_t>(at.stream)];
      const Timeline& timeline = timelines[static_cast<size_t>(at.stream)];
      const TimelinePicture& picture = timeline.Pictures()[static_cast<size_t>(at.entry - 1)];
      pictures.push_back({stream.Doc, timeline.Entries(picture), &stream.Drawing,
                          static_cast<double>(picture.StartMs),
                          static_cast<double>(picture.EndMs), picture.Hidden});
    }

    writer.Open(
        IndexSettingsHeader(settings.Fps, PaletteBlock(settings.Palette, settings.AntialiasColor,
                                                       settings.OutlineColor, settings.TextColor)));
    // With one worker every picture is drawn here, and the observer sees
    // each frame; with more they draw ahead on their own threads.
    std::unique_ptr<EncoderPool> pool;
    if (request.Workers > 1) {
      pool = std::make_unique<EncoderPool>(std::move(pictures), keys, request.Workers);
    }
    IndexFrame frame;
    const int total = static_cast<int>(order.size());
    for (int done = 0; done < total && !aborted;) {
      observer.Progress(++done, total);
      // The picture in progress is still written whole.
      if (observer.ShouldStop()) aborted = true;
      EncodedPicture encoded;
      if (pool) {
        encoded = pool->Next();
      } else {
        encoded = EncodePicture(fonts, pictures[static_cast<size_t>(done - 1)], keys, frame);
        observer.FrameDrawn(frame);
      }
      const StreamEntry at = order[static_cast<size_t>(done - 1)];
      for (const std::string& warning : encoded.Warnings) warnings[at.stream].Warn(warning);
      for (const EncodedUnit& unit : encoded.Units) {
        writer.AddUnit(at.stream, unit.StartTime, unit.Bytes);
      }
      outcome.Entries += static_cast<int>(
          timelines[static_cast<size_t>(at.stream)].Pictures()[static_cast<size_t>(at.entry - 1)]
              .Begun);
    }
    capped.Finish();

    // One stream keeps the block a single conversion writes, named English
    // whatever its language; several are named by language.
    std::vector<std::string> languageBlocks;
    for (size_t s = 0; s < streams.size(); ++s) {
      const std::string& language = streams[s].Language;
      const std::string name = streams.size() == 1 ? "English" : LanguageDisplayName(language);
      languageBlocks.push_back(IndexLanguageBlock(name, language, static_cast<int>(s)));
    }
    // The help file only comes with a complete run.
    if (!aborted) {
      help = HelpText(
          settings.AntialiasColor, settings.OutlineColor, settings.TextColor,
          std::filesystem::absolute(request.Names.HelpNamedAfter).lexically_normal().string());
    }
    writer.Commit(languageBlocks, aborted ? nullptr : &help);
  } catch (const std::exception& e) {
    // Any failure, a broken internal rule included, ends the run. Nothing
    // of it replaced an earlier output: its temporary files are removed and
    // the names keep what they held.
    std::string message = e.what();
    if (writer.Abandon()) message += ". Nothing was replaced: the unfinished files were removed.";
    observer.ShowMessage(message);
    outcome.Outcome = JobOutcome::Failed;
    return outcome;
  }
  outcome.Outcome = aborted ? JobOutcome::Aborted : JobOutcome::Completed;
  if (!aborted) outcome.HelpText = std::move(help);
  return outcome;
}

}  // namespace

RunOutcome RunConversion(const RunRequest& request, Fonts& fonts, RunObserver& observer) {
  const RunOutcome outcome = CheckAndWrite(request, fonts, observer);
  observer.Finished(outcome);
  return outcome;
}

std::vector<StreamEntry> MergeOrder(const std::vector<std::vector<double>>& startTimes) {
  size_t total = 0;
  for (const auto& times : startTimes) total += times.size();
  std::vector<StreamEntry> order;
  order.reserve(total);
  std::vector<size_t> next(startTimes.size(), 0);
  while (order.size() < total) {
    int chosen = -1;
    for (size_t s = 0; s < startTimes.size(); ++s) {
      if (next[s] == startTimes[s].size()) continue;
      // Strictly earlier only: on equal times the lower stream stays chosen.
      if (chosen < 0 || startTimes[s][next[s]] < startTimes[chosen][next[chosen]]) {
        chosen = static_cast<int>(s);
      }
    }
    order.push_back({chosen, static_cast<int>(++next[chosen])});
  }
  return order;
}

std::string LanguageDisplayName(const std::string& Language) {
  // The list's names may carry a tab and the code again ("AFAR\tAA"), a
  // remark in brackets or a second name after a comma; the name is the part
  // before them.
  std::string name = Language.size() > 3 ? Language.substr(3) : Language;
  name = name.substr(0, name.find_first_of("\t(,"));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  std::string code = Language.substr(0, 2);
  for (char& c : code) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (name.size() > 3 && name.compare(name.size() - 3, 3, " " + code) == 0)
    name.resize(name.size() - 3);
  bool wordStart = true;
  for (char& c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    c = static_cast<char>(wordStart ? std::toupper(u) : std::tolower(u));
    wordStart = !std::isalpha(u);
  }
  return name.empty() ? code : name;
}

}  // namespace kestrelpix
