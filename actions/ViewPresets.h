// The "SW", "SE" and "TOP" buttons: switch the host's view by its command line.
#pragma once

#include "host/HostEnvironment.h"
#include "ui/Control.h"

namespace orbelle::actions {

// `sender` is the clicked button; its caption picks the view. Silent on every failure.
void viewPreset(HostEnvironment environment, ui::Control* sender) noexcept;

}  // namespace orbelle::actions
