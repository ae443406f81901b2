#include "app/unattended_run.h"

#include <optional>

#include "app/command_line.h"
#include "base/errors.h"
#include "job/headless_run.h"
#include "render/font_tables.h"

namespace kestrelpix {

int RunUnattendedHeadless(const std::vector<std::string>& args, ConsoleFrontEnd& console,
                          bool wrapLines) {
  const std::optional<CommandLineValues> values = DetectCommandLine(args);
  if (!values) {
    console.ShowMessage(
        "Fifteen parameters are needed: filename fontname fontcharset fontstyle "
        "fontsize align offset offsetor outline colorantalias coloroutline colortext "
        "lang fps method");
    return 1;
  }
  try {
    ControlPositions positions = PositionsFromCommandLine(*values);
    ColorPositionsFromCommandLine(*values, positions);
    RenderSettings settings = SettingsFromPositions(positions, FontList());
    // A line of sixteen parameters says itself whether to wrap.
    settings.WrapLines = positions.WrapLines.value_or(wrapLines);
    // A batch line comes from the window, where the box switches wrapping.
    console.SetSettings(settings);
    console.SetWrapHint("tick \"Wrap long lines\" in the window before adding to the batch");
    return ExitStatusFor(ConvertHeadless((*values)[0], "", console).Outcome);
  } catch (const Error& e) {
    console.ShowMessage(e.what());
    return 1;
  }
}

}  // namespace kestrelpix
