#include "app/window/startup.h"

#include <cstdlib>

#include "app/window/display_probe.h"
#include "app/window/form_about.h"
#include "app/window/form_color_options.h"
#include "app/window/form_main.h"

namespace kestrelpix::window {

ApplicationWindows::ApplicationWindows(std::vector<std::string> args, std::string settingsFile) {
  FormMain = new TFormMain(std::move(args), std::move(settingsFile));
  FormAbout = new TFormAbout(FormMain);
  FormMain->SetFormAbout(FormAbout);
  // Created with the two-palette choice checked.
  FormColorOptions = new TFormColorOptions(FormMain);
  FormMain->SetFormColorOptions(FormColorOptions);
}

ApplicationWindows::~ApplicationWindows() {
  FormMain->SetFormColorOptions(nullptr);
  delete FormColorOptions;
  FormMain->SetFormAbout(nullptr);
  delete FormAbout;
  delete FormMain;
}

void ApplicationWindows::Show() {
  FormMain->show();
  FormMain->activateWindow();
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
