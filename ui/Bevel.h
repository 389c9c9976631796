// The stripes that draw a panel's bevel, in the panel's own 96-DPI units.
#pragma once

#include <vector>

#include "ui/Control.h"

namespace orbelle::ui {

enum class BevelShade { Light, Shadow };

struct BevelStripe {
  Bounds bounds;
  BevelShade shade;
  friend constexpr bool operator==(const BevelStripe&, const BevelStripe&) = default;
};

// A raised bevel is light on its top and left edges and shadowed on its bottom and right
// edges, one ring per unit of width from the outside in; a lowered one the other way round;
// none draws nothing. The stripes never overlap, so their order does not matter.
std::vector<BevelStripe> bevelStripes(Bounds area, Bevel bevel, int width);

}  // namespace orbelle::ui
