#include "tests/support/FakeDesktop.h"

namespace orbelle::fake {

void FakeDesktop::record(std::wstring operation, std::vector<std::wstring> args) {
  log_.record({L"Desktop", std::move(operation), std::move(args)});
}

WindowHandle FakeDesktop::findTopLevelWindow(const std::wstring& title) {
  record(L"findTopLevelWindow", {title});
  const auto found = windows.find(title);
  return found == windows.end() ? 0 : found->second;
}

bool FakeDesktop::isMinimized(WindowHandle window) {
  record(L"isMinimized", {integer(window)});
  return minimized.contains(window);
}

void FakeDesktop::restore(WindowHandle window) {
  record(L"restore", {integer(window)});
  minimized.erase(window);
}

void FakeDesktop::setForeground(WindowHandle window) {
  record(L"setForeground", {integer(window)});
  if (!refusesForeground)
    foregroundWindow = window;
}

WindowHandle FakeDesktop::foreground() {
  record(L"foreground");
  return foregroundWindow;
}

void FakeDesktop::keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                           std::uintptr_t extraInfo) {
  record(L"keyEvent", {integer(virtualKey), integer(scanCode), integer(flags),
                       integer(static_cast<long long>(extraInfo))});
}

std::int16_t FakeDesktop::keyState(int virtualKey) {
  record(L"keyState", {integer(virtualKey)});
  return keyStateAnswer ? keyStateAnswer(virtualKey) : 0;
}

void FakeDesktop::sleep(std::uint32_t milliseconds) {
  record(L"sleep", {integer(milliseconds)});
  tick += milliseconds;
}

std::uint32_t FakeDesktop::tickCount() {
  record(L"tickCount");
  return tick;
}

LocalTime FakeDesktop::localTime() {
  record(L"localTime");
  return now;
}

void FakeDesktop::processMessages() {
  record(L"processMessages");
  if (onProcessMessages)
    onProcessMessages();
}

bool FakeDesktop::quitRequested() {
  record(L"quitRequested");
  return quitPosted;
}

}  // namespace orbelle::fake
