// The "ROTATE3D" button: the selected objects turn about an axis through two picked points.
#pragma once

#include "host/HostEnvironment.h"

namespace orbelle::actions {

// Silent on every failure.
void rotate3D(HostEnvironment environment) noexcept;

}  // namespace orbelle::actions
