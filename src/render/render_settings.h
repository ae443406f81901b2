// The settings every drawing, measuring and generating step works with. The
// window builds a fresh value from its controls each time; the command line
// builds one from its options.
#pragma once

#include <cstdint>
#include <string>

#include "base/charset.h"
#include "base/color.h"
#include "base/frame_geometry.h"
#include "base/palette_mode.h"

namespace kestrelpix {

enum FontStyleBits : uint8_t {
  kStyleBold = 1,
  kStyleItalic = 2,
  kStyleUnderline = 4,
  kStyleStrikeOut = 8,
};

struct RenderSettings {
  std::string FontName = "Arial";
  int FontSize = 20;      // points
  uint8_t FontStyle = 0;  // FontStyleBits
  uint8_t FontCharset = CharsetCode(CharsetId::kDefault);
  int OutlineWidth = 3;  // pixels
  std::string Align = "center";
  int BottomOffset = 30;  // pixels above the lowest 40 rows
  int LineSpacing = -4;   // line spacing adjustment, even
  ColorValue TextColor = MakeColor(255, 255, 255);
  ColorValue OutlineColor = MakeColor(0, 0, 0);
  ColorValue AntialiasColor = MakeColor(128, 128, 128);
  std::string Fps = "25.000";
  std::string Language = "el GREEK";
  PaletteMode Palette = PaletteMode::TwoPalettes;
  // Lines too wide for the frame are joined and broken again into two
  // (render/line_wrap.h).
  bool WrapLines = false;
};

}  // namespace kestrelpix
