#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "sim/Json.h"
#include "sim/Picture.h"

namespace orbelle::sim {
namespace {

Drawing squareAndText() {
  Drawing d;
  Entity square;
  square.type = EntityType::Polyline;
  square.points = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
  square.closed = true;
  square.handle = 0x2A;
  d.add(square);
  Entity text;
  text.type = EntityType::Text;
  text.handle = 0x2B;
  text.text = L"AB";
  text.height = 2;
  text.alignment = 1;
  text.points = {{20, 0, 0}, {30, 0, 0}};
  d.add(text);
  return d;
}

TEST(PictureTest, UnprojectInvertsTheViewOnTheGroundPlane) {
  for (ViewKind kind : {ViewKind::Plan, ViewKind::SouthWestIso, ViewKind::SouthEastIso}) {
    const Vec3 p{12.5, -3.25, 0};
    const Vec3 back = unproject(kind, project(kind, p));
    EXPECT_NEAR(back.x, p.x, 1e-12) << viewName(kind);
    EXPECT_NEAR(back.y, p.y, 1e-12) << viewName(kind);
    EXPECT_EQ(back.z, 0);
  }
  // South-west: X runs up to the right at 30 degrees, Y up to the left, Z straight up.
  const ViewPoint x = project(ViewKind::SouthWestIso, {1, 0, 0});
  EXPECT_NEAR(std::atan2(x.y, x.x), std::numbers::pi / 6, 1e-15);
  const ViewPoint y = project(ViewKind::SouthWestIso, {0, 1, 0});
  EXPECT_NEAR(std::atan2(y.y, y.x), 5 * std::numbers::pi / 6, 1e-15);
  const ViewPoint z = project(ViewKind::SouthEastIso, {0, 0, 1});
  EXPECT_EQ(z.x, 0);
  // South-east: X runs down to the right.
  EXPECT_LT(project(ViewKind::SouthEastIso, {1, 0, 0}).y, 0);
}

TEST(PictureTest, ZoomExtentsFitsEverythingWithAMargin) {
  const Drawing d = squareAndText();
  const View view = zoomedToExtents(d, ViewKind::Plan);
  // From the square's left edge to the end of the centred text (2 characters of 1.4 about x=30).
  EXPECT_NEAR(view.width, 31.4 * 1.1, 1e-9);
  EXPECT_NEAR(view.centerX, 15.7, 1e-9);
  EXPECT_NEAR(view.centerY, 5, 1e-9);
  const View empty = zoomedToExtents(Drawing{}, ViewKind::SouthWestIso);
  EXPECT_EQ(empty.kind, ViewKind::SouthWestIso);
  EXPECT_GT(empty.width, 0);
}

TEST(PictureTest, ClicksHitTheNearestEntityWithinTheTolerance) {
  const Drawing d = squareAndText();
  const Picture picture = pictureOf(d);
  EXPECT_EQ(picture.segments.size(), 4u);
  ASSERT_EQ(picture.texts.size(), 1u);
  EXPECT_EQ(picture.texts[0].horizontal, 1) << "a centred text is drawn about its anchor";
  EXPECT_EQ(picture.texts[0].position, (Vec3{30, 0, 0})) << "anchored at its alignment point";
  EXPECT_EQ(hitTest(picture, ViewKind::Plan, {5, 0.2}, 0.5), Handle{0x2A});
  EXPECT_EQ(hitTest(picture, ViewKind::Plan, {5, 5}, 0.5), std::nullopt);
  EXPECT_EQ(hitTest(picture, ViewKind::Plan, {29.5, 1}, 0.5), Handle{0x2B});
  EXPECT_EQ(hitTest(picture, ViewKind::Plan, {32.5, 1}, 0.5), std::nullopt);
  const ViewPoint corner = project(ViewKind::SouthEastIso, {10, 10, 0});
  EXPECT_EQ(hitTest(picture, ViewKind::SouthEastIso, corner, 0.1), Handle{0x2A});
}

TEST(PictureTest, BlockReferencesAreDrawnAsTheirEntitiesOwnedByTheReference) {
  Drawing d = squareAndText();
  ASSERT_TRUE(d.defineBlock(L"SQ", {0, 0, 0}, {0x2A}));
  const Handle reference = d.insert(L"SQ", {100, 0, 0}, 1, 1, 0);
  const Picture picture = pictureOf(d);
  ASSERT_EQ(picture.segments.size(), 4u);
  EXPECT_EQ(picture.segments[0].owner, reference);
  EXPECT_EQ(picture.segments[0].a, (Vec3{100, 0, 0}));
}

TEST(PictureTest, ACircleInAnUnevenlyScaledReferenceIsDrawnAsItsEllipse) {
  Drawing d;
  Entity circle;
  circle.type = EntityType::Circle;
  circle.handle = 0x2A;
  circle.points = {{10, 0, 0}};
  circle.radius = 5;
  d.add(circle);
  ASSERT_TRUE(d.defineBlock(L"C", {10, 0, 0}, {0x2A}));
  // Twice as wide as high, then turned a quarter: 10 across, 20 up, about (50, 50).
  d.insert(L"C", {50, 50, 0}, 2, 1, std::numbers::pi / 2);
  const auto box = extents(pictureOf(d), ViewKind::Plan);
  ASSERT_TRUE(box.has_value());
  EXPECT_NEAR(box->minX, 45, 1e-9);
  EXPECT_NEAR(box->maxX, 55, 1e-9);
  EXPECT_NEAR(box->minY, 40, 1e-9);
  EXPECT_NEAR(box->maxY, 60, 1e-9);
}

TEST(PictureTest, Utf8ConversionKeepsEveryCharacterAndReplacesBrokenBytes) {
  const std::wstring text = L"寸法 ABC 😀";
  EXPECT_EQ(fromUtf8(toUtf8(text)), text);
  EXPECT_EQ(toUtf8(L"寸"), "\xE5\xAF\xB8");
  EXPECT_EQ(fromUtf8("a\xFF"
                     "b"),
            L"a\uFFFD"
            L"b");
  EXPECT_EQ(fromUtf8("\xE5\xAF"), L"\uFFFD") << "a cut-short character is one replacement";
  EXPECT_EQ(fromUtf8("\xC0\xAF"), L"\uFFFD\uFFFD") << "an overlong form is no character";
}

TEST(PictureTest, JsonParseErrorsNameTheirLine) {
  const std::pair<const char*, int> cases[] = {
      {"{\"a\": 1,\n\"b\": }", 2}, {"[1, 2", 1}, {"{\"a\": \"x\ny\"}", 1},
      {"\n\n{\"a\": tru}", 3},     {"{} {}", 1}, {"{\"a\": 1e999}", 1},
  };
  for (const auto& [text, line] : cases) {
    try {
      json::parse(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const json::ParseError& e) {
      EXPECT_EQ(e.line(), line) << text;
    }
  }
}

}  // namespace
}  // namespace orbelle::sim
