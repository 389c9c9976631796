// Pixels of the window's drawing area and the view plane: the view's rectangle fitted into the
// area (centred, its aspect kept), and the zoom and pan that move the view under the pointer.
#pragma once

#include "sim/Drawing.h"

namespace orbelle::sim {

// Window pixels: x to the right, y down.
struct PixelPoint {
  double x = 0, y = 0;
};

struct PixelRect {
  double left = 0, top = 0, right = 0, bottom = 0;

  bool contains(PixelPoint p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
};

class ScreenMap {
 public:
  ScreenMap(const View& view, PixelRect area);

  double scale() const { return scale_; }  // pixels per drawing unit
  PixelPoint toScreen(ViewPoint v) const;
  PixelPoint toScreen(ViewKind kind, Vec3 world) const { return toScreen(project(kind, world)); }
  ViewPoint toView(PixelPoint p) const;

 private:
  View view_;
  double middleX_, middleY_;
  double scale_;
};

// The view zoomed by `factor` (above 1 zooms in) about a pixel: the point of the view plane under
// that pixel stays under it. A zoom that would leave sane bounds keeps the view as it is.
View zoomedAbout(const View& view, PixelRect area, PixelPoint at, double factor);

// The view dragged along with the pointer from one pixel to another.
View panned(const View& view, PixelRect area, PixelPoint from, PixelPoint to);

// The zoom factor of a mouse wheel turn (`delta` in the wheel's units, 120 a notch): each notch
// forward zooms in a step, each notch back zooms out as much.
double wheelZoomFactor(int delta);

}  // namespace orbelle::sim
