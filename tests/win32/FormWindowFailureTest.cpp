// The window of a form failing half-built: each step of its construction made to fail in turn
// (a window the system refuses to create, a picture that does not decode or is missing, the
// font, the hint window made once it is shown), and after each nothing of it may be left: no
// window of the thread, none bound to the dead object.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ui/Form.h"
#include "ui/ThemeManager.h"
#include "base/Utf8.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Toolkit.h"

namespace orbelle::ui::win32 {
namespace {

// A panel with a picture in it, and a button with a hint: every kind of control a form draws.
// The pictures are this program's resources (FormWindowFailure.rc).
class SmallForm : public Form {
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
  Panel panel;
  Image image;
  SpeedButton button;
};

class NoThemes final : public ThemeLibrary {
 public:
  std::vector<std::span<const std::uint8_t>> compressedThemes() override { return {}; }
};

class QuietErrors final : public ErrorDialog {
 public:
  void showError(const std::wstring&) override { ++shown; }
  int shown = 0;
};

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

// A CBT hook of the thread: refuses the creation of the `refuse`-th window from now on
// (1-based; 0 refuses none), and records the class of each window created.
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

// Whether a construction must fail, may fail or must succeed: a window the system makes for
// itself (Wine's input method window) may be refused without harm to the form.
enum class Outcome { Fails, Either, Succeeds };

class FormWindowFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hook_ = SetWindowsHookExW(WH_CBT, refuseCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook_, nullptr);
    // The system makes windows of its own for the thread on first use, and they stay.
    build(L"GOOD_PICTURE", Outcome::Succeeds);
    creations = {};
  }
  void TearDown() override {
    if (hook_ != nullptr)
      UnhookWindowsHookEx(hook_);
    creations = {};
  }

  // Builds the window of a fresh form, and with `hints` shows it (hidden) and lets it make its
  // hints; afterwards the thread has the windows it had before.
  void build(const wchar_t* picture, Outcome outcome, bool hints = false) {
    const int before = threadWindows();
    {
      SmallForm form(picture);
      try {
        FormWindow window(form, themes_, errors_);
        EXPECT_NE(outcome, Outcome::Fails) << "the construction did not fail";
        EXPECT_GT(threadWindows(), before);
        if (hints) {
          window.show(SW_HIDE);
          pumpMessages();
        }
      } catch (const std::exception& e) {
        EXPECT_NE(outcome, Outcome::Succeeds) << e.what();
      }
      creations.refuse = 0;
      // The model outlives the window: writing to it must reach no dead window.
      form.setWindowState(WindowState::Minimized);
      form.setPosition({5, 5});
      form.panel.setBevelOuter(Bevel::Lowered);
      pumpMessages();
    }
    pumpMessages();
    EXPECT_EQ(threadWindows(), before) << "windows left behind";
  }

  Toolkit toolkit_;  // the common controls (the hint window), as the palette has them
  NoThemes library_;
  QuietErrors errors_;
  ThemeManager themes_{library_, errors_};
  HHOOK hook_ = nullptr;
};

TEST_F(FormWindowFailureTest, TheControlsAreDrawnInTheFormsOwnWindow) {
  build(L"GOOD_PICTURE", Outcome::Succeeds, true);
  const std::vector<std::wstring> classes = creations.classes;
  EXPECT_EQ(std::count_if(classes.begin(), classes.end(),
                          [](const std::wstring& c) { return c.starts_with(L"Orbelle"); }),
            1)
      << "the panel, the picture and the button make no window of their own";
  EXPECT_EQ(std::count(classes.begin(), classes.end(), std::wstring(TOOLTIPS_CLASSW)), 1);
  EXPECT_EQ(errors_.shown, 0);
}

TEST_F(FormWindowFailureTest, EachWindowRefusedLeavesNoWindowBehind) {
  build(L"GOOD_PICTURE", Outcome::Succeeds, true);
  const std::vector<std::wstring> classes = creations.classes;
  ASSERT_GE(classes.size(), 2u) << "the form and the hint";
  for (std::size_t i = 0; i < classes.size(); ++i) {
    SCOPED_TRACE("window " + std::to_string(i + 1) + " of class " + base::wideToUtf8(classes[i]));
    creations = {static_cast<int>(i) + 1, {}};
    errors_.shown = 0;
    if (classes[i].starts_with(L"Orbelle")) {
      build(L"GOOD_PICTURE", Outcome::Fails, true);
    } else if (classes[i] == TOOLTIPS_CLASSW) {
      // Made once the palette is up: the palette goes on without hints, and says why.
      build(L"GOOD_PICTURE", Outcome::Succeeds, true);
      EXPECT_EQ(errors_.shown, 1);
    } else {
      build(L"GOOD_PICTURE", Outcome::Either, true);
    }
  }
}

// The program's last error comes after its window has gone, and that window's quit would close
// the error box before anyone saw it.
TEST_F(FormWindowFailureTest, TheQuitOfAWindowGoneCanBeTakenBackBeforeTheLastErrorBox) {
  {
    SmallForm form(L"GOOD_PICTURE");
    FormWindow window(form, themes_, errors_);
  }
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
      << "the window posted no quit as it went";
  discardPendingQuit();
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(FormWindowFailureTest, APictureThatDoesNotDecodeOrIsMissingLeavesNoWindowBehind) {
  build(L"BROKEN_PICTURE", Outcome::Fails);
  build(L"NO_SUCH_PICTURE", Outcome::Fails);
}

TEST_F(FormWindowFailureTest, TheFontRefusedLeavesNoWindowBehind) {
  void* createFont = replaceImport("gdi32.dll", "CreateFontW", reinterpret_cast<void*>(&noFont));
  ASSERT_NE(createFont, nullptr) << "the program does not import CreateFontW from gdi32.dll";
  build(L"GOOD_PICTURE", Outcome::Fails);
  replaceImport("gdi32.dll", "CreateFontW", createFont);
  build(L"GOOD_PICTURE", Outcome::Succeeds);
}

}  // namespace
}  // namespace orbelle::ui::win32
