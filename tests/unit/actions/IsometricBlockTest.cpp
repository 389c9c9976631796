#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "actions/BlockCommands.h"
#include "actions/IsometricBlock.h"
#include "tests/support/CommaLocale.h"
#include "tests/support/Expected.h"
#include "tests/support/FailureSweep.h"
#include "tests/support/FakeWorld.h"

namespace orbelle::actions {
namespace {

using fake::askHandle;
using fake::Call;
using fake::escapeKey;
using fake::FakeValue;
using fake::onDesktop;
using fake::onHost;
using fake::pause;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::StartsWith;

constexpr WindowHandle kWindow = fake::FakeWorld::kHostWindow;
constexpr wchar_t kSelectPrompt[] = L"アイソメブロックにする図形を選択 : ";
constexpr wchar_t kBasePointPrompt[] = L"ブロックの基点を指示 : ";

// The user picks (100, 50, 0) at 14:30:05 on 7 January 2025, and the selection ends at once.
void scriptTheWorkedExample(fake::FakeWorld& world) {
  world.host.pointAnswers = {FakeValue::point(100, 50, 0)};
}

class IsometricBlockTest : public ::testing::Test {
 protected:
  IsometricBlockTest() { scriptTheWorkedExample(world); }

  std::vector<std::wstring> run(const std::wstring& makeType) {
    world.desktop.debugLines.clear();
    isometricBlock(world.environment, makeType);
    EXPECT_EQ(world.host.liveReferences(), 0);
    return world.log.commands();
  }

  std::vector<std::wstring> runWithBasePoint(FakeValue point) {
    world.log.clear();
    world.host.pointAnswers = {std::move(point)};
    return run(L"R");
  }

