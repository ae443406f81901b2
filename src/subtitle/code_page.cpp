// The code page of text that is not UTF-8, detected with uchardet among the
// code pages that the charset list offers. The text stays the file's bytes;
// drawing with the DEFAULT charset decodes it with the detected code page.
#include <uchardet/uchardet.h>

#include <memory>

#include "subtitle/subtitle_document.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

struct DetectedPage {
  const char* detectorName;  // as uchardet names it, upper case
  uint8_t charset;
  const char* shownName;
};

// ISO 8859 parts map to the Windows code page of their language, which
// holds the same letters at most places.
constexpr DetectedPage kPages[] = {
    {"WINDOWS-1252", 0, "Windows-1252 (ANSI)"},
    {"ISO-8859-1", 0, "Windows-1252 (ANSI)"},
    {"ISO-8859-15", 0, "Windows-1252 (ANSI)"},
    {"WINDOWS-1256", 178, "Windows-1256 (ARABIC)"},
    {"ISO-8859-6", 178, "Windows-1256 (ARABIC)"},
    {"WINDOWS-1257", 186, "Windows-1257 (BALTIC)"},
    {"ISO-8859-13", 186, "Windows-1257 (BALTIC)"},
    {"BIG5", 136, "Big5 (CHINESEBIG5)"},
    {"WINDOWS-1250", 238, "Windows-1250 (EASTEUROPE)"},
    {"ISO-8859-2", 238, "Windows-1250 (EASTEUROPE)"},
    {"GB18030", 134, "GBK (GB2312)"},
    {"GB2312", 134, "GBK (GB2312)"},
    {"WINDOWS-1253", 161, "Windows-1253 (GREEK)"},
    {"ISO-8859-7", 161, "Windows-1253 (GREEK)"},
    {"EUC-KR", 129, "Windows-949 (HANGEUL)"},
    {"UHC", 129, "Windows-949 (HANGEUL)"},
    {"WINDOWS-1255", 177, "Windows-1255 (HEBREW)"},
    {"ISO-8859-8", 177, "Windows-1255 (HEBREW)"},
    {"JOHAB", 130, "Johab (JOHAB)"},
    {"WINDOWS-1251", 204, "Windows-1251 (RUSSIAN)"},
    {"SHIFT_JIS", 128, "Shift-JIS (SHIFTJIS)"},
    {"TIS-620", 222, "Windows-874 (THAI)"},
    {"WINDOWS-874", 222, "Windows-874 (THAI)"},
    {"ISO-8859-11", 222, "Windows-874 (THAI)"},
    {"WINDOWS-1254", 162, "Windows-1254 (TURKISH)"},
    {"ISO-8859-9", 162, "Windows-1254 (TURKISH)"},
    {"WINDOWS-1258", 163, "Windows-1258 (VIETNAMESE)"},
};

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
  if (TextIsUtf8 || IsAscii(Bytes) || IsValidUtf8(Bytes)) return;
  // A few megabytes tell the language as well as the whole file.
  constexpr size_t kSample = size_t{4} << 20;
  const std::string_view sample = Bytes.substr(0, kSample);
  std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
  std::string name;
  if (detector && uchardet_handle_data(detector.get(), sample.data(), sample.size()) == 0) {
    uchardet_data_end(detector.get());
    name = UpperName(uchardet_get_charset(detector.get()));
  }
  const DetectedPage* found = nullptr;
  for (const DetectedPage& page : kPages) {
    if (name == page.detectorName) found = &page;
  }
  if (found != nullptr) DetectedCharset = found->charset;
  if (options.Charset != 1) return;  // a chosen charset decides alone
  if (found != nullptr) {
    notes_.push_back(std::string("The text is not UTF-8: it is read as ") + found->shownName +
                     ", the code page detected; choose another charset if letters look wrong.");
  } else {
    notes_.push_back(
        "The text is not UTF-8 and its code page was not recognised: it is read as "
        "Windows-1252 (ANSI); choose the charset of its language if letters look wrong.");
  }
}

}  // namespace kestrelpix
