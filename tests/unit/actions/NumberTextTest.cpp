#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string>

#include "actions/NumberText.h"
#include "tests/support/CallLog.h"
#include "tests/support/CommaLocale.h"

namespace orbelle::actions {
namespace {

struct Case {
  double value;
  const wchar_t* text;
};

TEST(NumberTextTest, GeneralFormatWithFifteenSignificantDigits) {
  const double below1e15 = std::nextafter(1e15, 0.0);   // 999999999999999.875
  const double below1e4 = std::nextafter(0.0001, 0.0);  // 9.999999999999999E-5
  const Case cases[] = {
      {0, L"0"},
      {-0.0, L"0"},
      {100, L"100"},
      {-12.5, L"-12.5"},
      {0.25, L"0.25"},
      {1234.5, L"1234.5"},  // no digit grouping
      {0.1 + 0.2, L"0.3"},  // 0.30000000000000004, rounded at the 15th digit
      {1.23456789012345678, L"1.23456789012346"},
      {123456789012345.6, L"123456789012346"},
      {12345678901234.56, L"12345678901234.6"},
      {1e14, L"100000000000000"},
      {999999999999999, L"999999999999999"},
      {below1e15, L"1E15"},  // rounds up to 10^15, so exponent form
      {1e15, L"1E15"},
      {2.5e15, L"2.5E15"},
      {-2.5e15, L"-2.5E15"},
      {1e100, L"1E100"},
      {std::numeric_limits<double>::max(), L"1.79769313486232E308"},
      {0.0001, L"0.0001"},
      {below1e4, L"0.0001"},  // rounds up to 0.0001, so fixed form
      {-0.00012, L"-0.00012"},
      {0.000099999, L"9.9999E-5"},
      {1e-5, L"1E-5"},
      {-1.5e-7, L"-1.5E-7"},
      {std::numeric_limits<double>::denorm_min(), L"4.94065645841247E-324"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(generalNumberText(c.value), c.text) << fake::printable(fake::number(c.value));
  }
}

TEST(NumberTextTest, PointsAndSixDecimals) {
  EXPECT_EQ(pointText(100, 50), L"100,50");
  EXPECT_EQ(pointText(-12.5, 0.25), L"-12.5,0.25");
  EXPECT_EQ(pointText(1e-5, 3), L"1E-5,3");

  const Case cases[] = {
      {12.5, L"12.500000"},     {-3, L"-3.000000"},
      {0, L"0.000000"},         {1234567.1234567, L"1234567.123457"},
      {0.0000015, L"0.000002"}, {1e20, L"100000000000000000000.000000"},
      {-2.5e-7, L"-0.000000"},  // as "%.6f" writes it; the host reads it as 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fixedSixText(c.value), c.text) << fake::printable(fake::number(c.value));
  }
  EXPECT_EQ(fixedSixText(-std::numeric_limits<double>::max()).size(), 1 + 309 + 7u);
}

// The command line would take "NAN" or "INF" as a word: such a number is refused.
TEST(NumberTextTest, NumbersThatAreNotFiniteAreRefused) {
  for (double value :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW(generalNumberText(value), std::domain_error);
    EXPECT_THROW(fixedSixText(value), std::domain_error);
    EXPECT_THROW(pointText(1, value), std::domain_error);
  }
}

TEST(NumberTextTest, TheDecimalPointIsADotUnderACommaLocale) {
  fake::CommaLocale comma;
  if (!comma.active())
    GTEST_SKIP() << fake::CommaLocale::missingMessage();
  char written[16];
  std::snprintf(written, sizeof written, "%.1f", 0.5);
  ASSERT_STREQ(written, "0,5") << "the locale " << comma.name() << " did not take effect";

  EXPECT_EQ(pointText(100.5, 50), L"100.5,50");
  EXPECT_EQ(generalNumberText(1234567.25), L"1234567.25");
  EXPECT_EQ(generalNumberText(-2.5e-7), L"-2.5E-7");
  EXPECT_EQ(fixedSixText(-3), L"-3.000000");
  EXPECT_EQ(fixedSixText(1234567.5), L"1234567.500000");
}

}  // namespace
}  // namespace orbelle::actions
