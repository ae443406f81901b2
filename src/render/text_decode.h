// Subtitle text stays the file's bytes until it is measured or drawn. These
// functions turn the bytes into characters by the font's charset code: each
// code stands for one character encoding (1252, 1251, 932 and so on), and
// DEFAULT for the system's own, which here is UTF-8 (a line that is not valid
// UTF-8 is read as Windows-1252).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/render_settings.h"

namespace kestrelpix {

class SubtitleDocument;

// The charset that decodes the text of a document: the chosen one, except
// that DEFAULT stands for the code page the load detected, and text that the
// load found to be Unicode reads as UTF-8 (DEFAULT) whatever is chosen.
// Without a document the chosen charset.
uint8_t CharsetForText(uint8_t chosen, const SubtitleDocument* doc);
// The settings with the charset that decodes the document's text.
inline RenderSettings SettingsForText(RenderSettings settings, const SubtitleDocument* doc) {
  settings.FontCharset = CharsetForText(settings.FontCharset, doc);
  return settings;
}

// The characters of a text line for the given charset. Bytes that the code
// page does not define become U+FFFD, except that the undefined bytes 0x80 to
// 0x9F of a single-byte code page become the control character of the same
// number (U+0080 to U+009F), which draws nothing. SYMBOL maps byte b to
// U+F000 + b, the private-use range of symbol fonts.
std::u32string DecodeText(std::string_view bytes, uint8_t charset);
// The same, and when `starts` is given it receives for each character the
// offset in `bytes` of the first byte it was decoded from (non-decreasing;
// a character that a code page composes from several bytes starts at the
// first of them).
std::u32string DecodeText(std::string_view bytes, uint8_t charset, std::vector<uint32_t>* starts);

// File text in the system's code page as UTF-8 for messages: valid UTF-8
// stays as it is, other text is read as Windows-1252.
std::string SystemTextToUtf8(std::string_view bytes);

std::string EncodeUtf8(std::u32string_view text);

}  // namespace kestrelpix
