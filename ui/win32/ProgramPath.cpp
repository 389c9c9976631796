#include "ui/win32/ProgramPath.h"

#include <windows.h>

#include "ui/ProgramPath.h"

namespace orbelle::ui::win32 {

std::wstring executablePath() {
  return readWhole([](wchar_t* buffer, std::size_t size) -> std::size_t {
    return ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(size));
  });
}

}  // namespace orbelle::ui::win32
