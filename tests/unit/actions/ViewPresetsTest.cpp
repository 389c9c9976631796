#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "actions/ViewPresets.h"
#include "tests/support/Expected.h"
#include "tests/support/FailureSweep.h"
#include "tests/support/FakeWorld.h"

namespace orbelle::actions {
namespace {

using fake::onDesktop;
using fake::onHost;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr WindowHandle kWindow = fake::FakeWorld::kHostWindow;

class ViewPresetsTest : public ::testing::Test {
 protected:
  std::vector<std::wstring> commandsFor(const std::wstring& caption) {
    fake::FakeWorld fresh;
    ui::SpeedButton button(L"SpeedButton", nullptr, {}, caption);
    viewPreset(fresh.environment, &button);
    EXPECT_EQ(fresh.host.liveReferences(), 0);
    return fresh.log.commands();
  }

  fake::FakeWorld world;
  ui::SpeedButton southWest{L"SpeedButton6", nullptr, {79, 80, 47, 22}, L"SW"};
};

TEST_F(ViewPresetsTest, SouthWestAttachesActivatesCancelsAndSendsTheView) {
  viewPreset(world.environment, &southWest);
  EXPECT_THAT(world.log.calls(),
              ElementsAreArray(fake::sequence(
                  {fake::connecting(),
                   fake::activating(kWindow),
                   {onHost(L"Application", L"activeDocument"),
                    onHost(L"Document", L"sendCommand", {L"^C^C"}),
                    onHost(L"Document", L"sendCommand", {L"^C-VIEW SWISO ZOOM E\r"})}})));
  EXPECT_EQ(world.host.liveReferences(), 0);
  EXPECT_THAT(world.desktop.debugLines, IsEmpty());
}

TEST_F(ViewPresetsTest, TheCaptionPicksTheStringExactlyAndCaseSensitively) {
  EXPECT_THAT(commandsFor(L"SW"), ElementsAre(L"^C^C", L"^C-VIEW SWISO ZOOM E\r"));
  EXPECT_THAT(commandsFor(L"SE"), ElementsAre(L"^C^C", L"^C-VIEW SEISO ZOOM E\r"));
  EXPECT_THAT(commandsFor(L"TOP"), ElementsAre(L"^C^C", L"^C-VIEW O T ZOOM E\r"));
  for (const wchar_t* other : {L"sw", L"se", L"Se", L"SW ", L"", L"S", L"TEXT R"})
    EXPECT_THAT(commandsFor(other), ElementsAre(L"^C^C", L"^C-VIEW O T ZOOM E\r"));
}

TEST_F(ViewPresetsTest, WithoutAHostNothingIsSent) {
  world.desktop.windows.clear();
  viewPreset(world.environment, &southWest);
  EXPECT_THAT(world.log.calls(), ElementsAre(onDesktop(L"findTopLevelWindow", {L"nanoCAD 5"})));

  world.desktop.windows[kHostWindowTitle] = kWindow;
  world.connector.fails = true;
  viewPreset(world.environment, &southWest);
  EXPECT_THAT(world.log.commands(), IsEmpty());
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: view preset: no window titled \"nanoCAD 5\"",
                          L"Orbelle: view preset: CoCreateInstance(CoApplication) failed: "
                          L"0x80004005"));
}

TEST_F(ViewPresetsTest, AMinimisedHostIsRestoredAndBroughtForwardBeforeTheCancel) {
  world.desktop.minimized.insert(kWindow);
  viewPreset(world.environment, &southWest);
  const std::vector<fake::Call> calls = world.log.calls();
  const auto at = [&](const fake::Call& call) {
    return std::find(calls.begin(), calls.end(), call) - calls.begin();
  };
  const auto cancel = at(onHost(L"Document", L"sendCommand", {L"^C^C"}));
  EXPECT_LT(at(onDesktop(L"restore", {fake::integer(kWindow)})), at(fake::pause(500)));
  EXPECT_LT(at(fake::pause(500)), at(onDesktop(L"setForeground", {fake::integer(kWindow)})));
  EXPECT_LT(at(onDesktop(L"setForeground", {fake::integer(kWindow)})), cancel);
  EXPECT_LT(cancel, static_cast<std::ptrdiff_t>(calls.size()));
  EXPECT_TRUE(world.log.of(L"Desktop.keyEvent").empty());  // no Escape in this action
}

// The caption is read only after the cancel: a sender that is no button stops the action there.
TEST_F(ViewPresetsTest, ASenderThatIsNoButtonLeavesOnlyTheCancel) {
  ui::Panel panel(L"Panel2", nullptr, {});
  viewPreset(world.environment, &panel);
  viewPreset(world.environment, nullptr);
  EXPECT_THAT(world.log.commands(), ElementsAre(L"^C^C", L"^C^C"));
  EXPECT_EQ(world.host.liveReferences(), 0);
  const std::wstring line =
      L"Orbelle: view preset: the view action was started by something other than a button";
  EXPECT_THAT(world.desktop.debugLines, ElementsAre(line, line));
}

TEST_F(ViewPresetsTest, AFailingHostCallEndsTheActionSilentlyThere) {
  fake::sweepFailures([](fake::FakeWorld&) {},
                      [&](fake::FakeWorld& w) { viewPreset(w.environment, &southWest); },
                      [](fake::FakeWorld& w, const fake::CallSite& site) {
                        EXPECT_THAT(fake::callsAfter(w, site), IsEmpty());
                        EXPECT_THAT(w.desktop.debugLines,
                                    ElementsAre(fake::injectedFailureLine(L"view preset", site)));
                      });
}

}  // namespace
}  // namespace orbelle::actions
