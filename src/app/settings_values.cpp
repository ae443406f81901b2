#include "app/settings_values.h"

#include <array>

#include "app/ini_file.h"
#include "base/number_text.h"

namespace kestrelpix {

namespace {

constexpr ColorValue Sys(ColorValue index) { return kSystemColorBase + index; }

constexpr std::array<ColorConstant, 52> kNamedColors = {{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", kColorNone},
    {"clDefault", kColorDefault},
    {"clScrollBar", Sys(0)},
    {"clBackground", Sys(1)},
    {"clActiveCaption", Sys(2)},
    {"clInactiveCaption", Sys(3)},
    {"clMenu", Sys(4)},
    {"clWindow", Sys(5)},
    {"clWindowFrame", Sys(6)},
    {"clMenuText", Sys(7)},
    {"clWindowText", Sys(8)},
    {"clCaptionText", Sys(9)},
    {"clActiveBorder", Sys(10)},
    {"clInactiveBorder", Sys(11)},
    {"clAppWorkSpace", Sys(12)},
    {"clHighlight", Sys(13)},
    {"clHighlightText", Sys(14)},
    {"clBtnFace", Sys(15)},
    {"clBtnShadow", Sys(16)},
    {"clGrayText", Sys(17)},
    {"clBtnText", Sys(18)},
    {"clInactiveCaptionText", Sys(19)},
    {"clBtnHighlight", Sys(20)},
    {"cl3DDkShadow", Sys(21)},
    {"cl3DLight", Sys(22)},
    {"clInfoText", Sys(23)},
    {"clInfoBk", Sys(24)},
    // Index 25 has no name.
    {"clHotLight", Sys(26)},
    {"clGradientActiveCaption", Sys(27)},
    {"clGradientInactiveCaption", Sys(28)},
    {"clMenuHighlight", Sys(29)},
    {"clMenuBar", Sys(30)},
}};

}  // namespace

std::string EncodeInteger(int32_t value) { return std::to_string(value); }

bool DecodeInteger(std::string_view text, int32_t& value) {
  if (text.empty()) {
    value = 0;
    return true;
  }
  return TryStrToInt(text, value);
}

std::string EncodeText(std::string_view value) { return std::string(value); }

bool DecodeText(std::string_view text, std::string& value) {
  value.assign(text);
  return true;
}

std::string EncodeBoolean(bool value) { return value ? "TRUE" : "FALSE"; }

bool DecodeBoolean(std::string_view text, bool& value) {
  for (const char* word : {"TRUE", "YES", "Y"}) {
    if (EqualsIgnoreCase(text, word)) {
      value = true;
      return true;
    }
  }
  for (const char* word : {"FALSE", "NO", "N"}) {
    if (EqualsIgnoreCase(text, word)) {
      value = false;
      return true;
    }
  }
  int32_t number = 0;
  if (!DecodeInteger(text, number)) return false;
  value = number != 0;
  return true;
}

std::string EncodeColor(ColorValue value) {
  for (const ColorConstant& c : kNamedColors) {
    if (c.value == value) return c.name;
  }
  return EncodeInteger(static_cast<int32_t>(value));
}

bool DecodeColor(std::string_view text, ColorValue& value) {
  for (const ColorConstant& c : kNamedColors) {
    if (EqualsIgnoreCase(text, c.name)) {
      value = c.value;
      return true;
    }
  }
  int32_t number = 0;
  if (!DecodeInteger(text, number)) return false;
  value = static_cast<ColorValue>(number);
  return true;
}

std::span<const ColorConstant> ColorConstants() { return kNamedColors; }

}  // namespace kestrelpix
