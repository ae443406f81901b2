// The lists whose names and order the settings file and batch lines keep, as
// tests/data/persisted/NAME.txt pins them: one entry a line in list order,
// "\t" for a tab, lines starting with "#" are comments. The code's own tests
// and the batch-line and window tests all compare with these files, so a
// changed entry or order fails every one of them.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/color.h"

namespace kestrelpix::testing {

inline std::vector<std::string> PersistedList(const std::string& name) {
  const std::string path =
      std::string(KESTRELPIX_SOURCE_DIR) + "/tests/data/persisted/" + name + ".txt";
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::vector<std::string> entries;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::string entry;
    for (size_t i = 0; i < line.size(); ++i) {
      const bool tab = line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 't';
      entry += tab ? '\t' : line[i];
      if (tab) ++i;
    }
    entries.push_back(entry);
  }
  return entries;
}

struct PersistedColor {
  std::string name;
  ColorValue value;
};

// standard_colors and safe_colors: "RED GREEN BLUE NAME", the name being the
// rest of the line.
inline std::vector<PersistedColor> PersistedColorList(const std::string& name) {
  std::vector<PersistedColor> colors;
  for (const std::string& entry : PersistedList(name)) {
    std::istringstream fields(entry);
    int red = -1, green = -1, blue = -1;
    std::string colorName;
    fields >> red >> green >> blue >> std::ws;
    std::getline(fields, colorName);
    if (red < 0 || green < 0 || blue < 0 || red > 255 || green > 255 || blue > 255 ||
        colorName.empty()) {
      throw std::runtime_error(name + ": bad line " + entry);
    }
    colors.push_back({colorName, MakeColor(static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                                           static_cast<uint8_t>(blue))});
  }
  return colors;
}

// settings_colors: "NAME 0xVALUE", the value as the settings file's colour
// holds it.
inline std::vector<PersistedColor> PersistedSettingsColors() {
  std::vector<PersistedColor> colors;
  for (const std::string& entry : PersistedList("settings_colors")) {
    const size_t blank = entry.find(' ');
    if (blank == std::string::npos) throw std::runtime_error("settings_colors: bad line " + entry);
    colors.push_back({entry.substr(0, blank),
                      static_cast<ColorValue>(std::stoul(entry.substr(blank + 1), nullptr, 16))});
  }
  return colors;
}

}  // namespace kestrelpix::testing
