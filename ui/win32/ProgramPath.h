// The running program's own path, however long.
#pragma once

#include <string>

namespace orbelle::ui::win32 {

// The full path of the program's executable (GetModuleFileNameW), paths beyond MAX_PATH whole.
// Throws when it cannot be read.
std::wstring executablePath();

}  // namespace orbelle::ui::win32
