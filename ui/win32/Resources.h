// The executable's own resources: bytes handed to portable code, and the embedded themes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

#include "ui/ThemeManager.h"

namespace orbelle::ui::win32 {

// The bytes of one resource of the executable; they stay mapped as long as the program runs.
// Throws when there is no such resource.
std::span<const std::uint8_t> resourceBytes(const wchar_t* name, const wchar_t* type);

// The program's own icon (its icon resource 1) at about `size` pixels, owned by the system, or
// null when the program has none.
HICON programIcon(int size);

// The themes embedded as resources of type "THEME", each a gzip-compressed theme file.
class ResourceThemeLibrary final : public ThemeLibrary {
 public:
  std::vector<std::span<const std::uint8_t>> compressedThemes() override;
};

}  // namespace orbelle::ui::win32
