// How stored values are spelt: integers, texts, Booleans and colours.
#include "app/settings_values.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/ini_file.h"
#include "base/system_colors.h"
#include "support/persisted_lists.h"

namespace kestrelpix {
namespace {

using testing::PersistedColor;
using testing::PersistedSettingsColors;

TEST(SettingsValues, Integers) {
  EXPECT_EQ(EncodeInteger(0), "0");
  EXPECT_EQ(EncodeInteger(-4), "-4");
  EXPECT_EQ(EncodeInteger(492), "492");
  EXPECT_EQ(EncodeInteger(INT32_MIN), "-2147483648");

  const struct {
    const char* text;
    int32_t value;
  } good[] = {{"0", 0},
              {"41", 41},
              {"-14", -14},
              {"+7", 7},
              {"$1E", 30},
              {"$1e", 30},
              {"-$10", -16},
              {"0x1F", 31},
              {"", 0},
              {"007", 7},
              {"$FFFFFFFF", -1},
              {"2147483647", INT32_MAX},
              {"-2147483648", INT32_MIN}};
  for (const auto& c : good) {
    int32_t v = 12345;
    EXPECT_TRUE(DecodeInteger(c.text, v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  for (const char* bad :
       {"twenty", "1.5", "12abc", "$", "-", "$G", "2147483648", "1e3", "$100000000", "1 2"}) {
    int32_t v = 0;
    EXPECT_FALSE(DecodeInteger(bad, v)) << bad;
  }
}

TEST(SettingsValues, Texts) {
  std::string v;
  EXPECT_EQ(EncodeText("C:\\a b\\c=d.bmp"), "C:\\a b\\c=d.bmp");
  EXPECT_TRUE(DecodeText("/home/ana/x.bmp", v));
  EXPECT_EQ(v, "/home/ana/x.bmp");
  EXPECT_TRUE(DecodeText("", v));
  EXPECT_EQ(v, "");
}

TEST(SettingsValues, Booleans) {
  EXPECT_EQ(EncodeBoolean(true), "TRUE");
  EXPECT_EQ(EncodeBoolean(false), "FALSE");
  for (const char* yes : {"TRUE", "true", "True", "YES", "yes", "Y", "y", "1", "-1", "$10", "7"}) {
    bool v = false;
    EXPECT_TRUE(DecodeBoolean(yes, v)) << yes;
    EXPECT_TRUE(v) << yes;
  }
  for (const char* no : {"FALSE", "false", "NO", "No", "N", "n", "0", "$0", ""}) {
    bool v = true;
    EXPECT_TRUE(DecodeBoolean(no, v)) << no;
    EXPECT_FALSE(v) << no;
  }
  for (const char* bad : {"maybe", "yess", "T", "F", "on", "1.0"}) {
    bool v = false;
    EXPECT_FALSE(DecodeBoolean(bad, v)) << bad;
  }
}

TEST(SettingsValues, ColoursByNameOrSignedDecimal) {
  EXPECT_EQ(EncodeColor(0xFFFFFF), "clWhite");
  EXPECT_EQ(EncodeColor(0x808080), "clGray");
  EXPECT_EQ(EncodeColor(0x000000), "clBlack");
  // Orange: red 255, green 128, blue 0 -> 0x000080FF = 128 * 256 + 255.
  EXPECT_EQ(EncodeColor(0x000080FF), "33023");
  EXPECT_EQ(EncodeColor(0x80000019), "-2147483623");  // system index 25 has no name
  EXPECT_EQ(EncodeColor(0xFFFFFFFF), "-1");
  EXPECT_EQ(EncodeColor(0x80000000), "clScrollBar");
  EXPECT_EQ(EncodeColor(0x8000001E), "clMenuBar");
  EXPECT_EQ(EncodeColor(0x8000001A), "clHotLight");
  EXPECT_EQ(EncodeColor(0x1FFFFFFF), "clNone");
  EXPECT_EQ(EncodeColor(0x20000000), "clDefault");
  EXPECT_EQ(EncodeColor(0xF0CAA6), "clSkyBlue");

  const struct {
    const char* text;
    ColorValue value;
  } reads[] = {{"clWhite", 0xFFFFFF},        {"clwhite", 0xFFFFFF},       {"CLWHITE", 0xFFFFFF},
               {"33023", 0x000080FF},        {"$0080FF", 0x000080FF},     {"-1", 0xFFFFFFFF},
               {"clbtnface", 0x8000000F},    {"-2147483633", 0x8000000F}, {"", 0},
               {"cl3ddkshadow", 0x80000015}, {"16777215", 0xFFFFFF}};
  for (const auto& c : reads) {
    ColorValue v = 0x12345678;
    EXPECT_TRUE(DecodeColor(c.text, v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  for (const char* bad : {"clOrange", "white", "#FFFFFF", "cl White", "255,128,0"}) {
    ColorValue v = 0;
    EXPECT_FALSE(DecodeColor(bad, v)) << bad;
  }
}

TEST(SettingsValues, NamedColourTableRoundTrips) {
  // 16 standard + 4 extra colours, clNone, clDefault, and system colours
  // 0..24 and 26..30.
  const std::vector<PersistedColor> named = PersistedSettingsColors();
  ASSERT_EQ(named.size(), 16u + 4u + 2u + 25u + 5u);
  std::set<ColorValue> values;
  std::set<std::string> lower_names;
  for (const PersistedColor& c : named) {
    values.insert(c.value);
    std::string lower(c.name);
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    lower_names.insert(lower);

    EXPECT_EQ(EncodeColor(c.value), c.name);
    ColorValue v = 0;
    ASSERT_TRUE(DecodeColor(c.name, v)) << c.name;
    EXPECT_EQ(v, c.value) << c.name;
    ASSERT_TRUE(DecodeColor(lower, v)) << lower;
    EXPECT_EQ(v, c.value) << lower;
    // The number form of a named colour reads back to the same colour.
    ASSERT_TRUE(DecodeColor(std::to_string(static_cast<int32_t>(c.value)), v));
    EXPECT_EQ(v, c.value) << c.name;
  }
  EXPECT_EQ(values.size(), named.size());
  EXPECT_EQ(lower_names.size(), named.size());
  for (int index = 0; index <= 30; ++index) {
    EXPECT_EQ(values.count(SystemColor(index)), index == 25 ? 0u : 1u) << index;
  }
  // Unnamed values round-trip through their decimal form.
  for (ColorValue v : {0x000080FFu, 0x00FEFEFEu, 0x7FFFFFFFu, 0x80000040u, 0xFFFFFFFFu, 1u}) {
    ColorValue back = 0;
    ASSERT_TRUE(DecodeColor(EncodeColor(v), back));
    EXPECT_EQ(back, v);
  }
}

}  // namespace
}  // namespace kestrelpix
