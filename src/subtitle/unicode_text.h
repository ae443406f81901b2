// The encodings and line ends that the tolerant reading accepts: UTF-16 and
// UTF-32 (with a byte-order mark, or recognised by their zero bytes) are
// turned into UTF-8; a UTF-8 byte-order mark is dropped; lines end at LF,
// CR LF or a lone CR.
#pragma once

#include <string>
#include <string_view>

namespace kestrelpix {

enum class UnicodeForm { None, Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

struct UnicodeText {
  UnicodeForm form = UnicodeForm::None;
  bool byteOrderMark = false;
  // The text as UTF-8: for UTF-16 and UTF-32 their conversion, else the
  // bytes themselves after any byte-order mark, not copied.
  std::string_view text() const { return converted ? std::string_view(utf8) : bytes; }

  bool converted = false;
  std::string utf8;        // the conversion, when converted
  std::string_view bytes;  // the bytes after the byte-order mark
};

// Recognises the form by a byte-order mark, or UTF-16 and UTF-32 without one
// by where their zero bytes stand. Units that are no character (a lone
// surrogate, a value above U+10FFFF, an odd byte at the end) become U+FFFD.
// The result refers to `bytes`, which must outlive it.
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

// The lines of a text, one at a time, split at LF, CR LF and lone CR. A
// final line end does not start a further line; a 0x1A byte at the very end
// is dropped. Nothing is held but a position, however many lines the text
// has.
class LineSplitter {
 public:
  explicit LineSplitter(std::string_view text);
  // The next line without its end; false when no line is left.
  bool Next(std::string_view& line);

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// Some line of the text ends with a CR alone (0x1A at the very end dropped,
// as LineSplitter does).
bool HasLoneCr(std::string_view text);

}  // namespace kestrelpix
