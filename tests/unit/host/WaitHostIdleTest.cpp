#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "host/WaitHostIdle.h"
#include "tests/support/Expected.h"
#include "tests/support/FakeWorld.h"

namespace orbelle {
namespace {

using fake::Call;
using fake::onDesktop;
using fake::onHost;
using fake::pause;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const Call kTick = onDesktop(L"tickCount");
const Call kFetchLink = onHost(L"Document", L"application");
const Call kFetchState = onHost(L"StateLink", L"getState");
const Call kMessages = onDesktop(L"processMessages");
const Call kClosed = onDesktop(L"quitRequested");
const Call kEscapeState = onDesktop(L"keyState", {L"27"});
const Call kIdle = onHost(L"State", L"isQuiescent");

class WaitHostIdleTest : public ::testing::Test {
 protected:
  WaitHostIdleTest() : document(world.host.createApplication()->activeDocument()) {
    world.log.clear();
  }

  std::int32_t wait(std::uint32_t limitSeconds) {
    world.desktop.debugLines.clear();
    const std::int32_t result = waitHostIdle(world.desktop, *document, limitSeconds, &failures);
    // Whatever the outcome, only the caller's document is still held.
    EXPECT_EQ(world.host.liveReferences(), 1);
    return result;
  }

  std::size_t cycles() const { return world.log.of(L"Desktop.sleep").size(); }

  const std::vector<std::wstring>& lines() const { return world.desktop.debugLines; }

