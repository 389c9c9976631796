#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <numbers>

#include "actions/ExactValues.h"
#include "actions/IsometricText.h"
#include "tests/support/CommaLocale.h"
#include "tests/support/Expected.h"
#include "tests/support/FailureSweep.h"
#include "tests/support/FakeWorld.h"

namespace orbelle::actions {
namespace {

using fake::askHandle;
using fake::Call;
using fake::escapeKey;
using fake::FakeEntity;
using fake::FakeValue;
using fake::number;
using fake::onDesktop;
using fake::onHost;
using fake::pause;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr WindowHandle kWindow = fake::FakeWorld::kHostWindow;
constexpr wchar_t kPickPrompt[] = L"TEXT を指示 : ";

double degrees(double value) {
  return value * std::numbers::pi / 180;
}

// A left-aligned text of height 10 at (12.5, -3, 0), neither rotated nor oblique: not isometric.
FakeEntity& scriptAPlainText(fake::FakeWorld& world) {
  FakeEntity& text = world.host.addText(L"t1");
  text.height = 10;
  text.scaleFactor = 0.8;
  text.insertionPoint = FakeValue::point(12.5, -3, 0);
  text.alignmentPoint = FakeValue::point(40, 2, 0);
  world.host.pickAnswers = {FakeValue::object(L"t1")};
  return text;
}

// Records every write of the palette's window state.
class WindowStateWrites : public ui::FormObserver {
 public:
  void windowStateWritten(ui::Form& form) override { written.push_back(form.windowState()); }
  void positionWritten(ui::Form&) override {}
  std::vector<ui::WindowState> written;
};

class IsometricTextTest : public ::testing::Test {
 protected:
  IsometricTextTest() { palette.setObserver(&writes); }

  // Clicks `button` with the palette minimised, and checks what holds after every outcome.
  void click(const ui::Control& button) {
    palette.reportWindowState(ui::WindowState::Minimized);
    writes.written.clear();
    world.desktop.debugLines.clear();
    isometricText(world.environment, palette, &button, buttons);
    EXPECT_THAT(writes.written, ElementsAre(ui::WindowState::Normal));
    EXPECT_EQ(world.host.liveReferences(), 0);
  }

  bool copied() const { return world.host.hasEntity(L"copy of t1"); }

