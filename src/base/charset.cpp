#include "base/charset.h"

namespace kestrelpix {

namespace {

using C = CharsetId;

constexpr std::array<CharsetRow, 19> kRows = {{
    {C::kAnsi,
     "ANSI",
     "CP1252",
     true,
     "Windows-1252",
     nullptr,
     {"WINDOWS-1252", "ISO-8859-1", "ISO-8859-15"}},
    {C::kArabic, "ARABIC", "CP1256", true, "Windows-1256", "ar", {"WINDOWS-1256", "ISO-8859-6"}},
    {C::kBaltic, "BALTIC", "CP1257", true, "Windows-1257", "lt", {"WINDOWS-1257", "ISO-8859-13"}},
    {C::kChineseBig5, "CHINESEBIG5", "CP950", false, "Big5", "zh-tw", {"BIG5"}},
    {C::kDefault, "DEFAULT", nullptr, false, nullptr, nullptr, {}},
    {C::kEastEurope,
     "EASTEUROPE",
     "CP1250",
     true,
     "Windows-1250",
     "pl",
     {"WINDOWS-1250", "ISO-8859-2"}},
    {C::kGb2312, "GB2312", "CP936", false, "GBK", "zh-cn", {"GB18030", "GB2312"}},
    {C::kGreek, "GREEK", "CP1253", true, "Windows-1253", "el", {"WINDOWS-1253", "ISO-8859-7"}},
    {C::kHangeul, "HANGEUL", "CP949", false, "Windows-949", "ko", {"EUC-KR", "UHC"}},
    {C::kHebrew, "HEBREW", "CP1255", true, "Windows-1255", "he", {"WINDOWS-1255", "ISO-8859-8"}},
    {C::kJohab, "JOHAB", "CP1361", false, "Johab", "ko", {"JOHAB"}},
    {C::kMac, "MAC", "MACINTOSH", true, nullptr, nullptr, {}},
    {C::kOem, "OEM", "CP437", true, nullptr, nullptr, {}},
    {C::kRussian, "RUSSIAN", "CP1251", true, "Windows-1251", "ru", {"WINDOWS-1251"}},
    {C::kShiftJis, "SHIFTJIS", "CP932", false, "Shift-JIS", "ja", {"SHIFT_JIS"}},
    {C::kSymbol, "SYMBOL", nullptr, false, nullptr, nullptr, {}},
    {C::kThai,
     "THAI",
     "CP874",
     true,
     "Windows-874",
     "th",
     {"TIS-620", "WINDOWS-874", "ISO-8859-11"}},
    {C::kTurkish, "TURKISH", "CP1254", true, "Windows-1254", "tr", {"WINDOWS-1254", "ISO-8859-9"}},
    {C::kVietnamese, "VIETNAMESE", "CP1258", true, "Windows-1258", "vi", {"WINDOWS-1258"}},
}};

}  // namespace

const std::array<CharsetRow, 19>& CharsetTable() { return kRows; }

const CharsetRow* FindCharset(uint8_t code) {
  for (const CharsetRow& row : kRows) {
    if (row.Code() == code) return &row;
  }
  return nullptr;
}

const CharsetRow* FindCharsetByListName(std::string_view name) {
  for (const CharsetRow& row : kRows) {
    if (name == row.ListName) return &row;
  }
  return nullptr;
}

const CharsetRow* FindCharsetByDetectorName(std::string_view name) {
  for (const CharsetRow& row : kRows) {
    for (const char* detected : row.DetectorNames) {
      if (detected != nullptr && name == detected) return &row;
    }
  }
  return nullptr;
}

}  // namespace kestrelpix
