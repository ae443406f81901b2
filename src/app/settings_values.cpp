#include "app/settings_values.h"

#include <span>
#include <vector>

#include "app/ini_file.h"
#include "base/number_text.h"
#include "base/system_colors.h"

namespace kestrelpix {

namespace {

struct ColorConstant {
  const char* name;
  ColorValue value;
};

// The colours named in the settings file: the fixed ones, then the named
// system colours in index order.
std::span<const ColorConstant> NamedColors() {
  static const std::vector<ColorConstant> kNamed = [] {
    std::vector<ColorConstant> named = {
        {"clBlack", 0x000000},        {"clMaroon", 0x000080},     {"clGreen", 0x008000},
        {"clOlive", 0x008080},        {"clNavy", 0x800000},       {"clPurple", 0x800080},
        {"clTeal", 0x808000},         {"clGray", 0x808080},       {"clSilver", 0xC0C0C0},
        {"clRed", 0x0000FF},          {"clLime", 0x00FF00},       {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000},         {"clFuchsia", 0xFF00FF},    {"clAqua", 0xFFFF00},
        {"clWhite", 0xFFFFFF},        {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
        {"clCream", 0xF0FBFF},        {"clMedGray", 0xA4A0A0},    {"clNone", kColorNone},
        {"clDefault", kColorDefault},
    };
    const std::span<const SystemColorEntry> system = SystemColors();
    for (size_t index = 0; index < system.size(); ++index) {
      if (system[index].name != nullptr) {
        named.push_back({system[index].name, SystemColor(static_cast<int>(index))});
      }
    }
    return named;
  }();
  return kNamed;
}

}  // namespace

std::string EncodeInteger(int32_t value) { return std::to_string(value); }

bool DecodeInteger(std::string_view text, int32_t& value) {
  if (text.empty()) {
    value = 0;
    return true;
  }
  const std::optional<int32_t> number = TryStrToInt(text);
  if (!number) return false;
  value = *number;
  return true;
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
  for (const ColorConstant& c : NamedColors()) {
    if (c.value == value) return c.name;
  }
  return EncodeInteger(static_cast<int32_t>(value));
}

bool DecodeColor(std::string_view text, ColorValue& value) {
  for (const ColorConstant& c : NamedColors()) {
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

}  // namespace kestrelpix
