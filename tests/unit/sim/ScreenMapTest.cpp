#include <gtest/gtest.h>

#include <cmath>

#include "sim/ScreenMap.h"

namespace orbelle::sim {
namespace {

constexpr PixelRect kArea{0, 0, 800, 500};

View plan(double cx, double cy, double width, double height) {
  View v;
  v.centerX = cx;
  v.centerY = cy;
  v.width = width;
  v.height = height;
  return v;
}

TEST(ScreenMapTest, TheViewFitsTheAreaCentredAndKeepsItsAspect) {
  const ScreenMap map(plan(50, 50, 200, 100), kArea);
  EXPECT_EQ(map.scale(), 4);  // 800/200 and 500/100: the narrower fit
  const PixelPoint centre = map.toScreen(ViewPoint{50, 50});
  EXPECT_EQ(centre.x, 400);
  EXPECT_EQ(centre.y, 250);
  const PixelPoint corner = map.toScreen(ViewKind::Plan, {0, 0, 0});
  EXPECT_EQ(corner.x, 200);
  EXPECT_EQ(corner.y, 450) << "y grows downwards on the screen";
  const ViewPoint back = map.toView({200, 450});
  EXPECT_EQ(back.x, 0);
  EXPECT_EQ(back.y, 0);
}

TEST(ScreenMapTest, ZoomKeepsThePointUnderThePointerPut) {
  const View views[] = {plan(50, 50, 200, 100), plan(-1234.5, 0.25, 3e-3, 7e-3),
                        plan(1e6, -2e6, 5e5, 1e5)};
  const PixelPoint pointers[] = {{0, 0}, {123, 456}, {799, 1}, {400, 250}};
  for (const View& view : views) {
    for (const PixelPoint at : pointers) {
      for (const double factor : {1.25, 0.8, 3.0, 1 / 3.0}) {
        const View zoomed = zoomedAbout(view, kArea, at, factor);
        const ViewPoint before = ScreenMap(view, kArea).toView(at);
        const ViewPoint after = ScreenMap(zoomed, kArea).toView(at);
        const double unit = view.width * 1e-12;
        EXPECT_NEAR(after.x, before.x, unit) << at.x << "," << at.y << " x" << factor;
        EXPECT_NEAR(after.y, before.y, unit) << at.x << "," << at.y << " x" << factor;
        EXPECT_NEAR(ScreenMap(zoomed, kArea).scale() / ScreenMap(view, kArea).scale(), factor,
                    1e-12);
      }
    }
  }
}

TEST(ScreenMapTest, WheelNotchesZoomBySteadyStepsAndSaneBoundsHold) {
  EXPECT_DOUBLE_EQ(wheelZoomFactor(120), 1.25);
  EXPECT_DOUBLE_EQ(wheelZoomFactor(-120), 0.8);
  EXPECT_DOUBLE_EQ(wheelZoomFactor(240), 1.5625);
  EXPECT_DOUBLE_EQ(wheelZoomFactor(60) * wheelZoomFactor(60), 1.25) << "a fine wheel's halves";
  EXPECT_EQ(wheelZoomFactor(0), 1);
  // Beyond sane bounds, and for a senseless factor, the view stays as it was.
  const View tiny = plan(0, 0, 2e-6, 1e-6);
  EXPECT_EQ(zoomedAbout(tiny, kArea, {10, 10}, 4).width, tiny.width);
  const View huge = plan(0, 0, 5e11, 1);
  EXPECT_EQ(zoomedAbout(huge, kArea, {10, 10}, 0.25).width, huge.width);
  for (const double bad : {0.0, -2.0, std::nan(""), HUGE_VAL})
    EXPECT_EQ(zoomedAbout(huge, kArea, {10, 10}, bad).centerX, 0);
}

TEST(ScreenMapTest, PanMovesTheDrawingWithThePointer) {
  const View view = plan(50, 50, 200, 100);
  const View moved = panned(view, kArea, {100, 100}, {140, 70});
  const ViewPoint grabbed = ScreenMap(view, kArea).toView({100, 100});
  const ViewPoint now = ScreenMap(moved, kArea).toView({140, 70});
  EXPECT_EQ(now.x, grabbed.x);
  EXPECT_EQ(now.y, grabbed.y);
  EXPECT_EQ(moved.width, view.width);
}

}  // namespace
}  // namespace orbelle::sim
