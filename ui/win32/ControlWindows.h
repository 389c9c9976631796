// The child windows that realise a form's controls: panels with their bevels, pictures, and
// owner-drawn push buttons.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/Bitmap.h"
#include "ui/Control.h"
#include "ui/PressTracker.h"
#include "ui/win32/Window.h"

namespace orbelle::ui::win32 {

class FormWindow;

// A control as a child window: pointer moves over it reach Control::mouseMove, a press and
// release inside it reach Control::click, and a change of the model repaints it.
class ControlWindow : public Window, private ControlObserver {
 public:
  ControlWindow(FormWindow& form, Control& control);
  ~ControlWindow() override;

  Control& control() const { return control_; }
  // Creates the window in its place for `dpi`.
  void create(HWND parent, int dpi);
  // Moves and sizes the window for `dpi` and rebuilds what depends on it.
  virtual void applyDpi(int dpi);

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void paint(HDC dc, int width, int height) = 0;
  ButtonLook look() const { return tracker_.look(); }
  int dpi() const { return dpi_; }

  FormWindow& form_;

 private:
  void controlChanged(Control& control) override;
  void onMouseMove(WPARAM keys, LPARAM position);
  void onButtonUp(LPARAM position);
  bool contains(LPARAM position) const;
  void setLook(ButtonLook before);

  Control& control_;
  PressTracker tracker_;
  bool trackingLeave_ = false;
  int dpi_ = 96;
};

class PanelWindow final : public ControlWindow {
 public:
  PanelWindow(FormWindow& form, Panel& panel) : ControlWindow(form, panel), panel_(panel) {}

 private:
  void paint(HDC dc, int width, int height) override;
  Panel& panel_;
};

// A picture: the PNG resource the model names, decoded once, stretched to the window's size
// and laid over the panel colour whenever the DPI changes.
class ImageWindow final : public ControlWindow {
 public:
  ImageWindow(FormWindow& form, Image& image);
  void applyDpi(int dpi) override;

 private:
  void paint(HDC dc, int width, int height) override;
  Bitmap source_;
  Bitmap shown_;
};

class ButtonWindow final : public ControlWindow {
 public:
  ButtonWindow(FormWindow& form, SpeedButton& button)
      : ControlWindow(form, button), button_(button) {}

 private:
  void paint(HDC dc, int width, int height) override;
  SpeedButton& button_;
};

std::unique_ptr<ControlWindow> makeControlWindow(FormWindow& form, Control& control);

}  // namespace orbelle::ui::win32
