// The drawing as lines and text marks in world space, and the view-plane arithmetic around it:
// what the window paints, what zoom extents fits, what a click hits.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/Drawing.h"

namespace orbelle::sim {

struct Segment {
  Vec3 a, b;
  Handle owner;  // the model-space entity it belongs to
};

struct TextMark {
  Vec3 position;   // insertion point of the text's baseline
  Vec3 direction;  // unit vector along the baseline
  Vec3 up;         // unit vector up the characters
  double height;
  double widthFactor;
  int horizontal;  // where the position sits on the baseline: 0 start, 1 centre, 2 end
  std::wstring text;
  Handle owner;
};

struct Picture {
  std::vector<Segment> segments;
  std::vector<TextMark> texts;
};

Picture pictureOf(const Drawing& drawing);
// The picture of some of the drawing's entities moved by `offset`: what moving them would make.
Picture movedPicture(const Drawing& drawing, const std::vector<Handle>& owners, Vec3 offset);

// A rectangle of the view plane.
struct ViewRect {
  double minX, minY, maxX, maxY;
};
// The projected bounds of the whole drawing, or nothing for an empty drawing.
std::optional<ViewRect> extents(const Picture& picture, ViewKind kind);
// The view that shows the whole drawing with a margin.
View zoomedToExtents(const Drawing& drawing, ViewKind kind);

// The world point on the plane z = 0 under a view-plane point.
Vec3 unproject(ViewKind kind, ViewPoint p);
// The entity nearest to a view-plane point within `tolerance`, if any.
std::optional<Handle> hitTest(const Picture& picture, ViewKind kind, ViewPoint p, double tolerance);

}  // namespace orbelle::sim
