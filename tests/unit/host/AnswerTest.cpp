#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "host/Answer.h"
#include "host/HostError.h"

namespace orbelle {
namespace {

using ::testing::HasSubstr;

std::uint64_t bitsOf(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

Answer decimalAnswer(std::uint32_t high, std::uint64_t low, std::uint8_t scale, bool negative) {
  Answer answer = Answer::of(Answer::Kind::Decimal, vt::kDecimal);
  answer.decimal = {low, high, scale, negative};
  return answer;
}

Answer text(std::wstring value) {
  Answer answer = Answer::of(Answer::Kind::Text, vt::kBstr);
  answer.text = std::move(value);
  return answer;
}

Answer object(bool null = false) {
  Answer answer = Answer::of(Answer::Kind::Object, vt::kDispatch);
  answer.nullObject = null;
  return answer;
}

Answer array(std::uint16_t elementType, std::vector<Answer> elements, int dimensions = 1) {
  Answer answer = Answer::of(Answer::Kind::Array, vt::kArray | elementType);
  answer.elementType = elementType;
  answer.dimensions = dimensions;
  answer.elements = std::move(elements);
  return answer;
}

Answer r8(double value) {
  return Answer::realNumber(vt::kR8, 64, value);
}

// Whatever is not what a reading wants: every kind of answer but numbers, flags and so on.
std::vector<Answer> nonNumbers() {
  return {Answer::of(Answer::Kind::Empty, vt::kEmpty),
          Answer::of(Answer::Kind::Null, vt::kNull),
          Answer::of(Answer::Kind::Error, vt::kError),
          Answer::of(Answer::Kind::Other, vt::kCy),
          Answer::of(Answer::Kind::Other, vt::kDate),
          Answer::boolean(vt::kBool, true),
          text(L"1.5"),
          text(L"2"),
          object(),
          array(vt::kR8, {r8(1), r8(2), r8(3)})};
}

// The text of the failure a reading throws; empty when it reads.
template <class Reading>
std::wstring failureOf(Reading reading) {
  try {
    reading();
  } catch (const HostError& e) {
    EXPECT_EQ(e.status(), kStatusTypeMismatch);
    return e.line();
  }
  return {};
}

TEST(AnswerTest, ANumberReadsTheSameFromEveryNumericEncoding) {
  const double height = 2.5;
  EXPECT_EQ(readNumber(r8(height), L"Height"), height);
  EXPECT_EQ(readNumber(Answer::realNumber(vt::kR4, 32, 2.5f), L"Height"), height);
  for (const auto& [type, bits] :
       {std::pair{vt::kI1, 8}, {vt::kI2, 16}, {vt::kI4, 32}, {vt::kInt, 32}, {vt::kI8, 64}}) {
    EXPECT_EQ(readNumber(Answer::signedInteger(type, bits, -7), L"Count"), -7.0);
  }
  for (const auto& [type, bits] :
       {std::pair{vt::kUi1, 8}, {vt::kUi2, 16}, {vt::kUi4, 32}, {vt::kUint, 32}, {vt::kUi8, 64}}) {
    EXPECT_EQ(readNumber(Answer::unsignedInteger(type, bits, 200), L"Count"), 200.0);
  }
  EXPECT_EQ(readNumber(decimalAnswer(0, 25, 1, false), L"Height"), height);
}

TEST(AnswerTest, ADoubleKeepsItsBitsAndWideIntegersGoToTheNearestDouble) {
  for (const double value : {-0.0, 5e-324, std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::infinity(), 0.52359879016876220703125}) {
    EXPECT_EQ(bitsOf(readNumber(r8(value), L"Rotation")), bitsOf(value));
  }
  const double nan = std::bit_cast<double>(std::uint64_t{0x7FF800000000BEEF});
  EXPECT_EQ(bitsOf(readNumber(r8(nan), L"Rotation")), bitsOf(nan));
  const float single = 0.1f;
  EXPECT_EQ(readNumber(Answer::realNumber(vt::kR4, 32, single), L"Height"),
            static_cast<double>(single));

  constexpr std::int64_t k2To53 = std::int64_t{1} << 53;
  EXPECT_EQ(readNumber(Answer::signedInteger(vt::kI8, 64, k2To53 - 1), L"Count"),
            9007199254740991.0);
  EXPECT_EQ(readNumber(Answer::signedInteger(vt::kI8, 64, -k2To53), L"Count"), -9007199254740992.0);
  // Past 2^53 the nearest double, ties to even.
  EXPECT_EQ(readNumber(Answer::signedInteger(vt::kI8, 64, k2To53 + 1), L"Count"),
            9007199254740992.0);
  EXPECT_EQ(readNumber(Answer::signedInteger(vt::kI8, 64, k2To53 + 3), L"Count"),
            9007199254740996.0);
  EXPECT_EQ(readNumber(Answer::unsignedInteger(vt::kUi8, 64, ~std::uint64_t{0}), L"Count"),
            18446744073709551616.0);
  EXPECT_EQ(readNumber(Answer::signedInteger(vt::kI8, 64, std::numeric_limits<std::int64_t>::min()),
                       L"Count"),
            -9223372036854775808.0);
}

TEST(AnswerTest, ATextIsNeverANumberWhatEverItSpells) {
  for (const Answer& answer : nonNumbers()) {
    SCOPED_TRACE(testing::PrintToString(variantTypeName(answer.type)));
    EXPECT_THAT(failureOf([&] { readNumber(answer, L"Height"); }),
                HasSubstr(L"Height failed: 0x80020005 (answered "));
  }
  EXPECT_EQ(failureOf([] { readNumber(text(L"1.5"), L"Height"); }),
            L"Height failed: 0x80020005 (answered VT_BSTR, not a number)");
  EXPECT_EQ(failureOf([] { readNumber(decimalAnswer(0, 1, 29, false), L"Height"); }),
            L"Height failed: 0x80020005 (answered VT_DECIMAL, not a number (a decimal scaled "
            L"past 28))");
}

TEST(AnswerTest, DecimalsConvertToTheNearestDouble) {
  EXPECT_EQ(decimalToDouble({1, 0, 1, false}), 0.1);
  EXPECT_EQ(decimalToDouble({1, 0, 28, false}), 1e-28);
  EXPECT_EQ(decimalToDouble({~std::uint64_t{0}, ~std::uint32_t{0}, 0, false}),
            79228162514264337593543950335.0);
  EXPECT_EQ(decimalToDouble({~std::uint64_t{0}, ~std::uint32_t{0}, 28, true}),
            -7.9228162514264337593543950335);
  EXPECT_EQ(decimalToDouble({9007199254740993, 0, 0, false}), 9007199254740992.0);  // a tie
  EXPECT_EQ(decimalToDouble({9007199254740995, 0, 0, false}), 9007199254740996.0);  // a tie
  EXPECT_EQ(decimalToDouble({90071992547409930, 0, 1, false}), 9007199254740992.0);
  EXPECT_EQ(decimalToDouble({90071992547409931, 0, 1, false}), 9007199254740994.0);  // past it
  EXPECT_EQ(bitsOf(*decimalToDouble({0, 0, 5, true})), bitsOf(-0.0));
  EXPECT_EQ(decimalToDouble({1, 0, 29, false}), std::nullopt);

  // Against the C library's correctly rounded reading of the same digits.
  std::mt19937_64 random(20250107);
  for (int i = 0; i < 20000; ++i) {
    DecimalNumber decimal;
    decimal.low = random();
    decimal.high = static_cast<std::uint32_t>(random() >> (random() % 33));
    if (i % 3 == 0)
      decimal.high = 0;
    if (i % 5 == 0)
      decimal.low >>= random() % 64;
    decimal.scale = static_cast<std::uint8_t>(random() % 29);
    decimal.negative = (random() & 1) != 0;
    // The mantissa in decimal digits, by long division of the 96 bits.
    std::uint32_t parts[3] = {decimal.high, static_cast<std::uint32_t>(decimal.low >> 32),
                              static_cast<std::uint32_t>(decimal.low)};
    std::string digits;
    while (parts[0] != 0 || parts[1] != 0 || parts[2] != 0) {
      std::uint64_t carry = 0;
      for (std::uint32_t& part : parts) {
        const std::uint64_t value = (carry << 32) | part;
        part = static_cast<std::uint32_t>(value / 10);
        carry = value % 10;
      }
      digits.insert(digits.begin(), static_cast<char>('0' + carry));
    }
    if (digits.empty())
      digits = "0";
    const std::string written =
        (decimal.negative ? "-" : "") + digits + "e-" + std::to_string(decimal.scale);
    SCOPED_TRACE(written);
    const double expected = std::strtod(written.c_str(), nullptr);
    const std::optional<double> converted = decimalToDouble(decimal);
    ASSERT_TRUE(converted.has_value());
    ASSERT_EQ(bitsOf(*converted), bitsOf(expected));
  }
}

TEST(AnswerTest, AWholeNumberIsAnIntegerOrAnIntegralNumberIn32Bits) {
  EXPECT_EQ(readWholeNumber(Answer::signedInteger(vt::kI2, 16, 2), L"Alignment"), 2);
  EXPECT_EQ(readWholeNumber(Answer::unsignedInteger(vt::kUi8, 64, 5), L"Count"), 5);
  EXPECT_EQ(readWholeNumber(r8(3.0), L"Count"), 3);
  EXPECT_EQ(readWholeNumber(r8(-2147483648.0), L"Count"), -2147483647 - 1);
  EXPECT_EQ(readWholeNumber(decimalAnswer(0, 30, 1, false), L"Count"), 3);
  EXPECT_EQ(readWholeNumber(Answer::signedInteger(vt::kI8, 64, 2147483647), L"Count"), 2147483647);
  for (const Answer& refused :
       {r8(2.5), r8(2147483648.0), r8(std::nan("")), r8(-std::numeric_limits<double>::infinity()),
        Answer::signedInteger(vt::kI8, 64, std::int64_t{1} << 31),
        Answer::signedInteger(vt::kI8, 64, -(std::int64_t{1} << 31) - 1),
        Answer::unsignedInteger(vt::kUi4, 32, 0xFFFFFFFFu), text(L"3")}) {
    SCOPED_TRACE(testing::PrintToString(variantTypeName(refused.type)));
    EXPECT_THAT(failureOf([&] { readWholeNumber(refused, L"Count"); }),
                HasSubstr(L"Count failed: 0x80020005"));
  }
}

TEST(AnswerTest, AWindowHandleIsThe32BitsOfAWideEnoughInteger) {
  EXPECT_EQ(readWindowHandle(Answer::signedInteger(vt::kI4, 32, 0x20E42), L"HWND"), 0x20E42u);
  EXPECT_EQ(readWindowHandle(Answer::signedInteger(vt::kInt, 32, -2), L"HWND"), 0xFFFFFFFEu);
  EXPECT_EQ(readWindowHandle(Answer::unsignedInteger(vt::kUi4, 32, 0x80000001u), L"HWND"),
            0x80000001u);
  EXPECT_EQ(readWindowHandle(Answer::unsignedInteger(vt::kUint, 32, 7), L"HWND"), 7u);
  EXPECT_EQ(readWindowHandle(Answer::signedInteger(vt::kI8, 64, 0x1234567800020E42), L"HWND"),
            0x20E42u);
  EXPECT_EQ(readWindowHandle(Answer::signedInteger(vt::kI8, 64, -2), L"HWND"), 0xFFFFFFFEu);
  EXPECT_EQ(readWindowHandle(Answer::unsignedInteger(vt::kUi8, 64, 0xFFFFFFFF00020E42u), L"HWND"),
            0x20E42u);
  for (const Answer& refused :
       {Answer::signedInteger(vt::kI2, 16, 7), Answer::unsignedInteger(vt::kUi2, 16, 7),
        Answer::signedInteger(vt::kI1, 8, 7), Answer::unsignedInteger(vt::kUi1, 8, 7), r8(7),
        decimalAnswer(0, 7, 0, false), text(L"7"), Answer::boolean(vt::kBool, true),
        Answer::of(Answer::Kind::Empty, vt::kEmpty)}) {
    SCOPED_TRACE(testing::PrintToString(variantTypeName(refused.type)));
    EXPECT_THAT(failureOf([&] { readWindowHandle(refused, L"HWND"); }),
                HasSubstr(L"HWND failed: 0x80020005 (answered "));
  }
}

TEST(AnswerTest, AnIdleFlagIsABooleanOrAnyIntegerNonZeroMeaningTrue) {
  EXPECT_TRUE(readFlag(Answer::boolean(vt::kBool, true), L"IsQuiescent"));
  EXPECT_FALSE(readFlag(Answer::boolean(vt::kBool, false), L"IsQuiescent"));
  EXPECT_TRUE(readFlag(Answer::signedInteger(vt::kI4, 32, -1), L"IsQuiescent"));
  EXPECT_TRUE(readFlag(Answer::signedInteger(vt::kI2, 16, 2), L"IsQuiescent"));
  EXPECT_FALSE(readFlag(Answer::signedInteger(vt::kI8, 64, 0), L"IsQuiescent"));
  EXPECT_TRUE(
      readFlag(Answer::unsignedInteger(vt::kUi8, 64, std::uint64_t{1} << 40), L"IsQuiescent"));
  EXPECT_FALSE(readFlag(Answer::unsignedInteger(vt::kUi1, 8, 0), L"IsQuiescent"));
  for (const Answer& refused : {r8(1), text(L"true"), Answer::of(Answer::Kind::Empty, vt::kEmpty),
                                Answer::of(Answer::Kind::Null, vt::kNull)}) {
    EXPECT_THAT(failureOf([&] { readFlag(refused, L"IsQuiescent"); }),
                HasSubstr(L"IsQuiescent failed: 0x80020005"));
  }
}

TEST(AnswerTest, TextsAndObjectsAreWhatTheySayAndNothingElse) {
  EXPECT_EQ(readText(text(L"AcDbText"), L"ObjectName"), L"AcDbText");
  EXPECT_EQ(readText(text(L""), L"ObjectName"), L"");
  EXPECT_EQ(failureOf([] { readText(Answer::signedInteger(vt::kI4, 32, 5), L"ObjectName"); }),
            L"ObjectName failed: 0x80020005 (answered VT_I4, not a text)");

  EXPECT_NO_THROW(requireObject(object(), L"Copy"));
  EXPECT_EQ(failureOf([] { requireObject(object(true), L"Copy"); }),
            L"Copy failed: 0x80020005 (answered VT_DISPATCH, not an object (a null reference))");
  for (const Answer& refused : nonNumbers()) {
    if (refused.kind != Answer::Kind::Object) {
      EXPECT_THAT(failureOf([&] { requireObject(refused, L"Copy"); }), HasSubstr(L"Copy failed"));
    }
  }
}

TEST(AnswerTest, ACoordinateIsANumberElementOfAOneDimensionalArray) {
  const Answer doubles = array(vt::kR8, {r8(100.5), r8(-0.0), r8(7.5)});
  EXPECT_EQ(readCoordinate(doubles, 0, L"GetPoint"), 100.5);
  EXPECT_EQ(bitsOf(readCoordinate(doubles, 1, L"GetPoint")), bitsOf(-0.0));
  EXPECT_EQ(readCoordinate(doubles, 2, L"GetPoint"), 7.5);
  // Elements that are numbers of any encoding.
  const Answer variants =
      array(vt::kVariant, {Answer::signedInteger(vt::kI2, 16, 100), decimalAnswer(0, 5, 1, false),
                           Answer::realNumber(vt::kR4, 32, 0.25f)});
  EXPECT_EQ(readCoordinate(variants, 0, L"GetPoint"), 100.0);
  EXPECT_EQ(readCoordinate(variants, 1, L"GetPoint"), 0.5);
  EXPECT_EQ(readCoordinate(variants, 2, L"GetPoint"), 0.25);

  // Two elements are enough where only X and Y are read.
  EXPECT_EQ(readCoordinate(array(vt::kR8, {r8(1), r8(2)}), 1, L"GetPoint"), 2.0);
  EXPECT_EQ(failureOf([] {
              readCoordinate(array(vt::kR8, {r8(1), r8(2)}), 2, L"GetPoint");
            }),
            L"GetPoint failed: 0x80020005 (answered a point of 2 elements, where element 2 was "
            L"read)");
  EXPECT_EQ(failureOf([] {
              readCoordinate(array(vt::kVariant, {text(L"1"), r8(2)}), 0, L"P");
            }),
            L"P failed: 0x80020005 (answered a point whose element 0 is VT_BSTR, not a number)");
  for (const Answer& refused :
       {array(vt::kR8, {r8(1), r8(2), r8(3)}, 2), array(vt::kI4, {}), array(vt::kBstr, {}), r8(1),
        text(L"1,2,3"), Answer::of(Answer::Kind::Empty, vt::kEmpty)}) {
    SCOPED_TRACE(testing::PrintToString(variantTypeName(refused.type)));
    EXPECT_THAT(failureOf([&] { readCoordinate(refused, 0, L"GetPoint"); }),
                HasSubstr(L"GetPoint failed: 0x80020005 (answered "));
  }
}

TEST(AnswerTest, TypeNamesSpellTheVariantTypeForADebugger) {
  EXPECT_EQ(variantTypeName(vt::kBstr), L"VT_BSTR");
  EXPECT_EQ(variantTypeName(vt::kByRef | vt::kArray | vt::kR8), L"VT_BYREF|VT_ARRAY|VT_R8");
  EXPECT_EQ(variantTypeName(vt::kUint), L"VT_UINT");
  EXPECT_EQ(variantTypeName(15), L"VT 0x000F");
  EXPECT_EQ(variantTypeName(0x49), L"VT 0x0049");
  EXPECT_EQ(variantTypeName(0x8000 | vt::kI4), L"VT 0x8003");
}

TEST(AnswerTest, AFailureLineIsOneLineWhateverTheHostSaid) {
  const HostError error(kStatusException, L"GetPoint", L"cancelled\r\nby the user");
  EXPECT_EQ(error.line(), L"GetPoint failed: 0x80020009 (cancelled  by the user)");
  EXPECT_STREQ(error.what(), "GetPoint failed: 0x80020009 (cancelled  by the user)");
  EXPECT_EQ(HostError(kStatusFail, L"Update").line(), L"Update failed: 0x80004005");
  EXPECT_STREQ(HostError(kStatusFail, L"Prompt", L"入力").what(),
               "Prompt failed: 0x80004005 (\xE5\x85\xA5\xE5\x8A\x9B)");
}

}  // namespace
}  // namespace orbelle
