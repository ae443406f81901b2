#include "app/unattended_run.h"

#include <optional>

#include "app/command_line.h"
#include "base/errors.h"
#include "render/font_tables.h"

namespace kestrelpix {

int RunUnattendedHeadless(const std::vector<std::string>& args, MessageSink& sink,
                          const ConsoleCallbacks& callbacks, bool wrapLines) {
  const std::optional<CommandLineValues> values = DetectCommandLine(args);
  if (!values) {
    sink.ShowMessage(
        "Fifteen parameters are needed: filename fontname fontcharset fontstyle "
        "fontsize align offset offsetor outline colorantalias coloroutline colortext "
        "lang fps method");
    return 1;
  }
  try {
    ControlPositions positions = PositionsFromCommandLine(*values);
    ColorPositionsFromCommandLine(*values, positions);
    RenderSettings settings = SettingsFromPositions(positions, FontList());
    settings.WrapLines = wrapLines;
    // A batch line comes from the window, where the box switches wrapping.
    return ExitStatusFor(
        ConvertHeadless((*values)[0], settings, "", sink, callbacks,
                        "tick \"Wrap long lines\" in the window before adding to the batch")
            .Outcome);
  } catch (const Error& e) {
    sink.ShowMessage(e.what());
    return 1;
  }
}

}  // namespace kestrelpix
