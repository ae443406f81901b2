// The settings that convert's options give, for the commands that take the
// same options (add-to-batch).
#pragma once

#include <string>
#include <vector>

#include "render/render_settings.h"

namespace kestrelpix::cli {

// Parses convert's options. Returns 0 with the settings and the positional
// arguments; -1 when --help was printed; otherwise the exit status of a
// usage error already reported. Options that steer a run rather than the
// drawing (--output-dir, --jobs, --threads, --merge, --languages, --quiet)
// are refused with a usage error: a batch line cannot carry them. --wrap is
// a setting like the others (the line's sixteenth parameter). Without
// --palette the mode is PC, the window's first-start mode and convert's own.
int ParseConvertSettings(const std::vector<std::string>& args, RenderSettings& settings,
                         std::vector<std::string>& positional);

}  // namespace kestrelpix::cli
