// The four picture buttons: the objects the user selects become one block reference lying on
// an isometric plane, handed to the host's move command for placing.
#pragma once

#include <string>

#include "host/HostEnvironment.h"

namespace orbelle::actions {

// `makeType` is the plane code, "L", "TL", "TR" or "R". Silent on every failure.
void isometricBlock(HostEnvironment environment, const std::wstring& makeType) noexcept;

}  // namespace orbelle::actions
