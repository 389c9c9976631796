#include "ui/win32/Toolkit.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <stdexcept>
#include <string>

#include "ui/ProgramPath.h"
#include "ui/win32/ProgramPath.h"

namespace orbelle::ui::win32 {

Toolkit::~Toolkit() {
  if (comStarted_)
    ::CoUninitialize();
}

void Toolkit::startCom() {
  if (comStarted_)
    return;
  const HRESULT status = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(status))
    throw std::runtime_error("COM cannot start on this thread (error " +
                             std::to_string(static_cast<unsigned long>(status)) + ")");
  comStarted_ = true;
}

void loadCommonControls() {
  static bool loaded = false;
  if (loaded)
    return;
  // Loaded by name, not imported: under the manifest's activation context this is version 6. It
  // stays loaded until the process ends, as an imported library would.
  HMODULE library = ::LoadLibraryW(L"comctl32.dll");
  const FARPROC entry =
      library != nullptr ? ::GetProcAddress(library, "InitCommonControlsEx") : nullptr;
  // Through void(*)(), the one function type GCC lets every other be cast to without a warning.
  const auto initialise = reinterpret_cast<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(
      reinterpret_cast<void (*)()>(entry));
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  if (initialise == nullptr || !initialise(&controls))
    throw std::runtime_error("the common controls cannot start");
  loaded = true;
}

void discardPendingQuit() {
  MSG quit;
  while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

int Toolkit::runMessageLoop() {
  MSG message{};
  for (;;) {
    const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
    if (result == 0)
      return static_cast<int>(message.wParam);
    if (result == -1)
      throw std::runtime_error("the message loop failed (error " +
                               std::to_string(::GetLastError()) + ")");
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void ErrorBox::showError(const std::wstring& text) {
  // The title is the program's name: its file name without folder and extension.
  std::wstring title;
  try {
    title = programNameOf(executablePath());
  } catch (const std::exception&) {
    // The box still tells its message, under the system's default title.
  }
  ::MessageBoxW(::GetActiveWindow(), text.c_str(), title.empty() ? nullptr : title.c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace orbelle::ui::win32
