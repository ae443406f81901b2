#include "app/settings_location.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kestrelpix {

namespace {

namespace fs = std::filesystem;

bool IsWritableFolder(const std::string& folder) {
  if (folder.empty()) return false;
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         access(folder.c_str(), W_OK | X_OK) == 0;
}

fs::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return {};
}

fs::path ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg && fs::path(xdg).is_absolute()) return xdg;
  return HomeFolder() / ".config";
}

// Creates each missing folder of `path` with mode 0700, as configuration
// folders should not be readable by others.
void CreateFolders(const fs::path& path) {
  fs::path partial;
  for (const fs::path& part : path) {
    partial /= part;
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return;
  }
}

}  // namespace

std::string SettingsFilePath(const std::string& programFolder) {
  if (IsWritableFolder(programFolder))
    return (fs::path(programFolder) / kSettingsFileName).string();
  const fs::path folder = ConfigHome() / "kestrelpix";
  CreateFolders(folder);
  return (folder / kSettingsFileName).string();
}

std::string RunningProgramFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  std::string folder = exe.parent_path().string();
  if (folder.empty()) return {};
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace kestrelpix
