#include "render/font_tables.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

#include "base/charset.h"

namespace kestrelpix {

namespace {

struct StyleEntry {
  const char* name;
  uint8_t style;
};

// Bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strike-out.
constexpr std::array<StyleEntry, 9> kStyles = {{
    {"Normal", 0},
    {"Bold", 1},
    {"Italic", 2},
    {"Underline", 4},
    {"Bold+Italic", 3},
    {"Bold+Under", 5},
    {"Bold+It+Und", 7},
    {"Italic+Under", 6},
    {"StrikeOut", 8},
}};

// Case-insensitive order for ASCII letters; names equal but for case keep a
// fixed order by their bytes, so the list is the same on every run.
bool LessIgnoringCase(const std::string& a, const std::string& b) {
  auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = lower(static_cast<unsigned char>(a[i]));
    int cb = lower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace

uint8_t StyleFromName(std::string_view name) {
  for (const StyleEntry& e : kStyles) {
    if (name == e.name) return e.style;
  }
  return 0;
}

uint8_t CharsetFromName(std::string_view name) {
  const CharsetRow* row = FindCharsetByListName(name);
  return row != nullptr ? row->Code() : CharsetCode(CharsetId::kDefault);
}

const std::vector<std::string>& StyleNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const StyleEntry& e : kStyles) v.emplace_back(e.name);
    return v;
  }();
  return names;
}

const std::vector<std::string>& CharsetNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const CharsetRow& row : CharsetTable()) v.emplace_back(row.ListName);
    return v;
  }();
  return names;
}

const std::vector<std::string>& FontSizeNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (int size = 6; size <= 30; ++size) v.push_back(std::to_string(size));
    for (int size = 32; size <= 50; size += 2) v.push_back(std::to_string(size));
    return v;
  }();
  return names;
}

std::vector<std::string> FontList() {
  std::vector<std::string> families;
  if (FcInit()) {
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(
        FcPatternBuild(nullptr, FC_SCALABLE, FcTypeBool, FcTrue, nullptr), FcPatternDestroy);
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, nullptr), FcObjectSetDestroy);
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(
        FcFontList(nullptr, pattern.get(), objects.get()), FcFontSetDestroy);
    if (fonts) {
      for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch &&
            family != nullptr && *family != 0) {
          families.emplace_back(reinterpret_cast<const char*>(family));
        }
      }
    }
  }
  std::sort(families.begin(), families.end(), LessIgnoringCase);
  families.erase(std::unique(families.begin(), families.end()), families.end());
  families.insert(families.begin(), "Arial");
  return families;
}

}  // namespace kestrelpix
