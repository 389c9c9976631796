#include "host/WaitHostIdle.h"

#include <string>

namespace orbelle {

namespace {

constexpr std::uint32_t kPollInterval = 100;

std::int32_t failed(FailureLog* failures) noexcept {
  if (failures != nullptr)
    failures->write(std::current_exception());
  return kWaitTimedOut;
}

}  // namespace

std::int32_t waitHostIdle(Desktop& desktop, HostDocument& document, std::uint32_t timeLimitSeconds,
                          FailureLog* failures) noexcept {
  try {
    // The start time comes before the state object, so the fetch counts against the limit.
    const std::uint32_t start = desktop.tickCount();
    HostRef<HostStateLink> link;
    HostRef<HostState> state;
    try {
      link = document.application();
      state = link->getState();
    } catch (...) {
      return failed(failures);
    }
    // Both in 32-bit unsigned arithmetic, so that a wrap of the tick counter during the wait
    // does no harm.
    const std::uint32_t limit = timeLimitSeconds * 1000u;
    for (;;) {
      desktop.sleep(kPollInterval);
      desktop.processMessages();
      // The palette is gone: no waiting action, nested or not, has anything left to do.
      if (desktop.quitRequested())
        return kWaitEscape;
      if (desktop.keyState(kVirtualKeyEscape) < 0)
        return kWaitEscape;
      if (state->isQuiescent())
        return kWaitIdle;
      const std::uint32_t elapsed = desktop.tickCount() - start;
      if (elapsed > limit) {
        if (failures != nullptr) {
          failures->write(L"the host ran its command past the wait's limit of " +
                          std::to_wstring(timeLimitSeconds) + L" s");
        }
        return kWaitTimedOut;
      }
    }
  } catch (...) {
    return failed(failures);
  }
}

}  // namespace orbelle