  fake::FakeWorld world;
  ui::Form palette{L"palette", 225, 102};
  WindowStateWrites writes;
  ui::SpeedButton textR{L"SpeedButton1", nullptr, {}, L"TEXT R"};
  ui::SpeedButton textTR{L"SpeedButton2", nullptr, {}, L"TEXT TR"};
  ui::SpeedButton textTL{L"SpeedButton3", nullptr, {}, L"TEXT TL"};
  ui::SpeedButton textL{L"SpeedButton4", nullptr, {}, L"TEXT L"};
  TextPlaneButtons buttons{&textL, &textTL, &textTR, &textR};
};

TEST_F(IsometricTextTest, APlainTextIsCopiedScaledTurnedAndHandedToMove) {
  scriptAPlainText(world);
  click(textR);

  const std::wstring window = fake::integer(kWindow);
  const auto onCopy = [](const wchar_t* operation, std::vector<std::wstring> args = {}) {
    return onHost(L"Text:copy of t1", operation, std::move(args));
  };
  EXPECT_THAT(
      world.log.calls(),
      ElementsAreArray(fake::sequence({
          fake::connecting(),
          // The document is taken before the host is brought forward; no "^C^C".
          {onHost(L"Application", L"activeDocument")},
          fake::activating(kWindow),
          {askHandle(), onDesktop(L"foreground"), escapeKey(false), pause(5), escapeKey(true)},
          {onHost(L"Document", L"utility"), onHost(L"Input", L"getEntity", {kPickPrompt}),
           onDesktop(L"quitRequested"), onHost(L"Object:t1", L"queryEntity"),
           onHost(L"Entity:t1", L"objectName"), onHost(L"Entity:t1", L"queryText"),
           onHost(L"Text:t1", L"alignment"), onHost(L"Text:t1", L"insertionPoint"),
           onHost(L"Text:t1", L"obliqueAngle"), onHost(L"Entity:t1", L"copy"),
           onHost(L"Object:copy of t1", L"queryText"), onCopy(L"obliqueAngle"),
           onHost(L"Text:t1", L"height"),
           onCopy(L"setHeight", {L"8.66025396499207"}),  // 10 times c, rounded once
           onCopy(L"setScaleFactor", {L"1.154700548092894"}),
           onCopy(L"setRotation", {L"0.5235987901687622"}),
           onCopy(L"setObliqueAngle", {L"0.5235987901687622"}), onCopy(L"update"),
           onHost(L"Document", L"sendCommand", {L"move\rL\r\r12.500000,-3.000000\r"})},
      })));

  const FakeEntity& copy = world.host.entity(L"copy of t1");
  EXPECT_EQ(copy.height, 8.66025396499207);
  EXPECT_EQ(copy.scaleFactor, 1.154700548092894);  // replaces 0.8, not multiplied into it
  EXPECT_EQ(copy.rotation, 0.52359879016876220703125);
  EXPECT_EQ(copy.obliqueAngle, 0.52359879016876220703125);
  const FakeEntity& picked = world.host.entity(L"t1");
  EXPECT_EQ(picked.height, 10);
  EXPECT_EQ(picked.scaleFactor, 0.8);
  EXPECT_EQ(picked.rotation, 0);
  EXPECT_EQ(picked.obliqueAngle, 0);
  EXPECT_THAT(world.desktop.debugLines, IsEmpty());
}

TEST_F(IsometricTextTest, EachButtonIsToldApartByIdentityAndWritesItsPlane) {
  const double d30 = 0.52359879016876220703125;
  const double d330 = 5.759586334228515625;
  struct Row {
    const ui::Control* button;
    double rotation;
    double oblique;
  };
  for (const Row& row : {Row{&textL, d330, d330}, Row{&textTL, d330, d30}, Row{&textTR, d30, d330},
                         Row{&textR, d30, d30}}) {
    SCOPED_TRACE(fake::printable(row.button->name()));
    fake::FakeWorld fresh;
    scriptAPlainText(fresh);
    isometricText(fresh.environment, palette, row.button, buttons);
    const FakeEntity& copy = fresh.host.entity(L"copy of t1");
    EXPECT_EQ(number(copy.rotation), number(row.rotation));
    EXPECT_EQ(number(copy.obliqueAngle), number(row.oblique));
  }

  // A button with a TEXT caption that is none of the four has no plane: nothing is sent.
  scriptAPlainText(world);
  ui::SpeedButton stranger(L"SpeedButton1", nullptr, {}, L"TEXT R");
  palette.reportWindowState(ui::WindowState::Minimized);
  isometricText(world.environment, palette, &stranger, buttons);
  isometricText(world.environment, palette, nullptr, buttons);
  EXPECT_THAT(world.log.calls(), IsEmpty());
  EXPECT_EQ(palette.windowState(), ui::WindowState::Normal);
}

TEST_F(IsometricTextTest, AnIsometricTextIsTurnedInPlaceWithoutScaling) {
  FakeEntity& text = scriptAPlainText(world);
  text.rotation = kText30Degrees;  // turned by an earlier click
  text.obliqueAngle = kText30Degrees;
  click(textL);
  EXPECT_FALSE(copied());
  EXPECT_EQ(text.rotation, 5.759586334228515625);
  EXPECT_EQ(text.obliqueAngle, 5.759586334228515625);
  EXPECT_EQ(text.height, 10);
  EXPECT_EQ(text.scaleFactor, 0.8);
  EXPECT_THAT(world.log.commands(), IsEmpty());
  EXPECT_EQ(world.log.calls().back(), onHost(L"Text:t1", L"update"));

  // Any two non-zero angles count as isometric, even ones of no plane.
  fake::FakeWorld other;
  FakeEntity& tilted = scriptAPlainText(other);
  tilted.rotation = degrees(10);
  tilted.obliqueAngle = degrees(10);
  isometricText(other.environment, palette, &textTR, buttons);
  EXPECT_FALSE(other.host.hasEntity(L"copy of t1"));
  EXPECT_EQ(tilted.rotation, kText30Degrees);
  EXPECT_EQ(tilted.obliqueAngle, kText330Degrees);
  EXPECT_EQ(tilted.height, 10);
  EXPECT_THAT(other.log.of(L"Text.setHeight"), IsEmpty());
}

TEST_F(IsometricTextTest, OneAngleExactlyZeroMeansACopyAndNegativeZeroCountsButNaNDoesNot) {
  struct Angles {
    double rotation;
    double oblique;
    bool copies;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const Angles& angles :
       {Angles{degrees(45), 0, true}, Angles{0, degrees(15), true}, Angles{degrees(45), -0.0, true},
        Angles{-0.0, degrees(15), true}, Angles{nan, nan, false}, Angles{nan, degrees(15), false},
        Angles{1e-300, 1e-300, false}}) {
    SCOPED_TRACE(fake::printable(number(angles.rotation) + L" / " + number(angles.oblique)));
    fake::FakeWorld fresh;
    FakeEntity& text = scriptAPlainText(fresh);
    text.rotation = angles.rotation;
    text.obliqueAngle = angles.oblique;
    isometricText(fresh.environment, palette, &textR, buttons);
    EXPECT_EQ(fresh.host.hasEntity(L"copy of t1"), angles.copies);
    EXPECT_EQ(fresh.log.of(L"Text.setHeight").size(), angles.copies ? 1u : 0u);
    EXPECT_EQ(fresh.log.commands().size(), angles.copies ? 1u : 0u);
    EXPECT_EQ(fresh.host.liveReferences(), 0);
  }
}

TEST_F(IsometricTextTest, TheAnchorIsTheAlignmentPointUnlessLeftAligned) {
  FakeEntity& text = scriptAPlainText(world);
  text.alignment = 4;
  click(textL);
  EXPECT_THAT(world.log.commands(), ElementsAre(L"move\rL\r\r40.000000,2.000000\r"));
  EXPECT_THAT(world.log.of(L"Text.insertionPoint"), IsEmpty());
  EXPECT_EQ(world.log.of(L"Text.textAlignmentPoint").size(), 1u);

  fake::FakeWorld other;
  scriptAPlainText(other).insertionPoint = FakeValue::point(-3, 12.5, 99);
  isometricText(other.environment, palette, &textL, buttons);
  EXPECT_THAT(other.log.commands(), ElementsAre(L"move\rL\r\r-3.000000,12.500000\r"));
}

TEST_F(IsometricTextTest, TheMoveStringKeepsItsDecimalPointUnderACommaLocale) {
  fake::CommaLocale comma;
  if (!comma.active())
    GTEST_SKIP() << fake::CommaLocale::missingMessage();
  scriptAPlainText(world).insertionPoint = FakeValue::point(1234.5, -0.25, 0);
  click(textR);
  EXPECT_THAT(world.log.commands(), ElementsAre(L"move\rL\r\r1234.500000,-0.250000\r"));
}

// What the pick gives when it is not a single-line text: nothing changes, nothing is sent.
TEST_F(IsometricTextTest, AnythingButASingleLineTextIsLeftAlone) {
  struct Pick {
    const char* what;
    std::optional<FakeValue> answer;
    std::wstring className;
    bool offersEntity;
    // What the user picked ends the click without a failure; what the host failed to give, or
    // gave unreadably, is written for a debugger.
    const wchar_t* line = nullptr;
  };
  const wchar_t* const notAnObject =
      L"Orbelle: isometric text: the picked object failed: 0x80020005 (not a dispatch object, "
      L"or a null one)";
  const Pick picks[] = {
      {"a multi-line text", FakeValue::object(L"t1"), L"AcDbMText", true},
      {"a line", FakeValue::object(L"t1"), L"AcDbLine", true},
      {"a class name in other case", FakeValue::object(L"t1"), L"acdbtext", true},
      {"nothing picked", FakeValue{}, L"AcDbText", true},
      {"a cancelled pick", fake::kCancel, L"AcDbText", true,
       L"Orbelle: isometric text: GetEntity failed: 0x80020009 (the user cancelled the request)"},
      {"not an object", FakeValue::numberValue(3), L"AcDbText", true, notAnObject},
      {"a null object", FakeValue::nullObject(), L"AcDbText", true, notAnObject},
      {"an object without IAcadEntity", FakeValue::object(L"t1"), L"AcDbText", false,
       L"Orbelle: isometric text: QueryInterface(IAcadEntity) failed: 0x80004002"},
  };
  for (const Pick& pick : picks) {
    SCOPED_TRACE(pick.what);
    world.log.clear();
    FakeEntity& text = scriptAPlainText(world);
    text.className = pick.className;
    text.offersEntity = pick.offersEntity;
    world.host.pickAnswers = {pick.answer};
    click(textR);
    EXPECT_FALSE(copied());
    EXPECT_THAT(world.log.of(L"Text.setRotation"), IsEmpty());
    EXPECT_THAT(world.log.of(L"Text.alignment"), IsEmpty());
    EXPECT_THAT(world.log.commands(), IsEmpty());
    if (pick.line == nullptr) {
      EXPECT_THAT(world.desktop.debugLines, IsEmpty());
    } else {
      EXPECT_THAT(world.desktop.debugLines, ElementsAre(pick.line));
    }
    world.host.entity(L"t1").name = L"old";  // the next round adds its own t1
  }
}

TEST_F(IsometricTextTest, WithoutAHostOnlyTheWindowStateChanges) {
  scriptAPlainText(world);
  world.desktop.windows.clear();
  click(textR);
  EXPECT_THAT(world.log.calls(), ElementsAre(onDesktop(L"findTopLevelWindow", {L"nanoCAD 5"})));
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: isometric text: no window titled \"nanoCAD 5\""));

