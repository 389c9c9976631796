#include "ui/ProgramPath.h"

#include <stdexcept>

namespace orbelle::ui {

namespace {

// MAX_PATH, the size that fits nearly every path; and the longest a Windows path can be.
constexpr std::size_t kFirstSize = 260;
constexpr std::size_t kLongestPath = 32767;

}  // namespace

std::wstring readWhole(const std::function<std::size_t(wchar_t*, std::size_t)>& read) {
  std::wstring text(kFirstSize, L'\0');
  for (;;) {
    const std::size_t length = read(text.data(), text.size());
    if (length == 0)
      throw std::runtime_error("a path cannot be read");
    if (length < text.size()) {
      text.resize(length);
      return text;
    }
    if (text.size() > kLongestPath)
      throw std::runtime_error("a path is longer than any Windows path");
    text.resize(text.size() * 2);
  }
}

std::wstring programNameOf(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  if (const std::size_t dot = name.find_last_of(L'.'); dot != std::wstring_view::npos && dot > 0)
    name = name.substr(0, dot);
  return std::wstring(name);
}

}  // namespace orbelle::ui
