// The time text of the VobSub index: hh:mm:ss:mmm from milliseconds.
#pragma once

#include <string>

namespace kestrelpix {

// The latest time the index holds: times reach it as doubles, which count
// whole milliseconds exactly only up to 2^53 (about 9.007e15). No reader lets
// a later time through; FormatIdxTime writes any later time as this one.
constexpr double kMaxIdxTimeMs = 9.0e15;

// Each part truncated; hours are never cut (100 hours give "100"). Times
// below zero give 00:00:00:000.
std::string FormatIdxTime(double ms);

}  // namespace kestrelpix
