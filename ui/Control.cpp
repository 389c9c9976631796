#include "ui/Control.h"

namespace orbelle::ui {

Control::Control(std::wstring name, Control* parent, Bounds bounds)
    : name_(std::move(name)), parent_(parent), bounds_(bounds) {}

void Control::click() {
  if (onClick)
    onClick(*this);
}

void Control::mouseMove(ShiftState shift, int x, int y) {
  if (onMouseMove)
    onMouseMove(*this, shift, x, y);
}

void Control::changed() {
  if (observer_ != nullptr)
    observer_->controlChanged(*this);
}

void Panel::setBevelOuter(Bevel bevel) {
  bevelOuter_ = bevel;
  changed();
}

void Panel::setBevelInner(Bevel bevel) {
  bevelInner_ = bevel;
  changed();
}

void Panel::setBevelWidth(int width) {
  bevelWidth_ = width;
  changed();
}

void Panel::setShowCaption(bool show) {
  showCaption_ = show;
  changed();
}

}  // namespace orbelle::ui
