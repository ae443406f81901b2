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
#include "app/window/form_main.h"
#include "app/window/window_placement.h"
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

std::vector<StoredProperty> PropertiesInOrder(const std::vector<std::string>& keys,
                                              const std::map<std::string, PropertyAccess>& access) {
  std::vector<StoredProperty> properties;
  for (const std::string& key : keys) {
    const auto it = access.find(key);
    if (it == access.end()) throw std::logic_error("no accessors for stored property " + key);
    properties.push_back({key, StoredKeyType(key), it->second.get, it->second.set});
  }
  return properties;
}

// --- the main window's storage --------------------------------------------

namespace {

PropertyAccess ItemIndex(QComboBox* box) {
  return {[box] {
            PropertyValue v;
            v.integer = box->currentIndex();
            return v;
          },
          // Runs no change handler; a position outside the list leaves the
          // list without a selection.
          [box](const PropertyValue& v) { box->setCurrentIndex(v.integer); }};
}

PropertyAccess Position(QSlider* slider) {
  return {[slider] {
            PropertyValue v;
            v.integer = slider->value();
            return v;
          },
          // A slider that moves runs its change handler.
          [slider](const PropertyValue& v) { slider->setValue(v.integer); }};
}

PropertyAccess Caption(QLabel* label) {
  return {[label] {
            PropertyValue v;
            v.text = LocalPath(label->text());
            return v;
          },
          [label](const PropertyValue& v) { label->setText(FromLocalPath(v.text)); }};
}

PropertyAccess Checked(QCheckBox* box) {
  return {[box] {
            PropertyValue v;
            v.boolean = box->isChecked();
            return v;
          },
          [box](const PropertyValue& v) { box->setChecked(v.boolean); }};
}

PropertyAccess Colour(TColorBox* box) {
  return {[box] {
            PropertyValue v;
            v.colour = box->colorValue();
            return v;
          },
          [box](const PropertyValue& v) { box->setColorValue(v.colour); }};
}

}  // namespace

void TFormMain::CreateStorage() {
  // The file is read once, when the window has been created. One that
  // cannot be read leaves the defaults; a box now would stop an unattended
  // run until someone pressed OK, so it is said on stderr there, and in a
  // note that does not wait once the window is up.
  if (!settingsFile_.empty()) {
    try {
      JvAppIniFileStorage.LoadFromFile(settingsFile_);
    } catch (const std::exception& e) {
      settingsNote_ = SettingsNotReadNote(e.what());
      if (State.CommandLineMode) {
        StderrMessageSink().Warn(settingsNote_);
        settingsNote_.clear();
      }
    }
  }
  const std::map<std::string, PropertyAccess> access = {
      {"LabelImageChangedPAL_Caption", Caption(LabelImageChangedPAL)},
      {"LabelImageChangedNTSC_Caption", Caption(LabelImageChangedNTSC)},
      {"ComboBoxFontName_ItemIndex", ItemIndex(ComboBoxFontName)},
      {"ComboBoxFontSize_ItemIndex", ItemIndex(ComboBoxFontSize)},
      {"ComboBoxFontCharset_ItemIndex", ItemIndex(ComboBoxFontCharset)},
      {"ComboBoxFontStyle_ItemIndex", ItemIndex(ComboBoxFontStyle)},
      {"ComboBoxAlign_ItemIndex", ItemIndex(ComboBoxAlign)},
      {"ComboBoxFps_ItemIndex", ItemIndex(ComboBoxFps)},
      {"ComboBoxOutlineWidth_ItemIndex", ItemIndex(ComboBoxOutlineWidth)},
      {"ComboBoxVobsubLanguage_ItemIndex", ItemIndex(ComboBoxVobsubLanguage)},
      {"JvColorButtonAntialias_ColorValue", Colour(JvColorButtonAntialias)},
      {"JvColorButtonOutline_ColorValue", Colour(JvColorButtonOutline)},
      {"JvColorButtonText_ColorValue", Colour(JvColorButtonText)},
      {"offset_Position", Position(offset)},
      {"offset_or_Position", Position(offset_or)},
      {"CheckBoxWrapLines_Checked", Checked(CheckBoxWrapLines)},
  };
  JvFormStorage =
      std::make_unique<FormStorage>(JvAppIniFileStorage, std::string(kMainWindowSection),
                                    PropertiesInOrder(MainWindowKeys(), access));
}

WindowPlacement TFormMain::CurrentPlacement() const {
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

void TFormMain::ApplyPlacement(const RestoredPlacement& placement) {
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

void TFormMain::PlaceFrame(const QRect& frame) {
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

void TFormMain::SettleFrame() {
  if (settled_ || windowState() != Qt::WindowNoState) return;
  if (frameGeometry() == geometry()) return;  // not framed (yet)
  settled_ = true;
  if (frameGeometry() != wantedFrame_) PlaceFrame(wantedFrame_);
}

void TFormMain::RestoreStorage(bool withPlacement) {
  if (!JvFormStorage || !JvFormStorage->Active) return;
  const RestoredPlacement placement = JvFormStorage->Restore(CurrentPlacement());
  if (withPlacement) ApplyPlacement(placement);
}

void TFormMain::setVisible(bool visible) {
  // Restored once, before the window is first shown and activated.
  if (visible && !shownOnce_) {
    shownOnce_ = true;
    RestoreStorage();
  }
  QWidget::setVisible(visible);
}

void TFormMain::WriteSettingsFile() {
  // Written in both modes; an unattended run has changed nothing in the
  // copy. A read-only file is left alone, and so is a name whose file could
  // not be read (that was said when it was read). A save that refuses, as
  // at a link to a file that is no settings file, says why here.
  if (settingsFile_.empty() || JvAppIniFileStorage.ReadOnly()) return;
  std::string error;
  if (!JvAppIniFileStorage.SaveToFile(settingsFile_, &error)) {
    // The windows are gone by now: the only place left to say it.
    std::fprintf(stderr, "kestrelpix: settings not saved: %s\n", error.c_str());
  }
}

}  // namespace kestrelpix::window
