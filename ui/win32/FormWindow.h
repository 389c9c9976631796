// The top-level window that realises a form: caption, fixed client size scaled to the
// monitor's DPI, on top of other windows, its own taskbar button, the controls as child
// windows with tooltips for their hints. It is the program's main window: its destruction
// runs the form's destruction handler and ends the message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/Form.h"
#include "ui/Theme.h"
#include "ui/ThemeManager.h"
#include "ui/win32/ControlWindows.h"
#include "ui/win32/Handles.h"
#include "ui/win32/Window.h"

namespace orbelle::ui::win32 {

class FormWindow final : public Window, private FormObserver {
 public:
  // Creates the window, hidden, at the form's position; show() shows it.
  FormWindow(Form& form, const ThemeManager& themes, ErrorDialog& errors);
  ~FormWindow() override;

  void show(int showCommand);

  // The outer size (client area and frame) of the form's window at `dpi`.
  static SIZE outerSize(const Form& form, int dpi);

  // The colours to draw with: the active theme, else the system's.
  const Theme& look() const { return themes_.look(systemLook_); }
  HFONT font() const { return font_.get(); }

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void applyDpi(int dpi);
  void fitClientArea();
  void createTooltips();
  HWND windowOf(const Control* control) const;
  void windowStateWritten(Form& form) override;
  void positionWritten(Form& form) override;

  Form& form_;
  const ThemeManager& themes_;
  Theme systemLook_;
  int dpi_ = 96;
  FontHandle font_;
  std::vector<std::unique_ptr<ControlWindow>> controls_;
  UniqueWindow tooltip_;
  Point restoredPosition_;  // outer top-left of the window when not minimised
};

}  // namespace orbelle::ui::win32
