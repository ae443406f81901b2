#include "render/font_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "base/charset.h"

#include "support/persisted_lists.h"

namespace kestrelpix {
namespace {

TEST(FontTables, StyleNamesInListOrderWithTheirBytes) {
  const std::vector<std::string> expected = testing::PersistedList("font_styles");
  ASSERT_EQ(expected.size(), 9u);
  EXPECT_EQ(StyleNames(), expected);
  // Bit 0 bold, 1 italic, 2 underline, 3 strike-out.
  const uint8_t bytes[] = {0, 1, 2, 4, 3, 5, 7, 6, 8};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(StyleFromName(expected[i]), bytes[i]) << expected[i];
  }
}

TEST(FontTables, StyleLookupIsExactAndCaseSensitive) {
  EXPECT_EQ(StyleFromName("Bold"), 1);
  EXPECT_EQ(StyleFromName("bold"), 0);
  EXPECT_EQ(StyleFromName("BOLD"), 0);
  EXPECT_EQ(StyleFromName(" Bold"), 0);
  EXPECT_EQ(StyleFromName("Bold "), 0);
  EXPECT_EQ(StyleFromName("Bold+It"), 0);
  EXPECT_EQ(StyleFromName(""), 0);
}

// The persisted list, pinned once in a data file: "NAME CODE" a line.
std::vector<std::pair<std::string, int>> PersistedCharsets() {
  std::ifstream in(std::string(KESTRELPIX_SOURCE_DIR) + "/tests/data/charset-list.txt");
  std::vector<std::pair<std::string, int>> rows;
  std::string name;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int code = -1;
    fields >> name >> code;
    rows.emplace_back(name, code);
  }
  return rows;
}

TEST(CharsetTable, ListNamesAndCodesAreThePersistedOnes) {
  const auto persisted = PersistedCharsets();
  ASSERT_EQ(persisted.size(), 19u);
  ASSERT_EQ(CharsetTable().size(), persisted.size());
  ASSERT_EQ(CharsetNames().size(), persisted.size());
  for (size_t i = 0; i < persisted.size(); ++i) {
    const auto& [name, code] = persisted[i];
    EXPECT_EQ(CharsetTable()[i].ListName, name);
    EXPECT_EQ(CharsetTable()[i].Code(), code) << name;
    EXPECT_EQ(CharsetNames()[i], name);
    EXPECT_EQ(CharsetFromName(name), code) << name;
    ASSERT_NE(FindCharset(static_cast<uint8_t>(code)), nullptr) << name;
    EXPECT_EQ(FindCharset(static_cast<uint8_t>(code))->ListName, name);
  }
  // The window's default charset is item 4.
  EXPECT_EQ(CharsetNames()[4], "DEFAULT");
  EXPECT_EQ(CharsetCode(CharsetId::kDefault), 1);
  EXPECT_EQ(FindCharset(3), nullptr);
}

TEST(CharsetTable, EachRowNamesItsCodePageFontsAndDetectorNames) {
  struct Row {
    const char* detected;  // a detector name
    const char* list;      // the row it picks
    const char* iconv;
    const char* language;  // fontconfig, "" for none
  };
  for (const Row& r :
       {Row{"ISO-8859-1", "ANSI", "CP1252", ""}, Row{"ISO-8859-2", "EASTEUROPE", "CP1250", "pl"},
        Row{"WINDOWS-1251", "RUSSIAN", "CP1251", "ru"}, Row{"GB18030", "GB2312", "CP936", "zh-cn"},
        Row{"UHC", "HANGEUL", "CP949", "ko"}, Row{"JOHAB", "JOHAB", "CP1361", "ko"},
        Row{"TIS-620", "THAI", "CP874", "th"}, Row{"SHIFT_JIS", "SHIFTJIS", "CP932", "ja"}}) {
    const CharsetRow* row = FindCharsetByDetectorName(r.detected);
    ASSERT_NE(row, nullptr) << r.detected;
    EXPECT_STREQ(row->ListName, r.list);
    EXPECT_STREQ(row->IconvName, r.iconv);
    EXPECT_STREQ(row->FontLanguage ? row->FontLanguage : "", r.language);
  }
  EXPECT_EQ(FindCharsetByDetectorName("UTF-8"), nullptr);
  EXPECT_EQ(FindCharsetByDetectorName("windows-1251"), nullptr);  // upper case only
  EXPECT_STREQ(FindCharset(77)->IconvName, "MACINTOSH");
  EXPECT_EQ(FindCharset(1)->IconvName, nullptr);
  EXPECT_EQ(FindCharset(2)->IconvName, nullptr);
  // Every row the detector can pick has a page name for the load note.
  for (const CharsetRow& row : CharsetTable()) {
    if (row.DetectorNames[0] != nullptr) {
      EXPECT_NE(row.PageName, nullptr) << row.ListName;
    }
  }
}

TEST(FontTables, UnknownCharsetNameIsDefault) {
  EXPECT_EQ(CharsetFromName(""), 1);
  EXPECT_EQ(CharsetFromName("default"), 1);
  EXPECT_EQ(CharsetFromName("russian"), 1);
  EXPECT_EQ(CharsetFromName("RUSSIAN "), 1);
  EXPECT_EQ(FindCharsetByListName("russian"), nullptr);
}

TEST(FontTables, FontSizesSixToThirtyThenEvenToFifty) {
  const std::vector<std::string>& sizes = FontSizeNames();
  EXPECT_EQ(sizes, testing::PersistedList("font_sizes"));
  ASSERT_EQ(sizes.size(), 35u);
  EXPECT_EQ(sizes.front(), "6");
  EXPECT_EQ(sizes[24], "30");
  EXPECT_EQ(sizes[25], "32");
  EXPECT_EQ(sizes.back(), "50");
  // The window's default size 20 is item 14.
  EXPECT_EQ(sizes[14], "20");
  EXPECT_EQ(std::count(sizes.begin(), sizes.end(), "31"), 0);
}

TEST(FontTables, FontListStartsWithArialThenSortedUniqueFamilies) {
  std::vector<std::string> fonts = FontList();
  ASSERT_GE(fonts.size(), 3u);
  EXPECT_EQ(fonts[0], "Arial");
  // The project's fonts are installed (scripts/install-deps.sh).
  EXPECT_NE(std::find(fonts.begin() + 1, fonts.end(), "Liberation Sans"), fonts.end());
  EXPECT_NE(std::find(fonts.begin() + 1, fonts.end(), "DejaVu Sans"), fonts.end());
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (size_t i = 2; i < fonts.size(); ++i) {
    EXPECT_LE(lower(fonts[i - 1]), lower(fonts[i])) << fonts[i - 1] << " / " << fonts[i];
    EXPECT_NE(fonts[i - 1], fonts[i]);
  }
  // "DejaVu Sans Condensed" fonts name "DejaVu Sans" first: one entry only.
  EXPECT_EQ(std::count(fonts.begin(), fonts.end(), "DejaVu Sans"), 1);
  // The same list on every call, so list positions are stable.
  EXPECT_EQ(FontList(), fonts);
}

}  // namespace
}  // namespace kestrelpix
