#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "actions/Rotate3D.h"
#include "tests/support/Expected.h"
#include "tests/support/FailureSweep.h"
#include "tests/support/FakeWorld.h"

namespace orbelle::actions {
namespace {

using fake::Call;
using fake::FakeValue;
using fake::onDesktop;
using fake::onHost;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr WindowHandle kWindow = fake::FakeWorld::kHostWindow;
constexpr wchar_t kSelectPrompt[] = L"3D 回転する図形を選択 : ";
constexpr wchar_t kFirstPrompt[] = L"回転軸の1点目をを指示 : ";
constexpr wchar_t kSecondPrompt[] = L"回転軸の2点目をを指示 : ";
constexpr wchar_t kAnglePrompt[] = L"回転角度を入力: ";

// Five objects selected; a vertical axis through (1, 2); 30 degrees.
void scriptFiveObjects(fake::FakeWorld& world) {
  for (const wchar_t* name : {L"e0", L"e1", L"e2", L"e3", L"e4"}) {
    world.host.addEntity(name);
    world.host.userSelection.push_back(name);
  }
  world.host.pointAnswers = {FakeValue::point(1, 2, 0), FakeValue::point(1, 2, 5)};
  world.host.realAnswers = {30};
}

class Rotate3DTest : public ::testing::Test {
 protected:
  Rotate3DTest() { scriptFiveObjects(world); }

  void run() {
    rotate3D(world.environment);
    EXPECT_EQ(world.host.liveReferences(), 0);
  }

  // The angle each object was turned by, in index order.
  std::vector<std::wstring> rotations() const {
    std::vector<std::wstring> angles;
    for (const Call& call : world.log.of(L"Entity.rotate3D"))
      angles.push_back(call.args.at(2));
    return angles;
  }

