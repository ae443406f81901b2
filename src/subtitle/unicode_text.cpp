#include "subtitle/unicode_text.h"

#include <array>
#include <cstdint>

namespace kestrelpix {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

uint32_t Unit(std::string_view b, size_t i, size_t size, bool little) {
  uint32_t v = 0;
  for (size_t k = 0; k < size; ++k) {
    const uint32_t byte = static_cast<unsigned char>(b[i + k]);
    v |= little ? byte << (8 * k) : byte << (8 * (size - 1 - k));
  }
  return v;
}

std::string FromUtf16(std::string_view b, bool little) {
  std::string out;
  out.reserve(b.size());
  size_t i = 0;
  for (; i + 2 <= b.size(); i += 2) {
    const uint32_t u = Unit(b, i, 2, little);
    if (u >= 0xD800 && u <= 0xDBFF && i + 4 <= b.size()) {
      const uint32_t low = Unit(b, i + 2, 2, little);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, u);  // a lone surrogate becomes U+FFFD there
  }
  if (i < b.size()) AppendUtf8(out, kReplacement);
  return out;
}

std::string FromUtf32(std::string_view b, bool little) {
  std::string out;
  out.reserve(b.size() / 2);
  size_t i = 0;
  for (; i + 4 <= b.size(); i += 4) AppendUtf8(out, Unit(b, i, 4, little));
  if (i < b.size()) AppendUtf8(out, kReplacement);
  return out;
}

// Without a byte-order mark: UTF-32 has three zero bytes in most units of
// text in the Latin range, UTF-16 one zero byte in most units, always on the
// same side. Text lines, digits and time lines are mostly ASCII, so looking
// at the first few kilobytes suffices.
UnicodeForm GuessByZeroBytes(std::string_view b) {
  const size_t n = std::min<size_t>(b.size(), 4096) & ~size_t{3};
  if (n < 8) return UnicodeForm::None;
  std::array<size_t, 4> zeros{};
  for (size_t i = 0; i < n; ++i) {
    if (b[i] == '\0') ++zeros[i % 4];
  }
  const double quarter = static_cast<double>(n / 4);
  auto high = [&](int k) { return zeros[k] > 0.6 * quarter; };
  auto low = [&](int k) { return zeros[k] < 0.05 * quarter; };
  if (high(1) && high(2) && high(3) && low(0)) return UnicodeForm::Utf32LE;
  if (high(0) && high(1) && high(2) && low(3)) return UnicodeForm::Utf32BE;
  if (high(1) && high(3) && low(0) && low(2)) return UnicodeForm::Utf16LE;
  if (high(0) && high(2) && low(1) && low(3)) return UnicodeForm::Utf16BE;
  return UnicodeForm::None;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

size_t DecodeUtf8At(std::string_view bytes, size_t i, char32_t& cp) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  unsigned char lead = byte(i);
  if (lead < 0x80) {
    cp = lead;
    return 1;
  }
  size_t len;
  char32_t min;
  if ((lead & 0xE0) == 0xC0) {
    len = 2, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    len = 3, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    len = 4, cp = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > bytes.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

bool IsValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8At(bytes, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

UnicodeText ToUtf8(std::string_view b) {
  UnicodeText r;
  auto starts = [&](std::string_view mark) { return b.substr(0, mark.size()) == mark; };
  if (starts(std::string_view("\xFF\xFE\0\0", 4))) {
    r.form = UnicodeForm::Utf32LE, r.byteOrderMark = true, b.remove_prefix(4);
  } else if (starts(std::string_view("\0\0\xFE\xFF", 4))) {
    r.form = UnicodeForm::Utf32BE, r.byteOrderMark = true, b.remove_prefix(4);
  } else if (starts("\xFF\xFE")) {
    r.form = UnicodeForm::Utf16LE, r.byteOrderMark = true, b.remove_prefix(2);
  } else if (starts("\xFE\xFF")) {
    r.form = UnicodeForm::Utf16BE, r.byteOrderMark = true, b.remove_prefix(2);
  } else if (starts("\xEF\xBB\xBF")) {
    r.form = UnicodeForm::Utf8, r.byteOrderMark = true, b.remove_prefix(3);
  } else {
    r.form = GuessByZeroBytes(b);
  }
  r.bytes = b;
  switch (r.form) {
    case UnicodeForm::Utf16LE:
    case UnicodeForm::Utf16BE:
      r.utf8 = FromUtf16(b, r.form == UnicodeForm::Utf16LE);
      r.converted = true;
      break;
    case UnicodeForm::Utf32LE:
    case UnicodeForm::Utf32BE:
      r.utf8 = FromUtf32(b, r.form == UnicodeForm::Utf32LE);
      r.converted = true;
      break;
    default:
      break;
  }
  return r;
}

const char* UnicodeFormName(UnicodeForm form) {
  switch (form) {
    case UnicodeForm::Utf8:
      return "UTF-8";
    case UnicodeForm::Utf16LE:
      return "UTF-16 LE";
    case UnicodeForm::Utf16BE:
      return "UTF-16 BE";
    case UnicodeForm::Utf32LE:
      return "UTF-32 LE";
    case UnicodeForm::Utf32BE:
      return "UTF-32 BE";
    default:
      return "";
  }
}

namespace {

std::string_view WithoutEndMark(std::string_view text) {
  if (!text.empty() && text.back() == '\x1A') text.remove_suffix(1);
  return text;
}

}  // namespace

LineSplitter::LineSplitter(std::string_view text) : text_(WithoutEndMark(text)) {}

bool LineSplitter::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  const size_t end = text_.find_first_of("\r\n", pos_);
  if (end == std::string_view::npos) {
    line = text_.substr(pos_);
    pos_ = text_.size();
    return true;
  }
  line = text_.substr(pos_, end - pos_);
  pos_ = end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
  return true;
}

bool HasLoneCr(std::string_view text) {
  text = WithoutEndMark(text);
  for (size_t cr = text.find('\r'); cr != std::string_view::npos; cr = text.find('\r', cr + 1)) {
    if (cr + 1 == text.size() || text[cr + 1] != '\n') return true;
  }
  return false;
}

}  // namespace kestrelpix
