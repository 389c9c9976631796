#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "sim/CommandLine.h"
#include "sim/Drawing.h"

namespace orbelle::sim {
namespace {

using ::testing::ElementsAre;

class Recorder : public CommandLineListener {
 public:
  void echo(const std::wstring& line) override { lines.push_back(line); }
  void commandEvent(std::string_view event, const std::wstring& command,
                    const std::wstring&) override {
    events.push_back(std::string(event) + " " + std::string(command.begin(), command.end()));
  }
  void drawingChanged() override {}

  std::vector<std::wstring> lines;
  std::vector<std::string> events;
};

Entity unitSquare() {
  Entity square;
  square.type = EntityType::Polyline;
  square.points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  square.closed = true;
  return square;
}

Entity line(Vec3 a, Vec3 b) {
  Entity e;
  e.type = EntityType::Line;
  e.points = {a, b};
  return e;
}

class CommandLineTest : public ::testing::Test {
 protected:
  Drawing drawing;
  Recorder recorder;
  CommandLine commandLine{drawing, recorder};
};

TEST_F(CommandLineTest, CaretCCancelsTheRunningCommandAndBlankActsAsEnter) {
  drawing.add(unitSquare());
  commandLine.type(L"SELECT ");
  EXPECT_TRUE(commandLine.running());
  EXPECT_EQ(commandLine.prompt().kind, PromptKind::Objects);
  commandLine.type(L"^C");
  EXPECT_FALSE(commandLine.running());
  EXPECT_THAT(recorder.events, ElementsAre("started SELECT", "cancelled SELECT"));
  // A caret not followed by C is typed as it is; the command is then unknown.
  commandLine.type(L"^X\r");
  EXPECT_EQ(recorder.events.back(), "refused ^X");
}

TEST_F(CommandLineTest, UnknownCommandsAreRefusedAndLeaveTheDrawingAlone) {
  const Handle square = drawing.add(unitSquare());
  commandLine.type(L"ERASE\rL\r\r");
  EXPECT_FALSE(commandLine.running());
  EXPECT_NE(drawing.find(square), nullptr);
  EXPECT_EQ(recorder.events.front(), "refused ERASE");
  EXPECT_THAT(recorder.lines, ::testing::Contains(L"Unknown command \"ERASE\"."));
}

TEST_F(CommandLineTest, SelectEndsOnAnEmptyLineAndBecomesThePreviousSelection) {
  const Handle a = drawing.add(unitSquare());
  const Handle b = drawing.add(line({0, 0, 0}, {5, 5, 0}));
  commandLine.type(L"SELECT\r");
  commandLine.pickObjects({a}, false);
  commandLine.pickObjects({b}, false);
  EXPECT_THAT(commandLine.gathering(), ElementsAre(a, b));
  commandLine.type(L"\r");
  EXPECT_FALSE(commandLine.running());
  EXPECT_THAT(drawing.previousSelection, ElementsAre(a, b));
  // An empty selection keeps the previous one.
  commandLine.type(L"SELECT\r\r");
  EXPECT_THAT(drawing.previousSelection, ElementsAre(a, b));
}

// What is highlighted: the objects a command works on, from the first pick to its end.
TEST_F(CommandLineTest, TheSelectionLastsUntilTheCommandUsingItEndsOrIsCancelled) {
  const Handle a = drawing.add(unitSquare());
  const Handle b = drawing.add(line({0, 0, 0}, {5, 5, 0}));
  EXPECT_TRUE(commandLine.selection().empty());
  commandLine.type(L"MOVE\r");
  commandLine.pickObjects({a}, false);
  commandLine.pickObjects({b, a}, false);
  EXPECT_THAT(recorder.lines,
              ::testing::IsSupersetOf({L"1 found, 1 total", L"2 found (1 duplicate), 2 total"}));
  EXPECT_THAT(commandLine.selection(), ElementsAre(a, b));
  commandLine.pickObjects({}, true);  // the end of the selection is no pick: nothing echoed
  EXPECT_EQ(recorder.lines.back(), L"2 found (1 duplicate), 2 total");
  EXPECT_THAT(commandLine.selection(), ElementsAre(a, b)) << "while the base point is asked";
  EXPECT_FALSE(commandLine.drag());
  commandLine.pickPoint({1, 1, 0});
  EXPECT_THAT(commandLine.selection(), ElementsAre(a, b)) << "while the second point is asked";
  ASSERT_TRUE(commandLine.drag());
  EXPECT_EQ(commandLine.drag()->base, (Vec3{1, 1, 0}));
  EXPECT_THAT(commandLine.drag()->moving, ElementsAre(a, b));
  commandLine.pickPoint({2, 1, 0});
  EXPECT_TRUE(commandLine.selection().empty()) << "the move has ended";
  EXPECT_FALSE(commandLine.drag());

  // Cancelled at the base point; SELECT's own selection ends with it; a block takes its objects.
  commandLine.type(L"ROTATE\rP\r\r");
  EXPECT_THAT(commandLine.selection(), ElementsAre(a, b));
  commandLine.cancel();
  EXPECT_TRUE(commandLine.selection().empty());
  commandLine.type(L"SELECT\rL\r");
  EXPECT_THAT(commandLine.selection(), ElementsAre(b));
  commandLine.type(L"\r");
  EXPECT_TRUE(commandLine.selection().empty());
  commandLine.type(L"-NEWBLOCK\rB\r0,0\rP\r");
  EXPECT_THAT(commandLine.selection(), ElementsAre(b));
  commandLine.type(L"\r");
  EXPECT_TRUE(commandLine.selection().empty());
  EXPECT_EQ(drawing.find(b), nullptr);
}

TEST_F(CommandLineTest, RotateWithPreviousTurnsAboutTheBasePointInDegrees) {
  const Handle a = drawing.add(line({1, 0, 0}, {2, 0, 0}));
  drawing.previousSelection = {a};
  commandLine.type(L"rotate\rP\r\r1,0\r90\r");
  EXPECT_FALSE(commandLine.running());
  const Entity* e = drawing.find(a);
  EXPECT_NEAR(e->points[0].x, 1, 1e-15);
  EXPECT_NEAR(e->points[1].x, 1, 1e-15);
  EXPECT_NEAR(e->points[1].y, 1, 1e-15);
  EXPECT_THAT(recorder.events, ElementsAre("started ROTATE", "finished ROTATE"));
}

TEST_F(CommandLineTest, NumbersAreReadAsACadReadsThemAndMalformedOnesReprompt) {
  const Handle a = drawing.add(line({0, 0, 0}, {1, 0, 0}));
  drawing.lastObject = a;
  commandLine.type(L"MOVE\rL\r\r");
  for (const wchar_t* bad :
       {L"1,", L"1;2", L"1.2.3,4", L"abc", L"1e,2", L"1,2,3,4", L"inf,0", L"0x10,1"}) {
    const int before = commandLine.prompt().serial;
    commandLine.type(std::wstring(bad) + L"\r");
    EXPECT_EQ(commandLine.prompt().text, L"Specify base point: ") << "input: " << bad;
    EXPECT_GT(commandLine.prompt().serial, before);
  }
  commandLine.type(L"1E-5,-.5\r");
  EXPECT_EQ(commandLine.prompt().text, L"Specify second point: ");
  EXPECT_EQ(*commandLine.basePoint(), (Vec3{1e-5, -0.5, 0}));
  commandLine.type(L"+2.5E+1,1.5e0,7\r");
  const Entity* e = drawing.find(a);
  EXPECT_EQ(e->points[0], (Vec3{25 - 1e-5, 2.0, 7}));
  EXPECT_FALSE(commandLine.running());
}

TEST_F(CommandLineTest, MoveWithLastWaitsForTheSecondPoint) {
  const Handle a = drawing.add(line({0, 0, 0}, {1, 0, 0}));
  commandLine.type(L"move\rL\r\r100,50\r");
  ASSERT_TRUE(commandLine.running());
  EXPECT_EQ(commandLine.prompt().kind, PromptKind::Point);
  EXPECT_EQ(commandLine.prompt().text, L"Specify second point: ");
  commandLine.pickPoint({110, 45, 0});
  EXPECT_FALSE(commandLine.running());
  EXPECT_EQ(drawing.find(a)->points[1], (Vec3{11, -5, 0}));
  EXPECT_THAT(drawing.previousSelection, ElementsAre(a));
}

TEST_F(CommandLineTest, NothingSelectedEndsRotateAndTheRestIsReadAsCommands) {
  drawing.add(unitSquare());
  commandLine.type(L"ROTATE\rP\r\r100,50\r45\r");
  EXPECT_FALSE(commandLine.running());
  EXPECT_THAT(recorder.events,
              ElementsAre("started ROTATE", "refused ROTATE", "refused 100,50", "refused 45"));
}

TEST_F(CommandLineTest, NewBlockTakesTheObjectsOutAndInsertPlacesAReference) {
  const Handle square = drawing.add(unitSquare());
  drawing.previousSelection = {square};
  commandLine.type(L"-NEWBLOCK\rSQ\r10,0\rP\r\r");
  EXPECT_EQ(drawing.find(square), nullptr);
  ASSERT_NE(drawing.block(L"sq"), nullptr);
  EXPECT_EQ(drawing.block(L"SQ")->basePoint, (Vec3{10, 0, 0}));
  // Defaults: X scale 1, Y scale as X, rotation 0.
  commandLine.type(L"-INSERT\rsq\r20,0\r2\r\r\r");
  ASSERT_EQ(drawing.entities().size(), 1u);
  const Entity& reference = drawing.entities()[0];
  EXPECT_EQ(reference.type, EntityType::BlockReference);
  EXPECT_EQ(reference.blockName, L"SQ");
  EXPECT_EQ(reference.xScale, 2);
  EXPECT_EQ(reference.yScale, 2);
  EXPECT_EQ(reference.rotation, 0);
  EXPECT_EQ(drawing.lastObject, reference.handle);
  const Vec3 corner = drawing.referenceMap(reference).apply({1, 1, 0});
  // Block point (1,1) is (1-10, 1) from the base; scaled by 2 about the insertion point (20,0).
  EXPECT_EQ(corner, (Vec3{2, 2, 0}));
}

TEST_F(CommandLineTest, BlockNamesAreCheckedAndExistingOrMissingBlocksRefused) {
  const Handle a = drawing.add(unitSquare());
  drawing.previousSelection = {a};
  commandLine.type(L"-NEWBLOCK\rA<B\r");
  EXPECT_EQ(commandLine.prompt().text, L"Enter block name: ");
  commandLine.type(L"^C-NEWBLOCK\rB1\r0,0\rP\r\r");
  ASSERT_NE(drawing.block(L"B1"), nullptr);
  const Handle other = drawing.add(unitSquare());
  drawing.previousSelection = {other};
  commandLine.type(L"-NEWBLOCK\rb1\r");
  EXPECT_FALSE(commandLine.running());
  EXPECT_EQ(recorder.events.back(), "refused -NEWBLOCK");
  EXPECT_NE(drawing.find(other), nullptr);
  commandLine.type(L"-INSERT\rNOPE\r");
  EXPECT_EQ(recorder.events.back(), "refused -INSERT");
  // A zero scale is refused and asked again.
  commandLine.type(L"-INSERT\rB1\r0,0\r0\r");
  EXPECT_EQ(commandLine.prompt().text, L"Enter X scale factor <1>: ");
}

TEST_F(CommandLineTest, ViewAndZoomTakeTheirOptionsInAnyCase) {
  drawing.add(unitSquare());
  commandLine.type(L"^C-VIEW SWISO ZOOM E\r");
  EXPECT_EQ(drawing.view.kind, ViewKind::SouthWestIso);
  EXPECT_FALSE(commandLine.running());
  commandLine.type(L"^C-view seiso zoom e\r");
  EXPECT_EQ(drawing.view.kind, ViewKind::SouthEastIso);
  commandLine.type(L"^C-VIEW O T ZOOM E\r");
  EXPECT_EQ(drawing.view.kind, ViewKind::Plan);
  EXPECT_EQ(std::count(recorder.events.begin(), recorder.events.end(), "finished ZOOM"), 3);
  // Unknown options are asked again, never guessed.
  commandLine.type(L"-VIEW NWISO ");
  EXPECT_TRUE(commandLine.running());
  EXPECT_EQ(drawing.view.kind, ViewKind::Plan);
  commandLine.cancel();
  // Zoom extents fits the square, whatever the view.
  commandLine.type(L"ZOOM E\r");
  EXPECT_NEAR(drawing.view.centerX, 0.5, 1e-12);
  EXPECT_NEAR(drawing.view.centerY, 0.5, 1e-12);
}

// The isometric block: the four strings the palette types for each plane, after a selection of
// the unit square and a base point B, leave one block reference that maps p to B + M.(p - B).
struct Plane {
  const wchar_t* first;   // degrees of the rotate command
  const wchar_t* second;  // degrees of the insertion
  double m[2][2];
};

TEST_F(CommandLineTest, TheFourPlanesMapTheSelectionOntoTheirIsometricPlane) {
  const double c = std::cos(std::numbers::pi / 6);
  const Plane planes[] = {
      {L"45", L"-60", {{c, 0}, {-0.5, 1}}},   // R
      {L"-45", L"60", {{c, 0}, {0.5, 1}}},    // L
      {L"45", L"0", {{c, -c}, {0.5, 0.5}}},   // TL
      {L"-45", L"0", {{c, c}, {-0.5, 0.5}}},  // TR
  };
  const std::pair<Vec3, std::wstring> bases[] = {
      {{100, 50, 0}, L"100,50"}, {{-12.5, 0.25, 0}, L"-12.5,0.25"}, {{0, 0, 0}, L"0,0"}};
  for (const auto& [base, baseText] : bases) {
    for (const Plane& plane : planes) {
      Drawing d;
      Recorder r;
      CommandLine cl(d, r);
      const Handle square = d.add(unitSquare());
      cl.type(L"^C^C");
      cl.type(L"SELECT\r");
      cl.pickObjects({square}, true);
      const std::wstring name = L"ISO-250107-143005";
      cl.type(std::wstring(L"ROTATE\rP\r\r") + baseText + L"\r" + plane.first + L"\r");
      cl.type(L"-NEWBLOCK\r" + name + L"\r" + baseText + L"\rP\r\r");
      cl.type(L"-INSERT\r" + name + L"\r" + baseText + L"\r1.22474487139159\r0.707106781186548\r" +
              plane.second + L"\r");
      cl.type(L"move\rL\r\r" + baseText + L"\r");
      ASSERT_TRUE(cl.running()) << "the move waits for its second point";
      ASSERT_EQ(d.entities().size(), 1u);
      const Entity& reference = d.entities()[0];
      ASSERT_EQ(reference.type, EntityType::BlockReference);
      // The block holds the square as it was turned; in the world, each corner p of the
      // original square must now lie at B + M.(p - B).
      std::vector<Vec3> world;
      d.forEachWorldEntity(reference, [&](const Entity& e) { world = e.points; });
      const std::vector<Vec3> original = unitSquare().points;
      ASSERT_EQ(world.size(), original.size());
      for (std::size_t i = 0; i < original.size(); ++i) {
        const Vec3 p = original[i];
        const Vec3 d0 = p - base;
        const Vec3 want{base.x + plane.m[0][0] * d0.x + plane.m[0][1] * d0.y,
                        base.y + plane.m[1][0] * d0.x + plane.m[1][1] * d0.y, 0};
        EXPECT_NEAR(world[i].x, want.x, 1e-12) << plane.first << "/" << plane.second;
        EXPECT_NEAR(world[i].y, want.y, 1e-12) << plane.first << "/" << plane.second;
        EXPECT_NEAR(world[i].z, 0, 1e-12);
      }
      // The user places it: the reference moves, the move ends.
      cl.pickPoint(base + Vec3{5, 0, 0});
      EXPECT_FALSE(cl.running());
      EXPECT_NEAR(d.entities()[0].points[0].x, base.x + 5, 1e-12);
    }
  }
}

}  // namespace
}  // namespace orbelle::sim
