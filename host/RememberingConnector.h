// A connector that lists the host's program IDs again only when the registered classes have
// changed since it last did. Listing them reads every key of the classes, hundreds of registry
// calls a click; telling whether the classes changed takes a few. Everything else goes to the
// connector it wraps, afresh every time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/nanoCAD_TLB.h"

namespace orbelle {

class RememberingConnector final : public HostConnector {
 public:
  explicit RememberingConnector(HostConnector& connector) : connector_(connector) {}

  HostRef<HostApplication> createApplication() override { return connector_.createApplication(); }
  std::vector<std::wstring> registeredProgramIds(std::wstring_view prefix) override;
  std::optional<std::vector<std::uint64_t>> classesStamp() override {
    return connector_.classesStamp();
  }
  std::optional<Guid> classOfProgramId(const std::wstring& programId) override {
    return connector_.classOfProgramId(programId);
  }
  HostRef<RunningHost> runningObject(const Guid& classId) override {
    return connector_.runningObject(classId);
  }

 private:
  HostConnector& connector_;
  std::optional<std::vector<std::uint64_t>> stamp_;  // of the classes listed
  std::wstring prefix_;
  std::vector<std::wstring> listed_;
};

}  // namespace orbelle
