// The INI reader and writer: layout, reading rules, and writing the file
// as a whole.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ini_file.h"
#include "base/errors.h"
#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

namespace fs = std::filesystem;

// Saves ini to path: true when saved; otherwise false, with the refusal's
// text in error.
bool Save(const IniFile& ini, const std::string& path, std::string* error = nullptr) {
  try {
    ini.SaveToFile(path);
    return true;
  } catch (const FileError& e) {
    if (error != nullptr) *error = e.what();
    return false;
  }
}

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// The names in a folder, sorted.
std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(IniFile, KeepsCreationOrderAndPlaces) {
  IniFile ini;
  ini.WriteString("B", "one", "1");
  ini.WriteString("A", "x", "10");
  ini.WriteString("B", "two", "2");
  ini.WriteString("b", "ONE", "first");  // existing entry: same place
  ini.WriteString("A", "y", "");
  EXPECT_EQ(ini.ToText(),
            "[B]\r\nONE=first\r\ntwo=2\r\n\r\n"
            "[A]\r\nx=10\r\ny=\r\n\r\n");
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(ini.Keys("a"), (std::vector<std::string>{"x", "y"}));

  std::string v;
  EXPECT_TRUE(ini.ReadString("b", "one", v));
  EXPECT_EQ(v, "first");
  EXPECT_TRUE(ini.ReadString("A", "Y", v));
  EXPECT_EQ(v, "");
  EXPECT_FALSE(ini.ReadString("A", "z", v));
  EXPECT_FALSE(ini.ReadString("C", "x", v));

  ini.Clear();
  EXPECT_EQ(ini.ToText(), "");
}

TEST(IniFile, ReadingRules) {
  IniFile ini;
  ini.LoadFromText(
      "lost=before any section\r\n"
      "\t[ Main ]  \r\n"
      "  Key One  =  a value = with equals  \n"
      "; comment=not an entry\r"
      "   ;indented comment\n"
      "\n"
      "   \t\n"
      "=no key\r\n"
      "bare line\r\n"
      "empty=\r\n"
      "[other]\n"
      "k=v\n"
      "[MAIN]\n"
      "later=joins the first Main\n"
      "[]\n"
      "in nameless=1\n"
      "[not a section\n"
      "last=no line end");
  EXPECT_EQ(ini.ToText(),
            "lost=before any section\r\n"
            "[Main]\r\n"
            "Key One=a value = with equals\r\n"
            "; comment=not an entry\r\n"
            "   ;indented comment\r\n"
            "=no key\r\n"
            "bare line\r\n"
            "empty=\r\n"
            "later=joins the first Main\r\n"
            "\r\n"
            "[other]\r\n"
            "k=v\r\n"
            "\r\n"
            "[]\r\n"
            "in nameless=1\r\n"
            "[not a section\r\n"
            "last=no line end\r\n"
            "\r\n");
  std::string v;
  EXPECT_TRUE(ini.ReadString("main", "key one", v));
  EXPECT_EQ(v, "a value = with equals");
  EXPECT_FALSE(ini.ReadString("Main", "bare line", v));  // a line without "=" is no key
  EXPECT_TRUE(ini.ReadString("Main", "", v));
  EXPECT_EQ(v, "no key");
  EXPECT_FALSE(ini.ReadString("Main", "lost", v));
  EXPECT_FALSE(ini.ReadString("Main", "; comment", v));
  EXPECT_EQ(ini.Keys("Main"), (std::vector<std::string>{"Key One", "", "empty", "later"}));

  // The first of two equal keys is the one read and changed.
  ini.LoadFromText("[s]\nk=1\nK=2\n");
  ini.WriteString("s", "k", "3");
  EXPECT_EQ(ini.ToText(), "[s]\r\nk=3\r\nK=2\r\n\r\n");
  EXPECT_TRUE(ini.ReadString("s", "K", v));
  EXPECT_EQ(v, "3");
}

TEST(IniFile, WrittenValuesStayOnTheirLine) {
  IniFile ini;
  ini.WriteString("Form1", "LabelImageChangedPAL_Caption", "/tmp/a\r\n[Evil]\nx=1");
  EXPECT_EQ(ini.ToText(), "[Form1]\r\nLabelImageChangedPAL_Caption=/tmp/a  [Evil] x=1\r\n\r\n");
  IniFile reread;
  reread.LoadFromText(ini.ToText());
  EXPECT_EQ(reread.SectionNames(), std::vector<std::string>{"Form1"});
}

