#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim/Snap.h"

namespace orbelle::sim {
namespace {

using ::testing::UnorderedElementsAreArray;

Entity polyline(std::vector<Vec3> points, bool closed) {
  Entity e;
  e.type = EntityType::Polyline;
  e.points = std::move(points);
  e.closed = closed;
  return e;
}

Entity circle(Vec3 centre, double radius) {
  Entity e;
  e.type = EntityType::Circle;
  e.points = {centre};
  e.radius = radius;
  return e;
}

Entity text(EntityType type, std::vector<Vec3> points, int alignment) {
  Entity e;
  e.type = type;
  e.text = L"T";
  e.points = std::move(points);
  e.alignment = alignment;
  return e;
}

std::vector<std::pair<SnapKind, std::vector<double>>> listed(const std::vector<SnapPoint>& all,
                                                             Handle owner) {
  std::vector<std::pair<SnapKind, std::vector<double>>> out;
  for (const SnapPoint& s : all) {
    if (s.owner == owner)
      out.push_back({s.kind, {s.point.x, s.point.y, s.point.z}});
  }
  return out;
}

TEST(SnapTest, EachKindOfObjectOffersItsPointsExactly) {
  Drawing d;
  const Handle square = d.add(polyline({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}}, true));
  const Handle open = d.add(polyline({{0, 0, 5}, {3, 0, 5}, {3, 1, 5}}, false));
  const Handle ring = d.add(circle({170, 50, 0}, 40));
  const Handle left = d.add(text(EntityType::Text, {{0, -30, 0}, {9, 9, 9}}, 0));
  const Handle centred = d.add(text(EntityType::Text, {{140, 105, 0}, {170, 105, 0}}, 1));
  const Handle multi = d.add(text(EntityType::MText, {{120, -30, 0}}, 0));
  const std::vector<SnapPoint> all = snapPoints(d);
  using K = SnapKind;
  EXPECT_THAT(listed(all, square),
              UnorderedElementsAreArray(std::vector<std::pair<K, std::vector<double>>>{
                  {K::Endpoint, {0, 0, 0}},
                  {K::Endpoint, {100, 0, 0}},
                  {K::Endpoint, {100, 100, 0}},
                  {K::Endpoint, {0, 100, 0}},
                  {K::Midpoint, {50, 0, 0}},
                  {K::Midpoint, {100, 50, 0}},
                  {K::Midpoint, {50, 100, 0}},
                  {K::Midpoint, {0, 50, 0}},  // the closing segment's
              }));
  EXPECT_THAT(listed(all, open),
              UnorderedElementsAreArray(std::vector<std::pair<K, std::vector<double>>>{
                  {K::Endpoint, {0, 0, 5}},
                  {K::Endpoint, {3, 0, 5}},
                  {K::Endpoint, {3, 1, 5}},
                  {K::Midpoint, {1.5, 0, 5}},
                  {K::Midpoint, {3, 0.5, 5}},
              }));
  EXPECT_THAT(listed(all, ring),
              UnorderedElementsAreArray(std::vector<std::pair<K, std::vector<double>>>{
                  {K::Center, {170, 50, 0}},
                  {K::Quadrant, {210, 50, 0}},
                  {K::Quadrant, {130, 50, 0}},
                  {K::Quadrant, {170, 90, 0}},
                  {K::Quadrant, {170, 10, 0}},
              }));
  // A text is placed by its insertion point, or by its alignment point once not left-aligned.
  EXPECT_THAT(listed(all, left),
              ::testing::ElementsAre(std::pair{K::Insertion, std::vector<double>{0, -30, 0}}));
  EXPECT_THAT(listed(all, centred),
              ::testing::ElementsAre(std::pair{K::Insertion, std::vector<double>{170, 105, 0}}));
  EXPECT_THAT(listed(all, multi),
              ::testing::ElementsAre(std::pair{K::Insertion, std::vector<double>{120, -30, 0}}));
  EXPECT_EQ(std::wstring(snapName(K::Quadrant)), L"Quadrant");
}

TEST(SnapTest, ABlockReferenceOffersItsInsertionPointAndItsContentsInTheWorld) {
  Drawing d;
  const Handle square = d.add(polyline({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}, true));
  const Handle ring = d.add(circle({1, 1, 0}, 1));
  ASSERT_TRUE(d.defineBlock(L"B", {0, 0, 0}, {square, ring}));
  const Handle reference = d.insert(L"B", {10, 20, 0}, 3, 0.5, 0);
  const std::vector<SnapPoint> all = snapPoints(d);
  auto has = [&](SnapKind kind, Vec3 p) {
    return std::any_of(all.begin(), all.end(), [&](const SnapPoint& s) {
      return s.owner == reference && s.kind == kind && s.point == p;
    });
  };
  EXPECT_TRUE(has(SnapKind::Insertion, {10, 20, 0}));
  EXPECT_TRUE(has(SnapKind::Endpoint, {16, 21, 0})) << "(2,2) scaled by 3 and 0.5";
  EXPECT_TRUE(has(SnapKind::Midpoint, {13, 21, 0}));
  EXPECT_TRUE(has(SnapKind::Center, {13, 20.5, 0}));
  EXPECT_TRUE(has(SnapKind::Quadrant, {16, 20.5, 0})) << "on the ellipse the circle became";
  EXPECT_TRUE(has(SnapKind::Quadrant, {13, 21, 0}));
}

TEST(SnapTest, TheNearestPointWithinTheToleranceWins) {
  const std::vector<SnapPoint> points{
      {{0, 0, 0}, SnapKind::Endpoint, 1},
      {{4, 0, 0}, SnapKind::Midpoint, 1},
      {{4, 0, 0}, SnapKind::Center, 2},  // as near as the midpoint, listed after it
      {{0, 0, 30}, SnapKind::Endpoint, 3},
  };
  const auto near = [&](ViewKind kind, ViewPoint at, double tolerance) {
    return nearestSnap(points, kind, at, tolerance);
  };
  ASSERT_TRUE(near(ViewKind::Plan, {1.5, 0.5}, 3));
  EXPECT_EQ(near(ViewKind::Plan, {1.5, 0.5}, 3)->kind, SnapKind::Endpoint);
  EXPECT_EQ(near(ViewKind::Plan, {2.5, 0.5}, 3)->kind, SnapKind::Midpoint);
  EXPECT_EQ(near(ViewKind::Plan, {4, 0}, 3)->owner, 1u) << "a tie goes to the first";
  EXPECT_FALSE(near(ViewKind::Plan, {2, 3}, 3)) << "3.6 away";
  EXPECT_TRUE(near(ViewKind::Plan, {2, 3}, 3.7));
  EXPECT_FALSE(near(ViewKind::Plan, {10, 10}, 3));
  EXPECT_FALSE(nearestSnap({}, ViewKind::Plan, {0, 0}, 100));
  // Distances are on the view plane: in an isometric view the raised point is drawn apart.
  const ViewPoint raised = project(ViewKind::SouthWestIso, {0, 0, 30});
  const auto hit = near(ViewKind::SouthWestIso, {raised.x + 0.5, raised.y}, 1);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->point, (Vec3{0, 0, 30}));
  EXPECT_EQ(near(ViewKind::Plan, {0.1, 0}, 1)->point, (Vec3{0, 0, 0})) << "in plan it is below";
}

}  // namespace
}  // namespace orbelle::sim
