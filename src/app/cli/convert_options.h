// The settings that convert's options give, for the commands that take the
// same options (add-to-batch).
#pragma once

#include <string>
#include <vector>

#include "render/render_settings.h"

namespace kestrelpix::cli {

struct ConvertSettings {
  RenderSettings Settings;
  std::vector<std::string> Positional;
  // The options given that steer a run rather than the drawing
  // (--output-dir, --jobs, --threads, --merge, --languages, --sami-class,
  // --quiet), as
  // named on the command line: a batch line cannot carry them.
  std::vector<std::string> RunOptions;
  bool Help = false;  // --help was given: nothing else was looked at
};

// Parses convert's options into the settings and the positional arguments.
// An option convert cannot take, or no positional argument, throws
// UsageError with convert's message. --wrap is a setting like the others
// (the line's sixteenth parameter). Without --palette the mode is PC, the
// window's first-start mode and convert's own.
ConvertSettings ParseConvertSettings(const std::vector<std::string>& args);

// convert's --help text, on stdout.
void PrintConvertOptionsHelp();

}  // namespace kestrelpix::cli
