// The class and interface IDs, as the type library's IDL spells them (the header widl or midl
// generates from nanosim.idl), and the portable interfaces mapped to them.
#pragma once

#include <windows.h>

#include "nanosim_idl.h"
#include "sim/Automation.h"

namespace orbelle::sim::win32 {

const IID& interfaceId(Interface which);

}  // namespace orbelle::sim::win32
