#include <gtest/gtest.h>

#include <vector>

#include "ui/Bevel.h"

namespace orbelle::ui {
namespace {

// Which shade paints each pixel of a w x h area: '.' none, 'L' light, 'S' shadow, '!' twice.
std::vector<std::string> paint(const std::vector<BevelStripe>& stripes, int w, int h) {
  std::vector<std::string> grid(static_cast<std::size_t>(h),
                                std::string(static_cast<std::size_t>(w), '.'));
  for (const BevelStripe& s : stripes) {
    for (int y = s.bounds.top; y < s.bounds.top + s.bounds.height; ++y) {
      for (int x = s.bounds.left; x < s.bounds.left + s.bounds.width; ++x) {
        char& pixel = grid[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
        pixel = pixel == '.' ? (s.shade == BevelShade::Light ? 'L' : 'S') : '!';
      }
    }
  }
  return grid;
}

TEST(Bevel, ARaisedBevelOfWidthTwoIsLightAboveAndLeftShadowedBelowAndRight) {
  EXPECT_EQ(paint(bevelStripes({0, 0, 6, 6}, Bevel::Raised, 2), 6, 6),
            (std::vector<std::string>{"LLLLLS",  //
                                      "LLLLSS",  //
                                      "LL..SS",  //
                                      "LL..SS",  //
                                      "LSSSSS",  //
                                      "SSSSSS"}));
}

TEST(Bevel, LoweredSwapsTheShadesAndNoneDrawsNothing) {
  EXPECT_EQ(paint(bevelStripes({0, 0, 4, 3}, Bevel::Lowered, 1), 4, 3),
            (std::vector<std::string>{"SSSL",  //
                                      "S..L",  //
                                      "LLLL"}));
  EXPECT_TRUE(bevelStripes({0, 0, 55, 55}, Bevel::None, 2).empty());
}

TEST(Bevel, RingsStopWhenTheAreaIsUsedUp) {
  EXPECT_EQ(paint(bevelStripes({1, 1, 3, 3}, Bevel::Raised, 5), 5, 5),
            (std::vector<std::string>{".....",  //
                                      ".LLS.",  //
                                      ".L.S.",  //
                                      ".SSS.",  //
                                      "....."}));
}

}  // namespace
}  // namespace orbelle::ui
