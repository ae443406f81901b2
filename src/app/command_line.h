// The command line of an unattended conversion (fifteen parameters, and an
// optional sixteenth for wrapping), and the batch line that "Add to Batch"
// writes for it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/control_lists.h"
#include "render/render_settings.h"

namespace kestrelpix {

// The settings as the main window's controls hold them: list positions and
// slider positions (-1 for a list without a selection).
struct ControlPositions {
  int FontName = kDefaultFontNameIndex;
  int FontCharset = kDefaultCharsetIndex;
  int FontStyle = kDefaultStyleIndex;
  int FontSize = kDefaultFontSizeIndex;
  int Align = kDefaultAlignIndex;
  int BottomOffset = kDefaultBottomOffset;
  int LineSpacing = kDefaultLineSpacing;
  int OutlineWidth = kDefaultOutlineIndex;
  int AntialiasColor = 1;
  int OutlineColor = 0;
  int TextColor = 2;
  int Language = kDefaultLanguageIndex;
  int Fps = kDefaultFpsIndex;
  PaletteMode Palette = PaletteMode::PcOnly;
  // "Wrap long lines": parameter 16, written only when set. A line without
  // it leaves wrapping to the program that runs it.
  std::optional<bool> WrapLines;
  bool operator==(const ControlPositions&) const = default;
};

// Parameters 1 to 15 exactly as the argument splitting gives them, and
// parameter 16 in Wrap (empty when the line has fifteen).
struct CommandLineValues : std::array<std::string, 15> {
  std::string Wrap;
};

// The placeholder word of each position: "filename", "fontname", ...,
// "method", and "wrap" for the optional sixteenth.
const std::array<const char*, 16>& PlaceholderWords();

// Fifteen acceptable parameters (none empty, none equal to its placeholder
// word): returns them, with a sixteenth that is not empty; otherwise
// nullopt, a normal start. Arguments after the sixteenth are ignored.
std::optional<CommandLineValues> DetectCommandLine(const std::vector<std::string>& args);

// The refusal of a list position from the command line: "Parameter 5
// (fontsize) is 35, outside its list (0 to 34)", where `list` names the list
// ("its list", "the colour list") and listSize is its number of entries.
std::string ParameterOutsideListMessage(int parameter, int position, int listSize,
                                        const std::string& list = "its list");

// Parameter 15 to a palette mode: "0" PC only, "1" DVD only, "2" two
// palettes, anything else the safe palette; and back ("0" to "3").
PaletteMode PaletteModeFromCode(const std::string& code);
std::string PaletteModeCode(PaletteMode mode);

// Parameters 2 to 9, 13, 14, 15 and 16 converted to positions (throws
// ConvertError for a value that is not a whole number, and Error for a
// sixteenth that is neither 0 nor 1); sliders limited to their ranges. The
// colours are converted later, once the palette mode's lists are filled:
// ColorPositionsFromCommandLine takes parameters 10 to 12.
ControlPositions PositionsFromCommandLine(const CommandLineValues& values);
void ColorPositionsFromCommandLine(const CommandLineValues& values, ControlPositions& positions);

// The settings the positions select: lists from the core's tables, the font
// list given, colours from the palette mode's colour list, wrapping when the
// positions give it (else off). A position outside its list throws Error
// naming the parameter, before anything is converted.
RenderSettings SettingsFromPositions(const ControlPositions& positions,
                                     const std::vector<std::string>& fontList);

// The positions that select settings in the window's lists, wrapping
// included: the inverse of SettingsFromPositions. A setting that no list
// position gives (a font that is not installed, a size or colour outside the
// lists) throws Error naming it.
ControlPositions PositionsFromSettings(const RenderSettings& settings,
                                       const std::vector<std::string>& fontList);

// One argument of a batch line, quoted so that the shell that runs the
// batch file passes it on byte for byte and expands nothing in it: in
// single quotes, a single quote written as '\'' (in double quotes on
// Windows, whose batch files know no other quoting).
std::string BatchQuote(const std::string& argument);

// The batch line: the quoted program path (the program folder followed by
// "kestrelpix"), the quoted subtitle path and the values of parameters 2 to
// 15, then "0" or "1" for wrapping when the positions give it, without a
// line end. The window's "Add to Batch" and the command-line
// tool's add-to-batch both write this line.
std::string BatchLine(const std::string& programFolder, const std::string& subtitlePath,
                      const ControlPositions& positions);

// The line end of batch files on this platform (LF here, CR LF on Windows).
const char* BatchLineEnd();

// What an append to a batch file did, so that it can be taken back.
struct BatchFileAppend {
  std::string path;
  bool created = false;  // the append made the file
  uint64_t device = 0, inode = 0;
  int64_t sizeBefore = 0, sizeAfter = 0;
};

// Appends line and the line end to the batch file. When the file's text does
// not end with a line end, one is written first, in the file's own style (CR
// LF or LF), so the line never joins the file's last command. A batch file
// that does not exist yet is created with "#!/bin/sh" as its first line and
// made executable, so that it runs by double-click or as ./NAME. Only a
// regular file is appended to, also through a link: a folder, a FIFO or a
// device is refused before it is opened. Throws FileError naming the file;
// a failed append leaves the file as it was.
BatchFileAppend AppendToBatchFile(const std::string& batchFile, const std::string& line);

// Takes an append back: the file is cut back to its size before it, or
// removed when the append created it. False, and the file left alone, when
// it changed since (another program wrote to it or replaced it).
bool UndoBatchFileAppend(const BatchFileAppend& append);

// Splits a batch line as the shell that runs the batch file does: outside
// quotes blanks and control characters separate and a backslash takes the
// next character as it is; single quotes keep everything up to the next
// single quote; double quotes group, with a backslash taking the next $ `
// " \ or line break. A trailing CR is ignored. The program name is the
// first element. (On Windows: blanks separate, double quotes group and are
// dropped.)
std::vector<std::string> SplitBatchLine(const std::string& line);

}  // namespace kestrelpix
