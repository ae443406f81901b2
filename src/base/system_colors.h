// Named system colours: colour values that name a colour of the desktop's
// scheme by its index instead of giving RGB bytes.
#pragma once

#include <span>

#include "base/color.h"

namespace kestrelpix {

// A system colour value has the high bit set and its index in the low byte
// (index 15, the button face, is 0x8000000F).
constexpr ColorValue kSystemColorBit = 0x80000000u;

constexpr bool IsSystemColor(ColorValue c) { return (c & kSystemColorBit) != 0; }
constexpr ColorValue SystemColor(int index) {
  return kSystemColorBit + static_cast<ColorValue>(index);
}
constexpr int SystemColorIndex(ColorValue c) { return static_cast<int>(c & 0xFF); }

struct SystemColorEntry {
  const char* name;  // as the settings file writes it ("clBtnFace"); nullptr for index 25
  ColorValue rgb;    // what is drawn for it where no desktop scheme is asked
};

// The system colours by index, 0 to 30.
std::span<const SystemColorEntry> SystemColors();

// The fixed RGB value drawn for a system colour value; an index outside the
// table gives black.
ColorValue SystemColorRgb(ColorValue c);

}  // namespace kestrelpix
