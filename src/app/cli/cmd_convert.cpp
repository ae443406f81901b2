// kestrelpix-cli convert INPUT... [options]: converts subtitles with settings
// given by name, each into a VobSub pair and a help file.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/command.h"
#include "app/cli/console.h"
#include "app/cli/render_options.h"
#include "app/control_lists.h"
#include "base/number_text.h"
#include "job/headless_run.h"
#include "vobsub/palette.h"

namespace kestrelpix::cli {

namespace {

struct ConvertOptions {
  RenderSettings settings;
  std::vector<std::string> inputs;
  std::string outputDir;
  int jobs = 1;
  bool quiet = false;
};

// Messages of one input, prefixed with its name when several run.
class PrefixedStderrSink : public StderrMessageSink {
 public:
  explicit PrefixedStderrSink(std::string prefix) : prefix_(std::move(prefix)) {}
  void ShowMessage(std::string_view text) override {
    FinishProgress();
    StderrMessageSink::ShowMessage(prefix_ + std::string(text));
  }
  void Warn(std::string_view text) override {
    FinishProgress();
    StderrMessageSink::Warn(prefix_ + std::string(text));
  }

 private:
  std::string prefix_;
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool ParsePalette(std::string_view value, PaletteMode& mode) {
  const std::string v = Lower(value);
  if (v == "pc")
    mode = PaletteMode::PcOnly;
  else if (v == "dvd")
    mode = PaletteMode::DvdOnly;
  else if (v == "two")
    mode = PaletteMode::TwoPalettes;
  else if (v == "safe")
    mode = PaletteMode::SafePalette;
  else
    return false;
  return true;
}

// A colour named in the palette mode's list, or any colour the render
// options accept (a standard name or RRGGBB).
bool ParseModeColor(std::string_view value, PaletteMode mode, ColorValue& color) {
  for (const NamedColor& c : ColorListFor(mode)) {
    if (Lower(c.name) == Lower(value)) {
      color = c.value;
      return true;
    }
  }
  return ParseColorOption(value, color);
}

std::string ColorNames(PaletteMode mode) {
  std::string names;
  for (const NamedColor& c : ColorListFor(mode)) names += (names.empty() ? "" : ", ") + c.name;
  return names + " or RRGGBB";
}

bool ParseLanguage(std::string_view code, std::string& language) {
  for (const std::string& entry : LanguageList()) {
    if (entry.size() > 2 && entry.compare(0, 2, code) == 0 && code.size() == 2) {
      language = entry;
      return true;
    }
  }
  return false;
}

const char* const kUsage =
    "Usage: kestrelpix-cli convert INPUT... [options]\n\n"
    "Converts each subtitle (.srt, or .sub/.txt with a {1}{1}FPS first line) into\n"
    "INPUT.idx, INPUT.sub and INPUT.Kestrelpix_Help.txt beside it, and prints the\n"
    "three paths. Ctrl-C stops after the entry in progress (exit status 130).\n\n"
    "Options:\n";

const char* const kConvertHelp =
    "  --language CODE        two-letter language code of the index (default el)\n"
    "  --palette MODE         pc, dvd, two (default) or safe; the colours above are\n"
    "                         names of the mode's colour list or RRGGBB\n"
    "  --output-dir DIR       write the outputs there instead of beside the input\n"
    "  --jobs N               convert N inputs at once, in separate processes\n"
    "  --wrap                 join and break again, at blanks, an entry with a line\n"
    "                         too wide for the frame, into two even lines\n"
    "  --quiet                no progress\n";

int Usage(const std::string& error) {
  std::fprintf(stderr, "kestrelpix-cli convert: %s\n", error.c_str());
  return kExitUsage;
}

int ParseOptions(const std::vector<std::string>& args, ConvertOptions& o) {
  std::vector<std::string> names = RenderOptionNames();
  for (const char* n : {"language", "palette", "output-dir", "jobs"}) names.push_back(n);
  std::vector<std::string> filtered;
  for (const std::string& a : args) {
    if (a == "--quiet" || a == "-q")
      o.quiet = true;
    else if (a == "--wrap")
      o.settings.WrapLines = true;
    else
      filtered.push_back(a);
  }
  CommandArgs parsed;
  std::string error;
  if (!SplitArgs(filtered, names, parsed, error)) return Usage(error);
  if (parsed.help) {
    std::printf("%s%s%s", kUsage, RenderOptionsHelp(false).c_str(), kConvertHelp);
    return -1;
  }
  // The palette mode first: it decides the colour list and its defaults.
  for (const auto& [name, value] : parsed.options) {
    if (name == "palette" && !ParsePalette(value, o.settings.Palette)) {
      return Usage("--palette: '" + value + "' is not one of pc, dvd, two, safe");
    }
  }
  const std::vector<NamedColor>& list = ColorListFor(o.settings.Palette);
  o.settings.AntialiasColor = list[kAntialiasDefaultIndex].value;
  o.settings.OutlineColor = list[kOutlineDefaultIndex].value;
  o.settings.TextColor = list[kTextDefaultIndex].value;
  for (const auto& [name, value] : parsed.options) {
    ColorValue* target = name == "text-color"        ? &o.settings.TextColor
                         : name == "outline-color"   ? &o.settings.OutlineColor
                         : name == "antialias-color" ? &o.settings.AntialiasColor
                                                     : nullptr;
    if (target != nullptr) {
      if (!ParseModeColor(value, o.settings.Palette, *target)) {
        return Usage("--" + name + ": '" + value + "' is not a colour; use " +
                     ColorNames(o.settings.Palette));
      }
    } else if (name == "palette") {
    } else if (name == "language") {
      if (!ParseLanguage(value, o.settings.Language)) {
        return Usage("--language: '" + value + "' is not a two-letter code of the language list");
      }
    } else if (name == "output-dir") {
      o.outputDir = value;
    } else if (name == "jobs") {
      int32_t jobs = 0;
      if (!TryStrToInt(value, jobs) || jobs < 1 || jobs > 64) {
        return Usage("--jobs: '" + value + "' is not a whole number from 1 to 64");
      }
      o.jobs = jobs;
    } else if (!ApplyRenderOption(name, value, o.settings, error)) {
      return Usage(error);
    }
  }
  o.inputs = parsed.positional;
  if (o.inputs.empty()) return Usage("no input file (see --help)");
  return 0;
}

std::string OutputBaseFor(const ConvertOptions& o, const std::string& input) {
  if (o.outputDir.empty()) return "";
  std::string dir = o.outputDir;
  if (dir.back() != '/') dir += '/';
  return dir + input.substr(input.find_last_of('/') + 1);
}

int ConvertOne(const ConvertOptions& o, const std::string& input, bool several) {
  PrefixedStderrSink sink(several ? input + ": " : "");
  const ConversionReport report =
      ConvertHeadless(input, o.settings, OutputBaseFor(o, input), sink,
                      ProgressCallbacks(input, o.quiet || (several && o.jobs > 1)));
  FinishProgress();
  if (report.Outcome == JobOutcome::Completed) {
    std::printf("%s\n%s\n%s\n", report.IndexFile.c_str(), report.SubFile.c_str(),
                report.HelpFile.c_str());
    std::fflush(stdout);
  } else if (report.Outcome == JobOutcome::Aborted) {
    std::fprintf(stderr, "%sstopped after %d entries; %s and %s hold them\n",
                 several ? (input + ": ").c_str() : "", report.Entries, report.IndexFile.c_str(),
                 report.SubFile.c_str());
  }
  return ExitStatusFor(report.Outcome);
}

// The worst status wins: an abort over a failure over success.
int Combine(int a, int b) {
  if (a == kExitAborted || b == kExitAborted) return kExitAborted;
  return std::max(a, b);
}

int RunParallel(const ConvertOptions& o) {
  int status = kExitOk;
  size_t next = 0;
  int running = 0;
  while (next < o.inputs.size() || running > 0) {
    while (running < o.jobs && next < o.inputs.size() && !AbortRequested()) {
      const std::string& input = o.inputs[next++];
      std::fflush(stdout);
      const pid_t pid = ::fork();
      if (pid == 0) ::_exit(ConvertOne(o, input, true));
      if (pid < 0) {
        std::perror("kestrelpix-cli: fork");
        status = Combine(status, kExitFailed);
      } else {
        ++running;
      }
    }
    if (running == 0) break;
    int raw = 0;
    if (::wait(&raw) < 0) break;
    --running;
    const int child = WIFEXITED(raw) ? WEXITSTATUS(raw) : kExitAborted;
    status = Combine(status, child);
  }
  return status;
}

int RunConvert(const std::vector<std::string>& args) {
  ConvertOptions o;
  const int parsed = ParseOptions(args, o);
  if (parsed != 0) return parsed < 0 ? kExitOk : parsed;
  InstallAbortHandler();
  const bool several = o.inputs.size() > 1;
  if (several && o.jobs > 1) {
    const int status = RunParallel(o);
    return AbortRequested() ? kExitAborted : status;
  }
  int status = kExitOk;
  for (const std::string& input : o.inputs) {
    if (AbortRequested()) break;
    status = Combine(status, ConvertOne(o, input, several));
  }
  // Ctrl-C before an input was started converts nothing more; it is still
  // an abort, not a success.
  return AbortRequested() ? kExitAborted : status;
}

const RegisterCommand kRegistration({"convert", "convert subtitles into VobSub pairs", RunConvert});

}  // namespace

}  // namespace kestrelpix::cli
