// What every action needs from outside: the desktop it runs on and the way to the host.
#pragma once

#include "host/Desktop.h"
#include "host/nanoCAD_TLB.h"

namespace orbelle {

struct HostEnvironment {
  Desktop& desktop;
  HostConnector& connector;
};

}  // namespace orbelle
