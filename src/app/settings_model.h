// Every choice the user makes in the windows, as one value: what the
// settings file keeps between runs and what a batch line carries. The
// window binds its controls to it; the names the settings file stores the
// choices under are declared here once, in the order the file lists them.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "app/command_line.h"
#include "app/control_lists.h"
#include "app/form_storage.h"
#include "base/color.h"
#include "base/palette_mode.h"

namespace kestrelpix {

// The choices as the window's lists hold them: positions in the lists of
// app/control_lists.h (-1 for a list without a selection), slider values,
// colours by value.
struct Settings {
  // The preview's background pictures chosen by the user, as local paths
  // (empty: the built-in picture).
  std::string PalPicture;
  std::string NtscPicture;
  int FontName = kDefaultFontNameIndex;  // position in FontList()
  int FontSize = kDefaultFontSizeIndex;
  int FontCharset = kDefaultCharsetIndex;
  int FontStyle = kDefaultStyleIndex;
  int Align = kDefaultAlignIndex;
  int Fps = kDefaultFpsIndex;
  int OutlineWidth = kDefaultOutlineIndex;
  int Language = kDefaultLanguageIndex;
  ColorValue AntialiasColor = 0x808080;  // grey
  ColorValue OutlineColor = 0x000000;    // black
  ColorValue TextColor = 0xFFFFFF;       // white
  int BottomOffset = kDefaultBottomOffset;
  int LineSpacing = kDefaultLineSpacing;
  bool WrapLines = false;
  // The palette dialog's choice: two palettes, as at start-up.
  PaletteMode Palette = PaletteMode::TwoPalettes;

  bool operator==(const Settings&) const = default;
};

// One choice of the main window's section of the settings file: its key
// and the field that holds it.
using SettingsField = std::variant<std::string Settings::*, int Settings::*, ColorValue Settings::*,
                                   bool Settings::*>;
struct StoredSetting {
  const char* Key;
  SettingsField Field;
};

// The main window's choices in the order the file lists them:
// LabelImageChangedPAL_Caption ... CheckBoxWrapLines_Checked.
const std::vector<StoredSetting>& MainWindowSettings();
// The key of WrapLines, which runs without the window read on their own.
inline constexpr const char* kWrapLinesKey = "CheckBoxWrapLines_Checked";

// The palette dialog's section stores its choice as one Boolean per mode:
// RadioButtonDVD_Checked, RadioButtonPC_Checked, RadioButtonPCDVD1_Checked,
// RadioButtonPCDVD2_Checked, in that order.
struct StoredPaletteChoice {
  const char* Key;
  PaletteMode Mode;
};
const std::array<StoredPaletteChoice, 4>& PaletteChoices();

// The keys of the two tables, in their order.
const std::vector<std::string>& MainWindowKeys();
const std::vector<std::string>& ColorOptionsKeys();

// The stored "Wrap long lines" choice of the main window in the settings
// file at `path`: what a conversion without the window uses, as the window
// restores it. False when the file, the key or a readable value is missing.
// A file that cannot be read (a folder, a FIFO, too large) is told to
// `sink` as a warning, with SettingsNotReadNote.
bool StoredWrapLines(const std::string& path, MessageSink* sink = nullptr);

// The settings store's rows of the main window bound to `settings`: a save
// reads its fields, a restore assigns them.
std::vector<StoredProperty> MainWindowProperties(Settings& settings);

// The palette dialog's rows bound to `mode`: each key is TRUE for its mode.
// A restore makes the last key that reads TRUE the mode; FALSE changes
// nothing (one of the four is always chosen).
std::vector<StoredProperty> PaletteProperties(PaletteMode& mode);
// The same over a choice kept elsewhere (the dialog's radio buttons).
std::vector<StoredProperty> PaletteProperties(std::function<PaletteMode()> get,
                                              std::function<void(PaletteMode)> set);

// The batch line's positions of these settings (every list, the sliders,
// the palette mode, wrapping); the colours are positions in the colour
// boxes, which only the window knows, and are left at their defaults.
ControlPositions ListPositions(const Settings& settings);
// The settings a batch line's positions choose, over `base` (the pictures
// and colours are kept, wrapping only when the line gives it).
Settings FromPositions(const ControlPositions& positions, Settings base);

}  // namespace kestrelpix
