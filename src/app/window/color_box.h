// A colour list: a pick-only drop-down of colour swatches with their names,
// holding a colour value (0x00BBGGRR) like the window's other settings.
#pragma once

#include <QComboBox>
#include <QString>
#include <vector>

#include "base/color.h"

namespace kestrelpix::window {

struct ColorItem {
  QString name;
  ColorValue value;
};

class ColorBox : public QComboBox {
  Q_OBJECT

 public:
  explicit ColorBox(QWidget* parent = nullptr);

  // Replaces the items with `colors`, selects `index` and takes its colour
  // as the box's value. Runs no change handler.
  void Fill(const std::vector<ColorItem>& colors, int index);

  // The box's colour value. Named system colours (high bit set) stay as
  // they are here; the window resolves them when it draws.
  ColorValue Color() const { return value_; }
  // Sets the value and selects the item of that colour. A colour the list
  // does not hold is added as a custom item at the end, so the box always
  // shows what it holds. Runs no change handler.
  void SetColorValue(ColorValue value);
  // Selects an item by position and takes its colour. Returns false (and
  // changes nothing) for a position outside the list.
  bool SetItemIndex(int index);

  ColorValue ItemColor(int index) const;

  // Never narrower than its longest name with the swatch, however little
  // room the window has.
  QSize minimumSizeHint() const override { return sizeHint(); }

 signals:
  // The user picked a colour; the value is already updated.
  void ColorChanged();

 private:
  void AddColorItem(const QString& name, ColorValue value);

  ColorValue value_ = 0;
};

// The swatch icon of a colour, as the lists and tests draw it.
QColor ToQColor(ColorValue value);

// The name a colour is listed under: its name in the standard or safe list,
// otherwise "#RRGGBB", or for a system colour its name ("BtnFace").
QString ColorDisplayName(ColorValue value);

}  // namespace kestrelpix::window
