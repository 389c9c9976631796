#include "sim/Snap.h"

#include <cmath>

namespace orbelle::sim {

namespace {

Vec3 column(const Mat3& m, int j) {
  return {m.m[0][j], m.m[1][j], m.m[2][j]};
}

// The snap points of one stored entity, mapped by a block reference's map when it has one.
void addParts(const Entity& e, const Affine* map, Handle owner, std::vector<SnapPoint>& out) {
  auto add = [&](Vec3 p, SnapKind kind) {
    out.push_back({map == nullptr ? p : map->apply(p), kind, owner});
  };
  // Midpoints from the stored points, then mapped: an affine map keeps midpoints.
  auto midpoint = [](Vec3 a, Vec3 b) { return 0.5 * (a + b); };
  switch (e.type) {
    case EntityType::Line:
    case EntityType::Polyline:
      for (const Vec3& p : e.points)
        add(p, SnapKind::Endpoint);
      for (std::size_t i = 1; i < e.points.size(); ++i)
        add(midpoint(e.points[i - 1], e.points[i]), SnapKind::Midpoint);
      if (e.closed && e.points.size() > 2)
        add(midpoint(e.points.back(), e.points.front()), SnapKind::Midpoint);
      break;
    case EntityType::Circle: {
      if (e.points.empty())
        break;
      const Vec3 centre = e.points[0];
      const Mat3 ocs = objectCoordinateSystem(e.normal);
      const Vec3 u = e.radius * column(ocs, 0), v = e.radius * column(ocs, 1);
      add(centre, SnapKind::Center);
      for (const Vec3& offset : {u, v, -1 * u, -1 * v})
        add(centre + offset, SnapKind::Quadrant);
      break;
    }
    case EntityType::Text:
      // The point the text is placed by: its alignment point once it is not left-aligned.
      if (!e.points.empty())
        add(e.alignment != 0 && e.points.size() > 1 ? e.points[1] : e.points[0],
            SnapKind::Insertion);
      break;
    case EntityType::MText:
    case EntityType::BlockReference:
      if (!e.points.empty())
        add(e.points[0], SnapKind::Insertion);
      break;
  }
}

}  // namespace

const wchar_t* snapName(SnapKind kind) {
  switch (kind) {
    case SnapKind::Endpoint:
      return L"Endpoint";
    case SnapKind::Midpoint:
      return L"Midpoint";
    case SnapKind::Center:
      return L"Center";
    case SnapKind::Quadrant:
      return L"Quadrant";
    case SnapKind::Insertion:
      return L"Insertion";
  }
  return L"?";
}

std::vector<SnapPoint> snapPoints(const Drawing& drawing) {
  std::vector<SnapPoint> out;
  for (const Entity& e : drawing.entities()) {
    if (e.type == EntityType::BlockReference)
      addParts(e, nullptr, e.handle, out);  // its own insertion point, then its contents
    drawing.forEachPart(
        e, [&](const Entity& part, const Affine* map) { addParts(part, map, e.handle, out); });
  }
  return out;
}

std::optional<SnapPoint> nearestSnap(const std::vector<SnapPoint>& points, ViewKind kind,
                                     ViewPoint at, double tolerance) {
  std::optional<SnapPoint> best;
  double bestDistance = tolerance;
  for (const SnapPoint& candidate : points) {
    const ViewPoint v = project(kind, candidate.point);
    const double distance = std::hypot(v.x - at.x, v.y - at.y);
    if (distance < bestDistance || (!best && distance <= bestDistance)) {
      bestDistance = distance;
      best = candidate;
    }
  }
  return best;
}

}  // namespace orbelle::sim