  fake::FakeWorld world;
};

TEST_F(IsometricBlockTest, TheWorkedExampleForPlaneRSendsItsSixStrings) {
  EXPECT_THAT(
      run(L"R"),
      ElementsAre(
          L"^C^C", L"SELECT\r", L"ROTATE\rP\r\r100,50\r45\r",
          L"-NEWBLOCK\rISO-250107-143005R\r100,50\rP\r\r",
          L"-INSERT\rISO-250107-143005R\r100,50\r1.22474487139159\r0.707106781186548\r-60\r",
          L"move\rL\r\r100,50\r"));
  EXPECT_THAT(world.desktop.debugLines, IsEmpty());  // a full run writes nothing
}

TEST_F(IsometricBlockTest, EveryStepComesInItsOrder) {
  run(L"R");
  const std::wstring window = fake::integer(kWindow);
  const auto send = [](const wchar_t* text) { return onHost(L"Document", L"sendCommand", {text}); };
  std::vector<Call> expected = fake::sequence({
      fake::connecting(),
      fake::activating(kWindow),
      {askHandle(), onDesktop(L"foreground"), escapeKey(false), escapeKey(true), pause(5)},
      {onHost(L"Application", L"activeDocument"), send(L"^C^C"), onDesktop(L"localTime"),
       onHost(L"Document", L"utility"), onHost(L"Input", L"prompt", {kSelectPrompt}),
       send(L"SELECT\r")},
      // The wait, idle at its first poll.
      {onDesktop(L"tickCount"), onHost(L"Document", L"application"),
       onHost(L"StateLink", L"getState"), pause(100), onDesktop(L"processMessages"),
       onDesktop(L"quitRequested"), onDesktop(L"keyState", {L"27"}),
       onHost(L"State", L"isQuiescent")},
      // In front again without the minimised test, then Escape twice.
      {askHandle(), onDesktop(L"setForeground", {window}), askHandle(), onDesktop(L"foreground"),
       escapeKey(false), escapeKey(true), pause(200), escapeKey(false), escapeKey(true),
       pause(500)},
      {onHost(L"Document", L"utility"),
       onHost(L"Input", L"getPoint", {L"<left out>", kBasePointPrompt}),
       onDesktop(L"quitRequested")},
  });
  const std::vector<Call>& calls = world.log.calls();
  ASSERT_EQ(calls.size(), expected.size() + 4);
  EXPECT_THAT(std::vector<Call>(calls.begin(), calls.begin() + expected.size()),
              ElementsAreArray(expected));
  EXPECT_EQ(world.log.of(L"Application.mainWindowHandle").size(), 5u);
}

TEST_F(IsometricBlockTest, PlaneRowsCompareExactlyAndTheSuffixFollowsTheFirstRotation) {
  struct Row {
    const wchar_t* makeType;
    const wchar_t* firstDegrees;
    const wchar_t* secondDegrees;
    const wchar_t* suffix;
  };
  const Row rows[] = {
      {L"R", L"45", L"-60", L"R"}, {L"L", L"-45", L"60", L"L"}, {L"TL", L"45", L"0", L"R"},
      {L"TR", L"-45", L"0", L"L"}, {L"tr", L"-45", L"0", L"L"}, {L"r", L"-45", L"0", L"L"},
      {L"", L"-45", L"0", L"L"},   {L"X", L"-45", L"0", L"L"},  {L"R ", L"-45", L"0", L"L"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(fake::printable(row.makeType));
    fake::FakeWorld fresh;
    scriptTheWorkedExample(fresh);
    isometricBlock(fresh.environment, row.makeType);
    const std::wstring name = std::wstring(L"ISO-250107-143005") + row.suffix;
    EXPECT_THAT(
        fresh.log.commands(),
        ElementsAre(L"^C^C", L"SELECT\r",
                    std::wstring(L"ROTATE\rP\r\r100,50\r") + row.firstDegrees + L"\r",
                    L"-NEWBLOCK\r" + name + L"\r100,50\rP\r\r",
                    L"-INSERT\r" + name + L"\r100,50\r1.22474487139159\r0.707106781186548\r" +
                        row.secondDegrees + L"\r",
                    L"move\rL\r\r100,50\r"));
  }
}

TEST_F(IsometricBlockTest, TheBasePointIsWrittenAsXCommaYWithoutZ) {
  EXPECT_EQ(runWithBasePoint(FakeValue::point(100, 50, 7.5)).at(5), L"move\rL\r\r100,50\r");
  EXPECT_EQ(runWithBasePoint(FakeValue::point(-12.5, 0.25, 0)).at(2),
            L"ROTATE\rP\r\r-12.5,0.25\r45\r");
  EXPECT_EQ(runWithBasePoint(FakeValue::point(0.00001, 3, 0)).at(3),
            L"-NEWBLOCK\rISO-250107-143005R\r1E-5,3\rP\r\r");
  // Only elements 0 and 1 are read: two are enough.
  EXPECT_EQ(runWithBasePoint({FakeValue::Type::Array, {1, 2}, 0, {}}).at(5), L"move\rL\r\r1,2\r");
}

TEST_F(IsometricBlockTest, NumbersKeepTheirDecimalPointUnderACommaLocale) {
  fake::CommaLocale comma;
  if (!comma.active())
    GTEST_SKIP() << fake::CommaLocale::missingMessage();
  EXPECT_THAT(runWithBasePoint(FakeValue::point(100.5, 50.25, 0)),
              ElementsAre(L"^C^C", L"SELECT\r", L"ROTATE\rP\r\r100.5,50.25\r45\r",
                          L"-NEWBLOCK\rISO-250107-143005R\r100.5,50.25\rP\r\r",
                          L"-INSERT\rISO-250107-143005R\r100.5,50.25\r1.22474487139159\r"
                          L"0.707106781186548\r-60\r",
                          L"move\rL\r\r100.5,50.25\r"));
}

// A base point that is no array of two finite numbers: nothing after "SELECT\r" goes out.
TEST_F(IsometricBlockTest, AnUnusableBasePointSendsNoCommandString) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const FakeValue& point :
       {FakeValue::textValue(L"100,50"), FakeValue::numberValue(100), FakeValue{},
        FakeValue{FakeValue::Type::Array, {100}, 0, {}}, FakeValue::point(nan, 50, 0),
        FakeValue::point(100, std::numeric_limits<double>::infinity(), 0)}) {
    SCOPED_TRACE(fake::printable(fake::describe(point)));
    EXPECT_THAT(runWithBasePoint(point), ElementsAre(L"^C^C", L"SELECT\r"));
    EXPECT_THAT(world.desktop.debugLines, ElementsAre(StartsWith(L"Orbelle: isometric block: ")));
  }
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: isometric block: a number that is not finite cannot be "
                          L"typed into the host"));
  world.log.clear();
  world.host.pointAnswers = {fake::kCancel};  // Escape at the base-point prompt
  EXPECT_THAT(run(L"R"), ElementsAre(L"^C^C", L"SELECT\r"));
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: isometric block: GetPoint failed: 0x80020009 (the user "
                          L"cancelled the request)"));
}