  fake::FakeWorld world;
  HostRef<HostDocument> document;
  FailureLog failures{world.desktop, L"waiting"};
};

TEST_F(WaitHostIdleTest, AHostIdleFromTheStartEndsTheFirstCycleWithOne) {
  const std::uint32_t start = world.desktop.tick;
  EXPECT_EQ(wait(30000), 1);
  // The start time comes before the state object; each cycle: pause, messages, close, Escape,
  // idle.
  EXPECT_THAT(world.log.calls(), ElementsAre(kTick, kFetchLink, kFetchState, pause(100), kMessages,
                                             kClosed, kEscapeState, kIdle));
  EXPECT_EQ(world.desktop.tick - start, 100u);
  EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(WaitHostIdleTest, EscapeIsTestedBeforeIdleAndOnlyItsHighBitCounts) {
  world.desktop.keyStateAnswer = [](int key) { return key == 0x1B ? fake::kKeyHeld : 0; };
  EXPECT_EQ(wait(30000), -1);
  EXPECT_TRUE(world.log.of(L"State.isQuiescent").empty());
  EXPECT_THAT(lines(), IsEmpty());  // the user's answer, not a failure

  // A toggled but released key (low bit only) is not held.
  world.desktop.keyStateAnswer = [](int) -> std::int16_t { return 1; };
  EXPECT_EQ(wait(30000), 1);
}

TEST_F(WaitHostIdleTest, TheLimitIsTestedLastAndOnlyWhenExceeded) {
  // Ten busy polls bring the elapsed time to exactly 1000 ms, which is not over the limit.
  world.host.idleAnswers = std::vector<bool>(10, false);
  world.host.idleAnswers.push_back(true);
  EXPECT_EQ(wait(1), 1);  // the 11th poll finds it idle as the limit passes
  EXPECT_EQ(cycles(), 11u);

  world.log.clear();
  world.host.idleAnswers = {false};
  EXPECT_EQ(wait(1), 0);
  EXPECT_EQ(cycles(), 11u);
  EXPECT_EQ(world.log.calls().back(), kTick);
  EXPECT_THAT(lines(), ElementsAre(L"Orbelle: waiting: the host ran its command past the "
                                   L"wait's limit of 1 s"));

  world.log.clear();
  EXPECT_EQ(wait(0), 0);  // a limit of 0 still waits one cycle
  EXPECT_EQ(cycles(), 1u);
}

TEST_F(WaitHostIdleTest, TimeIsCountedIn32BitsAcrossATickWrap) {
  world.host.idleAnswers = {false};
  world.desktop.tick = 0xFFFFFFFFu - 250;  // wraps during the third cycle
  EXPECT_EQ(wait(1), 0);
  EXPECT_EQ(cycles(), 11u);

  // The limit times 1000 is 32-bit too: 4294968 s wraps to 704 ms, over after 8 cycles.
  world.log.clear();
  EXPECT_EQ(wait(4294968), 0);
  EXPECT_EQ(cycles(), 8u);
}

TEST_F(WaitHostIdleTest, NoStateObjectEndsWithZeroWithoutAPause) {
  world.host.stateOffersInterface = false;
  EXPECT_EQ(wait(30000), 0);
  EXPECT_THAT(world.log.calls(), ElementsAre(kTick, kFetchLink, kFetchState));
  EXPECT_THAT(lines(),
              ElementsAre(L"Orbelle: waiting: QueryInterface(IAcadState) failed: 0x80004002"));

  world.log.clear();
  world.host.stateOffersInterface = true;
  world.host.failAt(L"Document.application", 2);  // this second wait's fetch
  EXPECT_EQ(wait(30000), 0);
  EXPECT_THAT(world.log.calls(), ElementsAre(kTick, kFetchLink));
}

TEST_F(WaitHostIdleTest, AFailureInsideTheLoopEndsWithZeroAtOnce) {
  world.host.idleAnswers = {false};
  world.host.failAt(L"State.isQuiescent", 3);  // the host closed during the wait
  EXPECT_EQ(wait(30000), 0);
  EXPECT_EQ(cycles(), 3u);
  EXPECT_EQ(world.log.calls().back(), kIdle);
  EXPECT_THAT(lines(), ElementsAre(L"Orbelle: waiting: State.isQuiescent failed: 0x80004005 "
                                   L"(injected failure)"));

  // Whatever escapes the palette's message processing ends the wait the same way.
  world.log.clear();
  world.desktop.onProcessMessages = [] { throw std::runtime_error("a nested failure"); };
  EXPECT_EQ(wait(30000), 0);
  EXPECT_EQ(world.log.calls().back(), kMessages);
  EXPECT_THAT(lines(), ElementsAre(L"Orbelle: waiting: a nested failure"));
}

// A close of the palette handled among its messages: the wait ends at once with Escape's result,
// before the Escape test or another question to the host.
TEST_F(WaitHostIdleTest, AClosedPaletteEndsTheWaitAtItsMessagePassAsEscapeWould) {
  world.host.idleAnswers = {false};
  int passes = 0;
  world.desktop.onProcessMessages = [&] {
    if (++passes == 3)
      world.desktop.quitPosted = true;
  };
  EXPECT_EQ(wait(30000), -1);
  EXPECT_EQ(cycles(), 3u);
  EXPECT_EQ(world.log.of(L"State.isQuiescent").size(), 2u);
  EXPECT_EQ(world.log.calls().back(), kClosed);
}

TEST_F(WaitHostIdleTest, AClosedPaletteEndsANestedWaitAndTheWaitAroundIt) {
  HostRef<HostDocument> nestedDocument = world.host.createApplication()->activeDocument();
  world.log.clear();
  world.host.idleAnswers = {false};
  bool nested = false;
  std::int32_t nestedResult = 99;
  world.desktop.onProcessMessages = [&] {
    if (!std::exchange(nested, true))
      nestedResult = waitHostIdle(world.desktop, *nestedDocument, 30000);
    else
      world.desktop.quitPosted = true;  // closed in the nested wait's message pass
  };
  EXPECT_EQ(waitHostIdle(world.desktop, *document, 30000), -1);
  EXPECT_EQ(nestedResult, -1);
  EXPECT_THAT(world.log.calls(),
              ElementsAreArray(std::vector<Call>{
                  kTick, kFetchLink, kFetchState, pause(100), kMessages,  // outer
                  kTick, kFetchLink, kFetchState, pause(100), kMessages,  // nested
                  kClosed,                                                // nested ends
                  kClosed}));                                             // outer ends
  EXPECT_EQ(world.host.liveReferences(), 2);
}

TEST_F(WaitHostIdleTest, AWaitNestedInTheMessagesHasItsOwnStartAndStateThenTheOuterGoesOn) {
  HostRef<HostDocument> nestedDocument = world.host.createApplication()->activeDocument();
  world.log.clear();
  bool nestedRan = false;
  std::int32_t nestedResult = 99;
  world.desktop.onProcessMessages = [&] {
    if (nestedRan)
      return;
    nestedRan = true;
    nestedResult = waitHostIdle(world.desktop, *nestedDocument, 0);
  };
  world.host.idleAnswers = {false, true};  // the nested poll, then the outer one

  EXPECT_EQ(waitHostIdle(world.desktop, *document, 30000), 1);
  EXPECT_EQ(nestedResult, 0);
  EXPECT_THAT(world.log.calls(),
              ElementsAreArray(std::vector<Call>{
                  kTick, kFetchLink, kFetchState, pause(100), kMessages,           // outer
                  kTick, kFetchLink, kFetchState, pause(100), kMessages, kClosed,  // nested
                  kEscapeState, kIdle, kTick,                                      // nested
                  kClosed, kEscapeState, kIdle}));                                 // outer
  EXPECT_EQ(world.host.liveReferences(), 2);
}

}  // namespace
}  // namespace orbelle
