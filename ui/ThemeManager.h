// The themes embedded in the program, looked up by name, and the one that is active.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/ErrorDialog.h"
#include "ui/Theme.h"

namespace orbelle::ui {

// Where the embedded themes come from: on Windows, the executable's "THEME" resources.
class ThemeLibrary {
 public:
  virtual ~ThemeLibrary() = default;
  // Every embedded theme file, gzip-compressed.
  virtual std::vector<std::span<const std::uint8_t>> compressedThemes() = 0;
};

// The message shown when no embedded theme has the name asked for.
std::wstring styleNotFoundMessage(const std::wstring& name);

class ThemeManager {
 public:
  ThemeManager(ThemeLibrary& library, ErrorDialog& dialogs)
      : library_(library), dialogs_(dialogs) {}

  // Makes the embedded theme called `name` (exactly) the active one and returns true. When no
  // theme has that name, the active theme stays as it was, the error dialog says so if it is
  // enabled, and the result is false. A damaged theme file counts as absent.
  bool trySetStyle(const std::wstring& name, bool showErrorDialog = true);

  const Theme* activeTheme() const { return active_ ? &*active_ : nullptr; }
  // What to draw with: the active theme, or `systemLook` while there is none.
  const Theme& look(const Theme& systemLook) const { return active_ ? *active_ : systemLook; }

 private:
  ThemeLibrary& library_;
  ErrorDialog& dialogs_;
  std::optional<Theme> active_;
};

}  // namespace orbelle::ui
