// formwindow_failures.exe: builds the window of a small form again and again, making one step
// of its construction fail each time (a window the system refuses to create, a picture that
// does not decode, the font), and checks that nothing of the half-built window is left behind.
// One line a case, "ok CASE" or "FAIL CASE: why"; the exit code is 0 when every case passed.
// The end-to-end test test_formwindow_failures.py runs it under Wine.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ui/Form.h"
#include "ui/ThemeManager.h"
#include "ui/Utf8.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Toolkit.h"

namespace {

using namespace orbelle;

// A panel with a picture in it, and a button with a hint: every kind of window a form makes.
class SmallForm : public ui::Form {
 public:
  explicit SmallForm(const wchar_t* picture)
      : Form(L"FormWindow failures", 120, 60),
        panel(L"Panel1", nullptr, {0, 0, 55, 55}),
        image(L"Image1", &panel, {2, 2, 51, 51}, picture),
        button(L"SpeedButton1", nullptr, {60, 0, 55, 23}, L"OK") {
    button.setHint(L"a hint");
    addControl(panel);
    addControl(image);
    addControl(button);
  }
  ui::Panel panel;
  ui::Image image;
  ui::SpeedButton button;
};

class NoThemes final : public ui::ThemeLibrary {
 public:
  std::vector<std::span<const std::uint8_t>> compressedThemes() override { return {}; }
};

class SilentErrors final : public ui::ErrorDialog {
 public:
  void showError(const std::wstring& text) override { shown.push_back(text); }
  std::vector<std::wstring> shown;
};

// -- counting the thread's windows ---------------------------------------------------------

BOOL CALLBACK countOne(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK countWithDescendants(HWND window, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(window, countOne, count);
  return TRUE;
}

int threadWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), countWithDescendants, reinterpret_cast<LPARAM>(&count));
  return count;
}

// Delivers whatever is queued: a window left bound to a dead object would be reached here.
void pumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// -- failure injection ----------------------------------------------------------------------

// A CBT hook refuses the creation of the `refuse`-th window from now on (1-based; 0 refuses
// none), and records the class of every window created.
struct Creations {
  int refuse = 0;
  std::vector<std::wstring> classes;
};
Creations creations;

LRESULT CALLBACK refuseCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    creations.classes.push_back(IS_INTRESOURCE(create->lpszClass) ? L"#atom" : create->lpszClass);
    if (static_cast<int>(creations.classes.size()) == creations.refuse)
      return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Points this program's import of `function` from `dll` at `replacement`; returns the import
// it replaced, or null when the program does not import it.
void* replaceImport(const char* dll, const char* function, void* replacement) {
  auto* base = reinterpret_cast<std::uint8_t*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* module =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       module->Name != 0; ++module) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), dll) != 0)
      continue;
    const auto* names =
        reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
        continue;
      const auto* name =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(name->Name), function) != 0)
        continue;
      DWORD protection = 0;
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &protection);
      void* previous = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
      return previous;
    }
  }
  return nullptr;
}

HFONT WINAPI noFont(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                    LPCWSTR) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

// -- the cases ------------------------------------------------------------------------------

int failures = 0;

void report(const std::string& name, const std::string& failure) {
  if (failure.empty()) {
    std::printf("ok %s\n", name.c_str());
  } else {
    std::printf("FAIL %s: %s\n", name.c_str(), failure.c_str());
    ++failures;
  }
  std::fflush(stdout);
}

// Whether a construction must fail, may fail or must succeed: a window the system makes for
// itself (Wine's input method window) may be refused without harm to the form.
enum class Outcome { Fails, Either, Succeeds };

// Builds the window of a fresh form with `picture`; `arrange` sets up the failure first and
// `undo` takes it back. Afterwards the thread must have exactly the windows it had before.
void runCase(const std::string& name, const wchar_t* picture, Outcome outcome,
             const std::function<void()>& arrange, const std::function<void()>& undo) {
  NoThemes library;
  SilentErrors errors;
  ui::ThemeManager themes(library, errors);
  const int before = threadWindows();
  std::string failure;
  {
    SmallForm form(picture);
    arrange();
    try {
      ui::win32::FormWindow window(form, themes, errors);
      if (outcome == Outcome::Fails)
        failure = "the construction did not fail";
      else if (threadWindows() <= before)
        failure = "the window was built without windows";
    } catch (const std::exception& e) {
      if (outcome == Outcome::Succeeds)
        failure = std::string("the construction failed: ") + e.what();
    }
    undo();
    // The model outlives the failed window: writing to it must reach no dead window.
    form.setWindowState(ui::WindowState::Minimized);
    form.setPosition({5, 5});
    form.panel.setBevelOuter(ui::Bevel::Lowered);
    pumpMessages();
  }
  pumpMessages();
  const int after = threadWindows();
  if (failure.empty() && after != before) {
    failure = std::to_string(after - before) + " window(s) left behind";
  }
  report(name, failure);
}

}  // namespace

int wmain() {
  try {
    ui::win32::Toolkit toolkit;  // COM and the common controls, as in the palette
    const auto nothing = [] {};
    // A first clean build: the system makes its own windows of the thread on first use (the
    // input method's, under Wine), and they stay. Then the creations of a clean build, by class.
    HHOOK hook = SetWindowsHookExW(WH_CBT, refuseCreation, nullptr, GetCurrentThreadId());
    if (hook == nullptr) {
      std::printf("FAIL set-up: no CBT hook (error %lu)\n", GetLastError());
      return 1;
    }
    runCase("clean build (first)", L"GOOD_PICTURE", Outcome::Succeeds, nothing, nothing);
    creations = {};
    runCase("clean build", L"GOOD_PICTURE", Outcome::Succeeds, nothing, nothing);
    const std::vector<std::wstring> classes = creations.classes;
    for (std::size_t i = 0; i < classes.size(); ++i) {
      const int refuse = static_cast<int>(i) + 1;
      const std::string name =
          "window " + std::to_string(refuse) + " (" + ui::wideToUtf8(classes[i]) + ") refused";
      const bool ours = classes[i].starts_with(L"Orbelle") || classes[i] == TOOLTIPS_CLASSW;
      const auto refuseIt = [refuse] { creations = {refuse, {}}; };
      runCase(name, L"GOOD_PICTURE", ours ? Outcome::Fails : Outcome::Either, refuseIt,
              [] { creations = {}; });
    }
    runCase("picture that does not decode", L"BROKEN_PICTURE", Outcome::Fails, nothing, nothing);
    runCase("picture that is missing", L"NO_SUCH_PICTURE", Outcome::Fails, nothing, nothing);
    void* createFont = replaceImport("gdi32.dll", "CreateFontW", reinterpret_cast<void*>(&noFont));
    if (createFont == nullptr) {
      report("font refused", "the program does not import CreateFontW from gdi32.dll");
    } else {
      runCase("font refused", L"GOOD_PICTURE", Outcome::Fails, nothing, nothing);
      replaceImport("gdi32.dll", "CreateFontW", createFont);
    }
    runCase("clean build (last)", L"GOOD_PICTURE", Outcome::Succeeds, nothing, nothing);
    UnhookWindowsHookEx(hook);
  } catch (const std::exception& e) {
    std::printf("FAIL set-up: %s\n", e.what());
    return 1;
  }
  std::printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
