#include "job/merge_job.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "base/errors.h"
#include "base/number_text.h"
#include "job/job_support.h"
#include "job/load_action.h"
#include "job/output_file.h"
#include "job/run_checks.h"
#include "render/line_wrap.h"
#include "render/rasterizer.h"
#include "render/text_decode.h"
#include "subtitle/line_reader.h"
#include "vobsub/help_text.h"
#include "vobsub/idx_writer.h"
#include "vobsub/output_names.h"
#include "vobsub/palette.h"
#include "vobsub/ps_packer.h"
#include "vobsub/spu_encoder.h"

namespace kestrelpix {

namespace {

// The front end as the steps of one input see it: its messages are
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

 private:
  FrontEnd& outer_;
  std::string prefix_;
};

// A stream loaded and checked, ready to be written.
struct LoadedStream {
  std::unique_ptr<TSubtitle> doc;
  std::vector<double> starts;  // each entry's start, as it is stamped
  // Drawn as a conversion of this input alone draws it: in the charset that
  // decodes its text.
  RenderSettings drawing;
};

// Loads one input as the load action does without a window, fit check
// included. Returns the outcome that ends the merge, or None to go on.
JobOutcome LoadStream(const std::string& input, FrontEnd& sink, LoadedStream& stream) {
  AppState state;
  state.CommandLineMode = true;
  try {
    // A missing input, a folder or a FIFO gets its own message rather than
    // "Unsupported Subtitle Format !"; the probe opens without blocking.
    { LineReader probe(input); }
    LoadSubtitleFile(input, stream.doc, state, sink);
    if (!state.SubtitleLoaded || stream.doc == nullptr) {
      sink.ShowMessage("Please load an Srt/Sub/Txt subtitle.");
      return JobOutcome::Refused;
    }
    if (!state.SubtitleFits) {
      sink.ShowMessage("Please use smaller font.");
      return JobOutcome::Refused;
    }
    if (stream.doc->LineCount() == 0) {
      sink.ShowMessage("The subtitle has no entries: nothing to convert.");
      return JobOutcome::Refused;
    }
    // A time before the start of the video cannot be stamped; it shows from
    // the start instead.
    for (int k = 1; k <= stream.doc->LineCount(); ++k) {
      stream.starts.push_back(std::max(0.0, StrToFloat(stream.doc->GetLine(k).StartTime)));
    }
  } catch (const Error& e) {
    sink.ShowMessage(e.what());
    return JobOutcome::Failed;
  }
  return JobOutcome::None;
}

}  // namespace

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
                               FrontEnd& sink) {
  const RenderSettings settings = sink.ReadRenderSettings();
  ConversionReport report;
  report.Outcome = JobOutcome::Refused;
  const int streamCount = static_cast<int>(inputs.size());
  if (streamCount == 0 || streamCount > kMaxSubStreams) {
    sink.ShowMessage("A merge takes 1 to " + std::to_string(kMaxSubStreams) +
                     " subtitles (one sub-stream each), not " + std::to_string(streamCount) + ".");
    return report;
  }
  const std::string base = MergeOutputBase(outBase);
  report.IndexFile = base + kIndexSuffix;
  report.SubFile = base + kSubSuffix;
  report.HelpFile = base + kHelpSuffix;

  // Every input is loaded and checked before any file is touched.
  std::vector<LoadedStream> streams(inputs.size());
  std::vector<InputFrontEnd> streamSinks;
  streamSinks.reserve(inputs.size());
  size_t total = 0;
  for (size_t s = 0; s < inputs.size(); ++s) {
    const std::string& input = inputs[s].Input;
    InputFrontEnd& inputSink = streamSinks.emplace_back(sink, streamCount > 1 ? input + ": " : "");
    for (const std::string* output : {&report.IndexFile, &report.SubFile, &report.HelpFile}) {
      if (SameFile(*output, input)) {
        inputSink.ShowMessage("Merging into " + base + " would overwrite " + input +
                              "; choose another output name.");
        return report;
      }
    }
    const JobOutcome loaded = LoadStream(input, inputSink, streams[s]);
    if (loaded != JobOutcome::None) {
      report.Outcome = loaded;
      return report;
    }
    streams[s].drawing = SettingsForText(settings, streams[s].doc.get());
    total += streams[s].starts.size();
  }

  const std::string tooLong =
      NameTooLongMessage({report.IndexFile, report.SubFile, report.HelpFile});
  if (!tooLong.empty()) {
    sink.ShowMessage(tooLong);
    return report;
  }
  try {
    for (const std::string* name : {&report.IndexFile, &report.SubFile, &report.HelpFile}) {
      OutputFile::CheckReplaceable(*name);
    }
  } catch (const Error& e) {
    sink.ShowMessage(e.what());
    return report;
  }
  for (size_t s = 0; s < streams.size(); ++s) {
    const std::string longDisplays = LongDisplayWarning(*streams[s].doc);
    if (!longDisplays.empty()) streamSinks[s].Warn(longDisplays);
  }

  std::vector<std::vector<double>> startTimes;
  for (const LoadedStream& stream : streams) startTimes.push_back(stream.starts);
  const std::vector<StreamEntry> order = MergeOrder(startTimes);

  const ColorKeys keys =
      ColorKeysFrom(settings.TextColor, settings.OutlineColor, settings.AntialiasColor);
  // The timestamp lines of each stream, written after its language block
  // once the run ends (completed or stopped), so the index always describes
  // exactly the packs that reached the .sub.
  std::vector<std::string> entryLines(inputs.size());
  uint64_t packCount = 0;
  bool aborted = false;
  OutputFile index, sub;
  try {
    index.Create(report.IndexFile);
    index.Write(
        IndexSettingsHeader(settings.Fps, PaletteBlock(settings.Palette, settings.AntialiasColor,
                                                       settings.OutlineColor, settings.TextColor)));
    sub.Create(report.SubFile);

    IndexFrame frame;
    std::vector<uint8_t> packs;
    int done = 0;
    sink.SetProgressRange(0, static_cast<int>(total) - 1);
    for (const StreamEntry& at : order) {
      if (aborted) break;
      // As the Abort button: the entry in progress is still written whole.
      if (sink.StopRequested()) aborted = true;
      sink.SetProgressPosition(++done);
      const LoadedStream& stream = streams[at.stream];
      const SubtitleLine& line = stream.doc->GetLine(at.entry);
      // Wrapped when wrapping is on. Drawn first: the frame takes its height
      // from the frame rate.
      const DrawnLines text = LinesToDraw(sink.GetFonts(), *stream.doc, at.entry, stream.drawing);
      const Band drawn =
          RenderFrame(sink.GetFonts(), text.Line1, text.Line2, stream.drawing, frame);
      const Band band = ClampBand(drawn, frame.height());
      const double start = stream.starts[at.entry - 1];
      const double end = StrToFloat(line.EndTime);
      const uint8_t subStreamId = static_cast<uint8_t>(kSubStreamId + at.stream);
      for (const DisplaySpan& span : DisplaySpans(start, end)) {
        const std::vector<uint8_t> unit =
            EncodeSubpicture(frame, band.BandTop, band.BandHeight, span.StartTime, span.EndTime,
                             keys, &streamSinks[at.stream]);
        packs.clear();
        const int packsOfUnit = PackSubpicture(unit, span.StartTime, packs, subStreamId);
        entryLines[at.stream] += IndexEntry(span.StartTime, packCount * kPackSize);
        packCount += static_cast<uint64_t>(packsOfUnit);
        sub.Write(packs.data(), packs.size());
      }
      ++report.Entries;
    }
    for (int s = 0; s < streamCount; ++s) {
      // One stream keeps the block a single conversion writes, named
      // English whatever its language; several are named by language.
      const std::string& language = inputs[s].Language;
      const std::string name = streamCount == 1 ? "English" : LanguageDisplayName(language);
      index.Write(IndexLanguageBlock(name, language, s));
      index.Write(entryLines[s]);
    }
    // The outputs keep their temporary names until all are written; then
    // all replace whatever held their names at once. The help file only
    // comes with a complete run.
    OutputFile help;
    std::vector<OutputFile*> outputs = {&index, &sub};
    if (!aborted) {
      help.Create(report.HelpFile);
      // The help text names the outputs after a path whose last four
      // characters it replaces: OUTBASE.idx gives OUTBASE's three names.
      help.Write(HelpText(settings.AntialiasColor, settings.OutlineColor, settings.TextColor,
                          std::filesystem::absolute(report.IndexFile).lexically_normal().string()));
      outputs.push_back(&help);
    }
    OutputFile::Commit(outputs);
    if (aborted) {
      // An earlier help file would vouch for this shorter pair.
      std::error_code removeError;
      std::filesystem::remove(report.HelpFile, removeError);
    }
  } catch (const std::exception& e) {
    // Nothing of this run replaced an earlier output: its temporary files
    // are removed and the names keep what they held.
    std::string message = e.what();
    const bool indexRemoved = index.Discard();
    const bool subRemoved = sub.Discard();
    if (indexRemoved || subRemoved) {
      message += ". Nothing was replaced: the unfinished files were removed.";
    }
    sink.ShowMessage(message);
    report.Outcome = JobOutcome::Failed;
    return report;
  }
  if (aborted) {
    report.Outcome = JobOutcome::Aborted;
    return report;
  }
  report.Outcome = JobOutcome::Completed;
  return report;
}

}  // namespace kestrelpix
