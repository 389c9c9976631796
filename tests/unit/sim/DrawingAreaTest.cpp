#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sim/DrawingArea.h"

namespace orbelle::sim {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

// The window around the session: what the person does while an ask waits is one action.
class Window : public HostPlatform {
 public:
  std::int64_t windowHandle() override { return 1; }
  void redraw() override {}
  void waitUntil(const std::function<bool()>& done) override {
    if (!done() && meanwhile)
      std::exchange(meanwhile, {})();
    if (!done())
      throw std::runtime_error("the ask would wait forever");
  }
  void savePicture(const std::wstring&) override {}
  void close() override {}

  std::function<void()> meanwhile;
};

class NoLog : public LogSink {
 public:
  void write(const std::string&) override {}
};

// The demo's square and circle, in a 600x300 area at 2 pixels a unit, the world's (50,50) in
// the middle: world (x, y) is pixel (200 + 2x, 250 - 2y).
Drawing squareAndCircle() {
  Drawing d;
  Entity square;
  square.type = EntityType::Polyline;
  square.points = {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}};
  square.closed = true;
  square.handle = 0x2A;
  d.add(square);
  Entity circle;
  circle.type = EntityType::Circle;
  circle.points = {{170, 50, 0}};
  circle.radius = 40;
  circle.handle = 0x2B;
  d.add(circle);
  d.view.centerX = 50;
  d.view.centerY = 50;
  d.view.width = 200;
  d.view.height = 150;
  return d;
}

PixelPoint at(double x, double y) {
  return {200 + 2 * x, 250 - 2 * y};
}

class DrawingAreaTest : public ::testing::Test {
 protected:
  DrawingAreaTest() { area.resize({0, 0, 600, 300}); }
  // MOVE with the square picked and the selection ended: the base point is asked.
  void moveSquare() {
    session.sendCommand(L"MOVE\r");
    area.pick(at(100, 30));  // on its right edge, away from its snap points
    session.endPicking();
    ASSERT_EQ(session.pending()->kind, RequestKind::Point);
  }
  Vec3 corner() const { return session.drawing().find(0x2A)->points[0]; }

  Window window;
  NoLog log;
  Session session{squareAndCircle(), {}, log, window};
  DrawingArea area{session};
};

TEST_F(DrawingAreaTest, APickNearTheSquaresCornerLandsOnItExactlyUntilF3TurnsSnapsOff) {
  moveSquare();
  area.pick({203, 246.5});  // 3 and 3.5 pixels off the corner
  ASSERT_TRUE(session.drag());
  EXPECT_EQ(session.drag()->base, (Vec3{0, 0, 0}));
  area.toggleSnap();
  EXPECT_FALSE(area.snapping());
  EXPECT_THAT(session.history(), Contains(L"<Osnap off>"));
  area.pick({203, 246.5});  // the second point where the pointer is: a move of (1.5, 1.75)
  EXPECT_EQ(corner(), (Vec3{1.5, 1.75, 0}));
  area.toggleSnap();
  EXPECT_EQ(session.history().back(), L"<Osnap on>");
}

TEST_F(DrawingAreaTest, SnapToleranceIsInPixelsWhateverTheZoom) {
  moveSquare();
  // Five units right of the circle's centre: 10 pixels at 2 a unit, beyond the tolerance.
  area.pointerMoved(at(175, 50));
  EXPECT_FALSE(area.hover().snap);
  // Zoomed out to 1 pixel a unit about the centre, the same point is 5 pixels off.
  Drawing& d = session.drawing();
  d.view = zoomedAbout(d.view, area.area(), at(170, 50), 0.5);
  const PixelPoint near = area.screen().toScreen(ViewKind::Plan, {175, 50, 0});
  area.pointerMoved(near);
  ASSERT_TRUE(area.hover().snap);
  EXPECT_EQ(area.hover().snap->kind, SnapKind::Center);
  area.pick(near);
  EXPECT_EQ(session.drag()->base, (Vec3{170, 50, 0}));
  // Zoomed in to 10 pixels a unit, a quadrant 7.5 pixels off is still taken, 8.5 off is not.
  PixelPoint quadrant = area.screen().toScreen(ViewKind::Plan, {210, 50, 0});
  d.view = zoomedAbout(d.view, area.area(), quadrant, 10);
  EXPECT_NEAR(area.screen().scale(), 10, 1e-12);
  quadrant = area.screen().toScreen(ViewKind::Plan, {210, 50, 0});
  area.pointerMoved({quadrant.x, quadrant.y + 7.5});
  ASSERT_TRUE(area.hover().snap);
  EXPECT_EQ(area.hover().snap->point, (Vec3{210, 50, 0}));
  area.pointerMoved({quadrant.x, quadrant.y + 8.5});
  EXPECT_FALSE(area.hover().snap);
}

