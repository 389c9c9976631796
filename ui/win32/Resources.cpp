#include "ui/win32/Resources.h"

#include <stdexcept>
#include <string>

#include "base/Utf8.h"

namespace orbelle::ui::win32 {

namespace {

constexpr wchar_t kThemeType[] = L"THEME";

std::span<const std::uint8_t> bytesOf(HMODULE module, HRSRC resource) {
  HGLOBAL loaded = ::LoadResource(module, resource);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr)
    return {};
  return {static_cast<const std::uint8_t*>(data), ::SizeofResource(module, resource)};
}

BOOL CALLBACK collectTheme(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found) {
  if (HRSRC resource = ::FindResourceW(module, name, type)) {
    auto* themes = reinterpret_cast<std::vector<std::span<const std::uint8_t>>*>(found);
    themes->push_back(bytesOf(module, resource));
  }
  return TRUE;
}

}  // namespace

std::span<const std::uint8_t> resourceBytes(const wchar_t* name, const wchar_t* type) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC resource = ::FindResourceW(module, name, type);
  if (resource == nullptr)
    throw std::runtime_error("the executable holds no resource named " +
                             (IS_INTRESOURCE(name) ? std::string("#") : base::wideToUtf8(name)));
  return bytesOf(module, resource);
}

HICON programIcon(int size) {
  // Shared: loaded once, never destroyed, as a window class's icons must outlive its windows.
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                         IMAGE_ICON, size, size, LR_SHARED));
}

std::vector<std::span<const std::uint8_t>> ResourceThemeLibrary::compressedThemes() {
  std::vector<std::span<const std::uint8_t>> themes;
  // No resource of the type at all is simply no theme (the call then fails; nothing to do).
  ::EnumResourceNamesW(::GetModuleHandleW(nullptr), kThemeType, collectTheme,
                       reinterpret_cast<LONG_PTR>(&themes));
  return themes;
}

}  // namespace orbelle::ui::win32
