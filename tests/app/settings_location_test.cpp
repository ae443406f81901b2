// Where the settings file is looked for and written.
#include "app/settings_location.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace kestrelpix {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class SettingsLocation : public ::testing::Test {
 protected:
  void SetUp() override { chmod(root_.c_str(), 0755); }
  const testing::TempDir dir_;
  const fs::path root_ = dir_.path();
};

TEST_F(SettingsLocation, WritableProgramFolderIsAPortableInstall) {
  const fs::path program = root_ / "Kestrelpix";
  fs::create_directory(program);
  ScopedEnv xdg("XDG_CONFIG_HOME", (root_ / "config").c_str());
  EXPECT_EQ(SettingsFilePath(program.string()), (program / "Kestrelpix_Settings.ini").string());
  EXPECT_FALSE(fs::exists(root_ / "config"));  // nothing made elsewhere
}

TEST_F(SettingsLocation, OtherwiseTheUserConfigurationFolder) {
  const fs::path config = root_ / "config";
  ScopedEnv xdg("XDG_CONFIG_HOME", config.c_str());
  for (const std::string& program : {std::string(), (root_ / "missing").string()}) {
    EXPECT_EQ(SettingsFilePath(program),
              (config / "kestrelpix" / "Kestrelpix_Settings.ini").string());
  }
  ASSERT_TRUE(fs::is_directory(config / "kestrelpix"));
  struct stat st;
  ASSERT_EQ(stat((config / "kestrelpix").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // No XDG_CONFIG_HOME, or a relative one: ~/.config.
  ScopedEnv home("HOME", root_.c_str());
  for (const char* value : {static_cast<const char*>(nullptr), "", "relative/config"}) {
    ScopedEnv other("XDG_CONFIG_HOME", value);
    EXPECT_EQ(SettingsFilePath(""),
              (root_ / ".config" / "kestrelpix" / "Kestrelpix_Settings.ini").string());
  }
  EXPECT_TRUE(fs::is_directory(root_ / ".config" / "kestrelpix"));
}

TEST_F(SettingsLocation, ReadOnlyProgramFolderUsesTheConfigurationFolder) {
  // Root may write into any folder, so the check runs as "nobody" then.
  const fs::path program = root_ / "usr-bin";
  fs::create_directory(program);
  chmod(program.c_str(), 0555);
  const fs::path config = root_ / "nobody-config";
  fs::create_directory(config);
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() == 0) {
    if (!nobody) GTEST_SKIP() << "running as root without a user 'nobody'";
    ASSERT_EQ(chown(config.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  }
  const std::string expected = (config / "kestrelpix" / "Kestrelpix_Settings.ini").string();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) _exit(3);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    if (SettingsFilePath(program.string()) != expected) _exit(4);
    _exit(fs::is_directory(config / "kestrelpix") ? 0 : 5);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SettingsLocation, RunningProgramFolderHoldsThisTest) {
  const std::string folder = RunningProgramFolder();
  ASSERT_FALSE(folder.empty());
  // Batch lines append the program's name to the folder as it is given.
  EXPECT_TRUE(fs::exists(folder + "test_settings"));
}

}  // namespace
}  // namespace kestrelpix
