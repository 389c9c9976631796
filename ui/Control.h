// Control models of the palette's small window toolkit. A model holds what a control is and
// shows; a backend realises it as a window and is told of every change through the observer.
#pragma once

#include <functional>
#include <string>

namespace orbelle::ui {

// Position and size in pixels at 96 DPI, relative to the parent's client area.
struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  friend constexpr bool operator==(const Bounds&, const Bounds&) = default;
};

enum class Bevel { None, Lowered, Raised };

struct ShiftState {
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool leftButton = false;
};

class Control;

// The backend side: told when a model changes what it shows.
class ControlObserver {
 public:
  virtual ~ControlObserver() = default;
  virtual void controlChanged(Control& control) = 0;
};

class Control {
 public:
  using ClickHandler = std::function<void(Control& sender)>;
  using MouseMoveHandler = std::function<void(Control& sender, ShiftState shift, int x, int y)>;

  Control(std::wstring name, Control* parent, Bounds bounds);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::wstring& name() const { return name_; }
  Control* parent() const { return parent_; }
  Bounds bounds() const { return bounds_; }

  const std::wstring& hint() const { return hint_; }
  void setHint(std::wstring hint) { hint_ = std::move(hint); }
  bool showHint() const { return !hint_.empty(); }

  int tabOrder() const { return tabOrder_; }
  void setTabOrder(int order) { tabOrder_ = order; }

  ClickHandler onClick;
  MouseMoveHandler onMouseMove;

  // Entry points for the backend (and the tests): a click or pointer move on this control.
  void click();
  void mouseMove(ShiftState shift, int x, int y);

  void setObserver(ControlObserver* observer) { observer_ = observer; }

 protected:
  void changed();

 private:
  std::wstring name_;
  Control* parent_;
  Bounds bounds_;
  std::wstring hint_;
  int tabOrder_ = -1;
  ControlObserver* observer_ = nullptr;
};

class Panel : public Control {
 public:
  using Control::Control;

  Bevel bevelOuter() const { return bevelOuter_; }
  void setBevelOuter(Bevel bevel);  // every write repaints, changed or not
  Bevel bevelInner() const { return bevelInner_; }
  void setBevelInner(Bevel bevel);
  int bevelWidth() const { return bevelWidth_; }
  void setBevelWidth(int width);
  bool showCaption() const { return showCaption_; }
  void setShowCaption(bool show);

 private:
  Bevel bevelOuter_ = Bevel::Raised;
  Bevel bevelInner_ = Bevel::None;
  int bevelWidth_ = 1;
  bool showCaption_ = true;
};

// A picture: a PNG resource of the executable, stretched to the control's size.
class Image : public Control {
 public:
  Image(std::wstring name, Control* parent, Bounds bounds, std::wstring pictureResource)
      : Control(std::move(name), parent, bounds), picture_(std::move(pictureResource)) {}

  const std::wstring& pictureResource() const { return picture_; }
  bool stretch() const { return true; }

 private:
  std::wstring picture_;
};

// A push button that takes no keyboard focus.
class SpeedButton : public Control {
 public:
  SpeedButton(std::wstring name, Control* parent, Bounds bounds, std::wstring caption)
      : Control(std::move(name), parent, bounds), caption_(std::move(caption)) {}

  const std::wstring& caption() const { return caption_; }
  bool flat() const { return false; }

 private:
  std::wstring caption_;
};

}  // namespace orbelle::ui
