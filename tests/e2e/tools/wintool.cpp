// What end-to-end tests ask of the Windows desktop that X tools cannot see: window states,
// the foreground window, the texts inside a dialog. One command a run; answers on stdout.
//
//   wintool minimize TITLE      minimise the top-level window titled exactly TITLE
//   wintool state TITLE         "minimized" or "normal", then " foreground" when it is in front
//   wintool texts TITLE         the text of every child window, one a line
//   wintool close TITLE         ask the window to close (WM_CLOSE)
//   wintool endsession TITLE    tell the window the user is logging off (WM_QUERYENDSESSION,
//                               then WM_ENDSESSION), as Windows does at the end of a session
//   wintool rect TITLE          "left top right bottom client-left client-top" in screen pixels:
//                               the outer edges, then the client area's corner (without a
//                               window manager the X window is the client area alone)
//   wintool child TITLE TEXT    "left top right bottom" of the first child window showing TEXT
//   wintool hint                "left top right bottom" of the hint (tooltip) on show, or "none"
//   wintool click TITLE X Y N   N clicks at the point X, Y of the window's client area, each a
//                               press and a release sent with SendMessage, so that it returns
//                               once the click handler has: the milliseconds of each, a line each
//   wintool windows TITLE       the windows of the process that owns TITLE: "TOP CHILDREN
//                               MESSAGE-ONLY" (top-level ones shown or hidden, their descendants,
//                               and message-only ones)
//   wintool cputime TITLE       "user kernel" CPU time in milliseconds (GetProcessTimes) of the
//                               process that owns the window titled exactly TITLE
//   wintool xclient XID         "left top width height" in screen pixels of the client area of
//                               the top-level window that Wine shows in the X window XID (a
//                               number, decimal or 0x hexadecimal): under a window manager the
//                               X window may hold more than the client area, and X tools see
//                               the manager's frame around it
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cwchar>
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

struct FindChild {
  const wchar_t* text;
  HWND found = nullptr;
};

BOOL CALLBACK findChildByText(HWND child, LPARAM search) {
  auto& wanted = *reinterpret_cast<FindChild*>(search);
  wchar_t text[256] = {};
  GetWindowTextW(child, text, 256);
  if (std::wstring(text) != wanted.text)
    return TRUE;
  wanted.found = child;
  return FALSE;
}

struct ProcessWindows {
  DWORD process;
  int top = 0;
  int children = 0;
};

BOOL CALLBACK countChild(HWND, LPARAM counts) {
  ++reinterpret_cast<ProcessWindows*>(counts)->children;
  return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM counts) {
  auto& windows = *reinterpret_cast<ProcessWindows*>(counts);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == windows.process) {
    ++windows.top;
    EnumChildWindows(window, countChild, counts);  // every descendant, not only children
  }
  return TRUE;
}

int countWindows(HWND window) {
  ProcessWindows windows{};
  GetWindowThreadProcessId(window, &windows.process);
  EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&windows));
  int messageOnly = 0;
  for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w != nullptr;
       w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    messageOnly += process == windows.process ? 1 : 0;
  }
  std::printf("%d %d %d\n", windows.top, windows.children, messageOnly);
  std::fflush(stdout);
  return 0;
}

int timeClicks(HWND window, int x, int y, int count) {
  const LPARAM point = MAKELPARAM(x, y);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < count; ++i) {
    QueryPerformanceCounter(&start);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(window, WM_LBUTTONUP, 0, point);
    QueryPerformanceCounter(&end);
    std::printf("%.3f\n", 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                              static_cast<double>(frequency.QuadPart));
  }
  return 0;
}

double milliseconds(const FILETIME& time) {
  ULARGE_INTEGER ticks;  // 100-nanosecond units
  ticks.LowPart = time.dwLowDateTime;
  ticks.HighPart = time.dwHighDateTime;
  return static_cast<double>(ticks.QuadPart) / 10000.0;
}

int printCpuTime(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr)
    return fail(L"cannot open the process of the window", L"");
  FILETIME created{}, ended{}, kernel{}, user{};
  const BOOL read = GetProcessTimes(process, &created, &ended, &kernel, &user);
  CloseHandle(process);
  if (!read)
    return fail(L"GetProcessTimes failed", L"");
  std::printf("%.3f %.3f\n", milliseconds(user), milliseconds(kernel));
  return 0;
}

struct FindShownIn {
  HANDLE xWindow;
  HWND found = nullptr;
};

