// /RegServer and /UnregServer: the class (LocalServer32) and the type library inside the exe,
// for the current user.
#pragma once

#include <string>

namespace orbelle::sim::win32 {

// Each returns an empty string on success, otherwise what failed.
std::string registerServer(const std::wstring& exePath);
std::string unregisterServer();

}  // namespace orbelle::sim::win32
