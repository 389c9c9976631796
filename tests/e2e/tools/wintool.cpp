// What end-to-end tests ask of the Windows desktop that X tools cannot see: window states,
// the foreground window, the texts inside a dialog. One command a run; answers on stdout.
//
//   wintool minimize TITLE      minimise the top-level window titled exactly TITLE
//   wintool state TITLE         "minimized" or "normal", then " foreground" when it is in front
//   wintool texts TITLE         the text of every child window, one a line
//   wintool close TITLE         ask the window to close (WM_CLOSE)
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int fail(const wchar_t* message, const wchar_t* detail) {
  std::fwprintf(stderr, L"wintool: %ls%ls\n", message, detail);
  return 2;
}

void printUtf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fputc('\n', stdout);
}

BOOL CALLBACK printChildText(HWND child, LPARAM) {
  const int length = GetWindowTextLengthW(child);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(child, text.data(), length + 1)));
  if (!text.empty())
    printUtf8(text);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    return fail(L"usage: wintool minimize|state|texts|close TITLE", L"");
  }
  const std::wstring command = argv[1];
  HWND window = FindWindowW(nullptr, argv[2]);
  if (window == nullptr)
    return fail(L"no window titled ", argv[2]);
  if (command == L"minimize") {
    ShowWindow(window, SW_MINIMIZE);
  } else if (command == L"state") {
    std::printf("%s%s\n", IsIconic(window) ? "minimized" : "normal",
                GetForegroundWindow() == window ? " foreground" : "");
  } else if (command == L"texts") {
    EnumChildWindows(window, printChildText, 0);
  } else if (command == L"close") {
    PostMessageW(window, WM_CLOSE, 0, 0);
  } else {
    return fail(L"unknown command ", argv[1]);
  }
  std::fflush(stdout);
  return 0;
}