  fake::FakeWorld world;
};

TEST_F(Rotate3DTest, FiveObjectsTurnInIndexOrderAboutThePickedAxis) {
  run();
  const auto rotate = [](const wchar_t* name) {
    return onHost(std::wstring(L"Entity:") + name, L"rotate3D",
                  {L"[1, 2, 0]", L"[1, 2, 5]", L"0.5235987755982989"});
  };
  const auto item = [](int index) { return onHost(L"Selection", L"item", {fake::integer(index)}); };
  // After each wait for the user, and before the last clear: has the palette been closed?
  const Call closed = onDesktop(L"quitRequested");
  EXPECT_THAT(world.log.calls(),
              ElementsAreArray(fake::sequence({
                  fake::connecting(),
                  fake::activating(kWindow),  // no Escape press
                  {onHost(L"Application", L"activeDocument"),
                   onHost(L"Document", L"sendCommand", {L"^C^C"}),
                   onHost(L"Document", L"selectionSet"), onHost(L"Selection", L"clear"),
                   onHost(L"Document", L"utility"), onHost(L"Input", L"prompt", {kSelectPrompt}),
                   onHost(L"Selection", L"selectOnScreen"), closed, onHost(L"Selection", L"count"),
                   // A fresh input object before each ask; the first point is the second's base.
                   onHost(L"Document", L"utility"),
                   onHost(L"Input", L"getPoint", {L"<left out>", kFirstPrompt}), closed,
                   onHost(L"Document", L"utility"),
                   onHost(L"Input", L"getPoint", {L"[1, 2, 0]", kSecondPrompt}), closed,
                   onHost(L"Document", L"utility"), onHost(L"Input", L"getReal", {kAnglePrompt}),
                   closed, onHost(L"Selection", L"count"), item(0), rotate(L"e0"), item(1),
                   rotate(L"e1"), item(2), rotate(L"e2"), item(3), rotate(L"e3"), item(4),
                   rotate(L"e4"), closed, onHost(L"Selection", L"clear")},
              })));
  EXPECT_THAT(world.host.selection, IsEmpty());
  EXPECT_THAT(world.desktop.debugLines, IsEmpty());
}

TEST_F(Rotate3DTest, TheTypedDegreesBecomeExtendedPrecisionRadians) {
  struct Angle {
    double degrees;
    const wchar_t* radians;
  };
  for (const Angle& angle : {Angle{90, L"1.5707963267948966"}, Angle{30, L"0.5235987755982989"},
                             Angle{-30, L"-0.5235987755982989"}, Angle{0, L"0"}}) {
    SCOPED_TRACE(angle.degrees);
    fake::FakeWorld fresh;
    scriptFiveObjects(fresh);
    fresh.host.realAnswers = {angle.degrees};
    rotate3D(fresh.environment);
    const std::vector<Call> turns = fresh.log.of(L"Entity.rotate3D");
    ASSERT_EQ(turns.size(), 5u);  // an angle of 0 still turns every object
    for (const Call& turn : turns)
      EXPECT_EQ(turn.args.at(2), angle.radians);
  }
}

TEST_F(Rotate3DTest, AnEmptySelectionEndsAfterTheCountWithoutAsking) {
  world.host.userSelection.clear();
  run();
  EXPECT_EQ(world.log.calls().back(), onHost(L"Selection", L"count"));
  EXPECT_THAT(world.desktop.debugLines, IsEmpty());  // the user's answer, not a failure
  EXPECT_THAT(world.log.of(L"Input.getPoint"), IsEmpty());
  EXPECT_EQ(world.log.of(L"Selection.clear").size(), 1u);  // not cleared again

  world.log.clear();
  world.host.countAnswers = {-1};
  run();
  EXPECT_EQ(world.log.calls().back(), onHost(L"Selection", L"count"));
}

TEST_F(Rotate3DTest, EscapeAtAnyAskTurnsNothingAndStillEmptiesTheSelection) {
  const wchar_t* const lines[] = {
      L"Orbelle: 3-D rotation: GetPoint failed: 0x80020009 (the user cancelled the request)",
      L"Orbelle: 3-D rotation: GetPoint failed: 0x80020009 (the user cancelled the request)",
      L"Orbelle: 3-D rotation: GetReal failed: 0x80020009 (the user cancelled the request)"};
  for (int cancelledAsk = 0; cancelledAsk < 3; ++cancelledAsk) {
    SCOPED_TRACE(cancelledAsk);
    fake::FakeWorld fresh;
    scriptFiveObjects(fresh);
    if (cancelledAsk < 2)
      fresh.host.pointAnswers[static_cast<std::size_t>(cancelledAsk)] = fake::kCancel;
    else
      fresh.host.realAnswers = {fake::kCancel};
    rotate3D(fresh.environment);
    EXPECT_THAT(fresh.log.of(L"Entity.rotate3D"), IsEmpty());
    EXPECT_EQ(fresh.log.calls().back(), onHost(L"Selection", L"clear"));
    EXPECT_THAT(fresh.host.selection, IsEmpty());
    EXPECT_EQ(fresh.host.liveReferences(), 0);
    EXPECT_THAT(fresh.desktop.debugLines, ElementsAre(lines[cancelledAsk]));
  }
}

TEST_F(Rotate3DTest, TheSecondCountDecidesHowManyTurnAndAFailedTurnEndsTheLoop) {
  world.host.countAnswers = {5, 2};
  run();
  EXPECT_EQ(rotations().size(), 2u);
  EXPECT_EQ(world.log.calls().back(), onHost(L"Selection", L"clear"));

  fake::FakeWorld none;
  scriptFiveObjects(none);
  none.host.countAnswers = {5, 0};
  rotate3D(none.environment);
  EXPECT_THAT(none.log.of(L"Entity.rotate3D"), IsEmpty());
  EXPECT_EQ(none.log.calls().back(), onHost(L"Selection", L"clear"));

  // The third object refuses: the first two stay turned, the rest are left, the set is emptied.
  fake::FakeWorld refusing;
  scriptFiveObjects(refusing);
  refusing.host.failAt(L"Entity.rotate3D", 3);
  rotate3D(refusing.environment);
  const std::vector<Call> turns = refusing.log.of(L"Entity.rotate3D");
  ASSERT_EQ(turns.size(), 3u);
  EXPECT_EQ(turns.back().object, L"Entity:e2");
  EXPECT_EQ(refusing.log.calls().back(), onHost(L"Selection", L"clear"));
  EXPECT_EQ(refusing.host.liveReferences(), 0);
}

TEST_F(Rotate3DTest, WithoutAHostNothingIsSent) {
  world.desktop.windows.clear();
  run();
  EXPECT_THAT(world.log.calls(), ElementsAre(onDesktop(L"findTopLevelWindow", {L"nanoCAD 5"})));
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: 3-D rotation: no window titled \"nanoCAD 5\""));
}

// Up to the first count a failure ends the action; in the asks and the loop it skips to the
// final clear; in that clear, it ends the action.
TEST_F(Rotate3DTest, AFailingHostCallEndsTheActionOrSkipsToTheFinalClear) {
  std::size_t firstCount = 0;
  std::size_t finalClear = 0;
  {
    fake::FakeWorld clean;
    scriptFiveObjects(clean);
    rotate3D(clean.environment);
    const std::vector<Call>& calls = clean.log.calls();
    firstCount = static_cast<std::size_t>(
        std::find(calls.begin(), calls.end(), onHost(L"Selection", L"count")) - calls.begin());
    finalClear = calls.size() - 1;
  }
  fake::sweepFailures(
      scriptFiveObjects, [](fake::FakeWorld& w) { rotate3D(w.environment); },
      [&](fake::FakeWorld& w, const fake::CallSite& site) {
        if (site.index <= firstCount || site.index == finalClear) {
          EXPECT_THAT(fake::callsAfter(w, site), IsEmpty());
        } else {
          EXPECT_THAT(fake::callsAfter(w, site),
                      ElementsAre(onDesktop(L"quitRequested"), onHost(L"Selection", L"clear")));
        }
        EXPECT_THAT(w.desktop.debugLines,
                    ElementsAre(fake::injectedFailureLine(L"3-D rotation", site)));
      });
}

}  // namespace
}  // namespace orbelle::actions
