#include "host/win32/ComStatus.h"

#include <cstdio>

namespace orbelle::win32 {

void throwStatus(HRESULT status, const std::string& what) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
  throw HostError(static_cast<std::int32_t>(status), what + " failed: " + code);
}

}  // namespace orbelle::win32
