// The translation of a VARIANT into the portable answer: every type, through VT_BYREF, arrays
// from any lower bound, and objects as IDispatch. The rules themselves are tested natively.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "host/HostError.h"
#include "host/win32/VariantReading.h"
#include "tests/win32/Encodings.h"
#include "tests/win32/FakeDispatch.h"

namespace orbelle::win32::fake {
namespace {

using ::testing::IsEmpty;

// `value` by reference: the data of `owner`, which must outlive the result.
VARIANT referenceTo(const Variant& owner) {
  VARIANT reference;
  ::VariantInit(&reference);
  reference.vt = owner.type() | VT_BYREF;
  reference.byref = owner.type() == VT_DECIMAL
                        ? static_cast<void*>(const_cast<DECIMAL*>(&owner.get().decVal))
                        : static_cast<void*>(const_cast<LONGLONG*>(&owner.get().llVal));
  return reference;
}

Variant arrayFrom(LONG lowerBound, std::vector<double> values) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(values.size()), lowerBound};
  VARIANT owned;
  ::VariantInit(&owned);
  owned.vt = VT_ARRAY | VT_R8;
  owned.parray = ::SafeArrayCreate(VT_R8, 1, &bound);
  for (std::size_t i = 0; i < values.size(); ++i) {
    LONG index = lowerBound + static_cast<LONG>(i);
    ::SafeArrayPutElement(owned.parray, &index, &values[i]);
  }
  return Variant::adopt(owned);
}

TEST(VariantReadingTest, EveryScalarTypeIsTranslatedByValueAndByReference) {
  struct Case {
    Variant value;
    Answer::Kind kind;
    double number;  // what readNumber gives, where it reads
  };
  DECIMAL decimal{};
  decimal.Lo64 = 125;
  decimal.scale = 2;
  decimal.sign = DECIMAL_NEG;
  const Case cases[] = {
      {raw(VT_I1, [](VARIANT& v) { v.cVal = -5; }), Answer::Kind::Integer, -5},
      {raw(VT_I2, [](VARIANT& v) { v.iVal = -300; }), Answer::Kind::Integer, -300},
      {raw(VT_I4, [](VARIANT& v) { v.lVal = -70000; }), Answer::Kind::Integer, -70000},
      {raw(VT_INT, [](VARIANT& v) { v.intVal = -8; }), Answer::Kind::Integer, -8},
      {raw(VT_I8, [](VARIANT& v) { v.llVal = -(1LL << 40); }), Answer::Kind::Integer, -0x1p40},
      {raw(VT_UI1, [](VARIANT& v) { v.bVal = 250; }), Answer::Kind::Integer, 250},
      {raw(VT_UI2, [](VARIANT& v) { v.uiVal = 65000; }), Answer::Kind::Integer, 65000},
      {raw(VT_UI4, [](VARIANT& v) { v.ulVal = 4000000000u; }), Answer::Kind::Integer, 4e9},
      {raw(VT_UINT, [](VARIANT& v) { v.uintVal = 9; }), Answer::Kind::Integer, 9},
      {raw(VT_UI8, [](VARIANT& v) { v.ullVal = ~0ULL; }), Answer::Kind::Integer, 0x1p64},
      {raw(VT_R4, [](VARIANT& v) { v.fltVal = 0.1f; }), Answer::Kind::Real, 0.1f},
      {raw(VT_R8, [](VARIANT& v) { v.dblVal = 0.1; }), Answer::Kind::Real, 0.1},
      {raw(VT_DECIMAL, [&](VARIANT& v) { v.decVal = decimal; }), Answer::Kind::Decimal, -1.25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value.type());
    const Answer direct = answerOf(c.value.get());
    EXPECT_EQ(direct.kind, c.kind);
    EXPECT_EQ(readNumber(direct, L"Height"), c.number);
    const VARIANT reference = referenceTo(c.value);
    const Answer referred = answerOf(reference);
    EXPECT_EQ(referred.kind, c.kind);
    EXPECT_EQ(referred.type, c.value.type() | VT_BYREF);
    EXPECT_EQ(readNumber(referred, L"Height"), c.number);
  }

  const Variant flag = Variant::boolean(true);
  EXPECT_TRUE(readFlag(answerOf(referenceTo(flag)), L"IsQuiescent"));
  const Variant text(std::wstring_view(L"AcDb\0Text", 9));
  EXPECT_EQ(readText(answerOf(referenceTo(text)), L"ObjectName"), std::wstring(L"AcDb\0Text", 9));
  EXPECT_EQ(readText(answerOf(raw(VT_BSTR, [](VARIANT& v) { v.bstrVal = nullptr; }).get()), L"N"),
            L"");
}

