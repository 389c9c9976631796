#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "app/TForm89.h"
#include "tests/support/Expected.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/FakeWorld.h"

namespace orbelle {
namespace {

using fake::Call;
using fake::FakeValue;
using fake::onDesktop;
using fake::onHost;
using ::testing::ElementsAre;

const std::wstring kSouthWest = L"^C-VIEW SWISO ZOOM E\r";

// The real palette, its actions running against the fake host.
class PaletteActionsTest : public ::testing::Test {
 protected:
  fake::FakeWorld world;
  fake::FakeSettings settings;
  TForm89 palette{world.environment, settings.environment};
};

TEST_F(PaletteActionsTest, EveryControlRunsItsActionAgainstTheHost) {
  world.host.pointAnswers = {FakeValue::point(100, 50, 0)};
  palette.Image4.click();  // the far-left picture: plane "R"
  EXPECT_THAT(world.log.commands(),
              ElementsAre(L"^C^C", L"SELECT\r", L"ROTATE\rP\r\r100,50\r45\r",
                          L"-NEWBLOCK\rISO-250107-143005R\r100,50\rP\r\r",
                          L"-INSERT\rISO-250107-143005R\r100,50\r1.22474487139159\r"
                          L"0.707106781186548\r-60\r",
                          L"move\rL\r\r100,50\r"));

  world.log.clear();
  fake::FakeEntity& text = world.host.addText(L"t1");
  world.host.pickAnswers = {FakeValue::object(L"t1")};
  palette.reportWindowState(ui::WindowState::Minimized);
  palette.SpeedButton3.click();  // "TEXT TL": rotation 330, oblique 30
  const fake::FakeEntity& copy = world.host.entity(L"copy of t1");
  EXPECT_EQ(copy.rotation, 5.759586334228515625);
  EXPECT_EQ(copy.obliqueAngle, 0.52359879016876220703125);
  EXPECT_EQ(text.rotation, 0);
  EXPECT_EQ(palette.windowState(), ui::WindowState::Normal);

  world.log.clear();
  world.host.addEntity(L"line");
  world.host.userSelection = {L"line"};
  world.host.pointAnswers = {FakeValue::point(0, 0, 0), FakeValue::point(0, 0, 1)};
  world.host.realAnswers = {90};
  palette.SpeedButton5.click();
  EXPECT_EQ(world.log.of(L"Entity.rotate3D").size(), 1u);

  world.log.clear();
  palette.SpeedButton7.click();
  EXPECT_THAT(world.log.commands(), ElementsAre(L"^C^C", L"^C-VIEW SEISO ZOOM E\r"));
  EXPECT_EQ(world.host.liveReferences(), 0);
}

// A click on "SW" while the block action waits for the selection runs the view action to its
// end inside the wait, with its own connection; then the wait goes on and the block finishes.
TEST_F(PaletteActionsTest, AClickDuringTheWaitRunsInsideItAndTheWaitingActionFinishes) {
  world.host.pointAnswers = {FakeValue::point(100, 50, 0)};
  world.host.idleAnswers = {false, true};
  int referencesDuringNestedClick = -1;
  world.desktop.onProcessMessages = [&] {
    if (referencesDuringNestedClick >= 0)
      return;
    palette.SpeedButton6.click();
    referencesDuringNestedClick = world.host.liveReferences();
  };
  palette.Image1.click();  // plane "L"

  EXPECT_THAT(world.log.commands(),
              ElementsAre(L"^C^C", L"SELECT\r", L"^C^C", kSouthWest, L"ROTATE\rP\r\r100,50\r-45\r",
                          L"-NEWBLOCK\rISO-250107-143005L\r100,50\rP\r\r",
                          L"-INSERT\rISO-250107-143005L\r100,50\r1.22474487139159\r"
                          L"0.707106781186548\r60\r",
                          L"move\rL\r\r100,50\r"));
  // The nested action attached afresh and released all it took before the wait went on; the
  // waiting action still held its application, document, state link and state.
  EXPECT_EQ(world.log.of(L"Connector.createApplication").size(), 2u);
  EXPECT_EQ(referencesDuringNestedClick, 4);
  EXPECT_EQ(world.host.liveReferences(), 0);

  // The nested calls sit between the first message pass and that cycle's close test.
  const std::vector<Call>& calls = world.log.calls();
  const auto messages = std::find(calls.begin(), calls.end(), onDesktop(L"processMessages"));
  const auto nestedView =
      std::find(calls.begin(), calls.end(), onHost(L"Document", L"sendCommand", {kSouthWest}));
  const auto closeTest = std::find(calls.begin(), calls.end(), onDesktop(L"quitRequested"));
  EXPECT_EQ(*(messages + 1), onDesktop(L"findTopLevelWindow", {L"nanoCAD 5"}));
  EXPECT_EQ(nestedView + 1, closeTest);
  // 5 ms after the first Escape, two polls, then 200 and 500 ms around the double Escape.
  EXPECT_EQ(world.log.of(L"Desktop.sleep").size(), 5u);
}

// A nested picture click waits in its own right: its own start time and state object.
TEST_F(PaletteActionsTest, ANestedBlockActionWaitsWithItsOwnStartAndStateObject) {
  // The nested action asks for its base point first.
  world.host.pointAnswers = {FakeValue::point(1, 1, 0), FakeValue::point(2, 2, 0)};
  bool clicked = false;
  world.desktop.onProcessMessages = [&] {
    if (std::exchange(clicked, true))
      return;
    palette.Image4.click();
  };
  palette.Image1.click();

  const std::vector<std::wstring> commands = world.log.commands();
  ASSERT_EQ(commands.size(), 12u);
  EXPECT_EQ(commands[3], L"SELECT\r");                // the nested selection, inside the outer wait
  EXPECT_EQ(commands[4], L"ROTATE\rP\r\r1,1\r45\r");  // the nested one finishes first
  EXPECT_EQ(commands[8], L"ROTATE\rP\r\r2,2\r-45\r");
  EXPECT_EQ(world.log.of(L"StateLink.getState").size(), 2u);
  EXPECT_EQ(world.log.of(L"Desktop.tickCount").size(), 2u);  // one start per wait
  EXPECT_EQ(world.host.liveReferences(), 0);
}

// Closed while a nested picture action waits inside the first one's wait: both waits end,
// neither action sends anything after its "SELECT\r", and every reference goes back.
TEST_F(PaletteActionsTest, AClosedPaletteEndsTheNestedActionAndTheOneAroundIt) {
  world.host.idleAnswers = {false};
  world.host.pointAnswers = {FakeValue::point(1, 1, 0), FakeValue::point(2, 2, 0)};
  bool clicked = false;
  world.desktop.onProcessMessages = [&] {
    if (!std::exchange(clicked, true))
      palette.Image4.click();
    else
      world.desktop.quitPosted = true;
  };
  palette.Image1.click();
  EXPECT_THAT(world.log.commands(), ElementsAre(L"^C^C", L"SELECT\r", L"^C^C", L"SELECT\r"));
  EXPECT_TRUE(world.log.of(L"Input.getPoint").empty());
  EXPECT_EQ(world.host.liveReferences(), 0);
}

}  // namespace
}  // namespace orbelle
