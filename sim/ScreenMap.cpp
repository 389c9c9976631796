#include "sim/ScreenMap.h"

#include <algorithm>
#include <cmath>

namespace orbelle::sim {

namespace {

constexpr double kWheelNotch = 120;
constexpr double kNotchZoom = 1.25;
// Views narrower or wider than this are refused: far beyond any drawing, and near where the
// arithmetic of the view plane loses its digits.
constexpr double kNarrowest = 1e-6;
constexpr double kWidest = 1e12;

}  // namespace

ScreenMap::ScreenMap(const View& view, PixelRect area)
    : view_(view), middleX_((area.left + area.right) / 2), middleY_((area.top + area.bottom) / 2) {
  const double width = std::max(area.right - area.left, 1.0);
  const double height = std::max(area.bottom - area.top, 1.0);
  scale_ = std::min(width / std::max(view.width, 1e-12), height / std::max(view.height, 1e-12));
}

PixelPoint ScreenMap::toScreen(ViewPoint v) const {
  return {middleX_ + (v.x - view_.centerX) * scale_, middleY_ - (v.y - view_.centerY) * scale_};
}

ViewPoint ScreenMap::toView(PixelPoint p) const {
  return {view_.centerX + (p.x - middleX_) / scale_, view_.centerY - (p.y - middleY_) / scale_};
}

View zoomedAbout(const View& view, PixelRect area, PixelPoint at, double factor) {
  if (!(factor > 0) || !std::isfinite(factor))
    return view;
  View zoomed = view;
  zoomed.width = view.width / factor;
  zoomed.height = view.height / factor;
  if (!(std::max(zoomed.width, zoomed.height) >= kNarrowest) ||
      !(std::max(zoomed.width, zoomed.height) <= kWidest)) {
    return view;
  }
  // The fixed point, then the centre that puts it back under the pixel at the new scale.
  const ViewPoint fixed = ScreenMap(view, area).toView(at);
  const double scale = ScreenMap(zoomed, area).scale();
  zoomed.centerX = fixed.x - (at.x - (area.left + area.right) / 2) / scale;
  zoomed.centerY = fixed.y + (at.y - (area.top + area.bottom) / 2) / scale;
  return zoomed;
}

View panned(const View& view, PixelRect area, PixelPoint from, PixelPoint to) {
  const double scale = ScreenMap(view, area).scale();
  View moved = view;
  moved.centerX -= (to.x - from.x) / scale;
  moved.centerY += (to.y - from.y) / scale;
  return moved;
}

double wheelZoomFactor(int delta) {
  return std::pow(kNotchZoom, delta / kWheelNotch);
}

}  // namespace orbelle::sim
