// libFuzzer harness: the settings file's integer rule on arbitrary entry texts (two bytes a
// character), and loading the settings from entries holding them. What a value is accepted as
// must read back to itself, and the window must end up on the screen's right and bottom edges.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/Settings.h"

namespace {

using namespace orbelle;

class FixedEntries final : public ProfileStore {
 public:
  explicit FixedEntries(std::wstring text) : text_(std::move(text)) {}
  const std::wstring& path() const override { return path_; }
  std::wstring read(const std::wstring&, const std::wstring&) override { return text_; }
  bool write(const std::wstring&, const std::wstring&, const std::wstring&) override {
    return false;
  }

 private:
  std::wstring path_ = L"fuzz.ini";
  std::wstring text_;
};

bool onlyBlanksSignAndDigits(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c != L' ' && c != L'\t' && c != L'+' && c != L'-' && (c < L'0' || c > L'9'))
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));

  const auto signedValue = parseSignedEntry(text);
  const auto unsignedValue = parseUnsignedEntry(text);
  if ((signedValue || unsignedValue) && !onlyBlanksSignAndDigits(text))
    std::abort();  // something else than a decimal integer accepted
  if (signedValue && parseSignedEntry(std::to_wstring(*signedValue)) != signedValue)
    std::abort();
  if (unsignedValue && parseUnsignedEntry(std::to_wstring(*unsignedValue)) != unsignedValue)
    std::abort();
  if (signedValue && unsignedValue && *signedValue >= 0 &&
      static_cast<std::uint32_t>(*signedValue) != *unsignedValue)
    std::abort();  // the two readings of one text disagree

  FixedEntries store(text);
  const ScreenSize screen{1920, 1080};
  const ScreenSize window{240, 140};
  const PaletteSettings settings = loadSettings(store, screen, window);
  if (settings.left > screen.width - window.width || settings.top > screen.height - window.height)
    std::abort();  // past the right or bottom edge
  if (settings.waitFileMsec != unsignedValue.value_or(kDefaultWaitFileMsec))
    std::abort();
  return 0;
}
