#include "host/RememberingConnector.h"

namespace orbelle {

std::vector<std::wstring> RememberingConnector::registeredProgramIds(std::wstring_view prefix) {
  // The stamp comes first: a key added while the list is read changes it again, so the next
  // click reads the list afresh.
  std::optional<std::vector<std::uint64_t>> stamp = connector_.classesStamp();
  if (stamp && stamp == stamp_ && prefix == prefix_)
    return listed_;
  stamp_.reset();  // a listing that fails leaves nothing remembered
  listed_ = connector_.registeredProgramIds(prefix);
  prefix_ = prefix;
  stamp_ = std::move(stamp);
  return listed_;
}

}  // namespace orbelle
