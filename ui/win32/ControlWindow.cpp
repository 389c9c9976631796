#include <windows.h>

#include <windowsx.h>

#include <stdexcept>

#include "ui/Layout.h"
#include "ui/win32/ControlWindows.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Handles.h"

namespace orbelle::ui::win32 {

ControlWindow::ControlWindow(FormWindow& form, Control& control)
    : Window(form.errors()), form_(form), control_(control) {
  control_.setObserver(this);
}

ControlWindow::~ControlWindow() {
  control_.setObserver(nullptr);
  WindowDeleter{}(hwnd());
}

void ControlWindow::create(HWND parent, int dpi) {
  // Created in place: moving sixteen windows afterwards would hold up the palette's start.
  dpi_ = dpi;
  const PixelRect r = controlRect(control_, dpi);
  // Never WS_TABSTOP, and nothing here calls SetFocus: controls take no keyboard focus.
  // CS_DBLCLKS: the second press of a double-click arrives as WM_LBUTTONDBLCLK, and starts no
  // second action.
  Window::create(L"OrbelleControl", 0, control_.name().c_str(),
                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, r.left, r.top, r.width,
                 r.height, parent, CS_DBLCLKS);
}

void ControlWindow::applyDpi(int dpi) {
  // The place depends on the DPI alone; the rest (a picture's colours) is rebuilt regardless.
  if (dpi != dpi_) {
    dpi_ = dpi;
    const PixelRect r = controlRect(control_, dpi);
    ::SetWindowPos(hwnd(), nullptr, r.left, r.top, r.width, r.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void ControlWindow::controlChanged(Control& /*control*/) {
  if (hwnd() != nullptr)
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

bool ControlWindow::contains(LPARAM position) const {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  return ::PtInRect(&client, point) != FALSE;
}

void ControlWindow::setLook(ButtonLook before) {
  if (tracker_.look() != before)
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void ControlWindow::onMouseMove(WPARAM keys, LPARAM position) {
  if (!trackingLeave_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
    trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
  }
  const ButtonLook before = tracker_.look();
  const bool inside = contains(position);
  tracker_.pointerMoved(inside);
  setLook(before);
  // While the button is held the window keeps the pointer; moves elsewhere are not over it.
  if (inside) {
    const ShiftState shift{(keys & MK_SHIFT) != 0, (keys & MK_CONTROL) != 0,
                           ::GetKeyState(VK_MENU) < 0, (keys & MK_LBUTTON) != 0};
    control_.mouseMove(shift, GET_X_LPARAM(position), GET_Y_LPARAM(position));
  }
}

void ControlWindow::onButtonUp(LPARAM position) {
  const ButtonLook before = tracker_.look();
  const bool click = tracker_.buttonUp(contains(position));
  if (::GetCapture() == hwnd())
    ::ReleaseCapture();
  setLook(before);
  // Last of all: the action may pump messages, and even close the window, before it returns.
  if (click)
    control_.click();
}

LRESULT ControlWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      onMouseMove(wParam, lParam);
      return 0;
    case WM_MOUSELEAVE: {
      trackingLeave_ = false;
      const ButtonLook before = tracker_.look();
      if (::GetCapture() != hwnd())
        tracker_.pointerLeft();
      setLook(before);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      const ButtonLook before = tracker_.look();
      ::SetCapture(hwnd());
      tracker_.buttonDown();
      setLook(before);
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      const ButtonLook before = tracker_.look();
      tracker_.doubleClicked();
      setLook(before);
      return 0;
    }
    case WM_LBUTTONUP:
      onButtonUp(lParam);
      return 0;
    case WM_CAPTURECHANGED: {
      const ButtonLook before = tracker_.look();
      tracker_.captureLost();
      setLook(before);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT
    case WM_PAINT: {
      PaintScope paintScope(hwnd());
      RECT client;
      ::GetClientRect(hwnd(), &client);
      BufferedCanvas canvas(paintScope.dc(), client.right, client.bottom);
      paint(canvas.dc(), client.right, client.bottom);
      canvas.show();
      return 0;
    }
    default:
      return defaultHandling(message, wParam, lParam);
  }
}

std::unique_ptr<ControlWindow> makeControlWindow(FormWindow& form, Control& control) {
  if (auto* panel = dynamic_cast<Panel*>(&control))
    return std::make_unique<PanelWindow>(form, *panel);
  if (auto* image = dynamic_cast<Image*>(&control))
    return std::make_unique<ImageWindow>(form, *image);
  if (auto* button = dynamic_cast<SpeedButton*>(&control))
    return std::make_unique<ButtonWindow>(form, *button);
  throw std::logic_error("the window backend has no window for this kind of control");
}

}  // namespace orbelle::ui::win32
