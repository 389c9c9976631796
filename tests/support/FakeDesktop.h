// The test side of the Desktop seam: a fake clock, configurable windows, and a record of every
// platform call in the shared log.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/Desktop.h"
#include "tests/support/CallLog.h"

namespace orbelle::fake {

inline constexpr std::int16_t kKeyHeld = static_cast<std::int16_t>(0x8000);

class FakeDesktop : public Desktop {
 public:
  explicit FakeDesktop(CallLog& log) : log_(log) {}

  std::map<std::wstring, WindowHandle> windows;  // top-level windows by exact title
  std::set<WindowHandle> minimized;
  WindowHandle foregroundWindow = 0;
  bool refusesForeground = false;  // SetForegroundWindow then changes nothing
  std::uint32_t tick = 0;          // GetTickCount; every sleep advances it, wrapping
  LocalTime now{2025, 1, 7, 14, 30, 5};
  // GetKeyState's answer; by default no key is held.
  std::function<std::int16_t(int virtualKey)> keyStateAnswer;
  // Runs inside processMessages: a click on the palette, for instance.
  std::function<void()> onProcessMessages;
  // The palette has been closed and its quit waits in the queue: quitRequested() answers this.
  bool quitPosted = false;
  // The debug output, a line each; kept apart from the call log, which it would only clutter.
  std::vector<std::wstring> debugLines;

  WindowHandle findTopLevelWindow(const std::wstring& title) override;
  bool isMinimized(WindowHandle window) override;
  void restore(WindowHandle window) override;
  void setForeground(WindowHandle window) override;
  WindowHandle foreground() override;
  void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                std::uintptr_t extraInfo) override;
  std::int16_t keyState(int virtualKey) override;
  void sleep(std::uint32_t milliseconds) override;
  std::uint32_t tickCount() override;
  LocalTime localTime() override;
  void processMessages() override;
  bool quitRequested() override;
  void debugOutput(const std::wstring& line) override { debugLines.push_back(line); }

 private:
  void record(std::wstring operation, std::vector<std::wstring> args = {});

  CallLog& log_;
};

}  // namespace orbelle::fake
