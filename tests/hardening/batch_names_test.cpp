// Hostile subtitle names in batch files: a name that holds shell syntax is
// queued with add-to-batch (the line the window's "Add to Batch" writes),
// and running the batch file converts that very file and runs nothing else.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/command_line.h"
#include "hardening/hardening_util.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Each would run "touch PWNED" (or expand a variable) if a shell read it
// unquoted or in double quotes.
const std::vector<std::string> kHostileNames = {
    "clip$(touch PWNED).srt",
    "y`touch PWNED`.srt",
    "z\";touch PWNED;\".srt",
    "it's 'both\" quotes.srt",
    "a;b&c|d%e*f?.srt",
    "new\nline;touch PWNED.srt",
    "-dash.srt",
    "$HOME and ${PATH}.srt",
    "not utf-8 \xff\xfe\xe9.srt",
    "back\\slash\\'.srt",
};

// A folder with a copy of the tool (the batch line names the program by the
// folder of the running tool) and, beside it, "kestrelpix" as the tool
// itself, which converts the fifteen parameters as the window does.
struct BatchSetup {
  TempDir dir;
  fs::path bin = dir.path() / "bin";
  fs::path films = dir.path() / "films";
  fs::path elsewhere = dir.path() / "elsewhere";
  std::string tool = (bin / "kestrelpix-cli").string();
  std::string batch = (dir.path() / "Queue.bat").string();

  BatchSetup() {
    fs::create_directories(bin);
    fs::create_directories(films);
    fs::create_directories(elsewhere);
    fs::copy_file(kCli, tool);
    fs::create_symlink(kCli, bin / "kestrelpix");
  }
  // add-to-batch run from the films folder, the input named relatively;
  // `stdoutTo` redirects its standard output.
  CommandResult Add(const std::string& name, const std::string& options = "",
                    const std::string& stdoutTo = "") {
    return RunCommand("cd " + ShellQuote(films.string()) + " && { " + ShellQuote(tool) +
                      " add-to-batch " + ShellQuote(batch) + " " + options + " -- " +
                      ShellQuote(name) + " " + stdoutTo + "; }");
  }
};

TEST(BatchNames, HostileNamesConvertThemselvesAndRunNothingElse) {
  BatchSetup s;
  for (const std::string& name : kHostileNames) {
    s.dir.Write("films/" + name, MakeSrt(2));
    const CommandResult r = s.Add(name);
    ASSERT_EQ(r.status, 0) << name << ": " << r.err;
    EXPECT_EQ(r.out, "Job added to Batch file: " + s.batch + "\n");
  }
  const std::string text = ReadFileBytes(s.batch);
  EXPECT_EQ(text.rfind("#!/bin/sh\n", 0), 0u);
  struct stat st {};
  ASSERT_EQ(::stat(s.batch.c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777u, 0777u & ~mask);

  // Run as a double-click runs it: the file itself, from another folder.
  const CommandResult run =
      RunCommand("cd " + ShellQuote(s.elsewhere.string()) + " && " + ShellQuote(s.batch) + " 2>&1");
  EXPECT_EQ(run.status, 0) << run.out;
  std::set<std::string> expected;
  for (const std::string& name : kHostileNames) {
    const std::string stem = name.substr(0, name.size() - 4);
    for (const char* ext : {".srt", ".idx", ".sub", ".Kestrelpix_Help.txt"}) {
      expected.insert(stem + ext);
    }
    EXPECT_EQ(FfprobeSubtitles((s.films / (stem + ".idx")).string()), 2) << name;
  }
  EXPECT_EQ(Names(s.films), expected);
  EXPECT_EQ(Names(s.elsewhere), std::set<std::string>{});
  EXPECT_EQ(Names(s.dir.path()), (std::set<std::string>{"Queue.bat", "bin", "elsewhere", "films"}));
}

TEST(BatchNames, CommandLineAndWindowWriteOneLine) {
  BatchSetup s;
  const std::string name = "it's $(here).srt";
  s.dir.Write("films/" + name, MakeSrt(2));
  ASSERT_EQ(s.Add(name, "--size 24 --text-color yellow --palette pc --fps 23.976").status, 0);
  // Size 24 is position 18 of the size list; yellow is 12 of the PC list.
  ControlPositions p;
  p.FontSize = 18;
  p.Palette = PaletteMode::PcOnly;
  p.TextColor = 12;
  p.Fps = 0;
  p.WrapLines = false;
  const std::string path = (s.films / name).string();
  const std::string line = BatchLine(s.bin.string() + "/", path, p);
  EXPECT_EQ(line, "'" + s.bin.string() + "/kestrelpix' '" + s.films.string() +
                      "/it'\\''s $(here).srt' 0 4 0 18 0 30 -4 1 1 0 12 41 0 0 0");
  EXPECT_EQ(ReadFileBytes(s.batch), "#!/bin/sh\n" + line + "\n");
  // A second job is appended below, the first line written once; --wrap
  // goes on the line as the window's box does.
  ASSERT_EQ(s.Add(name, "--wrap").status, 0);
  ControlPositions wrapped;
  wrapped.WrapLines = true;
  EXPECT_EQ(ReadFileBytes(s.batch),
            "#!/bin/sh\n" + line + "\n" + BatchLine(s.bin.string() + "/", path, wrapped) + "\n");
  // The shell's splitting gives the path back byte for byte.
  const std::vector<std::string> args = SplitBatchLine(line);
  ASSERT_EQ(args.size(), 17u);
  EXPECT_EQ(args[1], path);
}

TEST(BatchNames, RefusalsQueueNothing) {
  BatchSetup s;
  s.dir.Write("films/film.srt", MakeSrt(2));
  const CommandResult r = s.Add("film.srt", "--text-color 123456");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "The text colour is not in the window's list, so a batch line cannot give it\n");
  EXPECT_FALSE(fs::exists(s.batch));
  // A file that does not load is not queued, as in the window.
  s.dir.Write("films/notes.srt", "shopping list\n");
  EXPECT_EQ(s.Add("notes.srt").status, 1);
  EXPECT_FALSE(fs::exists(s.batch));

  // Options of a run that the line has no place for.
  for (const std::string option :
       {"--output-dir 2", "--jobs 2", "--merge 2", "--languages 2", "--sami-class ENCC",
        "--quiet"}) {
    const CommandResult o = s.Add("film.srt", option);
    EXPECT_EQ(o.status, 2) << option;
    EXPECT_EQ(o.err.rfind("kestrelpix-cli add-to-batch: " + option.substr(0, option.find(' ')) +
                              " cannot be queued: a batch line carries only ",
                          0),
              0u)
        << o.err;
    EXPECT_FALSE(fs::exists(s.batch)) << option;
  }
  // A confirmation that cannot be printed takes the job back, from a new
  // batch file and from one that held jobs: trying again queues it once.
  for (const std::string before : {"", "#!/bin/sh\n"}) {
    for (const char* stdoutTo : {">/dev/full", ">&-"}) {
      fs::remove(s.batch);
      if (!before.empty()) s.dir.Write("Queue.bat", before);
      const CommandResult c = s.Add("film.srt", "", stdoutTo);
      EXPECT_EQ(c.status, 1) << stdoutTo;
      EXPECT_TRUE(c.err.ends_with("the job was taken back out of " + s.batch +
                                  ", as its confirmation could not be printed\n"))
          << c.err;
      EXPECT_EQ(fs::exists(s.batch) ? ReadFileBytes(s.batch) : "", before) << stdoutTo;
    }
  }
  // An entry too wide for the frame is queued only with --wrap, and the
  // batch wraps it.
  fs::remove(s.batch);
  s.dir.Write("films/long.srt",
              "1\n00:00:01,000 --> 00:00:02,000\nThe lighthouse keeper waved back at the "
              "fishermen who sailed home across the bay at dusk\n\n");
  EXPECT_NE(s.Add("long.srt").err.find("Please wrap long lines (--wrap)"), std::string::npos);
  EXPECT_FALSE(fs::exists(s.batch));
  ASSERT_EQ(s.Add("long.srt", "--wrap").status, 0);
  EXPECT_EQ(RunCommand("sh " + ShellQuote(s.batch)).status, 0);
  EXPECT_EQ(FfprobeSubtitles((s.films / "long.idx").string()), 1);
}

