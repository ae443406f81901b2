#include "app/cli/convert_merge.h"

#include <cstdio>
#include <filesystem>

#include "app/cli/command.h"
#include "app/cli/console.h"
#include "app/console_front_end.h"
#include "app/control_lists.h"
#include "job/headless_run.h"
#include "vobsub/output_names.h"
#include "vobsub/ps_packer.h"

namespace kestrelpix::cli {

namespace {

int Refuse(const std::string& error) { return ReportUsage("convert", error); }

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t begin = 0;
  while (true) {
    const size_t comma = text.find(',', begin);
    parts.push_back(text.substr(begin, comma - begin));
    if (comma == std::string::npos) return parts;
    begin = comma + 1;
  }
}

// Each input's language: from --languages, else from the tag before its
// extension, else the --language value. A code that is not in the language
// list, or a list of the wrong length, throws UsageError.
std::vector<MergeInput> StreamsOf(const MergeRequest& r, MessageSink& sink) {
  std::vector<MergeInput> streams;
  std::vector<std::string> codes;
  if (r.languages) {
    codes = SplitCommas(*r.languages);
    if (codes.size() != r.inputs.size()) {
      throw UsageError("--languages: " + std::to_string(codes.size()) + " codes for " +
                       std::to_string(r.inputs.size()) + " inputs; give one code per input");
    }
  }
  for (size_t i = 0; i < r.inputs.size(); ++i) {
    MergeInput stream{r.inputs[i], r.settings.Language};
    if (r.languages) {
      const std::optional<std::string> language = LanguageForCode(codes[i]);
      if (!language) {
        throw UsageError("--languages: '" + codes[i] +
                         "' is not a two-letter code of the language list");
      }
      stream.Language = *language;
    } else if (const std::string tag = LanguageTagOf(r.inputs[i]); !tag.empty()) {
      if (const std::optional<std::string> language = LanguageForCode(tag)) {
        stream.Language = *language;
      } else {
        sink.Warn(r.inputs[i] + ": '" + tag +
                  "' before the extension is not a code of the language list; the stream takes " +
                  r.settings.Language.substr(0, 2) + " (set it with --languages)");
      }
    }
    streams.push_back(stream);
  }
  return streams;
}

}  // namespace

bool CreateOutputFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "Cannot create folder \"%s\": %s\n", folder.c_str(), ec.message().c_str());
    return false;
  }
  return true;
}

const char* const kMergeHelp =
    "  --merge OUTBASE        write all inputs into OUTBASE.idx and OUTBASE.sub, one\n"
    "                         language stream per input in the order given; the\n"
    "                         folder of OUTBASE is created when missing\n"
    "  --languages L1,L2,...  with --merge: one language code per input; without it\n"
    "                         a code before the extension (film.fr.srt) names the\n"
    "                         stream's language, else --language does\n";

int RunMerge(const MergeRequest& r) {
  if (!r.outBase) return Refuse("--languages needs --merge OUTBASE");
  const std::string base = MergeOutputBase(*r.outBase);
  if (base.empty() || FolderOf(base) == base) {
    return Refuse("--merge: '" + *r.outBase + "' names no file; give a path such as films/movie");
  }
  if (!r.outputDir.empty())
    return Refuse("--output-dir does not apply to --merge: OUTBASE names the outputs");
  if (r.jobs > 1) return Refuse("--jobs does not apply to --merge: all streams go into one pair");
  if (r.inputs.size() > static_cast<size_t>(kMaxSubStreams)) {
    return Refuse("--merge takes at most " + std::to_string(kMaxSubStreams) +
                  " inputs (one sub-stream each), not " + std::to_string(r.inputs.size()));
  }
  ConsoleFrontEnd sink(r.settings);
  sink.SetSamiClass(r.samiClass);
  std::vector<MergeInput> streams;
  try {
    streams = StreamsOf(r, sink);
  } catch (const UsageError& e) {
    return Refuse(e.what());
  }
  // "films/movie" writes into films/, made when missing as --output-dir is.
  if (!FolderOf(base).empty() && !CreateOutputFolder(FolderOf(base))) return kExitFailed;

  InstallAbortHandler();
  const std::string label = base.substr(FolderOf(base).size());
  if (!r.quiet) sink.ShowProgress(label);
  const ConversionReport report = MergeHeadless(streams, base, sink, r.threads);
  sink.FinishProgress();
  if (report.Outcome == JobOutcome::Completed) {
    std::printf("%s\n%s\n%s\n", report.IndexFile.c_str(), report.SubFile.c_str(),
                report.HelpFile.c_str());
    std::fflush(stdout);
  } else if (report.Outcome == JobOutcome::Aborted) {
    std::fprintf(stderr, "stopped after %d entries; %s and %s hold them\n", report.Entries,
                 report.IndexFile.c_str(), report.SubFile.c_str());
  }
  return ExitStatusFor(report.Outcome);
}

}  // namespace kestrelpix::cli
