#include "app/settings_model.h"

#include <exception>

#include "app/ini_file.h"
#include "app/settings_values.h"

namespace kestrelpix {

const std::vector<StoredSetting>& MainWindowSettings() {
  using S = Settings;
  static const std::vector<StoredSetting> kSettings = {
      {"LabelImageChangedPAL_Caption", &S::PalPicture},
      {"LabelImageChangedNTSC_Caption", &S::NtscPicture},
      {"ComboBoxFontName_ItemIndex", &S::FontName},
      {"ComboBoxFontSize_ItemIndex", &S::FontSize},
      {"ComboBoxFontCharset_ItemIndex", &S::FontCharset},
      {"ComboBoxFontStyle_ItemIndex", &S::FontStyle},
      {"ComboBoxAlign_ItemIndex", &S::Align},
      {"ComboBoxFps_ItemIndex", &S::Fps},
      {"ComboBoxOutlineWidth_ItemIndex", &S::OutlineWidth},
      {"ComboBoxVobsubLanguage_ItemIndex", &S::Language},
      {"JvColorButtonAntialias_ColorValue", &S::AntialiasColor},
      {"JvColorButtonOutline_ColorValue", &S::OutlineColor},
      {"JvColorButtonText_ColorValue", &S::TextColor},
      {"offset_Position", &S::BottomOffset},
      {"offset_or_Position", &S::LineSpacing},
      {kWrapLinesKey, &S::WrapLines},
  };
  return kSettings;
}

const std::array<StoredPaletteChoice, 4>& PaletteChoices() {
  static const std::array<StoredPaletteChoice, 4> kChoices = {{
      {"RadioButtonDVD_Checked", PaletteMode::DvdOnly},
      {"RadioButtonPC_Checked", PaletteMode::PcOnly},
      {"RadioButtonPCDVD1_Checked", PaletteMode::TwoPalettes},
      {"RadioButtonPCDVD2_Checked", PaletteMode::SafePalette},
  }};
  return kChoices;
}

const std::vector<std::string>& MainWindowKeys() {
  static const std::vector<std::string> kKeys = [] {
    std::vector<std::string> keys;
    for (const StoredSetting& stored : MainWindowSettings()) keys.push_back(stored.Key);
    return keys;
  }();
  return kKeys;
}

const std::vector<std::string>& ColorOptionsKeys() {
  static const std::vector<std::string> kKeys = [] {
    std::vector<std::string> keys;
    for (const StoredPaletteChoice& choice : PaletteChoices()) keys.push_back(choice.Key);
    return keys;
  }();
  return kKeys;
}

bool StoredWrapLines(const std::string& path, MessageSink* sink) {
  IniFile file;
  try {
    file.LoadFromFile(path);
  } catch (const std::exception& e) {
    if (sink != nullptr) sink->Warn(SettingsNotReadNote(e.what()));
    return false;
  }
  std::string text;
  bool wrap = false;
  if (!file.ReadString(kMainWindowSection, kWrapLinesKey, text)) return false;
  return DecodeBoolean(text, wrap) && wrap;
}

namespace {

// The property of one field: its type, and how a save reads and a restore
// assigns it.
struct FieldProperty {
  Settings& settings;
  const char* key;

  StoredProperty operator()(std::string Settings::*field) const {
    return {key, PropertyType::Text,
            [s = &settings, field] {
              PropertyValue v;
              v.text = s->*field;
              return v;
            },
            [s = &settings, field](const PropertyValue& v) { s->*field = v.text; }};
  }
  StoredProperty operator()(int Settings::*field) const {
    return {key, PropertyType::Integer,
            [s = &settings, field] {
              PropertyValue v;
              v.integer = s->*field;
              return v;
            },
            [s = &settings, field](const PropertyValue& v) { s->*field = v.integer; }};
  }
  StoredProperty operator()(ColorValue Settings::*field) const {
    return {key, PropertyType::Colour,
            [s = &settings, field] {
              PropertyValue v;
              v.colour = s->*field;
              return v;
            },
            [s = &settings, field](const PropertyValue& v) { s->*field = v.colour; }};
  }
  StoredProperty operator()(bool Settings::*field) const {
    return {key, PropertyType::Boolean,
            [s = &settings, field] {
              PropertyValue v;
              v.boolean = s->*field;
              return v;
            },
            [s = &settings, field](const PropertyValue& v) { s->*field = v.boolean; }};
  }
};

}  // namespace

std::vector<StoredProperty> MainWindowProperties(Settings& settings) {
  std::vector<StoredProperty> properties;
  for (const StoredSetting& stored : MainWindowSettings()) {
    properties.push_back(std::visit(FieldProperty{settings, stored.Key}, stored.Field));
  }
  return properties;
}

std::vector<StoredProperty> PaletteProperties(std::function<PaletteMode()> get,
                                              std::function<void(PaletteMode)> set) {
  std::vector<StoredProperty> properties;
  for (const StoredPaletteChoice& choice : PaletteChoices()) {
    properties.push_back({choice.Key, PropertyType::Boolean,
                          [get, choice] {
                            PropertyValue v;
                            v.boolean = get() == choice.Mode;
                            return v;
                          },
                          [set, choice](const PropertyValue& v) {
                            if (v.boolean) set(choice.Mode);
                          }});
  }
  return properties;
}

std::vector<StoredProperty> PaletteProperties(PaletteMode& mode) {
  return PaletteProperties([m = &mode] { return *m; },
                           [m = &mode](PaletteMode chosen) { *m = chosen; });
}

ControlPositions ListPositions(const Settings& settings) {
  ControlPositions p;
  p.FontName = settings.FontName;
  p.FontCharset = settings.FontCharset;
  p.FontStyle = settings.FontStyle;
  p.FontSize = settings.FontSize;
  p.Align = settings.Align;
  p.BottomOffset = settings.BottomOffset;
  p.LineSpacing = settings.LineSpacing;
  p.OutlineWidth = settings.OutlineWidth;
  p.Language = settings.Language;
  p.Fps = settings.Fps;
  p.Palette = settings.Palette;
  p.WrapLines = settings.WrapLines;
  return p;
}

Settings FromPositions(const ControlPositions& positions, Settings base) {
  base.FontName = positions.FontName;
  base.FontCharset = positions.FontCharset;
  base.FontStyle = positions.FontStyle;
  base.FontSize = positions.FontSize;
  base.Align = positions.Align;
  base.BottomOffset = positions.BottomOffset;
  base.LineSpacing = positions.LineSpacing;
  base.OutlineWidth = positions.OutlineWidth;
  base.Language = positions.Language;
  base.Fps = positions.Fps;
  base.Palette = positions.Palette;
  if (positions.WrapLines) base.WrapLines = *positions.WrapLines;
  return base;
}

}  // namespace kestrelpix