TEST_F(IsometricBlockTest, TheBlockNameCarriesTheTimeReadRightAfterTheCancel) {
  // A minute passes during the selection; the name keeps the earlier time.
  world.desktop.onProcessMessages = [&] { world.desktop.now.minute = 31; };
  EXPECT_EQ(run(L"TL").at(3), L"-NEWBLOCK\rISO-250107-143005R\r100,50\rP\r\r");
  const std::vector<Call>& calls = world.log.calls();
  const auto clock = std::find(calls.begin(), calls.end(), onDesktop(L"localTime"));
  ASSERT_NE(clock, calls.end());
  EXPECT_EQ(*(clock - 1), onHost(L"Document", L"sendCommand", {L"^C^C"}));

  EXPECT_EQ(blockNamePrefix({2009, 12, 31, 23, 59, 59}), L"ISO-091231-235959");
  EXPECT_EQ(blockNamePrefix({2100, 3, 4, 5, 6, 7}), L"ISO-000304-050607");
}

TEST_F(IsometricBlockTest, AWaitThatEndsOtherwiseThanIdleEndsTheAction) {
  // Escape held at the first poll.
  world.desktop.keyStateAnswer = [](int) { return fake::kKeyHeld; };
  EXPECT_THAT(run(L"R"), ElementsAre(L"^C^C", L"SELECT\r"));
  EXPECT_EQ(world.log.calls().back(), onDesktop(L"keyState", {L"27"}));
  EXPECT_THAT(world.desktop.debugLines, IsEmpty());  // Escape is the user's answer

  // A state object without its interface: 0 at once.
  world.log.clear();
  world.desktop.keyStateAnswer = nullptr;
  world.host.stateOffersInterface = false;
  EXPECT_THAT(run(L"R"), ElementsAre(L"^C^C", L"SELECT\r"));
  EXPECT_EQ(world.log.calls().back(), onHost(L"StateLink", L"getState"));
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: isometric block: QueryInterface(IAcadState) failed: "
                          L"0x80004002"));
}

TEST_F(IsometricBlockTest, AMinimisedHostIsRestoredAndAHostNotInFrontGetsNoKeys) {
  world.desktop.minimized.insert(kWindow);
  EXPECT_EQ(run(L"R").size(), 6u);
  EXPECT_EQ(world.log.of(L"Application.mainWindowHandle").size(), 6u);
  EXPECT_EQ(world.log.of(L"Desktop.restore").size(), 1u);
  EXPECT_EQ(world.log.of(L"Desktop.sleep").front(), pause(500));

  world.log.clear();
  world.desktop.foregroundWindow = fake::FakeWorld::kOtherWindow;
  world.desktop.refusesForeground = true;
  world.host.pointAnswers = {FakeValue::point(100, 50, 0)};
  EXPECT_EQ(run(L"R").size(), 6u);
  EXPECT_THAT(world.log.of(L"Desktop.keyEvent"), IsEmpty());
}

TEST_F(IsometricBlockTest, WithoutAHostNothingIsSent) {
  world.desktop.windows.clear();
  EXPECT_THAT(run(L"R"), IsEmpty());
  EXPECT_THAT(world.log.calls(), ElementsAre(onDesktop(L"findTopLevelWindow", {L"nanoCAD 5"})));
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: isometric block: no window titled \"nanoCAD 5\""));
}

TEST_F(IsometricBlockTest, AFailingHostCallEndsTheActionSilentlyThere) {
  fake::sweepFailures(
      scriptTheWorkedExample, [](fake::FakeWorld& w) { isometricBlock(w.environment, L"L"); },
      [](fake::FakeWorld& w, const fake::CallSite& site) {
        EXPECT_THAT(fake::callsAfter(w, site), IsEmpty());
        EXPECT_THAT(w.desktop.debugLines,
                    ElementsAre(fake::injectedFailureLine(L"isometric block", site)));
      });
}

}  // namespace
}  // namespace orbelle::actions
