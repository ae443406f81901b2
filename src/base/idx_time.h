// The time text of the VobSub index: hh:mm:ss:mmm from milliseconds.
#pragma once

#include <string>

namespace kestrelpix {

// Each part truncated; hours are never cut (100 hours give "100"). Times
// below zero give 00:00:00:000.
std::string FormatIdxTime(double ms);

}  // namespace kestrelpix
