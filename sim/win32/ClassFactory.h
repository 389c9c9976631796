// The class object of CoApplication: every creation gets a new application object.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include "sim/win32/ComPtr.h"

namespace orbelle::sim {
class Session;
}

namespace orbelle::sim::win32 {

ComPtr<IClassFactory> makeClassFactory(Session& session);

}  // namespace orbelle::sim::win32
