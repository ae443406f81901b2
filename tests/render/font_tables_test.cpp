#include "render/font_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

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

TEST(FontTables, CharsetNamesInListOrderWithTheirCodes) {
  const std::vector<std::pair<std::string, int>> table = {
      {"ANSI", 0},      {"ARABIC", 178},     {"BALTIC", 186},    {"CHINESEBIG5", 136},
      {"DEFAULT", 1},   {"EASTEUROPE", 238}, {"GB2312", 134},    {"GREEK", 161},
      {"HANGEUL", 129}, {"HEBREW", 177},     {"JOHAB", 130},     {"MAC", 77},
      {"OEM", 255},     {"RUSSIAN", 204},    {"SHIFTJIS", 128},  {"SYMBOL", 2},
      {"THAI", 222},    {"TURKISH", 162},    {"VIETNAMESE", 163}};
  ASSERT_EQ(CharsetNames().size(), table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(CharsetNames()[i], table[i].first);
    EXPECT_EQ(CharsetFromName(table[i].first), table[i].second) << table[i].first;
    EXPECT_EQ(CharsetName(static_cast<uint8_t>(table[i].second)), table[i].first);
  }
  // The window's default charset is item 4.
  EXPECT_EQ(CharsetNames()[4], "DEFAULT");
}

TEST(FontTables, UnknownCharsetNameIsDefault) {
  EXPECT_EQ(CharsetFromName(""), 1);
  EXPECT_EQ(CharsetFromName("default"), 1);
  EXPECT_EQ(CharsetFromName("russian"), 1);
  EXPECT_EQ(CharsetFromName("RUSSIAN "), 1);
  EXPECT_EQ(CharsetName(3), "");
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
