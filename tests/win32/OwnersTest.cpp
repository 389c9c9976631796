// The owners of VARIANTs, SAFEARRAYs, BSTRs and interface references: each reference taken is
// given back once, on every path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstring>

#include "host/HostError.h"
#include "host/win32/Bstr.h"
#include "host/win32/ComRef.h"
#include "host/win32/Variant.h"
#include "tests/win32/FakeDispatch.h"

namespace orbelle::win32::fake {
namespace {

using ::testing::IsEmpty;

const GUID kSomeInterface = {
    0x9CD7E38D, 0x0003, 0x410D, {0xB6, 0xDF, 0xDE, 0x36, 0xFD, 0x19, 0x08, 0x50}};

class OwnersTest : public ::testing::Test {
 protected:
  ~OwnersTest() override {
    EXPECT_THAT(server.unbalanced(), IsEmpty());
    EXPECT_EQ(server.addRefs(), server.releases());
  }

  FakeServer server;
  FakeObject& object = server.object(L"object");
};

TEST_F(OwnersTest, AComRefGivesBackEveryReferenceItTookOrWasGiven) {
  {
    ComRef<IDispatch> shared = ComRef<IDispatch>::share(&object);
    EXPECT_EQ(object.references(), 1);
    ComRef<IDispatch> copy = shared;
    EXPECT_EQ(object.references(), 2);
    ComRef<IDispatch> moved = std::move(copy);
    EXPECT_EQ(object.references(), 2);
    EXPECT_FALSE(copy);  // NOLINT(bugprone-use-after-move): moved from is empty
    moved = shared;      // assigning over a reference gives the old one back
    EXPECT_EQ(object.references(), 2);
    moved.reset();
    EXPECT_EQ(object.references(), 1);
    object.AddRef();  // a reference handed over, as an out parameter does
    ComRef<IDispatch> adopted = ComRef<IDispatch>::adopt(&object);
    EXPECT_EQ(object.references(), 2);
    IDispatch* detached = adopted.detach();
    EXPECT_EQ(object.references(), 2);
    detached->Release();
  }
  EXPECT_EQ(object.references(), 0);
  EXPECT_EQ(server.addRefs(), 4);
}

TEST_F(OwnersTest, AQueryIsEmptyOnFailureAndTheThrowingOneNamesWhatItAskedFor) {
  object.offers(kSomeInterface);
  const ComRef<IDispatch> held = ComRef<IDispatch>::share(&object);
  HRESULT status = E_FAIL;
  EXPECT_TRUE(held.query<IDispatch>(kSomeInterface, &status));
  EXPECT_EQ(status, S_OK);
  const GUID other = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_FALSE(held.query<IDispatch>(other, &status));
  EXPECT_EQ(status, E_NOINTERFACE);
  EXPECT_FALSE(ComRef<IDispatch>().query<IDispatch>(kSomeInterface, &status));
  EXPECT_EQ(status, E_POINTER);

  EXPECT_TRUE(held.require<IDispatch>(kSomeInterface, L"QueryInterface(IAcadText)"));
  try {
    held.require<IDispatch>(other, L"QueryInterface(IAcadState)");
    FAIL() << "no throw";
  } catch (const HostError& e) {
    EXPECT_EQ(e.status(), static_cast<std::int32_t>(E_NOINTERFACE));
    EXPECT_EQ(e.line(), L"QueryInterface(IAcadState) failed: 0x80004002");
  }
  EXPECT_EQ(object.references(), 1);
}

TEST_F(OwnersTest, AVariantOwnsItsTextItsArrayAndItsObject) {
  {
    const Variant text(std::wstring_view(L"a\0b", 3));
    Variant copy = text;
    EXPECT_NE(copy.get().bstrVal, text.get().bstrVal);  // a copy of its own
    EXPECT_EQ(Bstr::toWstring(copy.get().bstrVal), std::wstring(L"a\0b", 3));

    Variant held = Variant::dispatch(&object);
    EXPECT_EQ(object.references(), 1);
    Variant second = held;
    EXPECT_EQ(object.references(), 2);
    second = Variant(1.5);  // the object's reference goes with the old value
    EXPECT_EQ(object.references(), 1);
    Variant moved = std::move(held);
    EXPECT_TRUE(held.isEmpty());  // NOLINT(bugprone-use-after-move)
    VARIANT* slot = moved.put();  // cleared before it is lent
    EXPECT_EQ(slot->vt, VT_EMPTY);
    EXPECT_EQ(object.references(), 0);

    const std::array<double, 3> point = {1.5, -0.0, 1e300};
    const Variant array = Variant::doubles(point);
    EXPECT_EQ(array.type(), VT_ARRAY | VT_R8);
    LONG low = -1, high = -1;
    ::SafeArrayGetLBound(array.get().parray, 1, &low);
    ::SafeArrayGetUBound(array.get().parray, 1, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 2);
    for (LONG i = 0; i < 3; ++i) {
      double element = 0;
      ::SafeArrayGetElement(array.get().parray, &i, &element);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(element),
                std::bit_cast<std::uint64_t>(point[static_cast<std::size_t>(i)]));
      EXPECT_EQ(std::bit_cast<std::uint64_t>(array.element(i)),
                std::bit_cast<std::uint64_t>(point[static_cast<std::size_t>(i)]));
    }

    const Variant missing = Variant::missing();
    EXPECT_EQ(missing.type(), VT_ERROR);
    EXPECT_EQ(missing.get().scode, DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(Variant::boolean(true).get().boolVal, VARIANT_TRUE);
  }
  EXPECT_EQ(object.references(), 0);
}

TEST_F(OwnersTest, AdoptingDetachingAndDereferencingMoveOwnershipWithoutALeak) {
  VARIANT raw;
  ::VariantInit(&raw);
  raw.vt = VT_DISPATCH;
  raw.pdispVal = &object;
  object.AddRef();
  {
    Variant adopted = Variant::adopt(raw);
    EXPECT_EQ(raw.vt, VT_EMPTY);  // the caller's copy no longer owns it
    VARIANT out = adopted.detach();
    EXPECT_TRUE(adopted.isEmpty());
    EXPECT_EQ(object.references(), 1);
    ::VariantClear(&out);
  }
  EXPECT_EQ(object.references(), 0);

  // A value by reference is copied out; what it referred to stays its owner's.
  Variant owner = Variant::dispatch(&object);
  VARIANT reference;
  ::VariantInit(&reference);
  reference.vt = VT_BYREF | VT_DISPATCH;
  reference.ppdispVal = const_cast<IDispatch**>(&owner.get().pdispVal);
  {
    const Variant copied = Variant::dereferenced(reference);
    EXPECT_EQ(copied.type(), VT_DISPATCH);
    EXPECT_EQ(object.references(), 2);
    VARIANT wrapped;
    ::VariantInit(&wrapped);
    wrapped.vt = VT_BYREF | VT_VARIANT;
    wrapped.pvarVal = const_cast<VARIANT*>(&owner.get());
    const Variant inner = Variant::dereferenced(wrapped);
    EXPECT_EQ(inner.type(), VT_DISPATCH);
    EXPECT_EQ(object.references(), 3);
  }
  EXPECT_EQ(object.references(), 1);
}

// What Invoke hands over by reference was allocated for the receiver (a proxy unmarshals it so):
// taken as the value it refers to, the target is freed with what it holds, once.
TEST_F(OwnersTest, AnAnswerByReferenceIsTakenAsItsValueAndItsTargetFreed) {
  const auto target = [](std::size_t size) {
    void* memory = ::CoTaskMemAlloc(size);
    std::memset(memory, 0, size);
    return memory;
  };
  {
    Variant answer;
    VARIANT* raw = answer.put();
    raw->vt = VT_BYREF | VT_DISPATCH;
    raw->byref = target(sizeof(IDispatch*));
    *raw->ppdispVal = &object;
    object.AddRef();  // the reference the target holds
    const Variant taken = Variant::received(std::move(answer));
    EXPECT_EQ(taken.type(), VT_DISPATCH);
    EXPECT_EQ(object.references(), 1) << "the target's reference given back, the copy's kept";
  }
  EXPECT_EQ(object.references(), 0);
  {
    // A VARIANT by reference holding an object by reference: both targets freed.
    Variant inner;
    VARIANT* referred = inner.put();
    referred->vt = VT_BYREF | VT_DISPATCH;
    referred->byref = target(sizeof(IDispatch*));
    *referred->ppdispVal = &object;
    object.AddRef();
    const Variant taken = Variant::received(referenceTo(std::move(inner)));
    EXPECT_EQ(object.references(), 1);
  }
  EXPECT_EQ(object.references(), 0);
  {
    Variant answer;
    VARIANT* raw = answer.put();
    raw->vt = VT_BYREF | VT_ARRAY | VT_R8;
    raw->byref = target(sizeof(SAFEARRAY*));
    *raw->pparray = ::SafeArrayCreateVector(VT_R8, 1, 3);
    const Variant taken = Variant::received(std::move(answer));
    EXPECT_EQ(taken.type(), VT_ARRAY | VT_R8);
    LONG low = 0;
    ::SafeArrayGetLBound(taken.get().parray, 1, &low);
    EXPECT_EQ(low, 1) << "the copy keeps the bounds";
  }
  // A broken reference is not touched: the reading refuses it.
  Variant broken;
  broken.put()->vt = VT_BYREF | VT_R8;
  EXPECT_EQ(Variant::received(std::move(broken)).type(), VT_BYREF | VT_R8);
}

TEST_F(OwnersTest, ABstrKeepsItsLengthAndFreesWhatItHeld) {
  Bstr text(std::wstring_view(L"回転\0x", 4));
  EXPECT_EQ(::SysStringLen(text.get()), 4u);
  EXPECT_EQ(text.str(), std::wstring(L"回転\0x", 4));
  Bstr moved = std::move(text);
  EXPECT_EQ(text.get(), nullptr);             // NOLINT(bugprone-use-after-move)
  *moved.put() = ::SysAllocString(L"again");  // the old text is freed before the slot is lent
  EXPECT_EQ(moved.str(), L"again");
  BSTR detached = moved.detach();
  EXPECT_EQ(moved.get(), nullptr);
  EXPECT_EQ(Bstr::toWstring(detached), L"again");
  ::SysFreeString(detached);
  EXPECT_EQ(Bstr::toWstring(nullptr), L"");
  EXPECT_EQ(Bstr().str(), L"");
}

}  // namespace
}  // namespace orbelle::win32::fake
