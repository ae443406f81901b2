#include "app/window/color_box.h"

#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>

#include "app/settings_values.h"
#include "vobsub/palette.h"

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

QString ColorDisplayName(ColorValue value) {
  for (const auto* list : {&StandardColors(), &SafeColors()}) {
    for (const NamedColor& c : *list) {
      if (c.Value == value) return QString::fromStdString(c.Name);
    }
  }
  if ((value & 0xFF000000u) == 0) {
    return QString::asprintf("#%02X%02X%02X", RedOf(value), GreenOf(value), BlueOf(value));
  }
  // A system colour or a special value: its settings-file name without the
  // "cl" prefix ("BtnFace"), or the number when it has none.
  QString name = QString::fromStdString(EncodeColor(value));
  if (name.startsWith("cl")) name.remove(0, 2);
  return name;
}

ColorBox::ColorBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  // As wide as the longest colour name with its swatch.
  setSizeAdjustPolicy(QComboBox::AdjustToContents);
  connect(this, &QComboBox::activated, this, [this](int index) {
    if (index >= 0) value_ = ItemColor(index);
    emit ColorChanged();
  });
}

void ColorBox::AddColorItem(const QString& name, ColorValue value) {
  addItem(Swatch(value), name, QVariant::fromValue(static_cast<quint32>(value)));
}

void ColorBox::Fill(const std::vector<ColorItem>& colors, int index) {
  const QSignalBlocker blocker(this);
  clear();
  for (const ColorItem& c : colors) AddColorItem(c.name, c.value);
  setCurrentIndex(index);
  if (currentIndex() >= 0) value_ = ItemColor(currentIndex());
}

ColorValue ColorBox::ItemColor(int index) const {
  return static_cast<ColorValue>(itemData(index).toUInt());
}

void ColorBox::SetColorValue(ColorValue value) {
  const QSignalBlocker blocker(this);
  value_ = value;
  for (int i = 0; i < count(); ++i) {
    if (ItemColor(i) == value) {
      setCurrentIndex(i);
      return;
    }
  }
  // A colour from a hand-edited settings file, of the other palette mode's
  // list, or a system colour: shown under its name.
  AddColorItem(ColorDisplayName(value), value);
  setCurrentIndex(count() - 1);
}

bool ColorBox::SetItemIndex(int index) {
  if (index < 0 || index >= count()) return false;
  const QSignalBlocker blocker(this);
  setCurrentIndex(index);
  value_ = ItemColor(index);
  return true;
}

}  // namespace kestrelpix::window
