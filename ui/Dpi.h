// Scaling from the 96-DPI units that every size of the toolkit is given in to device pixels.
#pragma once

#include <cstdint>

namespace orbelle::ui {

inline constexpr int kBaseDpi = 96;

// value * numerator / denominator rounded to nearest, halves away from zero, as Win32 MulDiv
// does; -1 when the denominator is 0 or the result does not fit an int (also as MulDiv).
constexpr int mulDiv(int value, int numerator, int denominator) noexcept {
  if (denominator == 0)
    return -1;
  const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const std::int64_t num = product < 0 ? -product : product;
  const std::int64_t den = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
  const std::int64_t rounded = (num + den / 2) / den;
  if (rounded > INT32_MAX)
    return -1;
  return static_cast<int>(negative ? -rounded : rounded);
}

// A length or coordinate at 96 DPI, in pixels at `dpi`.
constexpr int scale(int value96, int dpi) noexcept {
  return mulDiv(value96, dpi, kBaseDpi);
}

// The font height in pixels (the em height, a negative LOGFONT height) of `points` at `dpi`.
constexpr int fontPixelHeight(int points, int dpi) noexcept {
  return mulDiv(points, dpi, 72);
}

}  // namespace orbelle::ui
