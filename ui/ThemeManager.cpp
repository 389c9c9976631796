#include "ui/ThemeManager.h"

#include <string_view>

#include "ui/Inflate.h"

namespace orbelle::ui {

namespace {

// A theme file is a few hundred bytes; anything near this is not one.
constexpr std::size_t kMaxThemeSize = 64 * 1024;

}  // namespace

std::wstring styleNotFoundMessage(const std::wstring& name) {
  std::wstring text = L"スタイル '%s' が見つかりません";
  text.replace(text.find(L"%s"), 2, name);
  return text;
}

bool ThemeManager::trySetStyle(const std::wstring& name, bool showErrorDialog) {
  for (std::span<const std::uint8_t> compressed : library_.compressedThemes()) {
    try {
      const std::vector<std::uint8_t> text =
          inflateAll(compressed, CompressedFormat::Gzip, kMaxThemeSize);
      Theme theme =
          parseTheme(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
      if (theme.name == name) {
        active_ = std::move(theme);
        return true;
      }
    } catch (const InflateError&) {
    } catch (const ThemeError&) {
    }
  }
  if (showErrorDialog)
    dialogs_.showError(styleNotFoundMessage(name));
  return false;
}

}  // namespace orbelle::ui
