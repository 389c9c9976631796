#include "ui/Resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orbelle::ui {

namespace {

struct Tap {
  int index;
  float weight;
};

// For each destination position, the source positions it reads and their weights (summing
// to 1), edges clamped.
std::vector<std::vector<Tap>> taps(int sourceSize, int targetSize) {
  const double ratio = static_cast<double>(sourceSize) / targetSize;
  const double support = std::max(1.0, ratio);
  std::vector<std::vector<Tap>> result(static_cast<std::size_t>(targetSize));
  for (int d = 0; d < targetSize; ++d) {
    const double center = (d + 0.5) * ratio - 0.5;
    const int first = static_cast<int>(std::floor(center - support));
    const int last = static_cast<int>(std::ceil(center + support));
    double total = 0;
    std::vector<Tap>& list = result[static_cast<std::size_t>(d)];
    for (int s = first; s <= last; ++s) {
      const double weight = 1.0 - std::abs(s - center) / support;
      if (weight <= 0)
        continue;
      list.push_back({std::clamp(s, 0, sourceSize - 1), static_cast<float>(weight)});
      total += weight;
    }
    for (Tap& tap : list)
      tap.weight = static_cast<float>(tap.weight / total);
  }
  return result;
}

}  // namespace

Bitmap resize(const Bitmap& source, int width, int height) {
  Bitmap target;
  if (width < 1 || height < 1 || source.width < 1 || source.height < 1)
    return target;
  target.width = width;
  target.height = height;
  target.pixels.resize(static_cast<std::size_t>(width) * height * 4);

  // Rows first into a float buffer of the target width, then columns.
  const auto across = taps(source.width, width);
  const auto down = taps(source.height, height);
  std::vector<float> rows(static_cast<std::size_t>(width) * source.height * 4);
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < width; ++x) {
      float* out = &rows[(static_cast<std::size_t>(y) * width + x) * 4];
      for (const Tap& tap : across[static_cast<std::size_t>(x)]) {
        const std::uint8_t* in = source.pixel(tap.index, y);
        for (int c = 0; c < 4; ++c)
          out[c] += tap.weight * in[c];
      }
    }
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      float sum[4] = {};
      for (const Tap& tap : down[static_cast<std::size_t>(y)]) {
        const float* in = &rows[(static_cast<std::size_t>(tap.index) * width + x) * 4];
        for (int c = 0; c < 4; ++c)
          sum[c] += tap.weight * in[c];
      }
      std::uint8_t* out = &target.pixels[(static_cast<std::size_t>(y) * width + x) * 4];
      out[3] = static_cast<std::uint8_t>(std::clamp(std::lround(sum[3]), 0L, 255L));
      // A premultiplied colour never exceeds its alpha.
      for (int c = 0; c < 3; ++c)
        out[c] = static_cast<std::uint8_t>(std::clamp(std::lround(sum[c]), 0L, long{out[3]}));
    }
  }
  return target;
}

Bitmap composeOver(const Bitmap& picture, Color background) {
  Bitmap result = picture;
  const unsigned back[3] = {background.blue, background.green, background.red};
  for (std::size_t i = 0; i + 3 < result.pixels.size(); i += 4) {
    std::uint8_t* p = &result.pixels[i];
    const unsigned transparency = 255u - p[3];
    for (int c = 0; c < 3; ++c)
      p[c] = static_cast<std::uint8_t>(std::min(255u, p[c] + (back[c] * transparency + 127) / 255));
    p[3] = 255;
  }
  return result;
}

}  // namespace orbelle::ui
