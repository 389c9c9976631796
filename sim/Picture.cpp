#include "sim/Picture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orbelle::sim {

namespace {

constexpr int kCircleSegments = 72;

Vec3 column(const Mat3& m, int j) {
  return {m.m[0][j], m.m[1][j], m.m[2][j]};
}

// Alignment codes as the automation model numbers them: 1 centre, 2 right, 4 middle, and
// 6 to 14 top, middle and bottom rows of left, centre, right.
int horizontalOf(int code) {
  if (code == 1 || code == 4)
    return 1;
  if (code == 2)
    return 2;
  if (code >= 6 && code <= 14)
    return (code - 6) % 3;
  return 0;
}

// Lines and circles are drawn in the entity's own coordinates and then mapped point by point,
// so that a circle in a block reference scaled unevenly shows as the ellipse it has become.
void addEntity(const Entity& stored, const Affine* map, Handle owner, Picture& picture) {
  auto line = [&](Vec3 a, Vec3 b) {
    picture.segments.push_back(map == nullptr ? Segment{a, b, owner}
                                              : Segment{map->apply(a), map->apply(b), owner});
  };
  // A text is mapped as a whole: its position, direction and plane.
  Entity mappedText;
  if (map != nullptr && stored.isText()) {
    mappedText = stored;
    mappedText.transform(*map);
  }
  const Entity& e = mappedText.isText() ? mappedText : stored;
  switch (e.type) {
    case EntityType::Line:
    case EntityType::Polyline:
      for (std::size_t i = 1; i < e.points.size(); ++i)
        line(e.points[i - 1], e.points[i]);
      if (e.closed && e.points.size() > 2)
        line(e.points.back(), e.points.front());
      break;
    case EntityType::Circle: {
      if (e.points.empty())
        break;
      const Mat3 ocs = objectCoordinateSystem(e.normal);
      const Vec3 u = e.radius * column(ocs, 0), v = e.radius * column(ocs, 1);
      Vec3 previous = e.points[0] + u;
      for (int i = 1; i <= kCircleSegments; ++i) {
        const double t = 2 * std::numbers::pi * i / kCircleSegments;
        const Vec3 next = e.points[0] + std::cos(t) * u + std::sin(t) * v;
        line(previous, next);
        previous = next;
      }
      break;
    }
    case EntityType::Text:
    case EntityType::MText: {
      if (e.points.empty())
        break;
      const Mat3 ocs = objectCoordinateSystem(e.normal);
      const Vec3 ax = column(ocs, 0), ay = column(ocs, 1);
      const Vec3 direction = std::cos(e.rotation) * ax + std::sin(e.rotation) * ay;
      // The oblique angle slants the characters' upright away from the plane's normal line.
      const Vec3 upright = std::cos(e.rotation) * ay - std::sin(e.rotation) * ax;
      const Vec3 up = normalized(upright + std::tan(e.obliqueAngle) * direction);
      const Vec3 anchor = e.type == EntityType::Text && e.alignment != 0 && e.points.size() > 1
                              ? e.points[1]
                              : e.points[0];
      const int horizontal = e.type == EntityType::Text ? horizontalOf(e.alignment) : 0;
      picture.texts.push_back(
          {anchor, direction, up, e.height, e.widthFactor, horizontal, e.text, owner});
      break;
    }
    case EntityType::BlockReference:
      break;  // expanded by the caller
  }
}

// A rough box of a text: about seven tenths of the height per character, from where its
// baseline starts.
double textWidth(const TextMark& t) {
  return 0.7 * t.height * t.widthFactor * static_cast<double>(t.text.size());
}

Vec3 textStart(const TextMark& t) {
  const double shift = t.horizontal == 1 ? textWidth(t) / 2 : t.horizontal == 2 ? textWidth(t) : 0;
  return t.position - shift * t.direction;
}

}  // namespace

