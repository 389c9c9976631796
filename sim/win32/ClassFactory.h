// The class object of CoApplication: every creation gets a new application object.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include "host/win32/ComRef.h"

namespace orbelle::sim {
class Session;
}

namespace orbelle::sim::win32 {

orbelle::win32::ComRef<IClassFactory> makeClassFactory(Session& session);

}  // namespace orbelle::sim::win32
