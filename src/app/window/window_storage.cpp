#include "app/window/window_storage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "app/window/color_box.h"
#include "app/window/main_window.h"
#include "app/window/window_placement.h"
#include "base/errors.h"
#include "base/message_sink.h"

namespace kestrelpix::window {

WindowPlacement PlacementOf(const QWidget* window) {
  WindowPlacement p;
  const QScreen* screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    p.PixelsPerInch = static_cast<int>(std::lround(screen->logicalDotsPerInch()));
    p.ScreenWidth = screen->geometry().width();
    p.ScreenHeight = screen->geometry().height();
  }
  if (window->isMinimized()) {
    p.ShowCmd = 2;
  } else if (window->isMaximized()) {
    p.ShowCmd = 3;
  }
  // The frame rectangle of the normal state: while minimised or maximised
  // Qt keeps the normal client rectangle, around which the frame lies as
  // it does now.
  QRect r = window->frameGeometry();
  if (p.ShowCmd != 1) {
    const QRect normal = window->normalGeometry();
    if (normal.isValid()) {
      const QRect frame = window->frameGeometry();
      const QRect client = window->geometry();
      r = normal.adjusted(frame.left() - client.left(), frame.top() - client.top(),
                          frame.right() - client.right(), frame.bottom() - client.bottom());
    }
  }
  p.Left = r.left();
  p.Top = r.top();
  p.Right = r.left() + r.width();
  p.Bottom = r.top() + r.height();
  return p;
}

void ApplyPlacementTo(QWidget* window, const RestoredPlacement& placement) {
  if (placement.applyPosition) {
    // A window of fixed size: only the position, moved onto a screen.
    const QRect frame(QPoint(placement.left, placement.top), window->frameGeometry().size());
    window->move(PlaceOnScreens(frame, AvailableAreas()).topLeft());
  }
  switch (placement.state) {
    case RestoredPlacement::State::Minimized:
      window->setWindowState(window->windowState() | Qt::WindowMinimized);
      break;
    case RestoredPlacement::State::Maximized:
      window->setWindowState(window->windowState() | Qt::WindowMaximized);
      break;
    case RestoredPlacement::State::Normal:
      break;
  }
}

// --- the main window's storage --------------------------------------------

Settings MainWindow::ControlSettings() const {
  Settings s;
  s.PalPicture = LocalPath(palPicture_);
  s.NtscPicture = LocalPath(ntscPicture_);
  s.FontName = fontNameBox_->currentIndex();
  s.FontSize = fontSizeBox_->currentIndex();
  s.FontCharset = charsetBox_->currentIndex();
  s.FontStyle = fontStyleBox_->currentIndex();
  s.Align = alignBox_->currentIndex();
  s.Fps = fpsBox_->currentIndex();
  s.OutlineWidth = outlineWidthBox_->currentIndex();
  s.Language = languageBox_->currentIndex();
  s.AntialiasColor = antialiasColorBox_->Color();
  s.OutlineColor = outlineColorBox_->Color();
  s.TextColor = textColorBox_->Color();
  s.BottomOffset = bottomOffsetSlider_->value();
  s.LineSpacing = lineSpacingSlider_->value();
  s.WrapLines = wrapLinesBox_->isChecked();
  s.Palette = CurrentPaletteMode();
  return s;
}

void MainWindow::ApplySettings(const Settings& s) {
  // In the order of the settings file. Lists run no change handler, and a
  // position outside a list leaves it without a selection; sliders that
  // move and the wrap box run theirs. The palette mode is the palette
  // dialog's to apply.
  palPicture_ = FromLocalPath(s.PalPicture);
  ntscPicture_ = FromLocalPath(s.NtscPicture);
  fontNameBox_->setCurrentIndex(s.FontName);
  fontSizeBox_->setCurrentIndex(s.FontSize);
  charsetBox_->setCurrentIndex(s.FontCharset);
  fontStyleBox_->setCurrentIndex(s.FontStyle);
  alignBox_->setCurrentIndex(s.Align);
  fpsBox_->setCurrentIndex(s.Fps);
  outlineWidthBox_->setCurrentIndex(s.OutlineWidth);
  languageBox_->setCurrentIndex(s.Language);
  antialiasColorBox_->SetColorValue(s.AntialiasColor);
  outlineColorBox_->SetColorValue(s.OutlineColor);
  textColorBox_->SetColorValue(s.TextColor);
  bottomOffsetSlider_->setValue(s.BottomOffset);
  lineSpacingSlider_->setValue(s.LineSpacing);
  wrapLinesBox_->setChecked(s.WrapLines);
  settings_ = ControlSettings();
}

void MainWindow::SaveStorage() {
  if (!formStorage_ || !formStorage_->Active) return;
  settings_ = ControlSettings();
  formStorage_->Save(CurrentPlacement());
}

