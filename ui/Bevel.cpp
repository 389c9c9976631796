#include "ui/Bevel.h"

namespace orbelle::ui {

std::vector<BevelStripe> bevelStripes(Bounds area, Bevel bevel, int width) {
  std::vector<BevelStripe> stripes;
  if (bevel == Bevel::None)
    return stripes;
  const BevelShade topLeft = bevel == Bevel::Raised ? BevelShade::Light : BevelShade::Shadow;
  const BevelShade bottomRight = bevel == Bevel::Raised ? BevelShade::Shadow : BevelShade::Light;
  for (int ring = 0; ring < width; ++ring) {
    const int l = area.left + ring;
    const int t = area.top + ring;
    const int w = area.width - 2 * ring;
    const int h = area.height - 2 * ring;
    if (w < 2 || h < 2)
      break;
    // Top and left stop one short of the far corners, which belong to the bottom and right.
    stripes.push_back({{l, t, w - 1, 1}, topLeft});
    stripes.push_back({{l, t + 1, 1, h - 2}, topLeft});
    stripes.push_back({{l + w - 1, t, 1, h}, bottomRight});
    stripes.push_back({{l, t + h - 1, w - 1, 1}, bottomRight});
  }
  return stripes;
}

}  // namespace orbelle::ui
