// The top-level window that realises a form: caption, fixed client size scaled to the
// monitor's DPI, on top of other windows, its own taskbar button, tooltips for the controls'
// hints. The controls are no windows of their own: this one window paints them all and routes
// the pointer to them. It is the program's main window: its destruction runs the form's
// destruction handler and ends the message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/Form.h"
#include "ui/PointerRouter.h"
#include "ui/Theme.h"
#include "ui/ThemeManager.h"
#include "ui/win32/ControlViews.h"
#include "ui/win32/Handles.h"
#include "ui/win32/Window.h"

namespace orbelle::ui::win32 {

class FormWindow final : public Window, private FormObserver, private ControlObserver {
 public:
  // Creates the window, hidden, at the form's position; show() shows it.
  FormWindow(Form& form, const ThemeManager& themes, ErrorDialog& errors);
  ~FormWindow() override;

  void show(int showCommand);

  // The outer size (client area and frame) of the form's window at `dpi`.
  static SIZE outerSize(const Form& form, int dpi);

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The colours to draw with: the active theme, else the system's.
  const Theme& look() const { return themes_.look(systemLook_); }
  void applyDpi(int dpi);
  void fitClientArea();
  void createTooltips();
  void placeTooltips();
  // Sends `message` (add a tool, move it) for each control that has a hint.
  void toolMessage(UINT message);
  void paint(HDC dc, const RECT& area) const;
  void invalidate(const Control& control);
  void onMouseMove(WPARAM keys, LPARAM position);
  void onButtonUp(LPARAM position);
  void windowStateWritten(Form& form) override;
  void positionWritten(Form& form) override;
  void controlChanged(Control& control) override;

  Form& form_;
  const ThemeManager& themes_;
  Theme systemLook_;
  int dpi_ = 96;
  FontHandle font_;
  std::vector<std::unique_ptr<ControlView>> views_;  // in creation order: parents first
  PointerRouter pointer_;
  bool trackingLeave_ = false;
  UniqueWindow tooltip_;
  Point restoredPosition_;  // outer top-left of the window when not minimised
};

}  // namespace orbelle::ui::win32
