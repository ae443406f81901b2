// The lists of the settings controls are the persisted ones, entry for entry
// and in order: the settings file and batch lines keep positions in them.
#include "app/control_lists.h"

#include <gtest/gtest.h>

#include "support/persisted_lists.h"

namespace kestrelpix {
namespace {

using testing::PersistedList;

TEST(ControlLists, ListsAndDefaultsAreThePersistedOnes) {
  const std::vector<std::string> languages = PersistedList("languages");
  ASSERT_EQ(languages.size(), 136u);
  EXPECT_EQ(LanguageList(), languages);
  EXPECT_EQ(FpsList(), PersistedList("fps"));
  EXPECT_EQ(AlignList(), PersistedList("aligns"));
  EXPECT_EQ(OutlineWidthList(), PersistedList("outline_widths"));
  EXPECT_EQ(languages[kDefaultLanguageIndex], "el GREEK");
  EXPECT_EQ(PersistedList("fps")[kDefaultFpsIndex], "25.000");
  EXPECT_EQ(PersistedList("aligns")[kDefaultAlignIndex], "center");
  EXPECT_EQ(PersistedList("outline_widths")[kDefaultOutlineIndex], "3");
  EXPECT_EQ(PersistedList("font_sizes")[kDefaultFontSizeIndex], "20");
  EXPECT_EQ(PersistedList("font_styles")[kDefaultStyleIndex], "Normal");
}

}  // namespace
}  // namespace kestrelpix
