#include "base/number_text.h"

#include <gtest/gtest.h>

#include <clocale>

#include "base/errors.h"

namespace kestrelpix {
namespace {

TEST(StrToInt, AcceptsDecimalHexSignAndLeadingBlanks) {
  EXPECT_EQ(StrToInt("0"), 0);
  EXPECT_EQ(StrToInt("07"), 7);
  EXPECT_EQ(StrToInt("-12"), -12);
  EXPECT_EQ(StrToInt("+12"), 12);
  EXPECT_EQ(StrToInt(" 5"), 5);
  EXPECT_EQ(StrToInt("$1E"), 30);
  EXPECT_EQ(StrToInt("0x1e"), 30);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(TryStrToInt("$FFFFFFFF"), std::optional<int32_t>(-1));
}

TEST(StrToInt, RefusesWithTheUserFacingText) {
  for (const char* bad : {"", " ", "1 ", "1a", "a1", "2147483648", "-2147483649", "1.5", "$", "-",
                          "$1FFFFFFFF", "0x", "-$80000000"}) {
    EXPECT_EQ(TryStrToInt(bad), std::nullopt) << bad;
    try {
      StrToInt(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const ConvertError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

TEST(TryDecimalStrToInt, TakesOnlySignAndDecimalDigits) {
  int32_t value = 99;
  EXPECT_TRUE(TryDecimalStrToInt("-12", value));
  EXPECT_EQ(value, -12);
  EXPECT_TRUE(TryDecimalStrToInt("+07", value));
  EXPECT_EQ(value, 7);
  EXPECT_TRUE(TryDecimalStrToInt("-2147483648", value));
  EXPECT_EQ(value, INT32_MIN);
  EXPECT_TRUE(TryDecimalStrToInt("2147483647", value));
  EXPECT_EQ(value, INT32_MAX);
  // What StrToInt takes beyond plain decimals is refused here.
  for (const char* bad : {"", "-", "+", " 5", "5 ", "$1E", "0x1e", "-0x1", "1a", "+-5",
                          "2147483648", "-2147483649"}) {
    value = 99;
    EXPECT_FALSE(TryDecimalStrToInt(bad, value)) << "accepted '" << bad << "'";
    EXPECT_EQ(value, 99) << bad;
  }
}

TEST(StrToFloat, ReadsDotDecimalsWhateverTheLocale) {
  // A locale with a decimal comma must not change the reading, if the
  // machine has one.
  const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  EXPECT_DOUBLE_EQ(StrToFloat("25.000"), 25.0);
  EXPECT_DOUBLE_EQ(StrToFloat(" 23.976 "), 23.976);
  EXPECT_DOUBLE_EQ(StrToFloat("+1e1"), 10.0);
  EXPECT_DOUBLE_EQ(StrToFloat("-.5"), -0.5);
  if (switched) std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(TryStrToFloat(" 23.976 "), 23.976);
  for (const char* bad : {"", "  ", "25,000", "1,000.5", "inf", "nan", "1e999", "25.000fps", "."}) {
    EXPECT_FALSE(TryStrToFloat(bad).has_value()) << bad;
    try {
      StrToFloat(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const ConvertError& e) {
      EXPECT_EQ(std::string(e.what()),
                "'" + std::string(bad) + "' is not a valid floating point value");
    }
  }
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(62.5), 62);
  EXPECT_EQ(RoundHalfEven(187.5), 188);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(41.7), 42);
}

TEST(FileErrors, MapErrnoToTheThreeTexts) {
  EXPECT_STREQ(FileErrorFromErrno(ENOENT).what(), "File not found");
  EXPECT_STREQ(FileErrorFromErrno(EACCES).what(), "File access denied");
  EXPECT_STREQ(FileErrorFromErrno(EISDIR).what(), "I/O error 21");
}

}  // namespace
}  // namespace kestrelpix
