#include "host/FailureLog.h"

#include "base/Exceptions.h"
#include "host/HostError.h"

namespace orbelle {

std::wstring describeFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const HostError& e) {
    return e.line();
  } catch (...) {
    return base::describeException(std::current_exception());
  }
}

void FailureLog::against(std::wstring host) noexcept {
  host_ = std::move(host);
}

void FailureLog::write(std::wstring_view why) noexcept {
  try {
    std::wstring line = L"Orbelle: " + std::wstring(action_);
    if (!host_.empty())
      line += L" [" + host_ + L"]";
    desktop_.debugOutput(line + L": " + std::wstring(why));
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
