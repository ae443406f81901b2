// The code page of text that is not UTF-8, detected with uchardet among the
// code pages that the charset list offers. The text stays the file's bytes;
// drawing with the DEFAULT charset decodes it with the detected code page.
#include <uchardet/uchardet.h>

#include <memory>

#include "base/charset.h"
#include "subtitle/subtitle_document.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

bool IsAscii(std::string_view bytes) {
  for (unsigned char c : bytes) {
    if (c >= 0x80) return false;
  }
  return true;
}

std::string UpperName(const char* name) {
  std::string out = name != nullptr ? name : "";
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

void SubtitleDocument::DetectCodePage(std::string_view Bytes, const LoadOptions& options) {
  if (Report.TextIsUtf8 || IsAscii(Bytes) || IsValidUtf8(Bytes)) return;
  // A few megabytes tell the language as well as the whole file.
  constexpr size_t kSample = size_t{4} << 20;
  const std::string_view sample = Bytes.substr(0, kSample);
  std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
  std::string name;
  if (detector && uchardet_handle_data(detector.get(), sample.data(), sample.size()) == 0) {
    uchardet_data_end(detector.get());
    name = UpperName(uchardet_get_charset(detector.get()));
  }
  const CharsetRow* found = FindCharsetByDetectorName(name);
  if (found != nullptr) Report.DetectedCharset = found->Code();
  // A chosen charset decides alone.
  if (options.Charset != CharsetCode(CharsetId::kDefault)) return;
  if (found != nullptr) {
    Report.Notes.push_back(
        std::string("The text is not UTF-8: it is read as ") + found->PageName + " (" +
        found->ListName +
        "), the code page detected; choose another charset if letters look wrong.");
  } else {
    Report.Notes.push_back(
        "The text is not UTF-8 and its code page was not recognised: it is read as "
        "Windows-1252 (ANSI); choose the charset of its language if letters look wrong.");
  }
}

}  // namespace kestrelpix
