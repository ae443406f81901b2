#include "base/system_colors.h"

#include <array>

namespace kestrelpix {

namespace {

constexpr std::array<SystemColorEntry, 31> kSystemColors = {{
    {"clScrollBar", MakeColor(200, 200, 200)},
    {"clBackground", MakeColor(0, 0, 0)},
    {"clActiveCaption", MakeColor(153, 180, 209)},
    {"clInactiveCaption", MakeColor(191, 205, 219)},
    {"clMenu", MakeColor(240, 240, 240)},
    {"clWindow", MakeColor(255, 255, 255)},
    {"clWindowFrame", MakeColor(100, 100, 100)},
    {"clMenuText", MakeColor(0, 0, 0)},
    {"clWindowText", MakeColor(0, 0, 0)},
    {"clCaptionText", MakeColor(0, 0, 0)},
    {"clActiveBorder", MakeColor(180, 180, 180)},
    {"clInactiveBorder", MakeColor(244, 247, 252)},
    {"clAppWorkSpace", MakeColor(171, 171, 171)},
    {"clHighlight", MakeColor(0, 120, 215)},
    {"clHighlightText", MakeColor(255, 255, 255)},
    {"clBtnFace", MakeColor(240, 240, 240)},
    {"clBtnShadow", MakeColor(160, 160, 160)},
    {"clGrayText", MakeColor(109, 109, 109)},
    {"clBtnText", MakeColor(0, 0, 0)},
    {"clInactiveCaptionText", MakeColor(0, 0, 0)},
    {"clBtnHighlight", MakeColor(255, 255, 255)},
    {"cl3DDkShadow", MakeColor(105, 105, 105)},
    {"cl3DLight", MakeColor(227, 227, 227)},
    {"clInfoText", MakeColor(0, 0, 0)},
    {"clInfoBk", MakeColor(255, 255, 225)},
    {nullptr, MakeColor(0, 0, 0)},  // index 25 is unused
    {"clHotLight", MakeColor(0, 102, 204)},
    {"clGradientActiveCaption", MakeColor(185, 209, 234)},
    {"clGradientInactiveCaption", MakeColor(215, 228, 242)},
    {"clMenuHighlight", MakeColor(0, 120, 215)},
    {"clMenuBar", MakeColor(240, 240, 240)},
}};

}  // namespace

std::span<const SystemColorEntry> SystemColors() { return kSystemColors; }

ColorValue SystemColorRgb(ColorValue c) {
  const size_t index = static_cast<size_t>(SystemColorIndex(c));
  return index < kSystemColors.size() ? kSystemColors[index].rgb : MakeColor(0, 0, 0);
}

}  // namespace kestrelpix
