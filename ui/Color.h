#pragma once

#include <cstdint>

namespace orbelle::ui {

struct Color {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend constexpr bool operator==(const Color&, const Color&) = default;
};

}  // namespace orbelle::ui
