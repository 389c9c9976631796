// The operating-system services the actions use, one call per platform function, so that every
// rule around them (order, pauses, tests) lives in portable code.
#pragma once

#include <cstdint>
#include <string>

namespace orbelle {

// A top-level window handle as 32 bits: all the host hands out and all the rules need.
using WindowHandle = std::uint32_t;

struct LocalTime {
  int year = 0;  // four digits
  int month = 0;
  int day = 0;
  int hour = 0;  // 24-hour clock
  int minute = 0;
  int second = 0;
};

inline constexpr std::uint8_t kVirtualKeyEscape = 0x1B;
inline constexpr std::uint32_t kKeyEventKeyUp = 2;

class Desktop {
 public:
  virtual ~Desktop() = default;

  // FindWindowW with no class name; 0 when there is none.
  virtual WindowHandle findTopLevelWindow(const std::wstring& title) = 0;
  virtual bool isMinimized(WindowHandle window) = 0;    // IsIconic
  virtual void restore(WindowHandle window) = 0;        // OpenIcon
  virtual void setForeground(WindowHandle window) = 0;  // SetForegroundWindow
  virtual WindowHandle foreground() = 0;                // GetForegroundWindow
  virtual void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                        std::uintptr_t extraInfo) = 0;  // keybd_event
  virtual std::int16_t keyState(int virtualKey) = 0;    // GetKeyState
  virtual void sleep(std::uint32_t milliseconds) = 0;   // Sleep
  virtual std::uint32_t tickCount() = 0;                // GetTickCount
  virtual LocalTime localTime() = 0;                    // GetLocalTime
  // Processes the messages waiting in the palette's queue; a click there may run an action.
  virtual void processMessages() = 0;
  // One line for a debugger (OutputDebugStringW): the palette's only word on a failure.
  virtual void debugOutput(const std::wstring& line) = 0;
  // True once the palette has been closed and the program's quit is pending (WM_QUIT posted):
  // whatever action still runs must end without another host call.
  virtual bool quitRequested() = 0;
};

}  // namespace orbelle
