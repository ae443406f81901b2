// The two windows' stored controls as plain variables, with their property
// lists built the way the window builds them: one entry per key of
// MainWindowKeys() / ColorOptionsKeys(), in that order.
#pragma once

#include <string>
#include <vector>

#include "app/form_storage.h"

namespace kestrelpix::testing {

// Defaults as the main window sets them at creation.
struct MainControls {
  std::string LabelImageChangedPAL;
  std::string LabelImageChangedNTSC;
  int ComboBoxFontName = 0;
  int ComboBoxFontSize = 14;
  int ComboBoxFontCharset = 4;
  int ComboBoxFontStyle = 0;
  int ComboBoxAlign = 0;
  int ComboBoxFps = 2;
  int ComboBoxOutlineWidth = 1;
  int ComboBoxVobsubLanguage = 41;
  ColorValue JvColorButtonAntialias = 0x808080;  // grey
  ColorValue JvColorButtonOutline = 0x000000;    // black
  ColorValue JvColorButtonText = 0xFFFFFF;       // white
  int offset = 30;
  int offset_or = -4;
  bool CheckBoxWrapLines = false;

  bool operator==(const MainControls&) const = default;

  std::vector<StoredProperty> Properties() {
    std::vector<StoredProperty> list;
    auto text = [&](std::string& v) {
      return StoredProperty{"", PropertyType::Text,
                            [&v] {
                              PropertyValue p;
                              p.text = v;
                              return p;
                            },
                            [&v](const PropertyValue& p) { v = p.text; }};
    };
    auto integer = [&](int& v) {
      return StoredProperty{"", PropertyType::Integer,
                            [&v] {
                              PropertyValue p;
                              p.integer = v;
                              return p;
                            },
                            [&v](const PropertyValue& p) { v = p.integer; }};
    };
    auto colour = [&](ColorValue& v) {
      return StoredProperty{"", PropertyType::Colour,
                            [&v] {
                              PropertyValue p;
                              p.colour = v;
                              return p;
                            },
                            [&v](const PropertyValue& p) { v = p.colour; }};
    };
    list = {text(LabelImageChangedPAL),
            text(LabelImageChangedNTSC),
            integer(ComboBoxFontName),
            integer(ComboBoxFontSize),
            integer(ComboBoxFontCharset),
            integer(ComboBoxFontStyle),
            integer(ComboBoxAlign),
            integer(ComboBoxFps),
            integer(ComboBoxOutlineWidth),
            integer(ComboBoxVobsubLanguage),
            colour(JvColorButtonAntialias),
            colour(JvColorButtonOutline),
            colour(JvColorButtonText),
            integer(offset),
            integer(offset_or),
            StoredProperty{"", PropertyType::Boolean,
                           [this] {
                             PropertyValue p;
                             p.boolean = CheckBoxWrapLines;
                             return p;
                           },
                           [this](const PropertyValue& p) { CheckBoxWrapLines = p.boolean; }}};
    for (size_t i = 0; i < list.size(); ++i) list[i].key = MainWindowKeys()[i];
    return list;
  }
};

// "PC + DVD By using two palettes (recommended)" checked, as at start-up.
struct ColorOptionControls {
  bool RadioButtonDVD = false;
  bool RadioButtonPC = false;
  bool RadioButtonPCDVD1 = true;
  bool RadioButtonPCDVD2 = false;

  bool operator==(const ColorOptionControls&) const = default;

  std::vector<StoredProperty> Properties() {
    std::vector<StoredProperty> list;
    for (bool* v : {&RadioButtonDVD, &RadioButtonPC, &RadioButtonPCDVD1, &RadioButtonPCDVD2}) {
      list.push_back(StoredProperty{"", PropertyType::Boolean,
                                    [v] {
                                      PropertyValue p;
                                      p.boolean = *v;
                                      return p;
                                    },
                                    [v](const PropertyValue& p) { *v = p.boolean; }});
    }
    for (size_t i = 0; i < list.size(); ++i) list[i].key = ColorOptionsKeys()[i];
    return list;
  }
};

}  // namespace kestrelpix::testing
