// The drawing area of the host's window as a person uses it: the view fitted to the area, zoom
// about the pointer and pan, object snaps for picked points (F3 turns them off and on), and what
// follows the pointer while a second point is asked. The window passes its events in pixels and
// draws what `hover` says; the rules live here.
#pragma once

#include <optional>

#include "sim/Picture.h"
#include "sim/ScreenMap.h"
#include "sim/Session.h"
#include "sim/Snap.h"

namespace orbelle::sim {

class DrawingArea {
 public:
  // How near, in pixels, the pointer must come to an object to pick it, and to a snap point
  // for a picked point to land on it.
  static constexpr double kPickTolerance = 6;
  static constexpr double kSnapTolerance = 8;

  explicit DrawingArea(Session& session) : session_(session) {}

  void resize(PixelRect area) { area_ = area; }
  const PixelRect& area() const { return area_; }
  ScreenMap screen() const { return ScreenMap(session_.drawing().view, area_); }

  // The pointer moved: true when what is drawn over the drawing may change with it (the window
  // then redraws). A drag with the middle button pans the view along.
  bool pointerMoved(PixelPoint at);
  void pointerLeft() { pointer_.reset(); }
  // A left click: an object for a selection, a point (on a snap point when one is near and
  // snaps are on), or an object for an entity pick, as the pending request wants.
  void pick(PixelPoint at);
  // The wheel zooms about the pointer; the middle button pans, and its double-click fits the
  // drawing in as ZOOM E does. None of these reach the command line or the log.
  void wheel(PixelPoint at, int delta);
  void panStart(PixelPoint at) { panFrom_ = at; }
  void panEnd() { panFrom_.reset(); }
  bool panning() const { return panFrom_.has_value(); }
  void zoomExtents();
  // F3: snaps off or on, and the command line says which.
  void toggleSnap();
  bool snapping() const { return snapping_; }

  // What to draw over the drawing where the pointer is, while a point is asked.
  struct Hover {
    std::optional<SnapPoint> snap;     // where a pick would land, marked
    std::optional<Vec3> base, target;  // a line from the base point to where the pick would land
    Picture moving;                    // the objects a move would move, moved there
  };
  Hover hover() const;

 private:
  bool asksForPoint() const;
  std::optional<SnapPoint> snapNear(const ScreenMap& screen, ViewPoint at) const;

  Session& session_;
  PixelRect area_;
  std::optional<PixelPoint> pointer_;
  std::optional<PixelPoint> panFrom_;
  bool snapping_ = true;
};

}  // namespace orbelle::sim
