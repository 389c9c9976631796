#include "ui/win32/Window.h"

#include <stdexcept>
#include <string>

#include "base/Exceptions.h"
#include "ui/win32/Resources.h"

namespace orbelle::ui::win32 {

namespace {

HINSTANCE thisModule() {
  return ::GetModuleHandleW(nullptr);
}

void registerClassOnce(const wchar_t* className, WNDPROC procedure, UINT classStyle) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(thisModule(), className, &existing))
    return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW | classStyle;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = thisModule();
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  // The title bar shows the small icon, the taskbar and the task switcher the large one.
  windowClass.hIcon = programIcon(::GetSystemMetrics(SM_CXICON));
  windowClass.hIconSm = programIcon(::GetSystemMetrics(SM_CXSMICON));
  windowClass.lpszClassName = className;
  if (::RegisterClassExW(&windowClass) == 0)
    throw std::runtime_error("cannot register a window class (error " +
                             std::to_string(::GetLastError()) + ")");
}

}  // namespace

void Window::create(const wchar_t* className, DWORD exStyle, const wchar_t* title, DWORD style,
                    int x, int y, int width, int height, HWND parent, UINT classStyle) {
  registerClassOnce(className, &Window::windowProcedure, classStyle);
  if (::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, nullptr,
                        thisModule(), this) == nullptr)
    throw std::runtime_error("cannot create a window (error " + std::to_string(::GetLastError()) +
                             ")");
}

Window::~Window() {
  if (hwnd_ == nullptr || !::IsWindow(hwnd_))
    return;
  // Only a half-built object gets here with its window: unbound first, so that no message of
  // the destruction reaches what is left of it.
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  ::DestroyWindow(hwnd_);
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return defaultHandling(message, wParam, lParam);
}

LRESULT Window::defaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Window::reportError(std::exception_ptr error) noexcept {
  // The box runs a modal loop; an error met while one is up is not stacked on top of it.
  static bool showing = false;
  if (showing)
    return;
  showing = true;
  try {
    errors_.showError(base::describeException(error));
  } catch (...) {
  }
  showing = false;
}

LRESULT CALLBACK Window::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr)
    return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The C++ object outlives its window: forget the handle so nothing uses it afterwards.
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  try {
    return self->handleMessage(message, wParam, lParam);
  } catch (...) {
    self->reportError(std::current_exception());
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace orbelle::ui::win32
