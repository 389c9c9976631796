#include "ui/Layout.h"

#include "ui/Dpi.h"

namespace orbelle::ui {

namespace {

Point absoluteOrigin(const Control* control) {
  Point origin;
  for (const Control* c = control; c != nullptr; c = c->parent()) {
    origin.x += c->bounds().left;
    origin.y += c->bounds().top;
  }
  return origin;
}

}  // namespace

DeviceGrid DeviceGrid::of(const Control* control, int dpi) {
  return DeviceGrid(absoluteOrigin(control), dpi);
}

PixelRect DeviceGrid::map(Bounds local96) const {
  const int left = origin96_.x + local96.left;
  const int top = origin96_.y + local96.top;
  const int originX = scale(origin96_.x, dpi_);
  const int originY = scale(origin96_.y, dpi_);
  const int deviceLeft = scale(left, dpi_);
  const int deviceTop = scale(top, dpi_);
  return {deviceLeft - originX, deviceTop - originY, scale(left + local96.width, dpi_) - deviceLeft,
          scale(top + local96.height, dpi_) - deviceTop};
}

PixelRect controlRect(const Control& control, int dpi) {
  return DeviceGrid::of(control.parent(), dpi).map(control.bounds());
}

PixelRect formRect(const Control& control, int dpi) {
  const Point origin = absoluteOrigin(control.parent());
  const Bounds local = control.bounds();
  return DeviceGrid({}, dpi).map(
      {origin.x + local.left, origin.y + local.top, local.width, local.height});
}

PixelRect clientRect(const Form& form, int dpi) {
  return DeviceGrid({}, dpi).map({0, 0, form.clientWidth(), form.clientHeight()});
}

}  // namespace orbelle::ui