TEST(VariantReadingTest, NothingAndBrokenReferencesAreNoValue) {
  EXPECT_EQ(answerOf(Variant().get()).kind, Answer::Kind::Empty);
  EXPECT_EQ(answerOf(raw(VT_NULL, [](VARIANT&) {}).get()).kind, Answer::Kind::Null);
  EXPECT_EQ(answerOf(Variant::missing().get()).kind, Answer::Kind::Error);
  EXPECT_EQ(answerOf(raw(VT_CY, [](VARIANT& v) { v.cyVal.int64 = 1; }).get()).kind,
            Answer::Kind::Other);
  VARIANT broken;
  ::VariantInit(&broken);
  broken.vt = VT_BYREF | VT_R8;
  broken.pdblVal = nullptr;
  EXPECT_EQ(answerOf(broken).kind, Answer::Kind::Other);
  // A VARIANT by reference may hold a value, and a value by reference, but not another VARIANT
  // by reference.
  Variant inner(2.5);
  VARIANT once;
  ::VariantInit(&once);
  once.vt = VT_BYREF | VT_VARIANT;
  once.pvarVal = const_cast<VARIANT*>(&inner.get());
  EXPECT_EQ(readNumber(answerOf(once), L"Height"), 2.5);
  VARIANT twice;
  ::VariantInit(&twice);
  twice.vt = VT_BYREF | VT_VARIANT;
  twice.pvarVal = &once;
  EXPECT_EQ(answerOf(twice).kind, Answer::Kind::Other);
}

TEST(VariantReadingTest, ArraysAreReadFromTheirLowerBound) {
  const Variant fromFive = arrayFrom(5, {10, 20, 30});
  const Answer answer = answerOf(fromFive.get());
  EXPECT_EQ(answer.kind, Answer::Kind::Array);
  EXPECT_EQ(answer.dimensions, 1);
  ASSERT_EQ(answer.elements.size(), 3u);
  EXPECT_EQ(readCoordinate(answer, 0, L"GetPoint"), 10);
  EXPECT_EQ(readCoordinate(answer, 2, L"GetPoint"), 30);
  EXPECT_EQ(fromFive.element(1), 20);
  const Variant fromMinusTwo = arrayFrom(-2, {-1, -2});
  EXPECT_EQ(readCoordinate(answerOf(fromMinusTwo.get()), 1, L"GetPoint"), -2);

  // By reference, too; and no more than a point could use is read from a long array.
  VARIANT reference;
  ::VariantInit(&reference);
  reference.vt = VT_BYREF | VT_ARRAY | VT_R8;
  reference.pparray = const_cast<SAFEARRAY**>(&fromFive.get().parray);
  EXPECT_EQ(readCoordinate(answerOf(reference), 1, L"GetPoint"), 20);
  const Variant longArray = arrayFrom(0, std::vector<double>(1000, 1.0));
  EXPECT_EQ(answerOf(longArray.get()).elements.size(), 16u);

  // Arrays of other element types are arrays, but their elements are not read.
  SAFEARRAYBOUND bound{3, 0};
  VARIANT integers;
  ::VariantInit(&integers);
  integers.vt = VT_ARRAY | VT_I4;
  integers.parray = ::SafeArrayCreate(VT_I4, 1, &bound);
  const Variant ownedIntegers = Variant::adopt(integers);
  const Answer refused = answerOf(ownedIntegers.get());
  EXPECT_EQ(refused.elementType, VT_I4);
  EXPECT_THAT(refused.elements, IsEmpty());
  EXPECT_THROW(readCoordinate(refused, 0, L"GetPoint"), HostError);
}

TEST(VariantReadingTest, AnObjectIsItsIDispatchFromEitherTypeAndAnyOtherIsRefused) {
  FakeServer server;
  FakeObject& object = server.object(L"entity");
  FakeObject& plain = server.object(L"plain").withoutDispatch();
  {
    const Variant dispatch = Variant::dispatch(&object);
    EXPECT_EQ(dispatchOf(dispatch.get(), L"Copy").get(), &object);
    Variant unknown = Variant::dispatch(&object);
    const_cast<VARIANT&>(unknown.get()).vt = VT_UNKNOWN;
    EXPECT_EQ(dispatchOf(unknown.get(), L"Copy").get(), &object);
    EXPECT_EQ(dispatchOf(referenceTo(dispatch), L"Copy").get(), &object);
    EXPECT_EQ(dispatchOf(referenceTo(unknown), L"Copy").get(), &object);

    Variant plainUnknown = Variant::dispatch(&plain);
    const_cast<VARIANT&>(plainUnknown.get()).vt = VT_UNKNOWN;
    try {
      dispatchOf(plainUnknown.get(), L"Copy");
      FAIL() << "no throw";
    } catch (const HostError& e) {
      EXPECT_EQ(e.line(),
                L"Copy failed: 0x80004002 (answered an object that does not answer IDispatch)");
    }
    EXPECT_THROW(dispatchOf(Variant::dispatch(nullptr).get(), L"Copy"), HostError);
    EXPECT_THROW(dispatchOf(Variant().get(), L"Copy"), HostError);
    EXPECT_THROW(dispatchOf(Variant(1.0).get(), L"Copy"), HostError);
  }
  EXPECT_THAT(server.unbalanced(), IsEmpty());
}

}  // namespace
}  // namespace orbelle::win32::fake
