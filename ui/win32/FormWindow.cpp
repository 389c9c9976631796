#include "ui/win32/FormWindow.h"

#include <windows.h>

#include <commctrl.h>
#include <dwmapi.h>
#include <shellscalingapi.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <stdexcept>

#include "ui/Dpi.h"
#include "ui/Layout.h"
#include "ui/win32/Toolkit.h"

namespace orbelle::ui::win32 {

namespace {

// Single non-resizable border, system menu and minimise only; on top of normal windows and
// with a taskbar button of its own (no owner, app-window style).
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_APPWINDOW;
// DWMWA_USE_IMMERSIVE_DARK_MODE, newer than some SDK headers: a dark title bar on Windows 10
// 20H1 and later; older systems refuse it and keep their own.
constexpr DWORD kDwmUseImmersiveDarkMode = 20;
// Posted by show(): the hints are made once the palette is on the screen, painted.
constexpr UINT kCreateHintsMessage = WM_APP + 1;

Color fromSystem(int index) {
  const COLORREF c = ::GetSysColor(index);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// The look without a theme: the system's own colours.
Theme systemLook() {
  Theme look;
  look.name = L"";
  look.window = fromSystem(COLOR_BTNFACE);
  look.windowText = fromSystem(COLOR_WINDOWTEXT);
  look.panel = fromSystem(COLOR_BTNFACE);
  look.bevelLight = fromSystem(COLOR_BTNHIGHLIGHT);
  look.bevelShadow = fromSystem(COLOR_BTNSHADOW);
  look.buttonFace = fromSystem(COLOR_BTNFACE);
  look.buttonHot = fromSystem(COLOR_3DLIGHT);
  look.buttonPressed = fromSystem(COLOR_BTNSHADOW);
  look.buttonBorder = fromSystem(COLOR_3DDKSHADOW);
  look.buttonText = fromSystem(COLOR_BTNTEXT);
  look.tooltipBackground = fromSystem(COLOR_INFOBK);
  look.tooltipText = fromSystem(COLOR_INFOTEXT);
  return look;
}

// A point of the client area from a mouse message's position.
Point pointOf(LPARAM position) {
  return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
}

RECT toRect(const PixelRect& r) {
  return {r.left, r.top, r.right(), r.bottom()};
}

// The DPI of the monitor that a window whose top-left corner is `position` stands on.
int dpiAt(Point position) {
  HMONITOR monitor = ::MonitorFromPoint({position.x, position.y}, MONITOR_DEFAULTTONEAREST);
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (SUCCEEDED(::GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) && dpiX != 0)
    return static_cast<int>(dpiX);
  return static_cast<int>(::GetDpiForSystem());
}

int dpiOf(HWND window) {
  const UINT dpi = ::GetDpiForWindow(window);
  return dpi != 0 ? static_cast<int>(dpi) : kBaseDpi;
}

}  // namespace

FormWindow::FormWindow(Form& form, const ThemeManager& themes, ErrorDialog& errors)
    : Window(errors), form_(form), themes_(themes), systemLook_(systemLook()), pointer_(form) {
  // The pictures are decoded first: one that cannot be leaves no window to take down.
  for (Control* control : form.controls())
    views_.push_back(makeControlView(*control));
  restoredPosition_ = form.position();
  // Created at its size for the monitor it will stand on: sizing it afterwards would hold up the
  // palette's start. CS_DBLCLKS: the second press of a double-click arrives as WM_LBUTTONDBLCLK,
  // and starts no second action.
  const int expectedDpi = dpiAt(restoredPosition_);
  const SIZE size = outerSize(form, expectedDpi);
  create(L"OrbelleForm", kExStyle, form.caption().c_str(), kStyle, restoredPosition_.x,
         restoredPosition_.y, size.cx, size.cy, nullptr, CS_DBLCLKS);
  dpi_ = dpiOf(hwnd());
  if (dpi_ != expectedDpi) {
    // It straddles monitors and most of it lies on another one.
    const SIZE outer = outerSize(form, dpi_);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, outer.cx, outer.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (themes_.activeTheme() != nullptr) {
    const BOOL dark = TRUE;
    ::DwmSetWindowAttribute(hwnd(), kDwmUseImmersiveDarkMode, &dark, sizeof(dark));
  }
  fitClientArea();
  applyDpi(dpi_);
  // Last: from here on the models reach this window, and nothing above can fail any more.
  pointer_.onLookChanged = [this](Control& control) { invalidate(control); };
  form_.setObserver(this);
  for (const auto& view : views_)
    view->control().setObserver(this);
}

FormWindow::~FormWindow() {
  for (const auto& view : views_)
    view->control().setObserver(nullptr);
  form_.setObserver(nullptr);
  tooltip_.reset();
  WindowDeleter{}(hwnd());
}

void FormWindow::show(int showCommand) {
  ::ShowWindow(hwnd(), showCommand);
  ::UpdateWindow(hwnd());
  // A hint shows only after the pointer has rested on a button for a while: it can wait until
  // the palette is up. Posted messages come before input, so it is there before the first move.
  ::PostMessageW(hwnd(), kCreateHintsMessage, 0, 0);
}

SIZE FormWindow::outerSize(const Form& form, int dpi) {
  const PixelRect client = clientRect(form, dpi);
  RECT r{0, 0, client.width, client.height};
  ::AdjustWindowRectExForDpi(&r, kStyle, FALSE, kExStyle, static_cast<UINT>(dpi));
  return {r.right - r.left, r.bottom - r.top};
}

void FormWindow::createTooltips() {
  loadCommonControls();
  tooltip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr));
  if (!tooltip_)
    throw std::runtime_error("cannot create the tooltip window");
  if (themes_.activeTheme() != nullptr) {
    // Visual styles ignore the colours below; the tooltip goes without them in a theme.
    ::SetWindowTheme(tooltip_.get(), L"", L"");
    ::SendMessageW(tooltip_.get(), TTM_SETTIPBKCOLOR, toColorRef(look().tooltipBackground), 0);
    ::SendMessageW(tooltip_.get(), TTM_SETTIPTEXTCOLOR, toColorRef(look().tooltipText), 0);
  }
  toolMessage(TTM_ADDTOOLW);
}

void FormWindow::placeTooltips() {
  if (tooltip_)
    toolMessage(TTM_NEWTOOLRECTW);
}

void FormWindow::toolMessage(UINT message) {
  for (std::size_t i = 0; i < views_.size(); ++i) {
    const Control& control = views_[i]->control();
    if (!control.showHint())
      continue;
    // One tool per control, a rectangle of this window. Transparent: a click that lands on a
    // hint still showing goes to the control beneath it, as when the pointer jumps from one
    // button straight onto the next.
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.hwnd = hwnd();
    tool.uId = i;
    tool.rect = toRect(formRect(control, dpi_));
    tool.lpszText = const_cast<wchar_t*>(control.hint().c_str());  // copied by the tooltip
    ::SendMessageW(tooltip_.get(), message, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void FormWindow::fitClientArea() {
  // The frame computed for a DPI is the system's business, the client area is the form's: where
  // the frame turns out otherwise (Wine keeps its frame at the system DPI), the outer size
  // follows the client area.
  if (::IsIconic(hwnd()))
    return;
  const PixelRect wanted = clientRect(form_, dpi_);
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const int dx = wanted.width - client.right;
  const int dy = wanted.height - client.bottom;
  if (dx == 0 && dy == 0)
    return;
  RECT outer;
  ::GetWindowRect(hwnd(), &outer);
  ::SetWindowPos(hwnd(), nullptr, 0, 0, outer.right - outer.left + dx,
                 outer.bottom - outer.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::applyDpi(int dpi) {
  dpi_ = dpi;
  pointer_.setDpi(dpi);
  font_.reset(::CreateFontW(-fontPixelHeight(Form::kFontPoints, dpi), 0, 0, 0, FW_NORMAL, FALSE,
                            FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Form::kFontName));
  if (!font_)
    throw std::runtime_error("cannot create the font");
  for (const auto& view : views_)
    view->applyDpi(dpi, look());
  placeTooltips();
  ::InvalidateRect(hwnd(), nullptr, FALSE);  // painted whole, background and all
}

void FormWindow::paint(HDC dc, const RECT& area) const {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  fillRect(dc, client, look().window);
  for (const auto& view : views_) {
    const Control& control = view->control();
    const PixelRect r = formRect(control, dpi_);
    const RECT bounds = toRect(r);
    RECT overlap;
    if (!::IntersectRect(&overlap, &bounds, &area))
      continue;
    // Clipped to itself and to every control it lies in, as a child window is.
    const int saved = ::SaveDC(dc);
    for (const Control* c = &control; c != nullptr; c = c->parent()) {
      const PixelRect clip = formRect(*c, dpi_);
      ::IntersectClipRect(dc, clip.left, clip.top, clip.right(), clip.bottom());
    }
    view->paint(dc, r, {look(), font_.get(), dpi_, pointer_.look(control)});
    ::RestoreDC(dc, saved);
  }
}

void FormWindow::invalidate(const Control& control) {
  if (hwnd() == nullptr)
    return;
  const RECT r = toRect(formRect(control, dpi_));
  ::InvalidateRect(hwnd(), &r, FALSE);
}

void FormWindow::controlChanged(Control& control) {
  invalidate(control);
}

void FormWindow::onMouseMove(WPARAM keys, LPARAM position) {
  if (!trackingLeave_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
    trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
  }
  const ShiftState shift{(keys & MK_SHIFT) != 0, (keys & MK_CONTROL) != 0,
                         ::GetKeyState(VK_MENU) < 0, (keys & MK_LBUTTON) != 0};
  pointer_.pointerMoved(pointOf(position), shift);
}

void FormWindow::onButtonUp(LPARAM position) {
  Control* clicked = pointer_.buttonUp(pointOf(position));
  if (::GetCapture() == hwnd())
    ::ReleaseCapture();
  // Last of all: the action may pump messages, and even close the window, before it returns.
  if (clicked != nullptr)
    clicked->click();
}

void FormWindow::windowStateWritten(Form& form) {
  if (hwnd() == nullptr)
    return;
  const bool minimized = ::IsIconic(hwnd()) != FALSE;
  const bool maximized = ::IsZoomed(hwnd()) != FALSE;
  switch (form.windowState()) {
    case WindowState::Normal:
      if (minimized || maximized)
        ::ShowWindow(hwnd(), SW_RESTORE);
      break;
    case WindowState::Minimized:
      if (!minimized)
        ::ShowWindow(hwnd(), SW_MINIMIZE);
      break;
    case WindowState::Maximized:
      if (!maximized)
        ::ShowWindow(hwnd(), SW_MAXIMIZE);
      break;
  }
}

void FormWindow::positionWritten(Form& form) {
  if (hwnd() == nullptr)
    return;
  const Point to = form.position();
  if (::IsIconic(hwnd())) {
    // A minimised window sits at a placeholder: move the place it will be restored to. The
    // placement is in workspace coordinates, so it is shifted rather than set.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(hwnd(), &placement);
    ::OffsetRect(&placement.rcNormalPosition, to.x - restoredPosition_.x,
                 to.y - restoredPosition_.y);
    placement.showCmd = SW_SHOWMINNOACTIVE;
    ::SetWindowPlacement(hwnd(), &placement);
    restoredPosition_ = to;
  } else {
    ::SetWindowPos(hwnd(), nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

LRESULT FormWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      // The background at once, as the window is shown; the controls come with WM_PAINT.
      RECT client;
      ::GetClientRect(hwnd(), &client);
      fillRect(reinterpret_cast<HDC>(wParam), client, look().window);
      return 1;
    }
    case WM_PAINT: {
      PaintScope paintScope(hwnd());
      RECT client;
      ::GetClientRect(hwnd(), &client);
      BufferedCanvas canvas(paintScope.dc(), client.right, client.bottom);
      paint(canvas.dc(), paintScope.area());
      canvas.show();
      return 0;
    }
    case WM_MOUSEMOVE:
      onMouseMove(wParam, lParam);
      return 0;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      pointer_.pointerLeft();
      return 0;
    case WM_LBUTTONDOWN:
      if (pointer_.buttonDown(pointOf(lParam)) && ::GetCapture() != hwnd())
        ::SetCapture(hwnd());
      return 0;
    case WM_LBUTTONDBLCLK:
      if (pointer_.doubleClicked(pointOf(lParam)) && ::GetCapture() != hwnd())
        ::SetCapture(hwnd());
      return 0;
    case WM_LBUTTONUP:
      onButtonUp(lParam);
      return 0;
    case WM_CAPTURECHANGED:
      pointer_.captureLost();
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED)
        form_.reportWindowState(WindowState::Minimized);
      else if (wParam == SIZE_MAXIMIZED)
        form_.reportWindowState(WindowState::Maximized);
      else if (wParam == SIZE_RESTORED)
        form_.reportWindowState(WindowState::Normal);
      return 0;
    case WM_MOVE:
      // While minimised the window stands at a placeholder; the form keeps its restored place.
      if (!::IsIconic(hwnd())) {
        RECT outer;
        ::GetWindowRect(hwnd(), &outer);
        restoredPosition_ = {outer.left, outer.top};
        form_.reportPosition(restoredPosition_);
      }
      return 0;
    case WM_GETDPISCALEDSIZE: {
      // Asked before WM_DPICHANGED: the exact size at the new DPI rather than a linear guess.
      *reinterpret_cast<SIZE*>(lParam) = outerSize(form_, static_cast<int>(wParam));
      return TRUE;
    }
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      dpi_ = HIWORD(wParam);
      ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top,
                     suggested.right - suggested.left, suggested.bottom - suggested.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      fitClientArea();
      applyDpi(dpi_);
      return 0;
    }
    case WM_SYSCOLORCHANGE:
      systemLook_ = systemLook();
      applyDpi(dpi_);  // pictures are composed over the panel colour
      return 0;
    case kCreateHintsMessage:
      if (!tooltip_)
        createTooltips();
      return 0;
    case WM_ENDSESSION:
      // The process may end as soon as this returns: close now, as the user would have, so
      // that the destruction handler still runs (the palette saves its settings there).
      if (wParam != FALSE)
        ::DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      // The handler's error is shown before the quit is posted: a pending quit would close
      // the error box at once.
      try {
        form_.windowDestroyed();
      } catch (...) {
        reportError(std::current_exception());
      }
      ::PostQuitMessage(0);
      return 0;
    default:
      return defaultHandling(message, wParam, lParam);
  }
}

}  // namespace orbelle::ui::win32
