// The unattended run of a batch line's parameters, in the command-line tool
// and in the window program started on a machine without a display.
#pragma once

#include <string>
#include <vector>

#include "app/console_front_end.h"

namespace kestrelpix {

// The unattended run of the fifteen parameters and the optional sixteenth.
// Returns the exit status: 0 for a complete run, 128 + the stop signal after
// an abort (130 for Ctrl-C), 1 for every refusal or error.
// The conversion runs with the settings the parameters give through the
// console front end, whose settings and wrapping hint this sets.
// wrapLines: too-wide entries are wrapped when the line has no sixteenth
// parameter (the window's stored choice).
int RunUnattendedHeadless(const std::vector<std::string>& args, ConsoleFrontEnd& console,
                          bool wrapLines = false);

}  // namespace kestrelpix
