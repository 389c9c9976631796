// What an end-to-end test cannot read from X: a top-level window's Win32 rectangles and the
// texts of its child windows (a message box's text, for one). Without a window manager the X
// window of a Wine window is its client area only, so its outer edges are only known here.
//
//   windowprobe rect TITLE    {"window":[l,t,r,b],"client":[l,t,r,b],"iconic":0|1,
//                              "foreground":0|1}   (screen pixels)
//   windowprobe children TITLE  {"children":[{"text":"...","rect":[l,t,r,b]}, ...]}
//                              (every child window, in Z order)
//
// Output is one line of JSON in UTF-8. Exit code 0 when the window was found, 1 when no
// top-level window has that title, 2 on a wrong command line.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text) {
  if (text.empty())
    return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
  return result;
}

std::string jsonString(const std::wstring& text) {
  std::string quoted = "\"";
  for (char c : utf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string jsonRect(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof(text), "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
  return text;
}

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void print(const std::string& line) {
  // Raw bytes: the console's code page must not touch the UTF-8.
  const std::string out = line + "\n";
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()),
              &written, nullptr);
}

int fail(const std::string& message, int code) {
  std::string out = "windowprobe: ";
  out += message;
  out += '\n';
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), out.data(), static_cast<DWORD>(out.size()),
              &written, nullptr);
  return code;
}

BOOL CALLBACK collectChild(HWND child, LPARAM children) {
  reinterpret_cast<std::vector<HWND>*>(children)->push_back(child);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc == 3 ? argv[1] : L"";
  if (command != L"rect" && command != L"children")
    return fail("usage: windowprobe rect|children TITLE (the exact title of a top-level window)",
                2);
  HWND window = ::FindWindowW(nullptr, argv[2]);
  if (window == nullptr)
    return fail(std::string("no top-level window is titled ") + jsonString(argv[2]), 1);

  if (command == L"rect") {
    RECT outer{};
    ::GetWindowRect(window, &outer);
    RECT client{};
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::string line = "{\"window\":";
    line += jsonRect(outer);
    line += ",\"client\":";
    line += jsonRect(client);
    line += ::IsIconic(window) ? ",\"iconic\":1" : ",\"iconic\":0";
    line += ::GetForegroundWindow() == window ? ",\"foreground\":1}" : ",\"foreground\":0}";
    print(line);
    return 0;
  }
  std::vector<HWND> children;
  ::EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&children));
  std::string line = "{\"children\":[";
  for (std::size_t i = 0; i < children.size(); ++i) {
    if (i > 0)
      line += ',';
    RECT rect{};
    ::GetWindowRect(children[i], &rect);
    line += "{\"text\":";
    line += jsonString(windowText(children[i]));
    line += ",\"rect\":";
    line += jsonRect(rect);
    line += '}';
  }
  line += "]}";
  print(line);
  return 0;
}
