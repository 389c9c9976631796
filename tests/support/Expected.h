// Expected calls, spelled the way the fakes log them, for building the logs tests compare.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "host/Desktop.h"
#include "tests/support/CallLog.h"

namespace orbelle::fake {

inline Call onDesktop(std::wstring operation, std::vector<std::wstring> args = {}) {
  return {L"Desktop", std::move(operation), std::move(args)};
}

inline Call onHost(std::wstring object, std::wstring operation,
                   std::vector<std::wstring> args = {}) {
  return {std::move(object), std::move(operation), std::move(args)};
}

inline Call askHandle() {
  return onHost(L"Application", L"mainWindowHandle");
}

inline Call escapeKey(bool up) {
  return onDesktop(L"keyEvent", {L"27", L"0", up ? L"2" : L"0", L"0"});
}

inline Call pause(int milliseconds) {
  return onDesktop(L"sleep", {integer(milliseconds)});
}

// Joins runs of calls into one expected log.
inline std::vector<Call> sequence(std::initializer_list<std::vector<Call>> parts) {
  std::vector<Call> joined;
  for (const std::vector<Call>& part : parts)
    joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

// The window lookup and the creation of the application object.
inline std::vector<Call> connecting() {
  return {onDesktop(L"findTopLevelWindow", {L"nanoCAD 5"}),
          onHost(L"Connector", L"createApplication")};
}

// Bringing a host that is not minimised to the front.
inline std::vector<Call> activating(WindowHandle window) {
  return {askHandle(), onDesktop(L"isMinimized", {integer(window)}), askHandle(),
          onDesktop(L"setForeground", {integer(window)})};
}

// The foreground test that comes before any Escape press, when the host is not in front.
inline std::vector<Call> noEscape() {
  return {askHandle(), onDesktop(L"foreground")};
}

}  // namespace orbelle::fake
