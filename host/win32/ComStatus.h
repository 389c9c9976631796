// COM statuses turned into HostError, and the portable identifiers turned into GUIDs.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

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

[[noreturn]] void throwStatus(HRESULT status, const std::string& what);

inline void throwIfFailed(HRESULT status, const char* what) {
  if (FAILED(status))
    throwStatus(status, what);
}

}  // namespace orbelle::win32
