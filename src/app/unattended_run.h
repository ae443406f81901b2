// The unattended run of a batch line's fifteen parameters, in the
// command-line tool and in the window program started on a machine without a
// display.
#pragma once

#include <string>
#include <vector>

#include "base/message_sink.h"
#include "job/headless_run.h"

namespace kestrelpix {

// The unattended run of the fifteen parameters. Returns the exit status: 0
// for a complete run, 128 + the stop signal after an abort (130 for Ctrl-C),
// 1 for every refusal or error.
// wrapLines: too-wide entries are wrapped (the window's stored choice).
int RunUnattendedHeadless(const std::vector<std::string>& args, MessageSink& sink,
                          const ConsoleCallbacks& callbacks = {}, bool wrapLines = false);

}  // namespace kestrelpix
