#include "sim/DrawingArea.h"

namespace orbelle::sim {

bool DrawingArea::asksForPoint() const {
  const Request* request = session_.pending();
  return request != nullptr && request->kind == RequestKind::Point;
}

std::optional<SnapPoint> DrawingArea::snapNear(const ScreenMap& screen, ViewPoint at) const {
  // Snaps serve picked points only: objects are picked by their lines, not their points.
  if (!snapping_ || !asksForPoint())
    return std::nullopt;
  const Drawing& drawing = session_.drawing();
  return nearestSnap(snapPoints(drawing), drawing.view.kind, at, kSnapTolerance / screen.scale());
}

bool DrawingArea::pointerMoved(PixelPoint at) {
  pointer_ = at;
  if (panFrom_) {
    Drawing& drawing = session_.drawing();
    drawing.view = panned(drawing.view, area_, *panFrom_, at);
    panFrom_ = at;
    return true;
  }
  return asksForPoint();
}

void DrawingArea::pick(PixelPoint at) {
  if (!area_.contains(at))
    return;
  const Drawing& drawing = session_.drawing();
  const ScreenMap map = screen();
  const ViewPoint v = map.toView(at);
  const auto hit = hitTest(pictureOf(drawing), drawing.view.kind, v, kPickTolerance / map.scale());
  const auto snap = snapNear(map, v);
  session_.pointAt(snap ? snap->point : unproject(drawing.view.kind, v), hit);
}

void DrawingArea::wheel(PixelPoint at, int delta) {
  Drawing& drawing = session_.drawing();
  drawing.view = zoomedAbout(drawing.view, area_, at, wheelZoomFactor(delta));
}

void DrawingArea::zoomExtents() {
  Drawing& drawing = session_.drawing();
  drawing.view = zoomedToExtents(drawing, drawing.view.kind);
}

void DrawingArea::toggleSnap() {
  snapping_ = !snapping_;
  session_.echo(snapping_ ? L"<Osnap on>" : L"<Osnap off>");
}

DrawingArea::Hover DrawingArea::hover() const {
  Hover hover;
  if (!pointer_ || !area_.contains(*pointer_) || !asksForPoint())
    return hover;
  const Drawing& drawing = session_.drawing();
  const ScreenMap map = screen();
  const ViewPoint v = map.toView(*pointer_);
  hover.snap = snapNear(map, v);
  const Vec3 target = hover.snap ? hover.snap->point : unproject(drawing.view.kind, v);
  if (const auto drag = session_.drag()) {
    hover.base = drag->base;
    hover.target = target;
    hover.moving = movedPicture(drawing, drag->moving, target - drag->base);
  }
  return hover;
}

}  // namespace orbelle::sim
