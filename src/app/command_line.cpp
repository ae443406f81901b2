#include "app/command_line.h"

#include <unistd.h>

#include <climits>

#include "app/control_lists.h"
#include "base/errors.h"
#include "base/number_text.h"
#include "render/font_tables.h"
#include "vobsub/palette.h"

namespace kestrelpix {

const std::array<const char*, 15>& PlaceholderWords() {
  static const std::array<const char*, 15> kWords = {
      "filename",     "fontname",  "fontcharset", "fontstyle", "fontsize",
      "align",        "offset",    "offsetor",    "outline",   "colorantalias",
      "coloroutline", "colortext", "lang",        "fps",       "method"};
  return kWords;
}

std::optional<CommandLineValues> DetectCommandLine(const std::vector<std::string>& args) {
  CommandLineValues values;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i >= args.size() || args[i].empty() || args[i] == PlaceholderWords()[i])
      return std::nullopt;
    values[i] = args[i];
  }
  return values;
}

PaletteMode PaletteModeFromCode(const std::string& code) {
  if (code == "0") return PaletteMode::PcOnly;
  if (code == "1") return PaletteMode::DvdOnly;
  if (code == "2") return PaletteMode::TwoPalettes;
  return PaletteMode::SafePalette;
}

std::string PaletteModeCode(PaletteMode mode) {
  switch (mode) {
    case PaletteMode::PcOnly:
      return "0";
    case PaletteMode::DvdOnly:
      return "1";
    case PaletteMode::TwoPalettes:
      return "2";
    case PaletteMode::SafePalette:
      break;
  }
  return "3";
}

ControlPositions PositionsFromCommandLine(const CommandLineValues& v) {
  ControlPositions p;
  p.FontName = StrToInt(v[1]);
  p.FontCharset = StrToInt(v[2]);
  p.FontStyle = StrToInt(v[3]);
  p.FontSize = StrToInt(v[4]);
  p.Align = StrToInt(v[5]);
  p.offset = std::clamp(StrToInt(v[6]), kOffsetMin, kOffsetMax);
  p.offset_or = std::clamp(StrToInt(v[7]), kOffsetOrMin, kOffsetOrMax);
  p.OutlineWidth = StrToInt(v[8]);
  p.Language = StrToInt(v[12]);
  p.Fps = StrToInt(v[13]);
  p.Palette = PaletteModeFromCode(v[14]);
  return p;
}

void ColorPositionsFromCommandLine(const CommandLineValues& v, ControlPositions& p) {
  p.AntialiasColor = StrToInt(v[9]);
  p.OutlineColor = StrToInt(v[10]);
  p.TextColor = StrToInt(v[11]);
}

namespace {

const std::string& Pick(const std::vector<std::string>& list, int position, int parameter) {
  if (position < 0 || position >= static_cast<int>(list.size())) {
    throw Error("Parameter " + std::to_string(parameter) + " (" +
                PlaceholderWords()[static_cast<size_t>(parameter - 1)] + ") is " +
                std::to_string(position) + ", outside its list (0 to " +
                std::to_string(list.size() - 1) + ")");
  }
  return list[static_cast<size_t>(position)];
}

ColorValue PickColor(const std::vector<NamedColor>& list, int position, int parameter) {
  if (position < 0 || position >= static_cast<int>(list.size())) {
    throw Error("Parameter " + std::to_string(parameter) + " (" +
                PlaceholderWords()[static_cast<size_t>(parameter - 1)] + ") is " +
                std::to_string(position) + ", outside the colour list (0 to " +
                std::to_string(list.size() - 1) + ")");
  }
  return list[static_cast<size_t>(position)].value;
}

}  // namespace

RenderSettings SettingsFromPositions(const ControlPositions& p,
                                     const std::vector<std::string>& fontList) {
  RenderSettings s;
  s.FontName = Pick(fontList, p.FontName, 2);
  s.FontCharset = CharsetFromName(Pick(CharsetNames(), p.FontCharset, 3));
  s.FontStyle = StyleFromName(Pick(StyleNames(), p.FontStyle, 4));
  s.FontSize = StrToInt(Pick(FontSizeNames(), p.FontSize, 5));
  s.Align = Pick(AlignList(), p.Align, 6);
  s.offset = std::clamp(p.offset, kOffsetMin, kOffsetMax);
  // The line spacing slider only rests on even positions.
  s.offset_or =
      std::clamp(p.offset_or + (p.offset_or % 2 != 0 ? 1 : 0), kOffsetOrMin, kOffsetOrMax);
  s.OutlineWidth = StrToInt(Pick(OutlineWidthList(), p.OutlineWidth, 9));
  s.Language = Pick(LanguageList(), p.Language, 13);
  s.Fps = Pick(FpsList(), p.Fps, 14);
  s.Palette = p.Palette;
  const std::vector<NamedColor>& colors = ColorListFor(p.Palette);
  s.AntialiasColor = PickColor(colors, p.AntialiasColor, 10);
  s.OutlineColor = PickColor(colors, p.OutlineColor, 11);
  s.TextColor = PickColor(colors, p.TextColor, 12);
  return s;
}

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  const std::string exe(path, static_cast<size_t>(n));
  return exe.substr(0, exe.find_last_of('/') + 1);
}

std::string BatchLine(const std::string& programFolder, const std::string& subtitlePath,
                      const ControlPositions& p) {
#ifdef _WIN32
  const char* const kProgram = "kestrelpix.exe";
#else
  const char* const kProgram = "kestrelpix";
#endif
  std::string line = "\"" + programFolder + kProgram + "\" \"" + subtitlePath + "\" ";
  const int values[] = {
      p.FontName,  p.FontCharset, p.FontStyle,    p.FontSize,       p.Align,
      p.offset,    p.offset_or,   p.OutlineWidth, p.AntialiasColor, p.OutlineColor,
      p.TextColor, p.Language,    p.Fps};
  for (int v : values) line += std::to_string(v) + " ";
  line += PaletteModeCode(p.Palette);
  return line;
}

const char* BatchLineEnd() {
#ifdef _WIN32
  return "\r\n";
#else
  return "\n";
#endif
}

std::vector<std::string> SplitBatchLine(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  while (i < line.size()) {
    // Blanks and control characters (a CR among them) separate arguments.
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    for (; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && static_cast<unsigned char>(c) <= ' ') {
        break;
      } else {
        arg += c;
      }
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace kestrelpix
