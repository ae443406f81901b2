#include "base/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/errors.h"

namespace kestrelpix {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The forms of integer text: everything TryStrToInt takes, or only a sign
// and decimal digits.
enum class IntegerForm { Any, PlainDecimal };

bool ParseInt32(std::string_view text, IntegerForm form, int32_t& value) {
  const bool any = form == IntegerForm::Any;
  size_t i = 0;
  while (any && i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (any && i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (any && i + 1 < text.size() && text[i] == '0' &&
             (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  uint64_t magnitude = 0;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  auto [end, ec] = std::from_chars(first, last, magnitude, base);
  if (ec != std::errc() || end != last) return false;
  // Hexadecimal text may spell the full 32-bit pattern ($FFFFFFFF is -1).
  if (base == 16 && magnitude <= 0xFFFFFFFFull) {
    int64_t v = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    value = static_cast<int32_t>(negative ? -v : v);
    return !(negative && v == std::numeric_limits<int32_t>::min());
  }
  const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
  if (magnitude > limit) return false;
  value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                   : static_cast<int32_t>(magnitude);
  return true;
}

}  // namespace

std::optional<int32_t> TryStrToInt(std::string_view text) {
  int32_t value = 0;
  if (!ParseInt32(text, IntegerForm::Any, value)) return std::nullopt;
  return value;
}

bool TryDecimalStrToInt(std::string_view text, int32_t& value) {
  return ParseInt32(text, IntegerForm::PlainDecimal, value);
}

int32_t StrToInt(std::string_view text) {
  const std::optional<int32_t> value = TryStrToInt(text);
  if (!value) throw InvalidInteger(text);
  return *value;
}

std::optional<double> TryStrToFloat(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string_view body = text.substr(begin, end - begin);
  if (!body.empty() && body[0] == '+') body.remove_prefix(1);
  // from_chars would also take "inf" and "nan"; only plain numbers count.
  bool digitSeen = false;
  for (char c : body) {
    if (c >= '0' && c <= '9') {
      digitSeen = true;
    } else if (c != '.' && c != '-' && c != '+' && c != 'e' && c != 'E') {
      return std::nullopt;
    }
  }
  if (!digitSeen) return std::nullopt;
  double value = 0;
  auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (ec != std::errc() || ptr != body.data() + body.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

double StrToFloat(std::string_view text) {
  const std::optional<double> value = TryStrToFloat(text);
  if (!value) throw InvalidFloat(text);
  return *value;
}

int64_t RoundHalfEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

}  // namespace kestrelpix
