#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/HostLink.h"
#include "tests/support/Expected.h"
#include "tests/support/FakeWorld.h"

namespace orbelle {
namespace {

using fake::askHandle;
using fake::Call;
using fake::escapeKey;
using fake::onDesktop;
using fake::onHost;
using fake::pause;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class HostLinkTest : public ::testing::Test {
 protected:
  static constexpr WindowHandle kWindow = fake::FakeWorld::kHostWindow;
  const std::wstring window = fake::integer(kWindow);

  // A host application reference obtained without going through the log.
  HostRef<HostApplication> attached() {
    HostRef<HostApplication> host = world.host.createApplication();
    return host;
  }

  fake::FakeWorld world;
};

TEST_F(HostLinkTest, ConnectLooksForTheExactTitleBeforeAnyCreation) {
  HostRef<HostApplication> host;
  EXPECT_TRUE(connectHost(world.environment, host));
  EXPECT_NE(host, nullptr);
  EXPECT_THAT(world.log.calls(), ElementsAreArray(fake::connecting()));
  host.reset();
  EXPECT_EQ(world.host.liveReferences(), 0);
}

TEST_F(HostLinkTest, ConnectWithoutTheWindowCreatesNothingAndLeavesTheReference) {
  for (const wchar_t* title : {L"", L"nanoCAD 5 - Drawing1", L"nanoCAD 5 ", L"nanocad 5"}) {
    SCOPED_TRACE(fake::printable(title));
    world.log.clear();
    world.desktop.windows.clear();
    if (*title != L'\0')
      world.desktop.windows[title] = kWindow;

    HostRef<HostApplication> host = attached();  // untouched, whatever it held
    const HostApplication* before = host.get();
    EXPECT_FALSE(connectHost(world.environment, host));
    EXPECT_EQ(host.get(), before);
    EXPECT_THAT(world.log.calls(), ElementsAre(onDesktop(L"findTopLevelWindow", {L"nanoCAD 5"})));
  }
}

TEST_F(HostLinkTest, AFailedCreationEmptiesTheReferenceAndRaisesNothing) {
  {
    world.connector.fails = true;
    HostRef<HostApplication> host = attached();
    EXPECT_FALSE(connectHost(world.environment, host));
    EXPECT_EQ(host, nullptr);
  }
  {
    world.connector.fails = false;
    world.connector.createsNothing = true;
    HostRef<HostApplication> host = attached();
    EXPECT_FALSE(connectHost(world.environment, host));
    EXPECT_EQ(host, nullptr);
  }
  EXPECT_EQ(world.log.of(L"Connector.createApplication").size(), 2u);
  EXPECT_EQ(world.host.liveReferences(), 0);
}

// No host reached is the commonest "the button does nothing": the debugger is told why, once.
TEST_F(HostLinkTest, ConnectSaysWhyNoHostWasReached) {
  FailureLog failures(world.desktop, L"view preset");
  const auto connect = [&] {
    world.desktop.debugLines.clear();
    HostRef<HostApplication> host;
    return connectHost(world.environment, host, &failures);
  };
  EXPECT_TRUE(connect());
  EXPECT_THAT(world.desktop.debugLines, ElementsAre());

  world.connector.fails = true;
  EXPECT_FALSE(connect());
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: view preset: CoCreateInstance(CoApplication) failed: "
                          L"0x80004005"));

  world.connector.fails = false;
  world.connector.createsNothing = true;
  EXPECT_FALSE(connect());
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: view preset: the host's application object came back empty"));

  world.desktop.windows = {{L"nanoCAD 5 - Drawing1", kWindow}};
  EXPECT_FALSE(connect());
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: view preset: no window titled \"nanoCAD 5\""));

  // Without a log to write to, nothing is written.
  world.desktop.debugLines.clear();
  HostRef<HostApplication> host;
  EXPECT_FALSE(connectHost(world.environment, host));
  EXPECT_THAT(world.desktop.debugLines, ElementsAre());
}

