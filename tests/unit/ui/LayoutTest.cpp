#include <gtest/gtest.h>

#include <vector>

#include "ui/Bevel.h"
#include "ui/Dpi.h"
#include "ui/Layout.h"

namespace orbelle::ui {
namespace {

TEST(Dpi, MulDivRoundsHalvesAwayFromZeroAndFlagsImpossibleResults) {
  EXPECT_EQ(mulDiv(1, 1, 2), 1);
  EXPECT_EQ(mulDiv(-1, 1, 2), -1);
  EXPECT_EQ(mulDiv(3, 3, 2), 5);
  EXPECT_EQ(mulDiv(-3, 3, 2), -5);
  EXPECT_EQ(mulDiv(5, 1, 3), 2);
  EXPECT_EQ(mulDiv(7, 2, -3), -5);
  EXPECT_EQ(mulDiv(5, 1, 0), -1);
  EXPECT_EQ(mulDiv(1 << 30, 1 << 30, 1), -1);
  EXPECT_EQ(mulDiv(1 << 30, 1 << 30, 1 << 30), 1 << 30);  // the product may exceed an int
}

TEST(Dpi, ThePalettesSizesAndFontScale) {
  EXPECT_EQ(scale(225, 96), 225);
  EXPECT_EQ(scale(225, 144), 338);
  EXPECT_EQ(scale(102, 144), 153);
  EXPECT_EQ(scale(225, 120), 281);
  EXPECT_EQ(fontPixelHeight(8, 96), 11);  // Tahoma 8 pt
  EXPECT_EQ(fontPixelHeight(8, 144), 16);
  EXPECT_EQ(fontPixelHeight(8, 192), 21);
}

// A form laid out like the palette: a row of panels with a picture inside each, and buttons.
class Row : public Form {
 public:
  Row() : Form(L"row", 225, 102) {
    for (Control* c : std::initializer_list<Control*>{&leftPanel, &leftImage, &rightPanel,
                                                      &rightImage, &wide, &narrow})
      addControl(*c);
  }
  Panel leftPanel{L"P1", nullptr, {1, 0, 55, 55}};
  Image leftImage{L"I1", &leftPanel, {2, 2, 51, 51}, L"A"};
  Panel rightPanel{L"P2", nullptr, {56, 0, 55, 55}};
  Image rightImage{L"I2", &rightPanel, {2, 2, 51, 51}, L"B"};
  SpeedButton wide{L"B1", nullptr, {1, 80, 76, 22}, L"ROTATE3D"};
  SpeedButton narrow{L"B2", nullptr, {79, 80, 47, 22}, L"SW"};
};

TEST(Layout, At96DpiEveryRectangleIsTheDesignedOne) {
  Row row;
  EXPECT_EQ(clientRect(row, 96), (PixelRect{0, 0, 225, 102}));
  EXPECT_EQ(controlRect(row.rightPanel, 96), (PixelRect{56, 0, 55, 55}));
  EXPECT_EQ(controlRect(row.rightImage, 96), (PixelRect{2, 2, 51, 51}));
  EXPECT_EQ(controlRect(row.narrow, 96), (PixelRect{79, 80, 47, 22}));
}

TEST(Layout, AtEveryDpiNeighboursStillMeetAndPicturesFillTheirPanelsInnerArea) {
  Row row;
  for (int dpi = 96; dpi <= 288; dpi += 12) {
    SCOPED_TRACE(dpi);
    EXPECT_EQ(clientRect(row, dpi), (PixelRect{0, 0, scale(225, dpi), scale(102, dpi)}));
    EXPECT_EQ(controlRect(row.leftPanel, dpi).right(), controlRect(row.rightPanel, dpi).left);
    // The gap of 2 units between the buttons stays a gap.
    EXPECT_GT(controlRect(row.narrow, dpi).left, controlRect(row.wide, dpi).right());

    // The picture meets the inner ring of its panel's bevel on all four sides: no gap, no
    // overlap, although each is rounded on its own.
    for (const auto& [panel, image] : {std::pair<Panel*, Image*>{&row.leftPanel, &row.leftImage},
                                       {&row.rightPanel, &row.rightImage}}) {
      const DeviceGrid grid = DeviceGrid::of(panel, dpi);
      const auto stripes = bevelStripes({0, 0, 55, 55}, Bevel::Raised, 2);
      ASSERT_EQ(stripes.size(), 8u);
      const PixelRect top = grid.map(stripes[4].bounds);
      const PixelRect left = grid.map(stripes[5].bounds);
      const PixelRect right = grid.map(stripes[6].bounds);
      const PixelRect bottom = grid.map(stripes[7].bounds);
      const PixelRect picture = controlRect(*image, dpi);
      EXPECT_EQ(picture.top, top.bottom());
      EXPECT_EQ(picture.left, left.right());
      EXPECT_EQ(picture.right(), right.left);
      EXPECT_EQ(picture.bottom(), bottom.top);
      EXPECT_EQ(right.right(), controlRect(*panel, dpi).width - grid.map({54, 0, 1, 1}).width);
    }
  }
}

}  // namespace
}  // namespace orbelle::ui
