#include "host/win32/ComStatus.h"

#include <string>

namespace orbelle::win32 {

void throwStatus(HRESULT status, std::wstring_view member, std::wstring_view description) {
  throw HostError(static_cast<std::int32_t>(status), std::wstring(member),
                  std::wstring(description));
}

}  // namespace orbelle::win32
