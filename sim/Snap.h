// Object snaps: the exact points of the drawing that a pick by the pointer lands on when it comes
// near one: endpoints and midpoints of lines and polyline segments, circle centres and quadrants,
// and the insertion points of texts and block references (block contents included).
#pragma once

#include <optional>
#include <vector>

#include "sim/Drawing.h"

namespace orbelle::sim {

enum class SnapKind { Endpoint, Midpoint, Center, Quadrant, Insertion };
const wchar_t* snapName(SnapKind kind);  // "Endpoint", "Midpoint", ...

struct SnapPoint {
  Vec3 point;  // in the world, exactly as the drawing holds it
  SnapKind kind;
  Handle owner;  // the model-space entity it belongs to
};

std::vector<SnapPoint> snapPoints(const Drawing& drawing);

// The snap point nearest to `at` on the view plane, if one lies within `tolerance` (view-plane
// units: the window divides its tolerance in pixels by the scale). Of equally near points the
// first listed wins.
std::optional<SnapPoint> nearestSnap(const std::vector<SnapPoint>& points, ViewKind kind,
                                     ViewPoint at, double tolerance);

}  // namespace orbelle::sim