TEST(BatchNames, AQueuedLineStartsOnANewLineOfARegularFile) {
  BatchSetup s;
  s.dir.Write("films/film.srt", MakeSrt(2));
  ControlPositions unwrapped;
  unwrapped.WrapLines = false;
  const std::string line =
      BatchLine(s.bin.string() + "/", (s.films / "film.srt").string(), unwrapped);
  // A last line without its line end gets one, in the file's style.
  const std::pair<std::string, std::string> cases[] = {
      {"#!/bin/sh\nrm -f -- old.bak", "#!/bin/sh\nrm -f -- old.bak\n"},
      {"#!/bin/sh\r\nrm -f -- old.bak", "#!/bin/sh\r\nrm -f -- old.bak\r\n"},
      {"rm -f -- old.bak", "rm -f -- old.bak\n"},
      {"#!/bin/sh\nrm -f -- old.bak\n", "#!/bin/sh\nrm -f -- old.bak\n"},
      {"", ""},
  };
  for (const auto& [before, after] : cases) {
    s.dir.Write("Queue.bat", before);
    ASSERT_EQ(s.Add("film.srt").status, 0);
    EXPECT_EQ(ReadFileBytes(s.batch), after + line + "\n");
  }
  // Run, the file removes the user's file and converts the film.
  s.dir.Write("films/old.bak", "old");
  s.dir.Write("Queue.bat", "cd " + ShellQuote(s.films.string()) + "\nrm -f -- old.bak");
  ASSERT_EQ(s.Add("film.srt").status, 0);
  EXPECT_EQ(RunCommand("sh " + ShellQuote(s.batch)).status, 0);
  EXPECT_FALSE(fs::exists(s.films / "old.bak"));
  EXPECT_EQ(FfprobeSubtitles((s.films / "film.idx").string()), 2);

  // Through a link to a regular file the target gets the line.
  fs::remove(s.batch);
  fs::create_symlink(s.dir.Write("target.bat", ""), s.batch);
  ASSERT_EQ(s.Add("film.srt").status, 0);
  EXPECT_EQ(ReadFileBytes((s.dir.path() / "target.bat").string()), line + "\n");
  // Nothing else is opened: a FIFO without reader, a folder, a device.
  for (const std::string kind : {"fifo", "folder", "device"}) {
    fs::remove(s.batch);
    if (kind == "fifo") ::mkfifo(s.batch.c_str(), 0644);
    if (kind == "folder") fs::create_directory(s.batch);
    if (kind == "device") fs::create_symlink("/dev/null", s.batch);
    const CommandResult r = s.Add("film.srt");
    EXPECT_EQ(r.status, 1) << kind;
    EXPECT_EQ(r.err, "Cannot open file \"" + s.batch + "\": it is " +
                         (kind == "folder" ? "a folder\n"
                                           : "not a regular file (a FIFO, a socket or a device)\n"))
        << kind;
  }
}

}  // namespace
}  // namespace kestrelpix
