// The by-name call helper: arguments in their natural order, reads as method-or-get, writes as
// puts with the named argument, and a failure that names the member, its status and the host's
// description, filled in when the host defers it. A host object's owner asks each member's
// DISPID once, and only of its own object.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/HostError.h"
#include "host/win32/Dispatch.h"
#include "tests/win32/FakeDispatch.h"

namespace orbelle::win32::fake {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DispatchTest : public ::testing::Test {
 protected:
  DispatchTest() {
    object.on(L"Three", [](const Invocation&) { return Variant(std::int32_t{3}); })
        .on(L"Height", [](const Invocation&) { return Variant(2.5); })
        .on(L"GetEntity", [](const Invocation& call) {
          call.setOut(0, Variant(std::wstring_view(L"picked")));
          call.setOut(1, Variant::doubles(std::vector<double>{1, 2, 3}));
          return Variant();
        });
  }
  ~DispatchTest() override { EXPECT_THAT(server.unbalanced(), IsEmpty()); }

  // The failure a call raised, as a debugger reads it.
  std::wstring failureOf(const std::function<void()>& call) {
    try {
      call();
    } catch (const HostError& e) {
      return e.line();
    }
    return L"no failure";
  }

  FakeServer server;
  FakeObject& object = server.object(L"object");
};

TEST_F(DispatchTest, ArgumentsArriveInTheirNaturalOrderAndReadsAskForMethodOrGet) {
  const Variant first(std::wstring_view(L"first"));
  const Variant second(2.0);
  const Variant third = Variant::missing();
  const Variant result =
      callByName(&object, L"three", inArgument(first), inArgument(second), inArgument(third));
  EXPECT_EQ(result.get().lVal, 3);
  ASSERT_EQ(server.calls().size(), 1u);
  EXPECT_EQ(server.calls()[0],
            (RecordedCall{L"object",
                          L"Three",
                          L"method|get",
                          {L"BSTR \"first\"", L"R8 0x4000000000000000", L"ERROR 0x80020004"}}));
}

TEST_F(DispatchTest, APutNamesItsArgumentAndKeepsTheBits) {
  putByName(&object, L"Height", Variant(0.52359879016876220703125));
  EXPECT_THAT(server.calls(),
              ElementsAre(RecordedCall{L"object", L"Height", L"put", {L"R8 0x3FE0C15240000000"}}));
}

TEST_F(DispatchTest, OutParametersAreFilledInTheCallersVariants) {
  Variant picked;
  Variant point;
  const Variant prompt(std::wstring_view(L"TEXT を指示 : "));
  callByName(&object, L"GetEntity", outArgument(picked), outArgument(point), inArgument(prompt));
  EXPECT_EQ(picked.type(), VT_BSTR);
  EXPECT_EQ(point.type(), VT_ARRAY | VT_R8);
  EXPECT_EQ(point.element(2), 3.0);
  EXPECT_EQ(server.calls().at(0).args.at(2), L"BSTR \"TEXT を指示 : \"");
}

TEST_F(DispatchTest, AFailureNamesTheMemberTheStatusAndTheHostsDescription) {
  const auto height = [&] { callByName(&object, L"Height"); };
  server.failCall(L"Height", 1, {RPC_E_DISCONNECTED});
  server.failCall(L"Height", 2, {DISP_E_EXCEPTION, E_ABORT, L"Cancelled\r\nby the user", false});
  server.failCall(L"Height", 3, {DISP_E_EXCEPTION, E_ABORT, L"filled in late", true});
  server.failCall(L"Height", 4, {DISP_E_EXCEPTION, S_OK, L"no status of its own", false});
  server.failCall(L"Height", 5, {DISP_E_EXCEPTION, S_OK, L"", true});
  EXPECT_EQ(failureOf(height), L"Height failed: 0x80010108");
  EXPECT_EQ(failureOf(height), L"Height failed: 0x80004004 (Cancelled  by the user)");
  EXPECT_EQ(failureOf(height), L"Height failed: 0x80004004 (filled in late)");
  EXPECT_EQ(failureOf(height), L"Height failed: 0x80020009 (no status of its own)");
  EXPECT_EQ(failureOf(height), L"Height failed: 0x80020009");
  EXPECT_EQ(failureOf(height), L"no failure");
  EXPECT_EQ(failureOf([&] { putByName(&object, L"Height", Variant(1.0)); }), L"no failure");
}

TEST_F(DispatchTest, AMemberThatCannotBeFoundFailsBeforeAnyCall) {
  EXPECT_EQ(failureOf([&] { callByName(&object, L"Nothing"); }),
            L"GetIDsOfNames(Nothing) failed: 0x80020006");
  server.failLookup(L"Height", RPC_E_SERVERFAULT);
  EXPECT_EQ(failureOf([&] { callByName(&object, L"Height"); }),
            L"GetIDsOfNames(Height) failed: 0x80010105");
  EXPECT_EQ(failureOf([&] { callByName(nullptr, L"Height"); }),
            L"Height failed: 0x80004003 (called on a null object)");
  EXPECT_THAT(server.calls(), IsEmpty());
}

TEST_F(DispatchTest, AnOwnerAsksEachMemberOnceAndEveryCallStillReachesTheHost) {
  {
    LateBound bound(server.share(object));
    EXPECT_EQ(bound.call(L"Height").get().dblVal, 2.5);
    EXPECT_EQ(bound.call(L"Height").get().dblVal, 2.5);
    bound.put(L"Height", Variant(1.0));
    EXPECT_EQ(bound.call(L"Three").get().lVal, 3);
    EXPECT_THAT(server.lookups(), ElementsAre(L"object.Height", L"object.Three"));
    EXPECT_EQ(server.calls().size(), 4u);
    EXPECT_EQ(server.calls()[2].flags, L"put");

    // Another owner of the same object asks again: what one owner learnt is its own.
    LateBound again(server.share(object));
    again.call(L"Height");
    EXPECT_THAT(server.lookups(), ElementsAre(L"object.Height", L"object.Three", L"object.Height"));
  }
  EXPECT_THAT(server.unbalanced(), IsEmpty());
}

// Two objects that number their members differently: each call must reach the member named on
// the object called, which a DISPID kept from the other object would miss.
TEST_F(DispatchTest, ADispidServesOnlyTheObjectThatGaveIt) {
  FakeObject& other = server.object(L"other");
  other.on(L"Height", [](const Invocation&) { return Variant(7.0); })
      .on(L"Three", [](const Invocation&) { return Variant(std::int32_t{33}); });
  LateBound first(server.share(object));
  LateBound second(server.share(other));
  EXPECT_EQ(first.call(L"Three").get().lVal, 3);
  EXPECT_EQ(second.call(L"Three").get().lVal, 33);
  EXPECT_EQ(first.call(L"Height").get().dblVal, 2.5);
  EXPECT_EQ(second.call(L"Height").get().dblVal, 7.0);
  EXPECT_THAT(server.lookups(),
              ElementsAre(L"object.Three", L"other.Three", L"object.Height", L"other.Height"));
}

TEST_F(DispatchTest, AFailedLookupIsAFailedCallAndIsAskedAgain) {
  LateBound bound(server.share(object));
  server.failLookup(L"Height", RPC_E_SERVERFAULT);
  EXPECT_EQ(failureOf([&] { bound.call(L"Height"); }), L"GetIDsOfNames(Height) failed: 0x80010105");
  EXPECT_EQ(failureOf([&] { bound.put(L"Height", Variant(1.0)); }),
            L"GetIDsOfNames(Height) failed: 0x80010105");
  server.answerLookup(L"Height");
  EXPECT_EQ(failureOf([&] { bound.call(L"Height"); }), L"no failure");
  EXPECT_EQ(failureOf([&] { bound.call(L"Height"); }), L"no failure");
  // A name the object does not know is asked at every call too.
  EXPECT_EQ(failureOf([&] { bound.call(L"Nothing"); }),
            L"GetIDsOfNames(Nothing) failed: 0x80020006");
  EXPECT_EQ(failureOf([&] { bound.call(L"Nothing"); }),
            L"GetIDsOfNames(Nothing) failed: 0x80020006");
  EXPECT_THAT(server.lookups(), ElementsAre(L"object.Height", L"object.Height", L"object.Height",
                                            L"object.Nothing", L"object.Nothing"));
  EXPECT_EQ(server.calls().size(), 2u);

  LateBound empty(nullptr);
  EXPECT_EQ(failureOf([&] { empty.call(L"Height"); }),
            L"Height failed: 0x80004003 (called on a null object)");
}

}  // namespace
}  // namespace orbelle::win32::fake
