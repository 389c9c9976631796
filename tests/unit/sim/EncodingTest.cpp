#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "sim/Encoding.h"

namespace orbelle::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A window handle whose low 32 bits have their top bit set, and bits above them.
constexpr std::int64_t kHandle = 0x0000'0001'8002'002ALL;
constexpr double kThird = 1.0 / 3.0;                // no float holds it
constexpr double kA30 = 0.52359879016876220703125;  // a float's value

std::vector<std::uint16_t> types(Encoder& encoder, const Value& value, const Dialect& dialect,
                                 int count) {
  std::vector<std::uint16_t> out;
  for (int i = 0; i < count; ++i)
    out.push_back(encoder.encode(value, dialect).type);
  return out;
}

std::vector<double> coordinates(const WireValue& point) {
  std::vector<double> out;
  for (const WireValue& e : point.elements) {
    EXPECT_EQ(e.type, vt::R8);
    out.push_back(e.real);
  }
  return out;
}

TEST(EncodingTest, TheCanonicalDialectAnswersEachKindInItsOneEncoding) {
  Encoder encoder;
  const Dialect& d = canonicalDialect();
  const WireValue point = encoder.encode(std::vector<double>{0.1, -3, kThird}, d);
  EXPECT_EQ(point.type, vt::Array | vt::R8);
  EXPECT_EQ(point.lowerBound, 0);
  EXPECT_THAT(coordinates(point), ElementsAre(0.1, -3, kThird));  // bit for bit
  const WireValue handle = encoder.encode(kHandle, d);
  EXPECT_EQ(handle.type, vt::I4);
  EXPECT_EQ(handle.integer, static_cast<std::int32_t>(0x8002002A)) << "its low 32 bits";
  EXPECT_EQ(encoder.encode(true, d).type, vt::Bool);
  EXPECT_EQ(encoder.encode(true, d).integer, -1) << "VARIANT_TRUE";
  EXPECT_EQ(encoder.encode(false, d).integer, 0);
  EXPECT_EQ(encoder.encode(std::int32_t{2}, d).type, vt::I4);
  EXPECT_EQ(encoder.encode(kA30, d).type, vt::R8);
  EXPECT_EQ(encoder.encode(std::wstring(L"AcDbText"), d).text, L"AcDbText");
  const auto object = std::shared_ptr<AutomationObject>(nullptr);
  EXPECT_EQ(encoder.encode(object, d).type, vt::Empty) << "a null object is nothing";
  EXPECT_EQ(encoder.encode(Value{}, d).type, vt::Empty);
  EXPECT_EQ(encoder.encode(Missing{}, d).integer, kParamNotFound);
}

TEST(EncodingTest, EachFamilyTakesItsEncodingsInTurnFromTheFirstAndNoOtherKindChanges) {
  Encoder encoder;
  const std::vector<double> p{1, 2, 3};
  const Dialect& arrays = dialectNamed("variant-arrays");
  const WireValue first = encoder.encode(p, arrays), second = encoder.encode(p, arrays);
  EXPECT_EQ(first.type, vt::Array | vt::Variant);
  EXPECT_EQ(first.lowerBound, 1);
  EXPECT_EQ(second.lowerBound, 0);
  EXPECT_THAT(coordinates(first), ElementsAre(1, 2, 3));

  const Dialect& handles = dialectNamed("wide-handles");
  EXPECT_THAT(types(encoder, kHandle, handles, 6),
              ElementsAre(vt::I8, vt::UI4, vt::UI8, vt::Int, vt::UInt, vt::I8));
  // A turn of another dialect starts at its own first encoding.
  EXPECT_THAT(types(encoder, true, dialectNamed("integer-flag"), 5),
              ElementsAre(vt::I4, vt::I2, vt::UI1, vt::I8, vt::I4));
  EXPECT_THAT(types(encoder, std::int32_t{3}, dialectNamed("short-integers"), 3),
              ElementsAre(vt::I2, vt::UI2, vt::I2));

  for (const Dialect& d : dialects()) {
    if (d.name != "variant-arrays") {
      EXPECT_EQ(encoder.encode(p, d).type & ~vt::ByRef, vt::Array | vt::R8) << d.name;
    }
    if (d.name != "wide-handles") {
      EXPECT_EQ(encoder.encode(kHandle, d).type & ~vt::ByRef, vt::I4) << d.name;
    }
    if (d.name != "integer-flag") {
      EXPECT_EQ(encoder.encode(true, d).type & ~vt::ByRef, vt::Bool) << d.name;
    }
    if (d.name != "short-integers") {
      EXPECT_EQ(encoder.encode(std::int32_t{1}, d).type & ~vt::ByRef, vt::I4) << d.name;
      EXPECT_EQ(encoder.encode(10.0, d).type & ~vt::ByRef, vt::R8) << d.name;
    }
  }
}

