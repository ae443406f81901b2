// Where the settings file lives.
#pragma once

#include <string>

namespace kestrelpix {

inline constexpr const char* kSettingsFileName = "Kestrelpix_Settings.ini";

// "Kestrelpix_Settings.ini" in `programFolder` when that folder is writable
// (a portable install keeps its settings with it, whatever the current
// folder); otherwise in the user's configuration folder,
// $XDG_CONFIG_HOME/kestrelpix/ (an unset, empty or relative XDG_CONFIG_HOME
// means ~/.config), which is created when it does not exist yet. A folder
// that cannot be created still gives its path: reading then finds no file
// and writing reports the failure.
std::string SettingsFilePath(const std::string& programFolder);

// The folder of the running program's executable (from /proc/self/exe),
// with a trailing separator, or an empty text when it cannot be found. The
// settings file and the program path of batch lines are both found from it.
std::string RunningProgramFolder();

}  // namespace kestrelpix
