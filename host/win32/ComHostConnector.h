// The ways to the host's application object through COM: class creation for nanoCAD 5, the
// registry's program IDs and the Running Object Table for later releases.
#pragma once

#include <unknwn.h>

#include "host/nanoCAD_TLB.h"
#include "host/win32/ComRef.h"

namespace orbelle::win32 {

class ComHostConnector final : public HostConnector {
 public:
  // CoApplication as a local or in-process server, asked for IUnknown, then queried for
  // InanoCADApplication. Needs COM initialised on the calling thread.
  HostRef<HostApplication> createApplication() override;
  std::vector<std::wstring> registeredProgramIds(std::wstring_view prefix) override;
  std::optional<std::vector<std::uint64_t>> classesStamp() override;
  std::optional<Guid> classOfProgramId(const std::wstring& programId) override;
  HostRef<RunningHost> runningObject(const Guid& classId) override;
};

// An object registered as running, as the connector hands it out.
HostRef<RunningHost> wrapRunning(ComRef<IUnknown> object);

}  // namespace orbelle::win32
