#include "host/FailureLog.h"

#include "host/HostError.h"
#include "ui/ErrorDialog.h"

namespace orbelle {

std::wstring describeFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const HostError& e) {
    return e.line();
  } catch (...) {
    return ui::describeException(std::current_exception());
  }
}

void FailureLog::write(std::wstring_view why) noexcept {
  try {
    desktop_.debugOutput(L"Orbelle: " + std::wstring(action_) + L": " + std::wstring(why));
  } catch (...) {
    // The debug output is a courtesy; the action ends silently either way.
  }
}

void FailureLog::write(std::exception_ptr failure) noexcept {
  try {
    write(describeFailure(failure));
  } catch (...) {
  }
}

}  // namespace orbelle