// Wine's X11 driver keeps the X window that shows a top-level window in this property of it.
BOOL CALLBACK findShownIn(HWND window, LPARAM search) {
  auto& wanted = *reinterpret_cast<FindShownIn*>(search);
  if (GetPropW(window, L"__wine_x11_whole_window") != wanted.xWindow)
    return TRUE;
  wanted.found = window;
  return FALSE;
}

int printClientOfXWindow(const wchar_t* text) {
  wchar_t* end = nullptr;
  const unsigned long long id = std::wcstoull(text, &end, 0);
  if (*text == L'\0' || *end != L'\0' || id == 0)
    return fail(L"the X window must be a number, not ", text);
  FindShownIn search{reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(id))};
  EnumWindows(findShownIn, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr)
    return fail(L"no top-level window of this desktop is shown in the X window ", text);
  RECT client{};
  POINT origin{0, 0};
  if (!GetClientRect(search.found, &client) || !ClientToScreen(search.found, &origin))
    return fail(L"cannot read the client area of the window in the X window ", text);
  std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, client.right - client.left,
              client.bottom - client.top);
  std::fflush(stdout);
  return 0;
}

void printRect(const RECT& r) {
  std::printf("%ld %ld %ld %ld", r.left, r.top, r.right, r.bottom);
}

}  // namespace

BOOL CALLBACK findVisibleHint(HWND window, LPARAM found) {
  wchar_t className[64] = L"";
  GetClassNameW(window, className, 64);
  if (lstrcmpiW(className, TOOLTIPS_CLASSW) == 0 && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"hint") {
    HWND hint = nullptr;
    EnumWindows(findVisibleHint, reinterpret_cast<LPARAM>(&hint));
    if (hint == nullptr) {
      std::printf("none\n");
    } else {
      RECT r{};
      GetWindowRect(hint, &r);
      printRect(r);
      std::printf("\n");
    }
    std::fflush(stdout);
    return 0;
  }
  if (argc == 3 && std::wstring(argv[1]) == L"xclient")
    return printClientOfXWindow(argv[2]);
  const std::wstring command = argc > 1 ? argv[1] : L"";
  const int wanted = command == L"child" ? 4 : command == L"click" ? 6 : 3;
  if (argc != wanted) {
    return fail(
        L"usage: wintool minimize|state|texts|close|endsession|rect|windows|cputime TITLE, "
        L"wintool child TITLE TEXT, wintool click TITLE X Y N, wintool hint, "
        L"wintool xclient XID",
        L"");
  }
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
  } else if (command == L"endsession") {
    const LRESULT mayEnd = SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    SendMessageW(window, WM_ENDSESSION, mayEnd != FALSE, ENDSESSION_LOGOFF);
  } else if (command == L"rect") {
    RECT outer{};
    GetWindowRect(window, &outer);
    POINT client{0, 0};
    ClientToScreen(window, &client);
    printRect(outer);
    std::printf(" %ld %ld\n", client.x, client.y);
  } else if (command == L"windows") {
    return countWindows(window);
  } else if (command == L"click") {
    const int count = _wtoi(argv[5]);
    if (count <= 0)
      return fail(L"the number of clicks must be a positive number, not ", argv[5]);
    wchar_t* end = nullptr;
    const long x = std::wcstol(argv[3], &end, 10);
    const bool xRead = *argv[3] != L'\0' && *end == L'\0';
    const long y = std::wcstol(argv[4], &end, 10);
    if (!xRead || *argv[4] == L'\0' || *end != L'\0' || x < 0 || y < 0 || x > 0x7fff || y > 0x7fff)
      return fail(L"the point must be two numbers of client pixels, not ",
                  (std::wstring(argv[3]) + L" " + argv[4]).c_str());
    const int result = timeClicks(window, static_cast<int>(x), static_cast<int>(y), count);
    std::fflush(stdout);
    return result;
  } else if (command == L"cputime") {
    if (const int failed = printCpuTime(window))
      return failed;
  } else if (command == L"child") {
    FindChild search{argv[3]};
    EnumChildWindows(window, findChildByText, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
      return fail(L"no child window shows ", argv[3]);
    RECT r{};
    GetWindowRect(search.found, &r);
    printRect(r);
    std::printf("\n");
  } else {
    return fail(L"unknown command ", argv[1]);
  }
  std::fflush(stdout);
  return 0;
}
