#include "app/form_storage.h"

#include <array>
#include <stdexcept>
#include <utility>

#include "app/settings_values.h"

namespace kestrelpix {

namespace {

constexpr std::string_view kFormVersion = "FormVersion";
constexpr std::string_view kShowCmd = "ShowCmd";
constexpr std::string_view kFlags = "Flags";
constexpr std::string_view kPixelsPerInch = "PixelsPerInch";
const std::string kMinMaxPos = "MinMaxPos";
const std::string kNormPos = "NormPos";

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// "MinMaxPos(1024x768)".
std::string SizedKey(const std::string& plain, const WindowPlacement& screen) {
  return plain + "(" + std::to_string(screen.ScreenWidth) + "x" +
         std::to_string(screen.ScreenHeight) + ")";
}

std::string FourIntegers(int a, int b, int c, int d) {
  return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," +
         std::to_string(d);
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// "%d,%d,%d,%d"; anything else does not parse.
bool ParseFourIntegers(std::string_view text, std::array<int32_t, 4>& out) {
  for (size_t i = 0; i < 4; ++i) {
    size_t comma = i < 3 ? text.find(',') : std::string_view::npos;
    if (i < 3 && comma == std::string_view::npos) return false;
    std::string_view part = TrimBlanks(text.substr(0, comma));
    if (part.empty() || !DecodeInteger(part, out[i])) return false;
    if (i < 3) text.remove_prefix(comma + 1);
  }
  return true;
}

std::string EncodeProperty(PropertyType type, const PropertyValue& v) {
  switch (type) {
    case PropertyType::Integer:
      return EncodeInteger(v.integer);
    case PropertyType::Text:
      return EncodeText(v.text);
    case PropertyType::Boolean:
      return EncodeBoolean(v.boolean);
    case PropertyType::Colour:
      return EncodeColor(v.colour);
  }
  return {};
}

bool DecodeProperty(PropertyType type, std::string_view text, PropertyValue& v) {
  switch (type) {
    case PropertyType::Integer:
      return DecodeInteger(text, v.integer);
    case PropertyType::Text:
      return DecodeText(text, v.text);
    case PropertyType::Boolean:
      return DecodeBoolean(text, v.boolean);
    case PropertyType::Colour:
      return DecodeColor(text, v.colour);
  }
  return false;
}

}  // namespace

PropertyType StoredKeyType(std::string_view key) {
  if (EndsWith(key, "_Caption")) return PropertyType::Text;
  if (EndsWith(key, "_ItemIndex") || EndsWith(key, "_Position")) return PropertyType::Integer;
  if (EndsWith(key, "_ColorValue")) return PropertyType::Colour;
  if (EndsWith(key, "_Checked")) return PropertyType::Boolean;
  throw std::invalid_argument("no stored property type for key " + std::string(key));
}

std::string SettingsNotReadNote(std::string_view reason) {
  return "The settings are not read: " + std::string(reason) +
         ". The defaults are used, and the settings file is not written.";
}

FormStorage::FormStorage(IniFile& file, std::string section, std::vector<StoredProperty> properties)
    : file_(file), section_(std::move(section)), properties_(std::move(properties)) {}

void FormStorage::Save(const WindowPlacement& current) {
  if (!Active) return;
  const std::string minmax = FourIntegers(current.MinX, current.MinY, current.MaxX, current.MaxY);
  const std::string norm = FourIntegers(current.Left, current.Top, current.Right, current.Bottom);
  file_.WriteString(section_, kFormVersion, EncodeInteger(0));
  file_.WriteString(section_, kShowCmd, EncodeInteger(current.ShowCmd));
  file_.WriteString(section_, kFlags, EncodeInteger(current.Flags));
  file_.WriteString(section_, kPixelsPerInch, EncodeInteger(current.PixelsPerInch));
  file_.WriteString(section_, SizedKey(kMinMaxPos, current), minmax);
  file_.WriteString(section_, kMinMaxPos, minmax);
  file_.WriteString(section_, SizedKey(kNormPos, current), norm);
  file_.WriteString(section_, kNormPos, norm);
  for (const StoredProperty& p : properties_) {
    file_.WriteString(section_, p.key, EncodeProperty(p.type, p.get()));
  }
  savedSinceRestore_ = true;
}

bool FormStorage::ReadPlacementKey(const std::string& plain, const WindowPlacement& screen,
                                   std::string& value) const {
  return file_.ReadString(section_, SizedKey(plain, screen), value) ||
         file_.ReadString(section_, plain, value);
}

RestoredPlacement FormStorage::Restore(const WindowPlacement& currentScreen) {
  RestoredPlacement result;
  if (!Active) return result;
  savedSinceRestore_ = false;

  // 1. A negative (or unreadable) version marks a section not to restore.
  std::string text;
  int32_t version = 0;
  if (file_.ReadString(section_, kFormVersion, text) &&
      (!DecodeInteger(text, version) || version < 0)) {
    return result;
  }

  // 2. The normal rectangle. The minimised and maximised positions have no use
  // here: when only they are stored, the rectangle applied would be the
  // window's current one, which is the same as applying nothing.
  std::string norm;
  bool same_ppi = true;
  if (file_.ReadString(section_, kPixelsPerInch, text)) {
    int32_t ppi = 0;
    same_ppi = DecodeInteger(text, ppi) && ppi == currentScreen.PixelsPerInch;
  }
  std::array<int32_t, 4> rect{};
  if (same_ppi && ReadPlacementKey(kNormPos, currentScreen, norm) &&
      ParseFourIntegers(norm, rect)) {
    result.applyPosition = true;
    result.left = rect[0];
    result.top = rect[1];
    result.right = rect[2];
    result.bottom = rect[3];
  }

  // 3. Show state.
  int32_t show = 1;
  if (file_.ReadString(section_, kShowCmd, text) && DecodeInteger(text, show)) {
    switch (show) {
      case 2:
      case 6:
      case 7:
        result.state = RestoredPlacement::State::Minimized;
        break;
      case 3:
        result.state = RestoredPlacement::State::Maximized;
        break;
      default:
        break;
    }
  }

  // 4 and 5. Properties, until the first value that does not decode.
  for (const StoredProperty& p : properties_) {
    if (!file_.ReadString(section_, p.key, text)) continue;
    PropertyValue value;
    if (!DecodeProperty(p.type, text, value)) break;
    p.set(value);
  }
  return result;
}

}  // namespace kestrelpix
