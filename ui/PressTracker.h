// What a press of the pointer on a control means: a click is a release inside the control
// after a press that started there, as on an ordinary push button.
#pragma once

namespace orbelle::ui {

enum class ButtonLook { Normal, Hot, Pressed };

class PressTracker {
 public:
  void pointerMoved(bool inside) { inside_ = inside; }
  void pointerLeft() { inside_ = false; }
  void buttonDown() {
    pressed_ = true;
    inside_ = true;
  }
  // True when the release completes a click. The press is over either way, so that a click
  // handler that runs a nested message loop finds the tracker at rest.
  bool buttonUp(bool inside) {
    const bool click = pressed_ && inside;
    pressed_ = false;
    inside_ = inside;
    return click;
  }
  // The second press of a double-click: one double-click is one action, so this press starts
  // nothing and its release is no click. Two presses slower than that are two clicks.
  void doubleClicked() {
    pressed_ = false;
    inside_ = true;
  }
  // Another window took the pointer away: the press ends without a click.
  void captureLost() { pressed_ = false; }

  bool pressed() const { return pressed_; }
  // Pressed while held down over the control; hot while merely hovered; a press dragged
  // outside looks normal until the pointer comes back.
  ButtonLook look() const {
    if (!inside_)
      return ButtonLook::Normal;
    return pressed_ ? ButtonLook::Pressed : ButtonLook::Hot;
  }

 private:
  bool pressed_ = false;
  bool inside_ = false;
};

}  // namespace orbelle::ui
