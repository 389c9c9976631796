// The desktop services as the Win32 functions of the same names.
#pragma once

#include "host/Desktop.h"

namespace orbelle::win32 {

class Win32Desktop final : public Desktop {
 public:
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
  void debugOutput(const std::wstring& line) override;

 private:
  bool quitSeen_ = false;
};

}  // namespace orbelle::win32