TEST_F(DrawingAreaTest, PicksForObjectsTakeObjectsNotSnapPointsAndShowNothingWhileHovering) {
  session.sendCommand(L"SELECT\r");
  area.pointerMoved(at(0, 0));
  EXPECT_FALSE(area.hover().snap) << "snaps serve points only";
  area.pick({202, 250});  // by the corner, on the square
  EXPECT_THAT(session.highlighted(), ElementsAre(0x2A));
  area.pick({20, 20});  // on nothing: no pick at all
  EXPECT_THAT(session.history(), ElementsAre(L"Command: SELECT", L"1 found, 1 total"));
  area.pick({200, 300});  // below the drawing area, on the command line
  EXPECT_EQ(session.history().size(), 2u);
}

TEST_F(DrawingAreaTest, WhileMoveWaitsTheMovedObjectsFollowThePointerAndItsSnaps) {
  moveSquare();
  area.pick(at(0, 0));
  area.pointerMoved(at(30, 20));
  DrawingArea::Hover hover = area.hover();
  ASSERT_TRUE(hover.base && hover.target);
  EXPECT_EQ(*hover.base, (Vec3{0, 0, 0}));
  EXPECT_EQ(*hover.target, (Vec3{30, 20, 0}));
  ASSERT_EQ(hover.moving.segments.size(), 4u) << "the square only";
  EXPECT_EQ(hover.moving.segments[0].a, (Vec3{30, 20, 0}));
  EXPECT_EQ(hover.moving.segments[0].b, (Vec3{130, 20, 0}));
  EXPECT_THAT(session.highlighted(), ElementsAre(0x2A)) << "the square itself stays marked";
  // By the circle's top quadrant the preview lands on it.
  area.pointerMoved({at(170, 90).x + 3, at(170, 90).y});
  hover = area.hover();
  ASSERT_TRUE(hover.target);
  ASSERT_EQ(hover.moving.segments.size(), 4u);
  EXPECT_EQ(*hover.target, (Vec3{170, 90, 0}));
  EXPECT_EQ(hover.moving.segments[0].a, (Vec3{170, 90, 0}));
  area.pointerLeft();
  EXPECT_FALSE(area.hover().target);
  area.pick({at(170, 90).x + 3, at(170, 90).y});
  EXPECT_EQ(corner(), (Vec3{170, 90, 0}));
  EXPECT_FALSE(area.hover().target) << "the move has ended";
  EXPECT_TRUE(session.highlighted().empty());
}

TEST_F(DrawingAreaTest, ASecondPointAskedWithABasePointDrawsALineFromIt) {
  window.meanwhile = [&] {
    area.pointerMoved(at(40, 10));
    const DrawingArea::Hover hover = area.hover();
    ASSERT_TRUE(hover.base && hover.target);
    EXPECT_EQ(*hover.base, (Vec3{5, 6, 7}));
    EXPECT_EQ(*hover.target, (Vec3{40, 10, 0}));
    EXPECT_TRUE(hover.moving.segments.empty());
    area.pick(at(40, 10));
  };
  EXPECT_EQ(session.getPoint(Vec3{5, 6, 7}, L"2点目 : "), (Vec3{40, 10, 0}));
  window.meanwhile = [&] {
    area.pointerMoved(at(40, 10));
    EXPECT_FALSE(area.hover().base) << "no base point, no line";
    area.pick(at(40, 10));
  };
  session.getPoint(std::nullopt, L"1点目 : ");
}

TEST_F(DrawingAreaTest, TheWheelZoomsAboutThePointerTheMiddleButtonPansAndFitsTheDrawing) {
  const Drawing& d = session.drawing();
  const PixelPoint pointer{321, 123};
  const ViewPoint under = area.screen().toView(pointer);
  area.wheel(pointer, 240);
  EXPECT_NEAR(area.screen().scale(), 2 * 1.5625, 1e-12);
  EXPECT_NEAR(area.screen().toView(pointer).x, under.x, 1e-12);
  EXPECT_NEAR(area.screen().toView(pointer).y, under.y, 1e-12);
  // A drag with the middle button: the point grabbed follows the pointer, until let go.
  area.panStart({100, 100});
  const ViewPoint grabbed = area.screen().toView({100, 100});
  EXPECT_TRUE(area.pointerMoved({130, 90}));
  EXPECT_TRUE(area.pointerMoved({160, 80}));
  EXPECT_NEAR(area.screen().toView({160, 80}).x, grabbed.x, 1e-12);
  EXPECT_NEAR(area.screen().toView({160, 80}).y, grabbed.y, 1e-12);
  area.panEnd();
  const View still = d.view;
  EXPECT_FALSE(area.pointerMoved({10, 10})) << "nothing asked, nothing panned";
  EXPECT_EQ(d.view.centerX, still.centerX);
  // The middle double-click: as ZOOM E.
  area.zoomExtents();
  const View fitted = zoomedToExtents(d, ViewKind::Plan);
  EXPECT_EQ(d.view.centerX, fitted.centerX);
  EXPECT_EQ(d.view.width, fitted.width);
}

}  // namespace
}  // namespace orbelle::sim