TEST(EncodingTest, NarrowerEncodingsAreUsedOnlyWhereTheyKeepTheValue) {
  Encoder encoder;
  const Dialect& handles = dialectNamed("wide-handles");
  std::vector<std::int64_t> carried;
  for (int i = 0; i < 5; ++i)
    carried.push_back(encoder.encode(kHandle, handles).integer);
  // VT_I8, VT_UI4, VT_UI8, VT_INT, VT_UINT: the whole handle, or its low 32 bits.
  EXPECT_THAT(carried, ElementsAre(kHandle, 0x8002002ALL, kHandle,
                                   static_cast<std::int32_t>(0x8002002A), 0x8002002ALL));

  const Dialect& flag = dialectNamed("integer-flag");
  EXPECT_EQ(encoder.encode(true, flag).integer, 1);
  EXPECT_EQ(encoder.encode(false, flag).integer, 0);

  const Dialect& shorts = dialectNamed("short-integers");
  EXPECT_EQ(encoder.encode(std::int32_t{70000}, shorts).type, vt::I4) << "too wide for VT_I2";
  EXPECT_EQ(encoder.encode(std::int32_t{-1}, shorts).type, vt::I4) << "negative for VT_UI2";
  EXPECT_EQ(encoder.encode(std::int32_t{-1}, shorts).type, vt::I2);
  const double big = std::numeric_limits<double>::max();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const auto& [number, type] : {std::pair{10.0, vt::R4},
                                     {kA30, vt::R4},
                                     {0.0, vt::R4},
                                     {kThird, vt::R8},
                                     {0.1, vt::R8},
                                     {big, vt::R8},
                                     {nan, vt::R8},
                                     {1e-46, vt::R8}}) {
    const WireValue wire = encoder.encode(number, shorts);
    EXPECT_EQ(wire.type, type) << number;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(wire.real), std::bit_cast<std::uint64_t>(number));
  }
}

TEST(EncodingTest, ByReferenceMarksEveryAnswerButNothingAndUnknownObjectsOnlyObjects) {
  Encoder encoder;
  const Dialect& byRef = dialectNamed("by-reference");
  for (const Value& v : {Value(std::vector<double>{1, 2, 3}), Value(true), Value(std::int32_t{4}),
                         Value(2.5), Value(std::wstring(L"x"))}) {
    const WireValue wire = encoder.encode(v, byRef);
    EXPECT_NE(wire.type & vt::ByRef, 0) << describe(wire);
    EXPECT_EQ(decode(wire), v) << describe(wire);
  }
  EXPECT_EQ(encoder.encode(kHandle, byRef).type, vt::ByRef | vt::I4);
  EXPECT_EQ(encoder.encode(Value{}, byRef).type, vt::Empty) << "VT_BYREF|VT_EMPTY is not a value";
  EXPECT_TRUE(dialectNamed("by-reference").byReference);
  EXPECT_EQ(dialectNamed("unknown-objects").objects, vt::Unknown);
}

TEST(EncodingTest, ArgumentsAreReadByTheirMeaningWhateverTheirEncoding) {
  const std::pair<WireValue, Value> numbers[] = {
      {WireValue::of(vt::I1, -5), std::int32_t{-5}},
      {WireValue::of(vt::UI1, 200), std::int32_t{200}},
      {WireValue::of(vt::I2, -300), std::int32_t{-300}},
      {WireValue::of(vt::UI2, 65535), std::int32_t{65535}},
      {WireValue::of(vt::I4 | vt::ByRef, 7), std::int32_t{7}},
      {WireValue::of(vt::UI4, 0xFFFFFFFFLL), std::int64_t{0xFFFFFFFFLL}},
      {WireValue::of(vt::Int, -1), std::int32_t{-1}},
      {WireValue::of(vt::UInt, 9), std::int32_t{9}},
      {WireValue::of(vt::I8, kHandle), kHandle},
      {WireValue::of(vt::UI8, 12), std::int32_t{12}},
      {WireValue::ofReal(vt::R4, kA30), kA30},
      {WireValue::ofReal(vt::R8 | vt::ByRef, kThird), kThird},
      {WireValue::of(vt::Bool, -1), true},
      {WireValue::of(vt::Bool | vt::ByRef, 0), false},
      {WireValue::of(vt::Error, kParamNotFound), Missing{}},
      {WireValue::of(vt::Error, 0x80004005LL), std::monostate{}},
      {WireValue::of(vt::Null, 0), std::monostate{}},
  };
  for (const auto& [wire, meaning] : numbers)
    EXPECT_EQ(decode(wire), meaning) << describe(wire);

  WireValue foreign = WireValue::of(vt::Dispatch, 0);
  foreign.foreign = true;
  EXPECT_TRUE(std::holds_alternative<Foreign>(decode(foreign)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(decode(WireValue::of(vt::Unknown, 0))));

  // Points: doubles or VARIANTs holding numbers, from any lower bound, by reference or not.
  WireValue variants;
  variants.type = vt::Array | vt::Variant | vt::ByRef;
  variants.lowerBound = -1;
  variants.elements = {WireValue::ofReal(vt::R8, kThird), WireValue::of(vt::I2, -2),
                       WireValue::ofReal(vt::R4, 0.5)};
  EXPECT_EQ(decode(variants), Value(std::vector<double>{kThird, -2, 0.5}));
  WireValue reference;
  reference.type = vt::ByRef | vt::Variant;
  reference.elements = {variants};
  const Argument out = argumentFrom(reference);
  EXPECT_TRUE(out.isOut);
  EXPECT_EQ(out.value, Value(std::vector<double>{kThird, -2, 0.5}));
  EXPECT_EQ(out.encoding, "VT_BYREF|VT_VARIANT(VT_BYREF|VT_ARRAY|VT_VARIANT[-1..1]{mixed})");
  EXPECT_FALSE(argumentFrom(WireValue::of(vt::I4, 1)).isOut);
}

TEST(EncodingTest, WhatNoMemberTakesIsATypeMismatchAndAStringIsNeverANumber) {
  WireValue text;
  text.type = vt::Array | vt::Variant;
  WireValue digits;
  digits.type = vt::Bstr;
  digits.text = L"1.5";
  text.elements = {WireValue::ofReal(vt::R8, 1), digits};
  WireValue empty;
  empty.type = vt::ByRef | vt::Variant;  // a reference to nothing
  for (const WireValue& wire : {text, empty, WireValue::of(14, 0) /* VT_DECIMAL */,
                                WireValue::of(vt::UI8, -1) /* 2^64 - 1 */}) {
    try {
      decode(wire);
      ADD_FAILURE() << "read " << describe(wire);
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.status(), kTypeMismatch) << describe(wire);
      EXPECT_FALSE(e.exception());
    }
  }
  EXPECT_EQ(decode(digits), Value(std::wstring(L"1.5")));
}

