// The exact decimal digits against the standard library's correctly rounded to_chars, which
// the native build still has: every random bit pattern, every tie and edge must agree to the
// last character.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "actions/DecimalDigits.h"

namespace orbelle::actions {
namespace {

std::string standardScientific(double value, int significant) {
  char buffer[64];
  const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value,
                                    std::chars_format::scientific, significant - 1);
  return {buffer, result.ptr};
}

std::string standardFixed(double value, int decimals) {
  char buffer[400];  // the largest double has 309 integer digits
  const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value,
                                    std::chars_format::fixed, decimals);
  return {buffer, result.ptr};
}

// The digits in to_chars' own scientific form: "-1.25e-07".
std::string asScientificText(const ScientificDigits& s) {
  std::string text = s.negative ? "-" : "";
  text += s.digits.front();
  if (s.digits.size() > 1)
    text += "." + s.digits.substr(1);
  const int magnitude = s.exponent < 0 ? -s.exponent : s.exponent;
  text += s.exponent < 0 ? "e-" : "e+";
  text += (magnitude < 10 ? "0" : "") + std::to_string(magnitude);
  return text;
}

void expectSameAsStandard(double value) {
  for (int significant : {1, 2, 15, 17}) {
    ASSERT_EQ(asScientificText(scientificDigits(value, significant)),
              standardScientific(value, significant))
        << "significant digits " << significant << ", bits 0x" << std::hex
        << std::bit_cast<std::uint64_t>(value);
  }
  for (int decimals : {0, 6}) {
    ASSERT_EQ(fixedText(value, decimals), standardFixed(value, decimals))
        << "decimals " << decimals << ", bits 0x" << std::hex
        << std::bit_cast<std::uint64_t>(value);
  }
}

TEST(DecimalDigitsTest, RandomBitPatternsOfEveryMagnitudeMatchToChars) {
  std::mt19937_64 random(20250107);
  for (int i = 0; i < 4000; ++i) {
    const double value = std::bit_cast<double>(random());
    if (std::isfinite(value))
      expectSameAsStandard(value);
  }
}

TEST(DecimalDigitsTest, ExactTiesRoundHalfToEven) {
  // k + 1/2 and odd multiples of 2^-7 are exact in binary: their last kept digit decides.
  EXPECT_EQ(fixedText(0.5, 0), "0");
  EXPECT_EQ(fixedText(1.5, 0), "2");
  EXPECT_EQ(fixedText(2.5, 0), "2");
  EXPECT_EQ(fixedText(-2.5, 0), "-2");
  EXPECT_EQ(fixedText(0.0078125, 6), "0.007812");
  EXPECT_EQ(fixedText(0.0234375, 6), "0.023438");
  EXPECT_EQ(asScientificText(scientificDigits(125, 2)), "1.2e+02");
  EXPECT_EQ(asScientificText(scientificDigits(135, 2)), "1.4e+02");
  for (int n = 1; n <= 60; ++n) {
    for (std::int64_t k = 1; k < 100; k += 2)
      expectSameAsStandard(std::ldexp(static_cast<double>(k), -n));
  }
  for (std::int64_t k = 1; k < 500; ++k)
    expectSameAsStandard(static_cast<double>(k) + 0.5);
}

TEST(DecimalDigitsTest, EdgesOfTheRangeZerosAndCarries) {
  const std::vector<double> values = {
      0.0,
      -0.0,
      std::numeric_limits<double>::denorm_min(),
      -std::numeric_limits<double>::denorm_min(),
      std::numeric_limits<double>::min(),
      std::nextafter(std::numeric_limits<double>::min(), 0.0),  // the largest subnormal
      std::numeric_limits<double>::max(),
      -std::numeric_limits<double>::max(),
      9.5,
      99.5,
      999999.5,
      0.9999995,   // six decimals carry into the units
      -0.0000004,  // rounds to zero and keeps its sign
      std::nextafter(1e15, 0.0),
      9.9999999999999995,
      123456789012345678.0,
      0.1,
      0.2 + 0.1,
  };
  for (double value : values)
    expectSameAsStandard(value);
  for (int power = -323; power <= 308; ++power) {
    const double tenth = std::pow(10.0, power);
    expectSameAsStandard(tenth);
    expectSameAsStandard(std::nextafter(tenth, 0.0));
    expectSameAsStandard(std::nextafter(tenth, 2 * tenth));
  }
  for (int power = -1074; power <= 1023; power += 5)
    expectSameAsStandard(std::ldexp(1.0, power));
}

TEST(DecimalDigitsTest, ZeroHasAllZeroDigitsAndNoExponent) {
  const ScientificDigits zero = scientificDigits(-0.0, 3);
  EXPECT_TRUE(zero.negative);
  EXPECT_EQ(zero.digits, "000");
  EXPECT_EQ(zero.exponent, 0);
}

TEST(DecimalDigitsTest, RefusesWhatHasNoDigits) {
  EXPECT_THROW(scientificDigits(std::numeric_limits<double>::infinity(), 15),
               std::invalid_argument);
  EXPECT_THROW(fixedText(std::numeric_limits<double>::quiet_NaN(), 6), std::invalid_argument);
  EXPECT_THROW(scientificDigits(1.0, 0), std::invalid_argument);
  EXPECT_THROW(fixedText(1.0, -1), std::invalid_argument);
}

}  // namespace
}  // namespace orbelle::actions
