// The encodings and line ends that the tolerant reading accepts: UTF-16 and
// UTF-32 (with a byte-order mark, or recognised by their zero bytes) are
// turned into UTF-8; a UTF-8 byte-order mark is dropped; lines end at LF,
// CR LF or a lone CR.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrelpix {

enum class UnicodeForm { None, Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

struct UnicodeText {
  std::string text;  // UTF-8 for the Unicode forms, else the bytes as they were
  UnicodeForm form = UnicodeForm::None;
  bool byteOrderMark = false;
};

// Recognises the form by a byte-order mark, or UTF-16 and UTF-32 without one
// by where their zero bytes stand. Units that are no character (a lone
// surrogate, a value above U+10FFFF, an odd byte at the end) become U+FFFD.
UnicodeText ToUtf8(std::string_view bytes);

// Appends c as UTF-8; a surrogate or a value above U+10FFFF becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

// Decodes the UTF-8 sequence at bytes[i] (i < bytes.size()) into cp and
// returns its length, or returns 0 when the bytes there are not a
// well-formed sequence: a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate or a value above U+10FFFF.
size_t DecodeUtf8At(std::string_view bytes, size_t i, char32_t& cp);

// True when the bytes are well-formed UTF-8 throughout, by DecodeUtf8At.
bool IsValidUtf8(std::string_view bytes);

// "UTF-16 LE" and so on; "" for None.
const char* UnicodeFormName(UnicodeForm form);

struct TextLines {
  std::vector<std::string_view> lines;
  bool loneCr = false;  // some line ended with a CR alone
};

// Splits text at LF, CR LF and lone CR. A final line end does not start a
// further line; a 0x1A byte at the very end is dropped.
TextLines SplitLines(std::string_view text);

}  // namespace kestrelpix