Picture pictureOf(const Drawing& drawing) {
  Picture picture;
  for (const Entity& e : drawing.entities()) {
    drawing.forEachPart(
        e, [&](const Entity& part, const Affine* map) { addEntity(part, map, e.handle, picture); });
  }
  return picture;
}

Picture movedPicture(const Drawing& drawing, const std::vector<Handle>& owners, Vec3 offset) {
  Picture picture;
  for (Handle owner : drawing.existing(owners)) {
    drawing.forEachPart(*drawing.find(owner), [&](const Entity& part, const Affine* map) {
      addEntity(part, map, owner, picture);
    });
  }
  for (Segment& s : picture.segments) {
    s.a = s.a + offset;
    s.b = s.b + offset;
  }
  for (TextMark& t : picture.texts)
    t.position = t.position + offset;
  return picture;
}

std::optional<ViewRect> extents(const Picture& picture, ViewKind kind) {
  std::optional<ViewRect> box;
  auto include = [&](Vec3 p) {
    const ViewPoint v = project(kind, p);
    if (!box) {
      box = ViewRect{v.x, v.y, v.x, v.y};
      return;
    }
    box->minX = std::min(box->minX, v.x);
    box->minY = std::min(box->minY, v.y);
    box->maxX = std::max(box->maxX, v.x);
    box->maxY = std::max(box->maxY, v.y);
  };
  for (const Segment& s : picture.segments) {
    include(s.a);
    include(s.b);
  }
  for (const TextMark& t : picture.texts) {
    const Vec3 start = textStart(t);
    const Vec3 along = textWidth(t) * t.direction, up = t.height * t.up;
    include(start);
    include(start + along);
    include(start + up);
    include(start + along + up);
  }
  return box;
}

View zoomedToExtents(const Drawing& drawing, ViewKind kind) {
  View view;
  view.kind = kind;
  const auto box = extents(pictureOf(drawing), kind);
  if (!box)
    return view;
  const double width = std::max(box->maxX - box->minX, 1e-9);
  const double height = std::max(box->maxY - box->minY, 1e-9);
  view.centerX = (box->minX + box->maxX) / 2;
  view.centerY = (box->minY + box->maxY) / 2;
  view.width = width * 1.1;
  view.height = height * 1.1;
  return view;
}

Vec3 unproject(ViewKind kind, ViewPoint p) {
  static const double kR2 = std::sqrt(2.0), kR6 = std::sqrt(6.0);
  switch (kind) {
    case ViewKind::SouthWestIso:
      return {(kR2 * p.x + kR6 * p.y) / 2, (kR6 * p.y - kR2 * p.x) / 2, 0};
    case ViewKind::SouthEastIso:
      return {(kR2 * p.x - kR6 * p.y) / 2, (kR2 * p.x + kR6 * p.y) / 2, 0};
    case ViewKind::Plan:
      break;
  }
  return {p.x, p.y, 0};
}

std::optional<Handle> hitTest(const Picture& picture, ViewKind kind, ViewPoint p,
                              double tolerance) {
  std::optional<Handle> best;
  double bestDistance = tolerance;
  auto consider = [&](ViewPoint a, ViewPoint b, Handle owner) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double span = dx * dx + dy * dy;
    double t = span == 0 ? 0 : ((p.x - a.x) * dx + (p.y - a.y) * dy) / span;
    t = std::clamp(t, 0.0, 1.0);
    const double distance = std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
    if (distance <= bestDistance) {
      bestDistance = distance;
      best = owner;
    }
  };
  for (const Segment& s : picture.segments)
    consider(project(kind, s.a), project(kind, s.b), s.owner);
  for (const TextMark& t : picture.texts) {
    // A text is hit along the middle of its box.
    const Vec3 middle = textStart(t) + (t.height / 2) * t.up;
    consider(project(kind, middle), project(kind, middle + textWidth(t) * t.direction), t.owner);
  }
  return best;
}

}  // namespace orbelle::sim
