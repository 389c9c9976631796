// libFuzzer harness: the theme parser on arbitrary text, and the theme manager on arbitrary
// embedded theme files (gzip). A theme either parses with every colour set, or is refused with
// ThemeError; a damaged file counts as absent.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

#include "ui/ThemeManager.h"

namespace {

using namespace orbelle::ui;

class OneTheme final : public ThemeLibrary {
 public:
  explicit OneTheme(std::span<const std::uint8_t> file) : file_(file) {}
  std::vector<std::span<const std::uint8_t>> compressedThemes() override { return {file_}; }

 private:
  std::span<const std::uint8_t> file_;
};

class NoDialog final : public ErrorDialog {
 public:
  void showError(const std::wstring&) override { std::abort(); }  // asked for none
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const Theme theme = parseTheme(std::string_view(reinterpret_cast<const char*>(data), size));
    if (theme.name.empty())
      std::abort();  // a theme without the name it is found by
  } catch (const ThemeError&) {
  }
  OneTheme library(std::span<const std::uint8_t>(data, size));
  NoDialog dialog;
  ThemeManager themes(library, dialog);
  if (themes.trySetStyle(L"Windows10 Dark", false) != (themes.activeTheme() != nullptr))
    std::abort();
  return 0;
}
