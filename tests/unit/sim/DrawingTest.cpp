#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>

#include "sim/CadNumbers.h"
#include "sim/Drawing.h"
#include "sim/DrawingJson.h"
#include "sim/Json.h"
#include "sim/Png.h"

namespace orbelle::sim {
namespace {

using ::testing::HasSubstr;

Entity text(Vec3 at, double rotation) {
  Entity e;
  e.type = EntityType::Text;
  e.text = L"寸法 A";
  e.points = {at, at};
  e.rotation = rotation;
  e.height = 2.5;
  return e;
}

TEST(DrawingTest, CopyBecomesTheLastObjectAndKeepsEveryProperty) {
  Drawing drawing;
  const Handle original = drawing.add(text({1, 2, 3}, 0.5));
  const Handle copy = *drawing.copy(original);
  EXPECT_NE(copy, original);
  EXPECT_EQ(drawing.lastObject, copy);
  EXPECT_EQ(drawing.find(copy)->text, L"寸法 A");
  EXPECT_EQ(drawing.find(copy)->rotation, 0.5);
  EXPECT_FALSE(drawing.copy(0x999).has_value());
}

TEST(DrawingTest, RotationAboutAnAxisKeepsThreeDimensionalPoints) {
  Drawing drawing;
  Entity l;
  l.type = EntityType::Line;
  l.points = {{1, 0, 0}, {1, 1, 0}};
  const Handle h = drawing.add(l);
  // A quarter turn about the X axis lifts the line's Y extent into Z.
  drawing.rotate({h}, {0, 0, 0}, {1, 0, 0}, std::numbers::pi / 2);
  const Vec3 end = drawing.find(h)->points[1];
  EXPECT_NEAR(end.x, 1, 1e-15);
  EXPECT_NEAR(end.y, 0, 1e-15);
  EXPECT_NEAR(end.z, 1, 1e-15);
}

TEST(DrawingTest, TextsTurnTheirPlaneWithA3DRotationAndAddExactAnglesAboutZ) {
  Drawing drawing;
  const Handle h = drawing.add(text({0, 0, 0}, 0));
  drawing.rotate({h}, {5, 5, 0}, {5, 5, 10}, 0.52359879016876220703125);
  EXPECT_EQ(drawing.find(h)->rotation, 0.52359879016876220703125);
  // Axis pointing down: the turn is the other way.
  drawing.rotate({h}, {0, 0, 0}, {0, 0, -1}, 0.52359879016876220703125);
  EXPECT_EQ(drawing.find(h)->rotation, 0);
  // About X: the text now stands upright, reading along X.
  drawing.rotate({h}, {0, 0, 0}, {1, 0, 0}, std::numbers::pi / 2);
  const Entity& e = *drawing.find(h);
  EXPECT_NEAR(e.normal.y, -1, 1e-15);
  EXPECT_NEAR(e.normal.z, 0, 1e-15);
  const Mat3 ocs = objectCoordinateSystem(e.normal);
  const Vec3 baseline = std::cos(e.rotation) * Vec3{ocs.m[0][0], ocs.m[1][0], ocs.m[2][0]} +
                        std::sin(e.rotation) * Vec3{ocs.m[0][1], ocs.m[1][1], ocs.m[2][1]};
  EXPECT_NEAR(baseline.x, 1, 1e-15);
}

TEST(DrawingTest, NestedBlockReferencesMapThroughBothReferences) {
  Drawing drawing;
  Entity l;
  l.type = EntityType::Line;
  l.points = {{0, 0, 0}, {1, 0, 0}};
  const Handle h = drawing.add(l);
  ASSERT_TRUE(drawing.defineBlock(L"INNER", {0, 0, 0}, {h}));
  EXPECT_FALSE(drawing.defineBlock(L"inner", {0, 0, 0}, {}));
  const Handle inner = drawing.insert(L"INNER", {10, 0, 0}, 2, 2, 0);
  ASSERT_TRUE(drawing.defineBlock(L"OUTER", {0, 0, 0}, {inner}));
  const Handle outer = drawing.insert(L"outer", {0, 5, 0}, 1, 1, std::numbers::pi / 2);
  std::vector<Vec3> ends;
  drawing.forEachWorldEntity(*drawing.find(outer), [&](const Entity& e) { ends = e.points; });
  ASSERT_EQ(ends.size(), 2u);
  // (1,0) -> inner: (12,0) -> outer turned a quarter about (0,5): (0,17).
  EXPECT_NEAR(ends[1].x, 0, 1e-12);
  EXPECT_NEAR(ends[1].y, 17, 1e-12);
}

TEST(DrawingTest, SavedJsonReadsBackBitForBit) {
  Drawing drawing;
  Entity t = text({0.1, 1.0 / 3, -7e-300}, 5.759586334228515625);
  t.obliqueAngle = 0.52359879016876220703125;
  t.widthFactor = 1.154700548092894;
  t.alignment = 2;
  t.points[1] = {std::nextafter(1.0, 2.0), 0, 0};
  drawing.add(t);
  Entity circle;
  circle.type = EntityType::Circle;
  circle.points = {{3, 4, 5}};
  circle.radius = 0.1 + 0.2;
  drawing.add(circle);
  drawing.previousSelection = {0x2A};
  drawing.view.kind = ViewKind::SouthEastIso;
  const Drawing back = loadDrawing(saveDrawing(drawing));
  ASSERT_EQ(back.entities().size(), 2u);
  const Entity& e = back.entities()[0];
  EXPECT_EQ(e.text, L"寸法 A");
  EXPECT_EQ(std::memcmp(&e.points[0], &t.points[0], sizeof(Vec3)), 0);
  EXPECT_EQ(e.points[1].x, std::nextafter(1.0, 2.0));
  EXPECT_EQ(e.rotation, 5.759586334228515625);
  EXPECT_EQ(e.obliqueAngle, 0.52359879016876220703125);
  EXPECT_EQ(e.widthFactor, 1.154700548092894);
  EXPECT_EQ(e.alignment, 2);
  EXPECT_EQ(back.entities()[1].radius, 0.1 + 0.2);
  EXPECT_EQ(back.previousSelection, drawing.previousSelection);
  EXPECT_EQ(back.lastObject, drawing.lastObject);
  EXPECT_EQ(back.view.kind, ViewKind::SouthEastIso);
}

TEST(DrawingTest, BadDrawingsAreRefusedWithTheLineAndTheReason) {
  struct Case {
    const char* json;
    int line;
    const char* reason;
  };
  const Case cases[] = {
      {"{\n\"entities\": [\n{\"type\": \"AcDbLine\", \"points\": [[0,0],[1]]}\n]}", 3, "point"},
      {"{\"entities\": [{\"type\": \"AcDbSpline\"}]}", 1, "unknown type \"AcDbSpline\""},
      {"{\n\"entities\": [\n{\"type\": \"AcDbCircle\", \"center\": [0,0], \"radius\": -1}]}", 3,
       "radius"},
      {"{\"entities\": [{\"type\": \"AcDbBlockReference\", \"block\": \"X\", "
       "\"insertionPoint\": [0,0]}]}",
       1, "undefined block"},
      {"{\"entities\": [\n{\"type\": \"AcDbText\", \"insertionPoint\": [0,0]}]}", 2, "\"text\""},
      {"{\"entities\": [\n\n  {\"type\": \"AcDbLine\",, }]}", 3, "member name"},
      {"[1, 2]", 1, "JSON object"},
      {"{\"entities\": [{\"handle\": \"zz\", \"type\": \"AcDbLine\"}]}", 1, "hexadecimal"},
  };
  for (const Case& c : cases) {
    try {
      loadDrawing(c.json);
      ADD_FAILURE() << "accepted: " << c.json;
    } catch (const DrawingError& e) {
      EXPECT_EQ(e.line(), c.line) << c.json;
      EXPECT_THAT(e.what(), HasSubstr(c.reason)) << c.json;
    }
  }
}

TEST(DrawingTest, CadNumbersAcceptTheUsualFormsOnly) {
  EXPECT_EQ(parseCadNumber(L"1E-5"), 1e-5);
  EXPECT_EQ(parseCadNumber(L"-.5"), -0.5);
  EXPECT_EQ(parseCadNumber(L"+7."), 7.0);
  EXPECT_EQ(parseCadNumber(L"2.5e15"), 2.5e15);
  EXPECT_EQ(parseCadNumber(L"0.707106781186548"), 0.707106781186548);
  for (const wchar_t* bad : {L"", L"-", L".", L"1e", L"1e+", L"1,5", L"nan", L"inf", L"1e999",
                             L" 1", L"1 ", L"0x1A", L"1..2", L"--1"}) {
    EXPECT_FALSE(parseCadNumber(bad).has_value())
        << "accepted: " << std::string(bad, bad + wcslen(bad));
  }
  EXPECT_EQ(parseCadPoint(L"-3,12.5"), (Vec3{-3, 12.5, 0}));
  EXPECT_EQ(parseCadPoint(L"1,2,3"), (Vec3{1, 2, 3}));
  EXPECT_FALSE(parseCadPoint(L"1").has_value());
  EXPECT_FALSE(parseCadPoint(L"1,2,").has_value());
}

TEST(DrawingTest, JsonTextSurvivesTheRoundTripIncludingControlCharacters) {
  const std::wstring text = L"^C-VIEW SWISO ZOOM E\r\"\\\t😀ブロック";
  const auto parsed = json::parse(json::quote(text));
  EXPECT_EQ(fromUtf8(std::get<std::string>(parsed.data)), text);
  EXPECT_EQ(json::quote(L"a\rb"), "\"a\\rb\"");
  EXPECT_EQ(json::number(0.1), "0.1");
  EXPECT_EQ(json::number(-0.0), "-0");
}

TEST(DrawingTest, PngHasItsSignatureAndRefusesAWrongPixelCount) {
  const std::string png = encodePng(2, 1, {255, 0, 0, 0, 0, 255});
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_THROW(encodePng(2, 2, {0, 0, 0}), std::invalid_argument);
}

}  // namespace
}  // namespace orbelle::sim