TEST(IniFile, FileRoundTripAndMissingFile) {
  TempDir dir;
  const std::string path = dir.path() / "Kestrelpix_Settings.ini";
  IniFile ini;
  ini.WriteString("Sec", "stale", "1");
  ini.LoadFromFile(path);  // missing: an empty copy
  EXPECT_EQ(ini.ToText(), "");
  EXPECT_FALSE(ini.ReadOnly());

  ini.WriteString("Form1", "ComboBoxFps_ItemIndex", "3");
  std::string error;
  ASSERT_TRUE(Save(ini, path, &error)) << error;
  EXPECT_EQ(ReadFileBytes(path), "[Form1]\r\nComboBoxFps_ItemIndex=3\r\n\r\n");
  EXPECT_EQ(Names(dir.path()),
            std::vector<std::string>{"Kestrelpix_Settings.ini"});  // no temp left

  IniFile again;
  again.LoadFromFile(path);
  EXPECT_EQ(again.ToText(), ini.ToText());

  // A folder where the file should be is an error, not an empty copy.
  EXPECT_THROW(again.LoadFromFile(dir.path().string()), std::exception);
}

TEST(IniFile, SaveKeepsPermissionsAndLinks) {
  TempDir dir;
  const fs::path real = dir.path() / "real.ini";
  const fs::path link = dir.path() / "Kestrelpix_Settings.ini";
  WriteFileBytes(real, "[FormColorOptions]\r\n");
  chmod(real.c_str(), 0640);
  fs::create_symlink(real.filename(), link);

  IniFile ini;
  ini.LoadFromFile(link);
  ini.WriteString("New", "k", "v");
  ASSERT_TRUE(Save(ini, link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(real), "[FormColorOptions]\r\n\r\n[New]\r\nk=v\r\n\r\n");
  struct stat st;
  ASSERT_EQ(stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(IniFile, ReadOnlyFileIsReadButNeverWritten) {
  TempDir dir;
  const fs::path path = dir.path() / "Kestrelpix_Settings.ini";
  const std::string original = "[Form1]\r\nComboBoxFps_ItemIndex=4\r\n\r\n";
  WriteFileBytes(path, original);
  chmod(path.c_str(), 0444);

  IniFile ini;
  ini.LoadFromFile(path);
  EXPECT_TRUE(ini.ReadOnly());
  std::string v;
  EXPECT_TRUE(ini.ReadString("Form1", "ComboBoxFps_ItemIndex", v));
  EXPECT_EQ(v, "4");
  ini.WriteString("Form1", "ComboBoxFps_ItemIndex", "0");
  std::string error;
  EXPECT_FALSE(Save(ini, path, &error));
  EXPECT_NE(error.find("File access denied"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(path), original);

  // Made read-only after it was read: still left alone.
  chmod(path.c_str(), 0644);
  IniFile writable;
  writable.LoadFromFile(path);
  EXPECT_FALSE(writable.ReadOnly());
  chmod(path.c_str(), 0444);
  writable.WriteString("Form1", "ComboBoxFps_ItemIndex", "1");
  EXPECT_FALSE(Save(writable, path));
  EXPECT_EQ(ReadFileBytes(path), original);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Kestrelpix_Settings.ini"});
}

// What may stand at the settings file's name, and what a load and a save of
// a changed copy do to it. Each row runs in a child process that an alarm
// ends after 5 s, so a load that waits or reads for ever fails its row.
TEST(IniFile, HostileThingsAtTheSettingsName) {
  enum Kind { kFile, kLink, kDanglingLink, kFifo, kFolder, kDevZeroLink };
  struct Row {
    Kind kind;
    std::string before;  // the file's (or the link target's) bytes
    bool loads, saves;
    std::string after;  // the bytes afterwards; empty: as before
    const char* why;    // in the save's message
  };
  const std::string own = "[Form1]\r\nComboBoxFps_ItemIndex=4\r\n\r\n";
  const std::string fps2 = "[Form1]\r\nComboBoxFps_ItemIndex=2\r\n\r\n";
  const Row rows[] = {
      {kLink, "root:x:0:0:root:/root:/bin/sh\n", true, false, "", "is not a settings file"},
      {kLink, "[FormColorOptions]\r\n" + own, true, true, "[FormColorOptions]\r\n\r\n" + fps2, ""},
      {kLink, "", true, true, fps2, ""},
      {kDanglingLink, "", true, false, "", "does not exist"},
      {kFifo, "", false, false, "", "File access denied"},
      {kFolder, "", false, false, "", "File access denied"},
      {kDevZeroLink, "", false, false, "", "File access denied"},
      {kFile, own + std::string(kSettingsFileLimit, ';'), false, false, "", "File access denied"},
      // Comments, unknown lines and lines before the first section stay.
      {kFile,
       "; by hand\r\n\r\nno section yet\r\n[form1]\r\n ; 2 is 25 fps\r\nunknown\r\n"
       "comboBoxFPS_ItemIndex = 4\r\nOther=1\r\n\r\n",
       true, true,
       "; by hand\r\n\r\nno section yet\r\n[form1]\r\n ; 2 is 25 fps\r\nunknown\r\n"
       "ComboBoxFps_ItemIndex=2\r\nOther=1\r\n\r\n",
       ""},
  };
  TempDir notes;
  const std::string errorFile = (notes.path() / "error").string();
  for (const Row& row : rows) {
    SCOPED_TRACE("row " + std::to_string(&row - rows));
    TempDir dir;
    const fs::path name = dir.path() / "Kestrelpix_Settings.ini";
    const fs::path target = dir.path() / "target";
    if (row.kind == kLink) WriteFileBytes(target, row.before);
    if (row.kind == kFile) WriteFileBytes(name, row.before);
    if (row.kind == kLink || row.kind == kDanglingLink) fs::create_symlink("target", name);
    if (row.kind == kDevZeroLink) fs::create_symlink("/dev/zero", name);
    if (row.kind == kFifo) {
      ASSERT_EQ(mkfifo(name.c_str(), 0644), 0);
    }
    if (row.kind == kFolder) fs::create_directory(name);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      alarm(5);
      IniFile ini;
      int status = 0;
      try {
        ini.LoadFromFile(name);
        status |= 1;
      } catch (const FileError&) {
      }
      ini.WriteString("Form1", "ComboBoxFps_ItemIndex", "2");
      std::string error;
      if (Save(ini, name, &error)) status |= 2;
      WriteFileBytes(errorFile, error);
      _exit(status);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), (row.loads ? 1 : 0) | (row.saves ? 2 : 0));
    const std::string error = ReadFileBytes(errorFile);
    EXPECT_NE(error.find(row.why), std::string::npos) << error;
    if (row.kind == kLink) {
      EXPECT_TRUE(fs::is_symlink(name));
      EXPECT_EQ(ReadFileBytes(target), row.after.empty() ? row.before : row.after);
    } else if (row.kind == kFile) {
      EXPECT_EQ(ReadFileBytes(name), row.after.empty() ? row.before : row.after);
    } else {
      EXPECT_FALSE(fs::exists(target));
      EXPECT_FALSE(fs::is_regular_file(name));
    }
    EXPECT_EQ(Names(dir.path()).size(), row.kind == kLink ? 2u : 1u);  // no temporary left
  }
}

// A settings text of about `size` bytes.
IniFile BigCopy(size_t size) {
  IniFile ini;
  for (int i = 0; ini.ToText().size() < size; ++i) {
    ini.WriteString("Form1", "Entry" + std::to_string(i), std::string(50, 'x'));
  }
  return ini;
}

TEST(IniFile, FailedWriteLeavesTheOldFileWhole) {
  // The write runs out of room half-way (the file-size limit stands in for
  // a full disk; unlike permissions, it also stops root). The old file must
  // stay byte for byte, and no temporary file may be left behind.
  TempDir dir;
  const fs::path path = dir.path() / "Kestrelpix_Settings.ini";
  const std::string original = "[Form1]\r\nComboBoxFps_ItemIndex=4\r\n\r\n";
  WriteFileBytes(path, original);

  IniFile ini = BigCopy(64 * 1024);
  rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit small = old_limit;
  small.rlim_cur = 4096;
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  const bool saved = Save(ini, path, &error);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(saved);
  EXPECT_NE(error.find("I/O error"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(path), original);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Kestrelpix_Settings.ini"});

  // With room again the same copy is written whole.
  ASSERT_TRUE(Save(ini, path));
  EXPECT_EQ(ReadFileBytes(path), ini.ToText());
}

TEST(IniFile, ReadOnlyFolderLeavesTheOldFileWhole) {
  // The file itself is writable but its folder is not: a temporary file
  // cannot be made, and the file must not be overwritten in place instead.
  // Root is not stopped by folder permissions, so then the attempt runs in
  // a child process as the unprivileged user "nobody".
  TempDir dir;
  const fs::path folder = dir.path() / "portable";
  fs::create_directory(folder);
  const fs::path path = folder / "Kestrelpix_Settings.ini";
  const std::string original = "[Form1]\r\nComboBoxFps_ItemIndex=4\r\n\r\n";
  WriteFileBytes(path, original);
  chmod(path.c_str(), 0666);
  chmod(folder.c_str(), 0555);
  chmod(dir.path().c_str(), 0755);

  const passwd* nobody = getpwnam("nobody");
  if (geteuid() == 0 && !nobody) GTEST_SKIP() << "running as root without a user 'nobody'";

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) _exit(3);
    IniFile ini;
    ini.LoadFromFile(path);
    if (ini.ReadOnly()) _exit(4);
    ini.WriteString("Form1", "ComboBoxFps_ItemIndex", "0");
    std::string error;
    if (Save(ini, path, &error)) _exit(5);
    _exit(error.find("File access denied") != std::string::npos ? 0 : 6);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(path), original);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(folder)) left.push_back(e.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"Kestrelpix_Settings.ini"});
}

}  // namespace
}  // namespace kestrelpix