TEST_F(HostLinkTest, ActivateAsksTheHandleBeforeEveryUseAndPausesOnlyAfterARestore) {
  HostRef<HostApplication> host = attached();
  activateHost(world.desktop, *host);
  EXPECT_THAT(world.log.calls(), ElementsAre(askHandle(), onDesktop(L"isMinimized", {window}),
                                             askHandle(), onDesktop(L"setForeground", {window})));

  world.log.clear();
  world.desktop.minimized.insert(kWindow);
  activateHost(world.desktop, *host);
  EXPECT_THAT(world.log.calls(),
              ElementsAre(askHandle(), onDesktop(L"isMinimized", {window}), askHandle(),
                          onDesktop(L"restore", {window}), pause(500), askHandle(),
                          onDesktop(L"setForeground", {window})));
  EXPECT_FALSE(world.desktop.minimized.contains(kWindow));
  EXPECT_EQ(world.desktop.foregroundWindow, kWindow);
}

TEST_F(HostLinkTest, EachEscapeVariantSendsItsExactKeysOnlyWhenTheHostIsInFront) {
  HostRef<HostApplication> host = attached();
  world.desktop.foregroundWindow = kWindow;
  const Call press = escapeKey(false);
  const Call release = escapeKey(true);
  const Call inFront[] = {askHandle(), onDesktop(L"foreground")};

  pressEscInHost(world.desktop, *host, EscapeVariant::SinglePauseAfter);
  EXPECT_THAT(world.log.calls(), ElementsAre(inFront[0], inFront[1], press, release, pause(5)));

  world.log.clear();
  pressEscInHost(world.desktop, *host, EscapeVariant::SinglePauseBetween);
  EXPECT_THAT(world.log.calls(), ElementsAre(inFront[0], inFront[1], press, pause(5), release));

  world.log.clear();
  pressEscInHost(world.desktop, *host, EscapeVariant::Double);
  EXPECT_THAT(world.log.calls(), ElementsAre(inFront[0], inFront[1], press, release, pause(200),
                                             press, release, pause(500)));

  // Another window in front: the comparison alone, for every variant.
  world.desktop.foregroundWindow = fake::FakeWorld::kOtherWindow;
  for (EscapeVariant variant : {EscapeVariant::SinglePauseAfter, EscapeVariant::SinglePauseBetween,
                                EscapeVariant::Double}) {
    world.log.clear();
    pressEscInHost(world.desktop, *host, variant);
    EXPECT_THAT(world.log.calls(), ElementsAre(inFront[0], inFront[1]));
  }
}

TEST_F(HostLinkTest, ARefusedForegroundSwitchMeansNoKey) {
  HostRef<HostApplication> host = attached();
  world.desktop.refusesForeground = true;
  activateHost(world.desktop, *host);
  pressEscInHost(world.desktop, *host, EscapeVariant::SinglePauseAfter);
  EXPECT_TRUE(world.log.of(L"Desktop.keyEvent").empty());
}

TEST_F(HostLinkTest, BringToFrontSkipsTheMinimisedTest) {
  HostRef<HostApplication> host = attached();
  world.desktop.minimized.insert(kWindow);
  bringHostToFront(world.desktop, *host);
  EXPECT_THAT(world.log.calls(), ElementsAre(askHandle(), onDesktop(L"setForeground", {window})));
}

TEST_F(HostLinkTest, AFailingHandleRequestRaisesAndStopsTheStep) {
  HostRef<HostApplication> host = attached();
  world.host.failAt(L"Application.mainWindowHandle", 2);
  world.desktop.minimized.insert(kWindow);
  EXPECT_THROW(activateHost(world.desktop, *host), HostError);
  EXPECT_THAT(world.log.calls(),
              ElementsAre(askHandle(), onDesktop(L"isMinimized", {window}), askHandle()));

  world.log.clear();
  world.host.failAt(L"Application.mainWindowHandle", 4);
  world.desktop.foregroundWindow = kWindow;
  EXPECT_NO_THROW(pressEscInHost(world.desktop, *host, EscapeVariant::Double));  // the 3rd
  EXPECT_THROW(pressEscInHost(world.desktop, *host, EscapeVariant::Double), HostError);
  EXPECT_THAT(world.log.on(L"Desktop").back(), onDesktop(L"sleep", {L"500"}));
  EXPECT_EQ(world.log.calls().back(), askHandle());
}

}  // namespace
}  // namespace orbelle
