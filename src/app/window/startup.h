// The program's three windows, created in start-up order: the main window
// (its defaults and the command-line detection run as it is created), the
// about window, then the colour options window. They live until the program
// ends and go in the order the settings file needs: the colour options
// window first, the main window, which owns the store and writes the file,
// last.
#pragma once

#include <string>
#include <vector>

namespace kestrelpix::window {

class AboutDialog;
class PaletteDialog;
class MainWindow;

class ApplicationWindows {
 public:
  ApplicationWindows(std::vector<std::string> args, std::string settingsFile);
  ~ApplicationWindows();
  ApplicationWindows(const ApplicationWindows&) = delete;
  ApplicationWindows& operator=(const ApplicationWindows&) = delete;

  // Shows the main window and asks for it to be activated; its settings are
  // restored as it is shown, and the first activation does the rest.
  void Show();

  MainWindow* Main;
  AboutDialog* About;
  PaletteDialog* Palette;
};

// True when no window system can be reached: no Qt platform chosen by name,
// and no Wayland compositor answering at the display that the environment
// names, nor an X server that lets this program open it (unset, set but
// gone as after an ssh session, or refusing its authorisation).
bool NoDisplayAvailable();

}  // namespace kestrelpix::window