void MainWindow::CreateStorage() {
  // The file is read once, when the window has been created. One that
  // cannot be read leaves the defaults; a box now would stop an unattended
  // run until someone pressed OK, so it is said on stderr there, and in a
  // note that does not wait once the window is up.
  if (!settingsFile_.empty()) {
    try {
      settingsStore_.LoadFromFile(settingsFile_);
    } catch (const std::exception& e) {
      settingsNote_ = SettingsNotReadNote(e.what());
      if (unattended_) {
        StderrMessageSink().Warn(settingsNote_);
        settingsNote_.clear();
      }
    }
  }
  settings_ = ControlSettings();
  formStorage_ = std::make_unique<FormStorage>(settingsStore_, std::string(kMainWindowSection),
                                               MainWindowProperties(settings_));
}

WindowPlacement MainWindow::CurrentPlacement() const {
  WindowPlacement p = PlacementOf(this);
  // Until the window is on the screen, and should the window system ever
  // report a frame smaller than the window's least size, the rectangle
  // chosen for it stands: a stored rectangle never shrinks to nothing.
  const QSize least = minimumSizeHint();
  if (!testAttribute(Qt::WA_WState_Created) || p.Right - p.Left < least.width() ||
      p.Bottom - p.Top < least.height()) {
    p.Left = wantedFrame_.left();
    p.Top = wantedFrame_.top();
    p.Right = wantedFrame_.left() + wantedFrame_.width();
    p.Bottom = wantedFrame_.top() + wantedFrame_.height();
  }
  return p;
}

void MainWindow::ApplyPlacement(const RestoredPlacement& placement) {
  if (placement.applyPosition) {
    QRect stored(placement.left, placement.top, placement.right - placement.left,
                 placement.bottom - placement.top);
    // A rectangle too small for the window (a hand-edited or damaged file)
    // keeps its position and takes the first start's size.
    const QSize least = minimumSizeHint();
    if (stored.width() < least.width() || stored.height() < least.height()) {
      stored.setSize(wantedFrame_.size());
    }
    PlaceFrame(PlaceOnScreens(stored, AvailableAreas()));
  }
  switch (placement.state) {
    case RestoredPlacement::State::Minimized:
      setWindowState(windowState() | Qt::WindowMinimized);
      break;
    case RestoredPlacement::State::Maximized:
      setWindowState(windowState() | Qt::WindowMaximized);
      break;
    case RestoredPlacement::State::Normal:
      break;
  }
}

void MainWindow::PlaceFrame(const QRect& frame) {
  wantedFrame_ = frame;
  const bool created = testAttribute(Qt::WA_WState_Created);
  const QRect client = geometry();
  const QRect current = frameGeometry();
  const bool framed = created && current != client;
  const QMargins margins =
      framed ? QMargins(client.left() - current.left(), client.top() - current.top(),
                        current.right() - client.right(), current.bottom() - client.bottom())
             : kFrameEstimate;
  const QSize size = frame.marginsRemoved(margins).size().expandedTo(minimumSizeHint());
  if (framed) {
    // The frame's size is known: the window's own rectangle follows.
    setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), size));
  } else {
    // Not on the screen yet: a position given now is the frame's.
    move(frame.topLeft());
    resize(size);
  }
}

void MainWindow::SettleFrame() {
  if (settled_ || windowState() != Qt::WindowNoState) return;
  if (frameGeometry() == geometry()) return;  // not framed (yet)
  settled_ = true;
  if (frameGeometry() != wantedFrame_) PlaceFrame(wantedFrame_);
}

void MainWindow::RestoreStorage(bool withPlacement) {
  if (!formStorage_ || !formStorage_->Active) return;
  // The controls' choices stand for any the file lacks.
  settings_ = ControlSettings();
  const RestoredPlacement placement = formStorage_->Restore(CurrentPlacement());
  const Settings restored = settings_;
  ApplySettings(restored);
  if (withPlacement) ApplyPlacement(placement);
}

void MainWindow::setVisible(bool visible) {
  // Restored once, before the window is first shown and activated.
  if (visible && !shownOnce_) {
    shownOnce_ = true;
    RestoreStorage();
  }
  QWidget::setVisible(visible);
}

void MainWindow::WriteSettingsFile() {
  // Written in both modes; an unattended run has changed nothing in the
  // copy. A read-only file is left alone, and so is a name whose file could
  // not be read (that was said when it was read). A save that refuses, as
  // at a link to a file that is no settings file, says why here.
  if (settingsFile_.empty() || settingsStore_.ReadOnly()) return;
  try {
    settingsStore_.SaveToFile(settingsFile_);
  } catch (const FileError& e) {
    // The windows are gone by now: the only place left to say it.
    std::fprintf(stderr, "kestrelpix: settings not saved: %s\n", e.what());
  }
}

}  // namespace kestrelpix::window
