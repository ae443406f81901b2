#include "app/window/startup.h"

#include <cstdlib>

#include "app/window/about_dialog.h"
#include "app/window/display_probe.h"
#include "app/window/main_window.h"
#include "app/window/palette_dialog.h"

namespace kestrelpix::window {

ApplicationWindows::ApplicationWindows(std::vector<std::string> args, std::string settingsFile) {
  Main = new MainWindow(std::move(args), std::move(settingsFile));
  About = new AboutDialog(Main);
  Main->SetAboutDialog(About);
  // Created with the two-palette choice checked.
  Palette = new PaletteDialog(Main, Main->settingsStore_);
  Main->SetPaletteDialog(Palette);
}

ApplicationWindows::~ApplicationWindows() {
  Main->SetPaletteDialog(nullptr);
  delete Palette;
  Main->SetAboutDialog(nullptr);
  delete About;
  delete Main;
}

void ApplicationWindows::Show() {
  Main->show();
  Main->activateWindow();
}

bool NoDisplayAvailable() {
  auto value = [](const char* name) -> std::string {
    const char* text = std::getenv(name);
    return text != nullptr ? text : "";
  };
  // A platform chosen by name (offscreen, vnc, ...) is Qt's to open.
  if (!value("QT_QPA_PLATFORM").empty()) return false;
  const std::string wayland = value("WAYLAND_DISPLAY");
  if (!wayland.empty() && WaylandDisplayReachable(wayland, value("XDG_RUNTIME_DIR"))) return false;
  const std::string x11 = value("DISPLAY");
  if (!x11.empty() && X11DisplayOpens(x11)) return false;
  return true;
}

}  // namespace kestrelpix::window
