// kestrelpix-cli convert INPUT... [options]: converts subtitles with settings
// given by name, each into a VobSub pair and a help file.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/command.h"
#include "app/cli/console.h"
#include "app/cli/convert_merge.h"
#include "app/cli/convert_options.h"
#include "app/cli/render_options.h"
#include "app/console_front_end.h"
#include "app/control_lists.h"
#include "base/number_text.h"
#include "job/entry_encoder.h"
#include "job/headless_run.h"
#include "job/stop_signals.h"
#include "vobsub/palette.h"

namespace kestrelpix::cli {

namespace {

struct ConvertOptions {
  RenderSettings settings;
  std::vector<std::string> inputs;
  std::string outputDir;
  int jobs = 1;
  int threads = 0;  // 0: the cores shared among the jobs
  bool quiet = false;
  std::optional<std::string> merge, languages;
  std::string samiClass;  // --sami-class
  // The options given that steer the run rather than the drawing, as named
  // on the command line: a batch line cannot carry them.
  std::vector<std::string> runOptions;
  bool help = false;  // --help was given: nothing else was looked at
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::optional<PaletteMode> ParsePalette(std::string_view value) {
  const std::string v = Lower(value);
  for (const PaletteModeInfo& info : PaletteModes()) {
    if (v == info.name) return info.mode;
  }
  return std::nullopt;
}

// A colour named in the palette mode's list, or any colour the render
// options accept (a standard name or RRGGBB).
std::optional<ColorValue> ParseModeColor(std::string_view value, PaletteMode mode) {
  for (const NamedColor& c : ColorListFor(mode)) {
    if (Lower(c.Name) == Lower(value)) return c.Value;
  }
  return ParseColorOption(value);
}

std::string ColorNames(PaletteMode mode) {
  std::string names;
  for (const NamedColor& c : ColorListFor(mode)) names += (names.empty() ? "" : ", ") + c.Name;
  return names + " or RRGGBB";
}

std::optional<std::string> ParseLanguage(std::string_view code) {
  for (const std::string& entry : LanguageList()) {
    if (entry.size() > 2 && entry.compare(0, 2, code) == 0 && code.size() == 2) return entry;
  }
  return std::nullopt;
}

const char* const kUsage =
    "Usage: kestrelpix-cli convert INPUT... [options]\n"
    "       kestrelpix-cli convert --merge OUTBASE INPUT... [options]\n\n"
    "Converts each subtitle (SubRip .srt; frame-numbered .sub/.txt, whose first line\n"
    "{1}{1}FPS gives the frame rate, else --fps does; WebVTT .vtt; ASS/SSA .ass/.ssa;\n"
    "SAMI .smi/.sami; TTML .ttml/.dfxp/.xml)\n"
    "into INPUT.idx, INPUT.sub and INPUT.Kestrelpix_Help.txt beside it, and prints\n"
    "the three paths. Ctrl-C, SIGTERM or SIGHUP stop after the entry in progress\n"
    "(exit status 128 + the signal: 130 for Ctrl-C).\n\n"
    "Options:\n";

// The help's column of descriptions.
constexpr size_t kHelpIndent = 25;
constexpr size_t kHelpWidth = 80;

// `text` broken at blanks into lines of the description column.
std::string HelpColumn(const std::string& text) {
  std::string out, line;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(at, end - at);
    if (!line.empty() && kHelpIndent + line.size() + 1 + word.size() > kHelpWidth) {
      out += std::string(kHelpIndent, ' ') + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    at = end + 1;
  }
  if (!line.empty()) out += std::string(kHelpIndent, ' ') + line + "\n";
  return out;
}

// Each palette mode with the players that show it right.
std::string PaletteHelp() {
  std::string text =
      "  --palette MODE         pc (default), dvd, two or safe; the colours above are\n"
      "                         names of the mode's colour list or RRGGBB.\n";
  for (const PaletteModeInfo& info : PaletteModes()) {
    text += HelpColumn(std::string(info.name) + ": " + info.players);
  }
  return text;
}

const char* const kLanguageHelp =
    "  --language CODE        two-letter language code of the index (default el)\n";

const char* const kConvertHelp =
    "  --output-dir DIR       write the outputs there instead of beside the input\n"
    "  --jobs N               convert N inputs at once, in separate processes; a\n"
    "                         stop signal to this one stops them all, and they end\n"
    "                         when it does\n"
    "  --threads N            draw and encode each input on N threads (default: the\n"
    "                         cores, shared among --jobs); the output is the same\n"
    "                         for any N\n"
    "  --no-wrap              draw each entry's first two lines as they are and refuse\n"
    "                         an input with a line too wide for the frame; by default\n"
    "                         every line of an entry is drawn, a line too wide broken\n"
    "                         where Unicode line breaking allows into even lines, and\n"
    "                         only an entry taller than the frame is refused (--wrap,\n"
    "                         the default, is still taken)\n"
    "  --sami-class NAME      read SAMI (.smi) files in this language class (such as\n"
    "                         ENCC) rather than the first the file declares\n"
    "  --quiet                no progress\n";

void PrintConvertHelp() {
  std::printf("%s%s%s%s%s%s", kUsage, RenderOptionsHelp(false).c_str(), kLanguageHelp,
              PaletteHelp().c_str(), kConvertHelp, kMergeHelp);
}

// `defaultPalette` is the mode used when --palette is not given, and
// `defaultWrap` whether lines are wrapped without --wrap or --no-wrap.
// Options the command cannot take throw UsageError.
ConvertOptions ParseOptions(const std::vector<std::string>& args, PaletteMode defaultPalette,
                            bool defaultWrap) {
  ConvertOptions o;
  o.settings.WrapLines = defaultWrap;
  std::vector<std::string> names = RenderOptionNames();
  for (const char* n :
       {"language", "palette", "output-dir", "jobs", "threads", "merge", "languages",
        "sami-class"}) {
    names.push_back(n);
  }
  std::vector<std::string> filtered;
  for (const std::string& a : args) {
    if (a == "--quiet" || a == "-q")
      o.quiet = true;
    else if (a == "--wrap" || a == "--no-wrap")
      o.settings.WrapLines = a == "--wrap";
    else
      filtered.push_back(a);
    if (a == "--quiet" || a == "-q") o.runOptions.push_back(a);
  }
  const CommandArgs parsed = SplitArgs(filtered, names);
  if (parsed.help) {
    o.help = true;
    return o;
  }
  o.settings.Palette = defaultPalette;
  // The palette mode first: it decides the colour list and its defaults.
  for (const auto& [name, value] : parsed.options) {
    if (name != "palette") continue;
    const std::optional<PaletteMode> mode = ParsePalette(value);
    if (!mode) throw UsageError("--palette: '" + value + "' is not one of pc, dvd, two, safe");
    o.settings.Palette = *mode;
  }
  const std::vector<NamedColor>& list = ColorListFor(o.settings.Palette);
  o.settings.AntialiasColor = list[kAntialiasDefaultIndex].Value;
  o.settings.OutlineColor = list[kOutlineDefaultIndex].Value;
  o.settings.TextColor = list[kTextDefaultIndex].Value;
  for (const auto& [name, value] : parsed.options) {
    ColorValue* target = name == "text-color"        ? &o.settings.TextColor
                         : name == "outline-color"   ? &o.settings.OutlineColor
                         : name == "antialias-color" ? &o.settings.AntialiasColor
                                                     : nullptr;
    if (name == "merge" || name == "languages" || name == "output-dir" || name == "jobs" ||
        name == "threads" || name == "sami-class") {
      o.runOptions.push_back("--" + name);
    }
    if (target != nullptr) {
      const std::optional<ColorValue> color = ParseModeColor(value, o.settings.Palette);
      if (!color) {
        throw UsageError("--" + name + ": '" + value + "' is not a colour; use " +
                         ColorNames(o.settings.Palette));
      }
      *target = *color;
    } else if (name == "palette") {
    } else if (name == "language") {
      const std::optional<std::string> language = ParseLanguage(value);
      if (!language) {
        throw UsageError("--language: '" + value +
                         "' is not a two-letter code of the language list");
      }
      o.settings.Language = *language;
    } else if (name == "merge") {
      o.merge = value;
    } else if (name == "languages") {
      o.languages = value;
    } else if (name == "sami-class") {
      o.samiClass = value;
    } else if (name == "output-dir") {
      o.outputDir = value;
    } else if (name == "jobs") {
      const std::optional<int32_t> jobs = TryStrToInt(value);
      if (!jobs || *jobs < 1 || *jobs > 64) {
        throw UsageError("--jobs: '" + value + "' is not a whole number from 1 to 64");
      }
      o.jobs = *jobs;
    } else if (name == "threads") {
      const std::optional<int32_t> threads = TryStrToInt(value);
      if (!threads || *threads < 1 || *threads > 64) {
        throw UsageError("--threads: '" + value + "' is not a whole number from 1 to 64");
      }
      o.threads = *threads;
    } else {
      ApplyRenderOption(name, value, o.settings);
    }
  }
  o.inputs = parsed.positional;
  if (o.inputs.empty()) throw UsageError("no input file (see --help)");
  return o;
}

std::string OutputBaseFor(const ConvertOptions& o, const std::string& input) {
  if (o.outputDir.empty()) return "";
  std::string dir = o.outputDir;
  if (dir.back() != '/') dir += '/';
  return dir + input.substr(input.find_last_of('/') + 1);
}

// Threads per conversion: as asked, or the cores shared among the jobs
// that run at once.
int ThreadsFor(const ConvertOptions& o) {
  if (o.threads > 0) return o.threads;
  const int atOnce = std::max(1, std::min(o.jobs, static_cast<int>(o.inputs.size())));
  return std::max(1, DefaultWorkerCount() / atOnce);
}

int ConvertOne(const ConvertOptions& o, const std::string& input, bool several) {
  ConsoleFrontEnd console(o.settings, "leave out --no-wrap", several ? input + ": " : "");
  console.SetSamiClass(o.samiClass);
  if (!o.quiet && !(several && o.jobs > 1)) console.ShowProgress(input);
  const ConversionReport report =
      ConvertHeadless(input, OutputBaseFor(o, input), console, ThreadsFor(o));
  console.FinishProgress();
  if (report.Outcome == JobOutcome::Completed) {
    std::printf("%s\n%s\n%s\n", report.IndexFile.c_str(), report.SubFile.c_str(),
                report.HelpFile.c_str());
    // Flushed here: a child of --jobs ends without flushing.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      const int err = errno;
      std::fprintf(stderr, "%scannot write the output paths to standard output: %s\n",
                   several ? (input + ": ").c_str() : "", std::strerror(err != 0 ? err : EIO));
      std::clearerr(stdout);
      return kExitFailed;
    }
  } else if (report.Outcome == JobOutcome::Aborted) {
    std::fprintf(stderr, "%sstopped after %d entries; %s and %s hold them\n",
                 several ? (input + ": ").c_str() : "", report.Entries, report.IndexFile.c_str(),
                 report.SubFile.c_str());
  }
  return ExitStatusFor(report.Outcome);
}

bool IsAbortStatus(int status) { return status > 128; }

// The worst status wins: an abort over a failure over success.
int Combine(int a, int b) {
  if (IsAbortStatus(a)) return a;
  if (IsAbortStatus(b)) return b;
  return std::max(a, b);
}

int RunParallel(const ConvertOptions& o) {
  int status = kExitOk;
  size_t next = 0;
  std::map<pid_t, std::string> running;
  while (next < o.inputs.size() || !running.empty()) {
    while (static_cast<int>(running.size()) < o.jobs && next < o.inputs.size() &&
           !AbortRequested()) {
      const std::string& input = o.inputs[next++];
      std::fflush(stdout);
      const pid_t pid = ForkStoppableChild();
      if (pid == 0) ::_exit(ConvertOne(o, input, true));
      if (pid < 0) {
        std::perror("kestrelpix-cli: fork");
        status = Combine(status, kExitFailed);
      } else {
        running[pid] = input;
      }
    }
    if (running.empty()) break;
    // A child is forgotten by the stop signals before it is reaped: until
    // then its process id is still its own.
    siginfo_t ended{};
    if (::waitid(P_ALL, 0, &ended, WEXITED | WNOWAIT) != 0) {
      if (errno == EINTR) continue;  // a stop signal, passed on: the children finish their entry
      break;
    }
    ForgetChild(ended.si_pid);
    int raw = 0;
    pid_t pid = -1;
    do pid = ::waitpid(ended.si_pid, &raw, 0);
    while (pid < 0 && errno == EINTR);
    if (pid < 0) break;
    const auto child = running.find(pid);
    const std::string input = child != running.end() ? child->second : "";
    if (child != running.end()) running.erase(child);
    if (WIFEXITED(raw)) {
      status = Combine(status, WEXITSTATUS(raw));
    } else if (WIFSIGNALED(raw)) {
      // Killed from outside, not stopped as Ctrl-C stops it: a failure, and
      // what it left was not finished.
      const int sig = WTERMSIG(raw);
      std::fprintf(
          stderr,
          "%s: the conversion was killed by signal %d (%s); its outputs were not finished\n",
          input.c_str(), sig, strsignal(sig));
      status = Combine(status, kExitFailed);
    }
  }
  return status;
}

// The three output names of each input, as the run will make them.
std::vector<std::string> OutputNamesOf(const ConvertOptions& o, const std::string& input) {
  std::vector<std::string> names;
  for (const std::string& output : PairNames::ForInput(input, OutputBaseFor(o, input)).All()) {
    // The folder resolved, the name as it is: a link at the name is
    // replaced, not followed.
    const std::filesystem::path name = std::filesystem::absolute(output);
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::weakly_canonical(name.parent_path(), ec);
    if (ec) folder = name.parent_path().lexically_normal();
    names.push_back((folder / name.filename()).string());
  }
  return names;
}

// Two inputs whose outputs take one name would overwrite each other (or,
// run at once, mix their entries in one file): refused before anything is
// written.
bool RefuseSharedOutputs(const ConvertOptions& o) {
  std::map<std::string, std::string> owner;
  for (const std::string& input : o.inputs) {
    for (const std::string& name : OutputNamesOf(o, input)) {
      const auto [at, added] = owner.emplace(name, input);
      if (!added) {
        std::fprintf(stderr,
                     "kestrelpix-cli convert: %s and %s would both be written to %s; convert "
                     "them one at a time or into different --output-dir folders\n",
                     at->second.c_str(), input.c_str(), name.c_str());
        return true;
      }
    }
  }
  return false;
}

int RunConvert(const std::vector<std::string>& args) {
  ConvertOptions o;
  try {
    // The PC palette unless told otherwise: it is the one every PC player
    // shows in the chosen colours.
    o = ParseOptions(args, PaletteMode::PcOnly, true);
  } catch (const UsageError& e) {
    return ReportUsage("convert", e.what());
  }
  if (o.help) {
    PrintConvertHelp();
    return kExitOk;
  }
  if (o.merge || o.languages) {
    return RunMerge({o.merge, o.languages, o.settings, o.inputs, o.outputDir, o.jobs,
                     o.threads > 0 ? o.threads : DefaultWorkerCount(), o.quiet, o.samiClass});
  }
  if (RefuseSharedOutputs(o)) return kExitFailed;
  if (!o.outputDir.empty() && !CreateOutputFolder(o.outputDir)) return kExitFailed;
  InstallAbortHandler();
  const bool several = o.inputs.size() > 1;
  if (several && o.jobs > 1) {
    const int status = RunParallel(o);
    return AbortRequested() ? StoppedExitStatus() : status;
  }
  int status = kExitOk;
  for (const std::string& input : o.inputs) {
    if (AbortRequested()) break;
    status = Combine(status, ConvertOne(o, input, several));
  }
  // A stop signal before an input was started converts nothing more; it is
  // still an abort, not a success.
  return AbortRequested() ? StoppedExitStatus() : status;
}

const RegisterCommand kRegistration({"convert", "convert subtitles into VobSub pairs", RunConvert});

}  // namespace

ConvertSettings ParseConvertSettings(const std::vector<std::string>& args) {
  // Without --palette a queued line takes the window's first-start mode,
  // which is convert's own: PC. Without --wrap it does not wrap, as the
  // window's "Wrap long lines" box starts unticked.
  const ConvertOptions o = ParseOptions(args, PaletteMode::PcOnly, false);
  return {o.settings, o.inputs, o.runOptions, o.help};
}

void PrintConvertOptionsHelp() { PrintConvertHelp(); }

}  // namespace kestrelpix::cli
