#include "sim/win32/Console.h"

#include <windows.h>

#include "sim/Json.h"

namespace orbelle::sim::win32 {

namespace {

bool writeTo(HANDLE handle, std::string_view text) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
    return false;
  DWORD mode = 0;
  if (::GetConsoleMode(handle, &mode)) {
    const std::wstring wide = fromUtf8(text);
    DWORD written = 0;
    return ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written,
                           nullptr) != FALSE;
  }
  DWORD written = 0;
  return ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) !=
         FALSE;
}

}  // namespace

void writeError(std::string_view text) {
  // A GUI program started from a shell may still have a standard error (a pipe, a file, or the
  // terminal under Wine); otherwise borrow the parent's console.
  if (writeTo(::GetStdHandle(STD_ERROR_HANDLE), text))
    return;
  if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
    HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    writeTo(console, text);
    if (console != INVALID_HANDLE_VALUE)
      ::CloseHandle(console);
  }
}

}  // namespace orbelle::sim::win32
