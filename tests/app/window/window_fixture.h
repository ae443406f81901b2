// The three windows as the program creates them, with a settings file in a
// fresh folder, message boxes recorded instead of shown, and open-file
// dialogs answered from a queue.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/about_dialog.h"
#include "app/window/color_box.h"
#include "app/window/main_window.h"
#include "app/window/palette_dialog.h"
#include "app/window/platform.h"
#include "app/window/preview_image.h"
#include "app/window/startup.h"
#include "render/rasterizer.h"
#include "support/temp_dir.h"
#include "support/test_fonts.h"

namespace kestrelpix::testing {

using window::MainWindow;

class WindowFixture {
 public:
  // settingsFile empty: a file in the fixture's own folder.
  explicit WindowFixture(std::vector<std::string> args = {}, std::string settingsFile = "")
      : settingsFile_(settingsFile.empty() ? (dir.path() / "Kestrelpix_Settings.ini").string()
                                           : settingsFile) {
    previousMessage_ = window::SetMessageHook([this](const QString& text) {
      messages << text;
      if (onMessage) onMessage(text);
    });
    previousDialog_ = window::SetOpenDialogHook([this](const window::OpenDialog& dialog) {
      dialogTitles << dialog.title;
      if (dialogAnswers.empty()) {
        unexpectedDialogs++;
        return QString();
      }
      QString answer = dialogAnswers.front();
      dialogAnswers.pop_front();
      return answer;
    });
    previousUrl_ = window::SetUrlHook([this](const QString& url) {
      urls << url;
      return browserOpens;
    });
    windows = std::make_unique<window::ApplicationWindows>(std::move(args), settingsFile_);
  }

  ~WindowFixture() {
    windows.reset();
    window::SetMessageHook(previousMessage_);
    window::SetOpenDialogHook(previousDialog_);
    window::SetUrlHook(previousUrl_);
  }

  MainWindow* main() const { return windows->Main; }
  window::PaletteDialog* colorOptions() const { return windows->Palette; }
  window::AboutDialog* about() const { return windows->About; }
  const std::string& settingsFile() const { return settingsFile_; }

  // Shows the main window as the program does and waits until the first
  // activation's work has run.
  bool ShowAndActivate() {
    windows->Show();
    if (!QTest::qWaitForWindowActive(main())) return false;
    for (int i = 0; i < 100 && main()->FirstActivationPending(); ++i) QTest::qWait(20);
    return !main()->FirstActivationPending();
  }

  // Ends the program's windows as the program does at exit: the settings
  // file is written by the main window's destruction.
  void Destroy() { windows.reset(); }

  // Loads a subtitle through the "Load Srt,Txt" button and its dialog.
  void Load(const std::string& path) {
    dialogAnswers.push_back(window::FromLocalPath(path));
    main()->loadButton_->click();
  }

  // A user's pick in a list: selects the item and runs the list's handler.
  static void Pick(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
  }

  TempDir dir;
  std::unique_ptr<window::ApplicationWindows> windows;
  QStringList messages;
  std::function<void(const QString&)> onMessage;
  std::deque<QString> dialogAnswers;
  QStringList dialogTitles;
  int unexpectedDialogs = 0;
  QStringList urls;
  // Whether a browser takes the addresses opened.
  bool browserOpens = true;

 private:
  std::string settingsFile_;
  window::MessageHook previousMessage_;
  window::OpenDialogHook previousDialog_;
  window::UrlHook previousUrl_;
};

// The built-in preview picture with the two lines drawn by the core, as the
// preview must show it.
inline FrameBitmap ExpectedPreview(const std::string& line1, const std::string& line2,
                                   const RenderSettings& settings) {
  const bool pal = settings.Fps == "25.000";
  FrameBitmap picture = window::FrameFromImage(
      QImage(pal ? ":/pictures/PreviewPal720x576" : ":/pictures/PreviewNtsc720x480"), 720,
      pal ? 576 : 480);
  DrawSubtitleLines(TestFonts(), picture, line1, line2, settings, picture.height());
  return picture;
}

// The same with the lines of an entry laid out and placed by the core.
inline FrameBitmap ExpectedPreview(const std::vector<std::string_view>& lines,
                                   const RenderSettings& settings) {
  const bool pal = settings.Fps == "25.000";
  FrameBitmap picture = window::FrameFromImage(
      QImage(pal ? ":/pictures/PreviewPal720x576" : ":/pictures/PreviewNtsc720x480"), 720,
      pal ? 576 : 480);
  DrawSubpictureOver(TestFonts(), {ShownEntry{lines, {}}}, settings, picture, picture.height());
  return picture;
}

inline FrameBitmap BarePreview(bool pal) {
  return window::FrameFromImage(
      QImage(pal ? ":/pictures/PreviewPal720x576" : ":/pictures/PreviewNtsc720x480"), 720,
      pal ? 576 : 480);
}

inline bool SamePicture(const FrameBitmap& a, const FrameBitmap& b) {
  return a.width() == b.width() && a.height() == b.height() && a.bytes() == b.bytes();
}

inline QStringList ItemsOf(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

inline std::string ExampleSubtitle() {
  return std::string(KESTRELPIX_SOURCE_DIR) + "/examples/sample.srt";
}

}  // namespace kestrelpix::testing
