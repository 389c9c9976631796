#include "ui/win32/FormWindow.h"

#include <windows.h>

#include <commctrl.h>
#include <dwmapi.h>
#include <uxtheme.h>

#include <stdexcept>

#include "ui/Dpi.h"
#include "ui/Layout.h"
#include "ui/win32/Toolkit.h"

namespace orbelle::ui::win32 {

namespace {

// Single non-resizable border, system menu and minimise only; on top of normal windows and
// with a taskbar button of its own (no owner, app-window style).
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
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

int dpiOf(HWND window) {
  const UINT dpi = ::GetDpiForWindow(window);
  return dpi != 0 ? static_cast<int>(dpi) : kBaseDpi;
}

}  // namespace

FormWindow::FormWindow(Form& form, const ThemeManager& themes, ErrorDialog& errors)
    : Window(errors), form_(form), themes_(themes), systemLook_(systemLook()) {
  restoredPosition_ = form.position();
  create(L"OrbelleForm", kExStyle, form.caption().c_str(), kStyle, restoredPosition_.x,
         restoredPosition_.y, 0, 0, nullptr);
  dpi_ = dpiOf(hwnd());
  if (themes_.activeTheme() != nullptr) {
    const BOOL dark = TRUE;
    ::DwmSetWindowAttribute(hwnd(), kDwmUseImmersiveDarkMode, &dark, sizeof(dark));
  }
  for (Control* control : form.controls()) {
    std::unique_ptr<ControlWindow> window = makeControlWindow(*this, *control);
    window->create(control->parent() != nullptr ? windowOf(control->parent()) : hwnd(), dpi_);
    controls_.push_back(std::move(window));
  }
  // The size is known only now: the DPI is the one of the monitor the window landed on.
  const SIZE outer = outerSize(form, dpi_);
  ::SetWindowPos(hwnd(), nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  fitClientArea();
  applyDpi(dpi_);
  form_.setObserver(this);
}

FormWindow::~FormWindow() {
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

HWND FormWindow::windowOf(const Control* control) const {
  for (const auto& window : controls_) {
    if (&window->control() == control)
      return window->hwnd();
  }
  throw std::logic_error("a control was created before the control it lies in");
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
  for (const auto& window : controls_) {
    const Control& control = window->control();
    if (!control.showHint())
      continue;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    // Transparent: a click that lands on a hint still showing goes to the control beneath it,
    // as when the pointer jumps from one button straight onto the next.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(window->hwnd());
    tool.lpszText = const_cast<wchar_t*>(control.hint().c_str());  // copied by the tooltip
    ::SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
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
  font_.reset(::CreateFontW(-fontPixelHeight(Form::kFontPoints, dpi), 0, 0, 0, FW_NORMAL, FALSE,
                            FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Form::kFontName));
  if (!font_)
    throw std::runtime_error("cannot create the font");
  ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  for (const auto& window : controls_)
    window->applyDpi(dpi);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
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
      RECT client;
      ::GetClientRect(hwnd(), &client);
      fillRect(reinterpret_cast<HDC>(wParam), client, look().window);
      return 1;
    }
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
