// Attaching to the running host and bringing it to the front before an action talks to it.
#pragma once

#include <exception>

#include "host/Desktop.h"
#include "host/FailureLog.h"
#include "host/HostEnvironment.h"
#include "host/nanoCAD_TLB.h"

namespace orbelle {

// The ways an action presses Escape in the host; they differ only in order and pauses.
enum class EscapeVariant {
  SinglePauseAfter,    // press, release, 5 ms
  SinglePauseBetween,  // press, 5 ms, release
  Double,              // press, release, 200 ms, press, release, 500 ms
};

// Fills `host` when a window titled exactly "nanoCAD 5" exists and the application object can
// be created; true when `host` then holds one. Without the window, a later release running
// under one of the host's program IDs is attached instead (attachRunningHost); without either
// `host` is left as it was. When no host was reached, says why in `failures` if given.
bool connectHost(HostEnvironment environment, HostRef<HostApplication>& host,
                 FailureLog* failures = nullptr) noexcept;

// Restores the host's main window when it is minimised, then makes it the foreground window.
void activateHost(Desktop& desktop, HostApplication& host);

// The foreground switch alone, without the minimised test.
void bringHostToFront(Desktop& desktop, HostApplication& host);

// Presses Escape only when the host's main window is the foreground window.
void pressEscInHost(Desktop& desktop, HostApplication& host, EscapeVariant variant);

// The palette was closed while an action waited for its user.
class PaletteClosed : public std::exception {
 public:
  const char* what() const noexcept override { return "the palette was closed"; }
};

// Throws PaletteClosed once the palette has been closed. An action asks it after each host call
// that waits for the user (a selection, a pick, a point, a number): the palette's messages may
// have been processed meanwhile, and a closed palette sends the host nothing more.
void endIfPaletteClosed(Desktop& desktop);

}  // namespace orbelle
