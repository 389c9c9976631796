// Why an action ended before its end, for a debugger and nobody else: the palette shows nothing
// on screen, but each failure that ends an action writes one line through the desktop's debug
// output, "Orbelle: isometric block: GetPoint failed: 0x80020009 (cancelled)". An action that
// runs to its end writes nothing.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "host/Desktop.h"

namespace orbelle {

// The action's part of the line: what failed, and how. A HostError gives its member, status
// and description; any other exception its message.
std::wstring describeFailure(std::exception_ptr failure);

class FailureLog {
 public:
  // `action` names the action in the line; a literal, it outlives the log.
  FailureLog(Desktop& desktop, std::wstring_view action) noexcept
      : desktop_(desktop), action_(action) {}

  // From now on the lines name the host the action drives: "Orbelle: <action> [<host>]: ...".
  // Only hosts found by their program ID are named; nanoCAD 5 is the one a line names none.
  void against(std::wstring host) noexcept;

  // "Orbelle: <action>: <why>". Never raises: a line that cannot be written is dropped.
  void write(std::wstring_view why) noexcept;
  void write(std::exception_ptr failure) noexcept;

 private:
  Desktop& desktop_;
  std::wstring_view action_;
  std::wstring host_;
};

}  // namespace orbelle
