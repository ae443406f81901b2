// kestrelpix: the window. Started with the fifteen parameters of a batch line
// it converts unattended; where no display can be opened it does the same
// conversion without a window, with messages on stderr and an exit status.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/form_storage.h"
#include "app/settings_location.h"
#include "app/unattended_run.h"
#include "app/window/main_window.h"
#include "app/window/startup.h"
#include "base/message_sink.h"
#include "job/stop_signals.h"

int main(int argc, char** argv) {
  using namespace kestrelpix;
  const std::vector<std::string> rawArgs(argv + 1, argv + argc);
  if (window::NoDisplayAvailable()) {
    if (DetectCommandLine(rawArgs)) {
      // Stopped by Ctrl-C, SIGTERM or SIGHUP after the entry in progress, as
      // the command-line tool is.
      InstallStopSignals();
      ConsoleFrontEnd console;
      // Wrapping as the window would restore it from the settings file.
      return RunUnattendedHeadless(
          rawArgs, console, StoredWrapLines(SettingsFilePath(RunningProgramFolder()), &console));
    }
    // Said plainly here rather than by Qt's platform-plugin abort.
    std::fprintf(stderr,
                 "kestrelpix: no display can be opened (DISPLAY and WAYLAND_DISPLAY name no "
                 "running display that lets this program in).\nUse kestrelpix-cli to convert "
                 "without a window.\n");
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("Kestrelpix");
  // No display name: Qt would add it to every window title, and the main
  // window's caption is the whole title.
  QApplication::setApplicationVersion(KESTRELPIX_VERSION);
  // Qt has taken its own options (-platform and the like) out of argv.
  std::vector<std::string> args(argv + 1, argv + argc);

  int status = 0;
  {
    window::ApplicationWindows windows(std::move(args), SettingsFilePath(RunningProgramFolder()));
    QApplication::setWindowIcon(QIcon(":/pictures/icon"));
    // An unattended run ends the program with its status: a batch sees a
    // refused or failed job.
    QObject::connect(
        windows.Main, &window::MainWindow::TerminateApplication, &app,
        [](int runStatus) { QCoreApplication::exit(runStatus); }, Qt::QueuedConnection);
    windows.Show();
    status = app.exec();
  }
  return status;
}
