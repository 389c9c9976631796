// The palette's settings file: its position and the value "WaitFileMsec", beside the executable.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/ProfileStore.h"
#include "app/ScreenMetrics.h"

namespace orbelle {

struct PaletteSettings {
  int left = 0;  // outer window edges, screen pixels
  int top = 0;
  std::uint32_t waitFileMsec = 0;
  friend bool operator==(const PaletteSettings&, const PaletteSettings&) = default;
};

inline constexpr std::uint32_t kDefaultWaitFileMsec = 200;

// The executable's own path with its extension replaced by ".ini" (appended when it has none).
std::wstring settingsPathFor(std::wstring_view executablePath);

// What counts as an integer in the file: optional blanks around an optional sign and plain
// decimal digits, within the type's range. Anything else is no value at all.
std::optional<std::int32_t> parseSignedEntry(std::wstring_view text);
std::optional<std::uint32_t> parseUnsignedEntry(std::wstring_view text);

// Reads the settings: a missing or unreadable entry gives its default (the window centred on
// the primary screen; 200 ms), then the window is pulled back onto the screen where it would
// reach past the right or bottom edge. `window` is the palette's outer size.
PaletteSettings loadSettings(ProfileStore& store, ScreenSize screen, ScreenSize window);

// A value the file would not take.
class SettingsWriteError : public std::runtime_error {
 public:
  explicit SettingsWriteError(std::wstring path)
      : std::runtime_error("the settings file cannot be written"), path_(std::move(path)) {}
  const std::wstring& path() const { return path_; }
  // The text of the error box.
  std::wstring message() const { return path_ + L" に書き込めません"; }

 private:
  std::wstring path_;
};

// Writes "Left", "Top" and "WaitFileMsec" in that order; throws SettingsWriteError at the first
// entry refused, so later entries are not written.
void saveSettings(ProfileStore& store, const PaletteSettings& settings);

}  // namespace orbelle
