#include <gtest/gtest.h>

#include <algorithm>

#include "ui/Resample.h"

namespace orbelle::ui {
namespace {

Bitmap filled(int w, int h, std::array<std::uint8_t, 4> bgra) {
  Bitmap b{w, h, {}};
  for (int i = 0; i < w * h; ++i)
    b.pixels.insert(b.pixels.end(), bgra.begin(), bgra.end());
  return b;
}

TEST(Resample, AnEvenColourStaysEvenShrunkOrEnlarged) {
  const Bitmap source = filled(113, 110, {40, 80, 120, 200});
  for (auto [w, h] : {std::pair{51, 51}, {77, 77}, {113, 110}, {153, 153}, {1, 1}}) {
    const Bitmap out = resize(source, w, h);
    ASSERT_EQ(out.width, w);
    ASSERT_EQ(out.height, h);
    ASSERT_EQ(out.pixels, filled(w, h, {40, 80, 120, 200}).pixels) << w << " x " << h;
  }
  EXPECT_TRUE(resize(source, 0, 5).pixels.empty());
}

// Wherever a one-pixel line lies, shrinking keeps it visible and keeps its weight: no line
// dropped between samples, none doubled.
TEST(Resample, AThinLineStaysVisibleWhereverItLiesWhenShrunk) {
  for (int lineX = 0; lineX < 113; ++lineX) {
    SCOPED_TRACE(lineX);
    Bitmap source = filled(113, 4, {0, 0, 0, 255});
    for (int y = 0; y < 4; ++y)
      std::fill_n(&source.pixels[(static_cast<std::size_t>(y) * 113 + lineX) * 4], 3, 255);
    const Bitmap out = resize(source, 51, 2);
    int peak = 0, total = 0;
    for (int x = 0; x < 51; ++x) {
      peak = std::max<int>(peak, out.pixel(x, 1)[0]);
      total += out.pixel(x, 1)[0];
    }
    EXPECT_GE(peak, 55);             // half its weight at worst, when it falls between two pixels
    if (lineX > 1 && lineX < 111) {  // at the edges the clamped border adds weight
      EXPECT_NEAR(total, 255.0 * 51 / 113, 6);
    }
  }
}

TEST(Resample, PremultipliedColourNeverExceedsAlphaAndComposesOverTheBackground) {
  Bitmap source = filled(4, 1, {0, 0, 0, 0});
  std::fill_n(source.pixels.begin(), 4, 255);  // one opaque white pixel beside transparent ones
  const Bitmap out = resize(source, 3, 1);
  for (std::size_t i = 0; i < out.pixels.size(); i += 4)
    EXPECT_LE(*std::max_element(&out.pixels[i], &out.pixels[i] + 3), out.pixels[i + 3]);

  const Bitmap half = filled(1, 1, {50, 50, 50, 128});
  EXPECT_EQ(composeOver(half, {200, 100, 0}).pixels,
            (std::vector<std::uint8_t>{50, 100, 150, 255}));
  EXPECT_EQ(composeOver(filled(1, 1, {0, 0, 0, 0}), {1, 2, 3}).pixels,
            (std::vector<std::uint8_t>{3, 2, 1, 255}));
}

}  // namespace
}  // namespace orbelle::ui
