#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "actions/ExactValues.h"
#include "actions/ExtendedProduct.h"
#include "actions/NumberText.h"

namespace orbelle::actions {
namespace {

// The reference: this platform's own x87 extended arithmetic. The code under test never uses
// long double, because MSVC's is a plain double.
constexpr bool kLongDoubleIsExtended = std::numeric_limits<long double>::digits == 64;
#define REQUIRE_X87()                                                                \
  if (!kLongDoubleIsExtended)                                                        \
  GTEST_SKIP() << "long double is not x87 extended here; the bit-for-bit reference " \
                  "needs a Linux x86_64 build"

const long double kPi = std::numbers::pi_v<long double>;
const long double kRadiansPerDegree = kPi / 180;
const long double kDegreesPerRadian = 180 / kPi;
const long double kTextHeightFactor = std::cos(static_cast<long double>(kText30Degrees));

std::uint64_t bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

double x87Product(double value, long double factor) {
  const volatile long double product = static_cast<long double>(value) * factor;
  return static_cast<double>(product);
}

// The low 11 of the 64 mantissa bits of an extended product: 0x400 is a tie for the double.
bool isDoubleRoundingTie(double value, long double factor) {
  const volatile long double product = static_cast<long double>(value) * factor;
  const long double copy = product;
  std::uint64_t mantissa;
  std::memcpy(&mantissa, &copy, sizeof mantissa);
  return std::fpclassify(static_cast<double>(product)) == FP_NORMAL && (mantissa & 0x7FF) == 0x400;
}

struct Conversion {
  const char* name;
  long double factor;
  std::function<double(double)> convert;
};

std::vector<Conversion> conversions() {
  return {{"degrees to radians", kRadiansPerDegree, radiansFromDegrees},
          {"radians to degrees", kDegreesPerRadian, degreesFromRadians},
          {"text height", kTextHeightFactor, scaledTextHeight}};
}

void expectSameBits(const Conversion& conversion, double input, int& mismatches) {
  const double expected = x87Product(input, conversion.factor);
  const double actual = conversion.convert(input);
  if (bits(actual) != bits(expected) && ++mismatches <= 5) {
    ADD_FAILURE() << conversion.name << " of " << std::hexfloat << input << ": got " << actual
                  << ", the x87 gives " << expected << std::defaultfloat;
  }
}

TEST(ExactValuesTest, ConstantsAreTheExtendedValuesRoundedOnce) {
  REQUIRE_X87();
  EXPECT_EQ(kQuarterPi, static_cast<double>(kPi / 4));
  EXPECT_EQ(kThirdPi, static_cast<double>(kPi / 3));
  EXPECT_EQ(kIsoScaleX, static_cast<double>(std::sqrt(3.0L) / std::sqrt(2.0L)));
  EXPECT_EQ(kIsoScaleY, static_cast<double>(1 / std::sqrt(2.0L)));
  EXPECT_EQ(kText30Degrees, static_cast<double>(static_cast<float>(kPi / 6)));
  EXPECT_EQ(kText330Degrees, static_cast<double>(static_cast<float>(11 * kPi / 6)));
  EXPECT_EQ(kTextWidthFactor, static_cast<double>(1 / kTextHeightFactor));
  // The extended cosine, correctly rounded (checked against a 400-bit evaluation).
  EXPECT_EQ(kTextHeightFactor, 0xDDB3D7237832E30Fp-64L);
}

TEST(ExactValuesTest, TheValuesAsPrintedInTheBehaviour) {
  EXPECT_EQ(radiansFromDegrees(30), 0.5235987755982989);
  EXPECT_NE(radiansFromDegrees(30), 30 * (std::numbers::pi / 180));  // 0.5235987755982988
  EXPECT_EQ(radiansFromDegrees(90), 1.5707963267948966);
  EXPECT_EQ(radiansFromDegrees(-30), -0.5235987755982989);
  EXPECT_EQ(bits(radiansFromDegrees(0)), bits(0.0));

  EXPECT_EQ(kText30Degrees, 0.52359879016876220703125);
  EXPECT_EQ(kText330Degrees, 5.759586334228515625);
  EXPECT_EQ(kTextWidthFactor, 1.154700548092894);
  EXPECT_NE(kTextWidthFactor, 2 / std::sqrt(3.0));
  EXPECT_EQ(scaledTextHeight(1), 0.8660253964992069);  // 0.86602539649920688... rounded
  EXPECT_NE(scaledTextHeight(1), std::sqrt(3.0) / 2);

  EXPECT_EQ(generalNumberText(degreesFromRadians(kQuarterPi)), L"45");
  EXPECT_EQ(generalNumberText(degreesFromRadians(-kQuarterPi)), L"-45");
  EXPECT_EQ(generalNumberText(degreesFromRadians(kThirdPi)), L"60");
  EXPECT_EQ(generalNumberText(degreesFromRadians(-kThirdPi)), L"-60");
  EXPECT_EQ(generalNumberText(degreesFromRadians(0)), L"0");
  EXPECT_EQ(generalNumberText(kIsoScaleX), L"1.22474487139159");
  EXPECT_EQ(generalNumberText(kIsoScaleY), L"0.707106781186548");
}

TEST(ExactValuesTest, ProductsMatchTheX87ForRandomAndOrdinaryInputs) {
  REQUIRE_X87();
  std::mt19937_64 random(20250107);
  std::uniform_real_distribution<double> angle(-720, 720);
  std::uniform_real_distribution<double> height(0.001, 1000);
  for (const Conversion& conversion : conversions()) {
    SCOPED_TRACE(conversion.name);
    int mismatches = 0;
    int ties = 0;
    int extendedMatters = 0;
    for (int i = 0; i < 200'000; ++i) {
      for (double input : {std::bit_cast<double>(random()), angle(random), height(random),
                           static_cast<double>(static_cast<int>(random() % 721) - 360)}) {
        expectSameBits(conversion, input, mismatches);
        ties += isDoubleRoundingTie(input, conversion.factor) ? 1 : 0;
        const double plain = input * static_cast<double>(conversion.factor);
        extendedMatters += std::isfinite(input) && plain != conversion.convert(input) ? 1 : 0;
      }
    }
    EXPECT_EQ(mismatches, 0);
    // The draw did reach the cases the emulation exists for.
    EXPECT_GT(ties, 100);
    EXPECT_GT(extendedMatters, 1000);
  }
}

TEST(ExactValuesTest, FactorsWithShortMantissasMatchTheX87WhereTiesAreCommon) {
  REQUIRE_X87();
  // A factor of 12 to 20 significant bits leaves the exact product only a few bits over 64, so
  // the first rounding meets ties often, and the second one meets its double-rounding cases.
  __extension__ using UInt128 = unsigned __int128;
  std::mt19937_64 random(3);
  int mismatches = 0;
  int firstTies = 0;
  for (int length = 12; length <= 20; ++length) {
    for (int draw = 0; draw < 20; ++draw) {
      const std::uint64_t odd =
          (random() >> (64 - length)) | (std::uint64_t{1} << (length - 1)) | 1;
      const Extended factor{odd << (64 - length), -63 + static_cast<int>(random() % 20) - 10};
      const long double reference =
          std::ldexp(static_cast<long double>(factor.mantissa), factor.exponent);
      for (int i = 0; i < 2000; ++i) {
        const double input = std::ldexp(1.0 + static_cast<double>(random() >> 12) * 0x1p-52,
                                        static_cast<int>(random() % 2200) - 1100);
        const double expected = x87Product(input, reference);
        const double actual = multiplyRounded(input, factor);
        if (bits(actual) != bits(expected) && ++mismatches <= 5) {
          ADD_FAILURE() << std::hexfloat << input << " times " << reference << ": got " << actual
                        << ", the x87 gives " << expected << std::defaultfloat;
        }
        // The exact product's mantissa, and the bits its rounding to 64 bits drops.
        const UInt128 exact =
            static_cast<UInt128>((std::bit_cast<std::uint64_t>(input) & 0xFFFFFFFFFFFFF) |
                                 (std::uint64_t{1} << 52)) *
            odd;
        int length128 = 0;
        for (UInt128 rest = exact; rest != 0; rest >>= 1)
          ++length128;
        const int extra = length128 - 64;
        if (extra > 0 && (exact & ((UInt128{1} << extra) - 1)) == (UInt128{1} << (extra - 1)))
          ++firstTies;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(firstTies, 1000);
}

TEST(ExactValuesTest, SubnormalHugeAndSpecialInputsMatchTheX87) {
  REQUIRE_X87();
  std::mt19937_64 random(11);
  const double max = std::numeric_limits<double>::max();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const Conversion& conversion : conversions()) {
    SCOPED_TRACE(conversion.name);
    int mismatches = 0;
    std::vector<double> inputs = {0.0,
                                  -0.0,
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  nan,
                                  -nan,
                                  std::bit_cast<double>(std::uint64_t{0x7FF0000000000001}),
                                  std::bit_cast<double>(std::uint64_t{0xFFF4000000000123}),
                                  std::numeric_limits<double>::denorm_min(),
                                  -std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::min(),
                                  max,
                                  -max};
    // Around the edge where the result overflows, and around the smallest subnormal results.
    double edge = static_cast<double>(max / conversion.factor);
    double small =
        static_cast<double>(std::numeric_limits<double>::denorm_min() / conversion.factor);
    for (int i = 0; i < 64; ++i) {
      inputs.push_back(edge);
      inputs.push_back(small);
      inputs.push_back(-small);
      edge = std::nextafter(edge, max);
      small = std::nextafter(small, 1.0);
    }
    for (int i = 0; i < 100'000; ++i) {
      // Subnormal inputs, and inputs whose products land in the subnormal range.
      inputs.push_back(std::bit_cast<double>(random() & 0x800FFFFFFFFFFFFF));
      inputs.push_back(std::ldexp(std::bit_cast<double>((random() >> 12) | 0x3FF0000000000000),
                                  -1020 - static_cast<int>(random() % 60)));
    }
    int subnormal = 0;
    for (double input : inputs) {
      expectSameBits(conversion, input, mismatches);
      subnormal += std::fpclassify(conversion.convert(input)) == FP_SUBNORMAL ? 1 : 0;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(subnormal, 10'000);
    EXPECT_TRUE(std::isinf(conversion.convert(max)) == (conversion.factor > 1));
  }
}

}  // namespace
}  // namespace orbelle::actions
