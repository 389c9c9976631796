#include "app/Settings.h"

#include <limits>

namespace orbelle {

namespace {

constexpr wchar_t kFormSection[] = L"Form";
constexpr wchar_t kSleepSection[] = L"SleepMsec";

bool isBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

std::wstring_view trimmed(std::wstring_view text) {
  while (!text.empty() && isBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// Sign and magnitude of a decimal integer; no value when there is anything else in the text,
// or the magnitude passes `limit`.
struct Magnitude {
  bool negative = false;
  std::uint64_t value = 0;
};

std::optional<Magnitude> parseDecimal(std::wstring_view text, std::uint64_t limit) {
  text = trimmed(text);
  Magnitude result;
  if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
    result.negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty())
    return std::nullopt;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9')
      return std::nullopt;
    result.value = result.value * 10 + static_cast<std::uint64_t>(c - L'0');
    if (result.value > limit)
      return std::nullopt;
  }
  return result;
}

}  // namespace

std::wstring settingsPathFor(std::wstring_view executablePath) {
  const std::size_t nameStart = executablePath.find_last_of(L"\\/:") + 1;  // npos + 1 == 0
  const std::size_t dot = executablePath.rfind(L'.');
  const std::size_t stemEnd =
      dot != std::wstring_view::npos && dot >= nameStart ? dot : executablePath.size();
  return std::wstring(executablePath.substr(0, stemEnd)) + L".ini";
}

std::optional<std::int32_t> parseSignedEntry(std::wstring_view text) {
  constexpr std::uint64_t kMaxMagnitude =
      static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
  const auto parsed = parseDecimal(text, kMaxMagnitude);
  if (!parsed)
    return std::nullopt;
  if (parsed->negative)
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(parsed->value));
  if (parsed->value == kMaxMagnitude)
    return std::nullopt;
  return static_cast<std::int32_t>(parsed->value);
}

std::optional<std::uint32_t> parseUnsignedEntry(std::wstring_view text) {
  const auto parsed = parseDecimal(text, std::numeric_limits<std::uint32_t>::max());
  if (!parsed)
    return std::nullopt;
  if (parsed->negative && parsed->value != 0)
    return std::nullopt;
  return static_cast<std::uint32_t>(parsed->value);
}

PaletteSettings loadSettings(ProfileStore& store, ScreenSize screen, ScreenSize window) {
  // Integer division rounds toward zero, so a window wider than the screen centres negative.
  const int spareWidth = screen.width - window.width;
  const int spareHeight = screen.height - window.height;
  PaletteSettings settings;
  settings.left = parseSignedEntry(store.read(kFormSection, L"Left")).value_or(spareWidth / 2);
  settings.top = parseSignedEntry(store.read(kFormSection, L"Top")).value_or(spareHeight / 2);
  // Only the right and bottom edges pull back: negative positions belong to monitors placed
  // left of or above the primary one.
  if (spareWidth < settings.left)
    settings.left = spareWidth;
  if (spareHeight < settings.top)
    settings.top = spareHeight;
  settings.waitFileMsec =
      parseUnsignedEntry(store.read(kSleepSection, L"WaitFileMsec")).value_or(kDefaultWaitFileMsec);
  return settings;
}

void saveSettings(ProfileStore& store, const PaletteSettings& settings) {
  const auto put = [&store](const wchar_t* section, const wchar_t* key, std::wstring value) {
    if (!store.write(section, key, value))
      throw SettingsWriteError(store.path());
  };
  put(kFormSection, L"Left", std::to_wstring(settings.left));
  put(kFormSection, L"Top", std::to_wstring(settings.top));
  put(kSleepSection, L"WaitFileMsec", std::to_wstring(settings.waitFileMsec));
}

}  // namespace orbelle
