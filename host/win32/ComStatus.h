// COM statuses turned into HostError, and the portable identifiers turned into GUIDs.
#pragma once

#include <windows.h>

#include <cstring>
#include <string_view>

#include "host/Guid.h"
#include "host/HostError.h"

namespace orbelle::win32 {

inline GUID toGuid(const Guid& guid) {
  static_assert(sizeof(GUID) == sizeof(Guid));
  GUID result;
  std::memcpy(&result, &guid, sizeof result);
  return result;
}

inline Guid fromGuid(const GUID& guid) {
  Guid result;
  std::memcpy(&result, &guid, sizeof result);
  return result;
}

// `member` names what was called ("GetPoint", "QueryInterface(IAcadText)"); `description` is
// the host's word on it, if any.
[[noreturn]] void throwStatus(HRESULT status, std::wstring_view member,
                              std::wstring_view description = {});

inline void throwIfFailed(HRESULT status, std::wstring_view member) {
  if (FAILED(status))
    throwStatus(status, member);
}

}  // namespace orbelle::win32
