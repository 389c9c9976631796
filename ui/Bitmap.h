// A picture in memory as the window backend draws it.
#pragma once

#include <cstdint>
#include <vector>

namespace orbelle::ui {

// Rows from the top, 4 bytes a pixel in the order blue, green, red, alpha, with the colours
// premultiplied by alpha (what AlphaBlend and a 32-bit DIB expect).
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes

  const std::uint8_t* pixel(int x, int y) const {
    return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4;
  }
};

}  // namespace orbelle::ui
