// The charsets of the font charset list: one row per charset with every
// name it goes by. The list names and numeric codes are what settings files,
// batch lines and the command line store; the rest says how text in the
// charset is decoded, which fonts suit it, and which detector names mean it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrelpix {

// Each enumerator's value is the charset's numeric code.
enum class CharsetId : uint8_t {
  kAnsi = 0,
  kDefault = 1,
  kSymbol = 2,
  kMac = 77,
  kShiftJis = 128,
  kHangeul = 129,
  kJohab = 130,
  kGb2312 = 134,
  kChineseBig5 = 136,
  kGreek = 161,
  kTurkish = 162,
  kVietnamese = 163,
  kHebrew = 177,
  kArabic = 178,
  kBaltic = 186,
  kRussian = 204,
  kThai = 222,
  kEastEurope = 238,
  kOem = 255,
};

constexpr uint8_t CharsetCode(CharsetId id) { return static_cast<uint8_t>(id); }

struct CharsetRow {
  CharsetId Id;
  // As the charset list shows it ("EASTEUROPE").
  const char* ListName;
  // The iconv name of its code page; null for DEFAULT and SYMBOL, which
  // are decoded by rules of their own.
  const char* IconvName;
  bool SingleByte;
  // The code page as load notes name it ("Windows-1250"); null where the
  // detector never names it.
  const char* PageName;
  // The fontconfig language whose fonts suit the charset; null for none.
  const char* FontLanguage;
  // The names the detector (uchardet) gives text in the code page, upper
  // case; a language's ISO 8859 part counts as its Windows code page, which
  // holds the same letters at most places. Unused places are null.
  std::array<const char*, 3> DetectorNames;

  uint8_t Code() const { return CharsetCode(Id); }
};

// The rows in list order: position k is item k of the charset list.
const std::array<CharsetRow, 19>& CharsetTable();

// Lookups; null when no row matches. Names compare exactly, case-sensitive.
const CharsetRow* FindCharset(uint8_t code);
const CharsetRow* FindCharsetByListName(std::string_view name);
const CharsetRow* FindCharsetByDetectorName(std::string_view name);

}  // namespace kestrelpix
