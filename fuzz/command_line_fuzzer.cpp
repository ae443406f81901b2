// A batch line of arbitrary bytes, split as the shell splits it and read as
// the fifteen parameters of an unattended run. Properties checked:
//  - quoting every argument as a batch line quotes it and splitting again
//    gives the same arguments back;
//  - the parameters are either refused (not fifteen acceptable ones: a
//    normal start) or converted; a conversion fails only with the core's
//    typed errors, never with another exception;
//  - converted settings lie inside the controls' ranges, and the batch line
//    written for them reads back to the same control positions.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/control_lists.h"
#include "base/errors.h"
#include "render/font_tables.h"

namespace {

using namespace kestrelpix;

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string QuoteAll(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& a : args) line += BatchQuote(a) + " ";
  return line;
}

// A fixed font list: the positions are what is tested, not the fonts of
// this machine.
const std::vector<std::string>& Fonts() {
  static const std::vector<std::string> kFonts = {"Arial", "DejaVu Sans", "Liberation Serif"};
  return kFonts;
}

bool Refusable(const std::vector<std::string>& params) {
  if (params.size() < 15) return true;
  for (size_t i = 0; i < 15; ++i) {
    if (params[i].empty() || params[i] == PlaceholderWords()[i]) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = SplitBatchLine(line);
  Check(SplitBatchLine(QuoteAll(args)) == args);
  if (args.empty()) return 0;

  const std::vector<std::string> params(args.begin() + 1, args.end());
  const std::optional<CommandLineValues> values = DetectCommandLine(params);
  Check(values.has_value() == !Refusable(params));
  if (!values) return 0;
  for (size_t i = 0; i < 15; ++i) Check((*values)[i] == params[i]);

  ControlPositions positions;
  RenderSettings settings;
  try {
    positions = PositionsFromCommandLine(*values);
    ColorPositionsFromCommandLine(*values, positions);
    settings = SettingsFromPositions(positions, Fonts());
  } catch (const Error&) {
    return 0;  // a value that is not a whole number, or a position outside its list
  }
  Check(positions.BottomOffset >= kBottomOffsetMin && positions.BottomOffset <= kBottomOffsetMax);
  Check(positions.LineSpacing >= kLineSpacingMin && positions.LineSpacing <= kLineSpacingMax);
  Check(settings.BottomOffset == positions.BottomOffset);
  Check(settings.LineSpacing % 2 == 0 && settings.LineSpacing >= kLineSpacingMin &&
        settings.LineSpacing <= kLineSpacingMax);
  Check(settings.FontName == Fonts()[static_cast<size_t>(positions.FontName)]);
  Check(settings.FontSize >= 1 && settings.FontSize <= 1000);
  Check(settings.Fps == FpsList()[static_cast<size_t>(positions.Fps)]);
  Check(settings.Palette == PaletteModeFromCode((*values)[14]));

  // What "Add to Batch" writes for these positions reads back to them.
  const std::string batch = BatchLine("/opt/kestrelpix/", (*values)[0], positions);
  const std::vector<std::string> again = SplitBatchLine(batch + BatchLineEnd());
  Check(again.size() == (positions.WrapLines ? 17u : 16u) &&
        again[0] == "/opt/kestrelpix/kestrelpix");
  const std::optional<CommandLineValues> reread =
      DetectCommandLine(std::vector<std::string>(again.begin() + 1, again.end()));
  Check(reread.has_value() && (*reread)[0] == (*values)[0]);
  ControlPositions back = PositionsFromCommandLine(*reread);
  ColorPositionsFromCommandLine(*reread, back);
  Check(back == positions);
  return 0;
}
