// /RegServer and /UnregServer: the class (LocalServer32) and the type library inside the exe,
// for the current user.
#pragma once

#include <string>

namespace orbelle::sim::win32 {

// Each throws Error saying what failed.
void registerServer(const std::wstring& exePath);
void unregisterServer();

}  // namespace orbelle::sim::win32
