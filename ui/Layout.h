// Where the controls of a form go in device pixels at a given DPI.
#pragma once

#include "ui/Control.h"
#include "ui/Form.h"

namespace orbelle::ui {

// A rectangle in device pixels.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  constexpr int right() const { return left + width; }
  constexpr int bottom() const { return top + height; }
  // Left and top edges inside, right and bottom edges outside, as a Win32 RECT.
  constexpr bool contains(Point point) const {
    return point.x >= left && point.x < right() && point.y >= top && point.y < bottom();
  }
  friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Maps rectangles given in 96-DPI units relative to one control (or the form's client area) to
// device pixels relative to that control's own device origin. Every edge is scaled in form
// coordinates, so rounding never opens a gap or an overlap between rectangles that meet at
// 96 DPI, whatever the DPI.
class DeviceGrid {
 public:
  DeviceGrid(Point origin96, int dpi) : origin96_(origin96), dpi_(dpi) {}
  // The grid of a control's client area; of the form's when `control` is null.
  static DeviceGrid of(const Control* control, int dpi);

  PixelRect map(Bounds local96) const;

 private:
  Point origin96_;
  int dpi_;
};

// The control's rectangle in its parent's client area (the form's when it has none).
PixelRect controlRect(const Control& control, int dpi);

// The control's rectangle in the form's client area, however deep it lies.
PixelRect formRect(const Control& control, int dpi);

// The form's client area at `dpi`.
PixelRect clientRect(const Form& form, int dpi);

}  // namespace orbelle::ui
