// The pointer over a form whose controls have no windows of their own: the form's one window
// hands every move, press and release here, and this decides which control it concerns, as the
// system would if each control were a child window. The control under the pointer hears its
// moves; a press on a control keeps the pointer for that control until the release; each
// control keeps its own PressTracker, so its look and its clicks follow the same rules.
#pragma once

#include <functional>
#include <vector>

#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/PressTracker.h"

namespace orbelle::ui {

class PointerRouter {
 public:
  // For every control of `form` as it is now; the form must outlive the router.
  explicit PointerRouter(const Form& form);

  // Told of each control whose look (normal, hot, pressed) has changed, to repaint it.
  std::function<void(Control& control)> onLookChanged;

  // Points are in the form's client pixels at this DPI.
  void setDpi(int dpi) { dpi_ = dpi; }
  ButtonLook look(const Control& control) const;
  // The control that holds a press, or null.
  Control* pressedControl() const { return pressed_; }

  void pointerMoved(Point at, ShiftState shift);
  // The pointer left the window.
  void pointerLeft();
  // True when a control took the press: the window keeps the pointer until the release.
  bool buttonDown(Point at);
  // The second press of a double-click. On the control that took the first press it starts
  // nothing; anywhere else it is a press like any other (same answer as buttonDown).
  bool doubleClicked(Point at);
  // The control that the release clicks, or null. The press is over either way, so that the
  // click, which the caller runs last (it may pump messages), finds the router at rest.
  Control* buttonUp(Point at);
  // The window lost the pointer to another one: a press ends without a click.
  void captureLost();

 private:
  struct Entry {
    Control* control;
    PressTracker tracker;
  };
  std::size_t indexOf(const Control& control) const;
  // Applies `change` to the control's tracker and reports a change of its look.
  template <class Change>
  void update(Control& control, Change change);
  // The pointer is over `control` (or the background): the control hovered before, if another,
  // is left.
  void hover(Control* control);
  Point localPoint(const Control& control, Point at) const;

  const Form& form_;
  std::vector<Entry> entries_;
  int dpi_ = 96;
  Control* hovered_ = nullptr;
  Control* pressed_ = nullptr;
  Control* lastPressed_ = nullptr;  // where the last press landed: a double-click's first
};

}  // namespace orbelle::ui
