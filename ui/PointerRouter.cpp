#include "ui/PointerRouter.h"

#include <algorithm>
#include <stdexcept>

#include "ui/HitTest.h"
#include "ui/Layout.h"

namespace orbelle::ui {

PointerRouter::PointerRouter(const Form& form) : form_(form) {
  for (Control* control : form.controls())
    entries_.push_back({control, {}});
}

std::size_t PointerRouter::indexOf(const Control& control) const {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& entry) { return entry.control == &control; });
  if (found == entries_.end())
    throw std::logic_error("the pointer reached a control the router does not know");
  return static_cast<std::size_t>(found - entries_.begin());
}

ButtonLook PointerRouter::look(const Control& control) const {
  return entries_[indexOf(control)].tracker.look();
}

template <class Change>
void PointerRouter::update(Control& control, Change change) {
  PressTracker& tracker = entries_[indexOf(control)].tracker;
  const ButtonLook before = tracker.look();
  change(tracker);
  if (tracker.look() != before && onLookChanged)
    onLookChanged(control);
}

Point PointerRouter::localPoint(const Control& control, Point at) const {
  const PixelRect r = formRect(control, dpi_);
  return {at.x - r.left, at.y - r.top};
}

void PointerRouter::hover(Control* control) {
  if (hovered_ != nullptr && hovered_ != control)
    update(*hovered_, [](PressTracker& t) { t.pointerLeft(); });
  hovered_ = control;
}

void PointerRouter::pointerMoved(Point at, ShiftState shift) {
  // While a press is held, its control alone hears the pointer, inside it or not.
  Control* target = pressed_;
  bool inside = true;
  if (target != nullptr) {
    inside = formRect(*target, dpi_).contains(at);
  } else {
    target = controlAt(form_, at, dpi_);
    hover(target);
    if (target == nullptr)
      return;
  }
  update(*target, [&](PressTracker& t) { t.pointerMoved(inside); });
  if (inside) {
    const Point local = localPoint(*target, at);
    target->mouseMove(shift, local.x, local.y);
  }
}

void PointerRouter::pointerLeft() {
  if (pressed_ == nullptr)
    hover(nullptr);
}

bool PointerRouter::buttonDown(Point at) {
  Control* target = pressed_ != nullptr ? pressed_ : controlAt(form_, at, dpi_);
  lastPressed_ = target;
  if (target == nullptr) {
    hover(nullptr);
    return false;
  }
  hover(target);
  pressed_ = target;
  update(*target, [](PressTracker& t) { t.buttonDown(); });
  return true;
}

bool PointerRouter::doubleClicked(Point at) {
  Control* target = controlAt(form_, at, dpi_);
  if (pressed_ != nullptr || target == nullptr || target != lastPressed_)
    return buttonDown(at);
  hover(target);
  update(*target, [](PressTracker& t) { t.doubleClicked(); });
  return false;
}

Control* PointerRouter::buttonUp(Point at) {
  if (pressed_ == nullptr) {
    // A release without a press here (the second of a double-click): no click, the control
    // under the pointer is merely hovered.
    Control* target = controlAt(form_, at, dpi_);
    hover(target);
    if (target != nullptr)
      update(*target, [](PressTracker& t) { t.buttonUp(true); });
    return nullptr;
  }
  Control* target = pressed_;
  pressed_ = nullptr;
  const bool inside = formRect(*target, dpi_).contains(at);
  bool click = false;
  update(*target, [&](PressTracker& t) { click = t.buttonUp(inside); });
  hovered_ = inside ? target : nullptr;
  return click ? target : nullptr;
}

void PointerRouter::captureLost() {
  if (pressed_ == nullptr)
    return;
  Control* target = pressed_;
  pressed_ = nullptr;
  update(*target, [](PressTracker& t) { t.captureLost(); });
}

}  // namespace orbelle::ui
