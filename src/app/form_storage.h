// Storing a window in the settings file: its placement (show state and
// position) and a list of control properties, each under a key of the
// window's section. The window supplies the current values and applies the
// restored ones; this class only knows the file's rows and their rules.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ini_file.h"
#include "base/color.h"
#include "base/message_sink.h"

namespace kestrelpix {

enum class PropertyType { Integer, Text, Boolean, Colour };

// The value of one stored property; only the member of its type is used.
struct PropertyValue {
  int32_t integer = 0;
  std::string text;
  bool boolean = false;
  ColorValue colour = 0;
};

// One control property: key "ControlName_PropertyName", its type, and how to
// read it from and assign it to the control.
struct StoredProperty {
  std::string key;
  PropertyType type;
  std::function<PropertyValue()> get;
  std::function<void(const PropertyValue&)> set;
};

// The window-placement values as the file stores them. ShowCmd: 1 normal,
// 2 minimised, 3 maximised. Min/Max: the minimised and maximised positions
// (-1 when the window system has none). Left/Top/Right/Bottom: the normal
// (restored) rectangle in screen pixels. ScreenWidth/ScreenHeight give the
// size suffix of the "(WxH)" keys.
struct WindowPlacement {
  int ShowCmd = 1;
  int Flags = 0;
  int PixelsPerInch = 96;
  int ScreenWidth = 0;
  int ScreenHeight = 0;
  int MinX = -1, MinY = -1, MaxX = -1, MaxY = -1;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// What a restore asks the window to do: the normal rectangle (right and
// bottom exclusive), applied only when applyPosition is set. A window of
// fixed size takes only its left and top.
struct RestoredPlacement {
  bool applyPosition = false;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  enum class State { Normal, Minimized, Maximized } state = State::Normal;
};

// The type of a key of the two lists, from its property name: _Caption text,
// _ItemIndex and _Position integer, _ColorValue colour, _Checked Boolean.
// Throws std::invalid_argument for any other key.
PropertyType StoredKeyType(std::string_view key);

// What the program says when its settings file cannot be read: `reason` (a
// FileError's text, naming the file) and what follows from it.
std::string SettingsNotReadNote(std::string_view reason);

class FormStorage {
 public:
  // `file` must outlive the storage; `section` is "Form1" or
  // "FormColorOptions".
  FormStorage(IniFile& file, std::string section, std::vector<StoredProperty> properties);

  // False switches both Save and Restore off (the unattended run).
  bool Active = true;

  // Writes the rows in their fixed order into the in-memory copy:
  // FormVersion (always 0), ShowCmd, Flags, PixelsPerInch,
  // MinMaxPos(WxH), MinMaxPos, NormPos(WxH), NormPos, then each property in
  // list order. The file on disk is not touched.
  void Save(const WindowPlacement& current);

  // Restores from the in-memory copy, taking the screen size and
  // PixelsPerInch of `currentScreen`:
  //  1. FormVersion (0 when missing) below 0, or not a number: nothing more.
  //  2. MinMaxPos and NormPos each from the key with the current screen-size
  //     suffix when it exists, else the plain key; the position is applied
  //     only when found and PixelsPerInch equals the current value (a
  //     missing PixelsPerInch counts as equal).
  //  3. ShowCmd 1, 5, 9 normal; 2, 6, 7 minimised; 3 maximised; anything
  //     else or missing: normal.
  //  4. Properties in list order; a missing key keeps the control's value.
  //  5. A value that does not decode stops the remaining properties
  //     silently; those assigned before it keep their new values.
  // The returned placement is for the window to apply.
  RestoredPlacement Restore(const WindowPlacement& currentScreen);

  // True after a Save until the next Restore; false before either.
  bool SavedSinceRestore() const { return savedSinceRestore_; }

  const std::string& Section() const { return section_; }

 private:
  bool ReadPlacementKey(const std::string& plain, const WindowPlacement& screen,
                        std::string& value) const;

  IniFile& file_;
  std::string section_;
  std::vector<StoredProperty> properties_;
  bool savedSinceRestore_ = false;
};

}  // namespace kestrelpix
