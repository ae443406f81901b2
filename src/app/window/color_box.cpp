#include "app/window/color_box.h"

#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>

#include "app/settings_values.h"

namespace kestrelpix::window {

namespace {

QIcon Swatch(ColorValue value) {
  QPixmap pixmap(16, 16);
  pixmap.fill(ToQColor(value));
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 15, 15);
  return QIcon(pixmap);
}

}  // namespace

QColor ToQColor(ColorValue value) { return QColor(RedOf(value), GreenOf(value), BlueOf(value)); }

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  connect(this, &QComboBox::activated, this, [this](int index) {
    if (index >= 0) value_ = itemColor(index);
    emit ColorChanged();
  });
}

void TColorBox::AddColorItem(const QString& name, ColorValue value) {
  addItem(Swatch(value), name, QVariant::fromValue(static_cast<quint32>(value)));
}

void TColorBox::Fill(const std::vector<ColorItem>& colors, int index) {
  const QSignalBlocker blocker(this);
  clear();
  for (const ColorItem& c : colors) AddColorItem(c.name, c.value);
  setCurrentIndex(index);
  if (currentIndex() >= 0) value_ = itemColor(currentIndex());
}

ColorValue TColorBox::itemColor(int index) const {
  return static_cast<ColorValue>(itemData(index).toUInt());
}

void TColorBox::setColorValue(ColorValue value) {
  const QSignalBlocker blocker(this);
  value_ = value;
  for (int i = 0; i < count(); ++i) {
    if (itemColor(i) == value) {
      setCurrentIndex(i);
      return;
    }
  }
  // A colour from a hand-edited settings file or a system colour: shown
  // under its settings-file name.
  AddColorItem(QString::fromStdString(EncodeColor(value)), value);
  setCurrentIndex(count() - 1);
}

bool TColorBox::setItemIndex(int index) {
  if (index < 0 || index >= count()) return false;
  const QSignalBlocker blocker(this);
  setCurrentIndex(index);
  value_ = itemColor(index);
  return true;
}

}  // namespace kestrelpix::window
