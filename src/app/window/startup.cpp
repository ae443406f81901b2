#include "app/window/startup.h"

#include <cstdlib>

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
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  return !set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM");
}

}  // namespace kestrelpix::window
