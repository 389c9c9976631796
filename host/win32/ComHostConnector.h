// Creates the host's application object through COM.
#pragma once

#include "host/nanoCAD_TLB.h"

namespace orbelle::win32 {

class ComHostConnector final : public HostConnector {
 public:
  // CoApplication as a local or in-process server, asked for IUnknown, then queried for
  // InanoCADApplication. Needs COM initialised on the calling thread.
  HostRef<HostApplication> createApplication() override;
};

}  // namespace orbelle::win32
