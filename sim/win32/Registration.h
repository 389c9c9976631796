// /RegServer and /UnregServer: the class (LocalServer32) of the release the palette was written
// for, and both type libraries inside the exe (their interfaces with the type-library marshaler),
// for the current user. Neither touches a key that is not the stand-in's own.
#pragma once

#include <string>

namespace orbelle::sim::win32 {

// Each throws Error saying what failed, or which keys are another's (then nothing is changed).
void registerServer(const std::wstring& exePath);
void unregisterServer(const std::wstring& exePath);

}  // namespace orbelle::sim::win32
