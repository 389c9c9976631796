// The model of a top-level window: caption, client size, window state, position and the
// controls it owns. The backend realises it and reports back what the user does to it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Control.h"

namespace orbelle::ui {

enum class WindowState { Normal, Minimized, Maximized };

struct Point {
  int x = 0;
  int y = 0;
  friend constexpr bool operator==(const Point&, const Point&) = default;
};

class Form;

class FormObserver {
 public:
  virtual ~FormObserver() = default;
  virtual void windowStateWritten(Form& form) = 0;
  virtual void positionWritten(Form& form) = 0;
};

class Form {
 public:
  Form(std::wstring caption, int clientWidth, int clientHeight)
      : caption_(std::move(caption)), clientWidth_(clientWidth), clientHeight_(clientHeight) {}
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::wstring& caption() const { return caption_; }
  int clientWidth() const { return clientWidth_; }    // at 96 DPI
  int clientHeight() const { return clientHeight_; }  // at 96 DPI

  // Fixed look of every form of this toolkit: single border, system menu and minimise only,
  // on top of normal windows, its own taskbar button, Tahoma 8 pt.
  static constexpr wchar_t kFontName[] = L"Tahoma";
  static constexpr int kFontPoints = 8;

  WindowState windowState() const { return windowState_; }
  // Asks the window for this state; the window always acts on it, whatever the model held.
  void setWindowState(WindowState state);

  // Outer left and top edges in screen pixels (of the restored window when minimised).
  Point position() const { return position_; }
  void setPosition(Point position);

  // The controls in creation order, each after the control it lies in.
  const std::vector<Control*>& controls() const { return controls_; }

  void setObserver(FormObserver* observer) { observer_ = observer; }

  // Reports from the backend: what the user did to the window. They do not echo back.
  void reportWindowState(WindowState state) { windowState_ = state; }
  void reportPosition(Point position) { position_ = position; }

  // The form's destruction handler, run by the backend while its window is destroyed.
  std::function<void()> onDestroy;
  void windowDestroyed() {
    if (onDestroy)
      onDestroy();
  }

 protected:
  void addControl(Control& control) { controls_.push_back(&control); }

 private:
  std::wstring caption_;
  int clientWidth_;
  int clientHeight_;
  WindowState windowState_ = WindowState::Normal;
  Point position_;
  std::vector<Control*> controls_;
  FormObserver* observer_ = nullptr;
};

}  // namespace orbelle::ui
