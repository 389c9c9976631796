// The program IDs under which later releases of the host register their running application:
// "nanoCAD.Application" (the newest release installed) and "nanoCAD.Application.N.M".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orbelle {

inline constexpr wchar_t kHostProgramId[] = L"nanoCAD.Application";

// The host's program IDs among `registered`, in the order they are tried: the versioned ones
// newest first, then the version-independent one. Other names, and a second spelling of one
// already listed (the registry ignores case), are left out.
std::vector<std::wstring> hostProgramIdsNewestFirst(const std::vector<std::wstring>& registered);

}  // namespace orbelle
