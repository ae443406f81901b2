#include "base/idx_time.h"

#include <cmath>
#include <cstdio>

namespace kestrelpix {

std::string FormatIdxTime(double ms) {
  const long long total =
      ms > 0 ? static_cast<long long>(std::trunc(std::fmin(ms, kMaxIdxTimeMs))) : 0;
  char text[64];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld:%03lld", total / 3600000,
                total % 3600000 / 60000, total % 60000 / 1000, total % 1000);
  return text;
}

}  // namespace kestrelpix
