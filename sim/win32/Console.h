// Messages from a GUI program to the terminal that started it.
#pragma once

#include <string_view>

namespace orbelle::sim::win32 {

// Writes UTF-8 text to the standard error of the process, or, when it has none, to the console
// of the parent process.
void writeError(std::string_view text);

}  // namespace orbelle::sim::win32