  world.desktop.windows[kHostWindowTitle] = kWindow;
  world.connector.fails = true;
  click(textR);
  EXPECT_FALSE(copied());
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: isometric text: CoCreateInstance(CoApplication) failed: "
                          L"0x80004005"));

  // A click from none of the four buttons reaches no host at all.
  world.log.clear();
  const ui::SpeedButton rotate(L"SpeedButton5", nullptr, {}, L"ROTATE3D");
  click(rotate);
  EXPECT_THAT(world.log.calls(), IsEmpty());
  EXPECT_THAT(world.desktop.debugLines,
              ElementsAre(L"Orbelle: isometric text: the click came from none of the four TEXT "
                          L"buttons"));
}

// A coordinate that cannot be typed stops the move string; the copy made before it stays.
TEST_F(IsometricTextTest, AnAnchorThatIsNotFiniteSendsNoMoveString) {
  scriptAPlainText(world).insertionPoint =
      FakeValue::point(std::numeric_limits<double>::quiet_NaN(), 1, 0);
  click(textR);
  EXPECT_TRUE(copied());
  EXPECT_EQ(world.log.of(L"Text.update").size(), 1u);
  EXPECT_THAT(world.log.commands(), IsEmpty());
}

TEST_F(IsometricTextTest, AFailingHostCallEndsTheActionSilentlyThere) {
  ui::Form form(L"palette", 225, 102);
  fake::sweepFailures([](fake::FakeWorld& w) { scriptAPlainText(w); },
                      [&](fake::FakeWorld& w) {
                        form.reportWindowState(ui::WindowState::Minimized);
                        isometricText(w.environment, form, &textTL, buttons);
                      },
                      [&](fake::FakeWorld& w, const fake::CallSite& site) {
                        EXPECT_THAT(fake::callsAfter(w, site), IsEmpty());
                        EXPECT_EQ(form.windowState(), ui::WindowState::Normal);
                        EXPECT_THAT(w.desktop.debugLines, ElementsAre(fake::injectedFailureLine(
                                                              L"isometric text", site)));
                      });
}

}  // namespace
}  // namespace orbelle::actions
