#include "ui/Form.h"

namespace orbelle::ui {

void Form::setWindowState(WindowState state) {
  windowState_ = state;
  if (observer_ != nullptr)
    observer_->windowStateWritten(*this);
}

void Form::setPosition(Point position) {
  position_ = position;
  if (observer_ != nullptr)
    observer_->positionWritten(*this);
}

}  // namespace orbelle::ui