TEST(EncodingTest, EncodingsAreDescribedInTheLogsWords) {
  Encoder encoder;
  EXPECT_EQ(describe(encoder.encode(std::vector<double>{1, 2, 3}, dialectNamed("variant-arrays"))),
            "VT_ARRAY|VT_VARIANT[1..3]{VT_R8}");
  EXPECT_EQ(describe(encoder.encode(std::vector<double>{1, 2, 3}, dialectNamed("by-reference"))),
            "VT_BYREF|VT_ARRAY|VT_R8[0..2]");
  EXPECT_EQ(describe(encoder.encode(true, dialectNamed("by-reference"))), "VT_BYREF|VT_BOOL");
  EXPECT_EQ(typeName(vt::UInt), "VT_UINT");
  EXPECT_EQ(typeName(0x24), "VT_36");
  try {
    dialectNamed("shorts");
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("by-reference, unknown-objects"));
  }
}

// Type-library dispatch answers in the declared types, one each, every time: LONG_PTR is the
// whole 64-bit handle, and no double is narrowed.
TEST(EncodingTest, TheTypeLibraryEncodingIsTheDeclaredTypesAndNoDialect) {
  Encoder encoder;
  const Dialect& d = typeLibraryEncoding();
  EXPECT_EQ(d.name, "type-library");
  EXPECT_TRUE(d.typeLibrary);
  EXPECT_THROW(dialectNamed("type-library"), Error) << "no option or step chooses it";
  for (const Dialect& dialect : dialects())
    EXPECT_FALSE(dialect.typeLibrary) << dialect.name;
  const auto object = std::shared_ptr<AutomationObject>(nullptr);
  struct Case {
    Value value;
    std::uint16_t type;
  };
  const Case cases[] = {
      {kHandle, vt::I8},
      {true, vt::Bool},
      {std::int32_t{2}, vt::I4},
      {kA30, vt::R8},
      {kThird, vt::R8},
      {std::wstring(L"AcDbText"), vt::Bstr},
      {std::vector<double>{0.1, -3, kThird}, vt::Array | vt::R8},
      {Value{}, vt::Empty},
  };
  for (const Case& c : cases) {
    // The same type at every turn.
    EXPECT_THAT(types(encoder, c.value, d, 3), ElementsAre(c.type, c.type, c.type));
  }
  EXPECT_EQ(encoder.encode(kHandle, d).integer, kHandle) << "all 64 bits";
  EXPECT_EQ(encoder.encode(true, d).integer, -1) << "VARIANT_TRUE";
  EXPECT_EQ(encoder.encode(kA30, d).real, kA30);
  const WireValue point = encoder.encode(std::vector<double>{0.1, -3, kThird}, d);
  EXPECT_EQ(point.lowerBound, 0);
  EXPECT_THAT(coordinates(point), ElementsAre(0.1, -3, kThird));
  EXPECT_EQ(d.objects, vt::Dispatch);
  EXPECT_FALSE(d.byReference);
}

}  // namespace
}  // namespace orbelle::sim
