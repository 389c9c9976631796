#include "host/win32/Win32Desktop.h"

#include <windows.h>

namespace orbelle::win32 {

namespace {

// Window handles carry 32 significant bits; widening sign-extends them, as the system does.
HWND toHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(window)));
}

WindowHandle fromHwnd(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<UINT_PTR>(window));
}

}  // namespace

WindowHandle Win32Desktop::findTopLevelWindow(const std::wstring& title) {
  return fromHwnd(::FindWindowW(nullptr, title.c_str()));
}

bool Win32Desktop::isMinimized(WindowHandle window) {
  return ::IsIconic(toHwnd(window)) != FALSE;
}

void Win32Desktop::restore(WindowHandle window) {
  ::OpenIcon(toHwnd(window));
}

void Win32Desktop::setForeground(WindowHandle window) {
  ::SetForegroundWindow(toHwnd(window));
}

WindowHandle Win32Desktop::foreground() {
  return fromHwnd(::GetForegroundWindow());
}

void Win32Desktop::keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                            std::uintptr_t extraInfo) {
  ::keybd_event(virtualKey, scanCode, flags, extraInfo);
}

std::int16_t Win32Desktop::keyState(int virtualKey) {
  return ::GetKeyState(virtualKey);
}

void Win32Desktop::sleep(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

std::uint32_t Win32Desktop::tickCount() {
  return ::GetTickCount();
}

LocalTime Win32Desktop::localTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

void Win32Desktop::processMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The palette was closed. The quit goes back for the main loop, which ends the program
      // once the actions still running have seen quitRequested() and returned.
      quitSeen_ = true;
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

bool Win32Desktop::quitRequested() {
  // A quit may also have been posted while a host call ran: COM's message loop delivers sent
  // messages such as WM_ENDSESSION during a call, and leaves the quit in the queue.
  if (!quitSeen_) {
    MSG message;
    quitSeen_ = ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
  }
  return quitSeen_;
}

// A debug-output viewer shows each string as it comes; the line break keeps a debugger's output
// window, which does not add one, to one failure a line.
void Win32Desktop::debugOutput(const std::wstring& line) {
  ::OutputDebugStringW((line + L"\n").c_str());
}

}  // namespace orbelle::win32
