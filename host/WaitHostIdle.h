// Waiting, with the palette kept live, until the host has ended its running command.
#pragma once

#include <cstdint>

#include "host/Desktop.h"
#include "host/FailureLog.h"
#include "host/nanoCAD_TLB.h"

namespace orbelle {

inline constexpr std::int32_t kWaitIdle = 1;      // the host reported itself idle
inline constexpr std::int32_t kWaitEscape = -1;   // Escape was held down, or the palette closed
inline constexpr std::int32_t kWaitTimedOut = 0;  // the limit passed, or a failure

// Polls every 100 ms, processing the palette's messages in between, so a click on the palette
// runs its action inside the wait. A close of the palette among those messages ends the wait at
// once, as Escape would, before the host is asked again. Never raises. A wait that ends with 0
// says why in `failures` if given (a failure, or the time limit); Escape and a close are not
// failures, and are not written.
std::int32_t waitHostIdle(Desktop& desktop, HostDocument& document, std::uint32_t timeLimitSeconds,
                          FailureLog* failures = nullptr) noexcept;

}  // namespace orbelle
