// The test side of the settings seams: the file in memory, a screen of a chosen size, and a
// record of the error boxes shown.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/SettingsEnvironment.h"

namespace orbelle::fake {

// Entries by section and key, the keys written in order, and one entry that refuses to be
// written.
class MemoryProfileStore : public ProfileStore {
 public:
  using Key = std::pair<std::wstring, std::wstring>;

  const std::wstring& path() const override { return path_; }
  std::wstring read(const std::wstring& section, const std::wstring& key) override {
    const auto found = entries.find({section, key});
    return found == entries.end() ? std::wstring() : found->second;
  }
  bool write(const std::wstring& section, const std::wstring& key,
             const std::wstring& value) override {
    if (refused == Key{section, key})
      return false;
    writes.push_back(key);
    entries[{section, key}] = value;
    return true;
  }

  std::wstring path_ = L"C:\\Tools\\Orbelle\\orbelle.ini";
  std::map<Key, std::wstring> entries;
  std::vector<std::wstring> writes;
  std::optional<Key> refused;
};

class FakeScreenMetrics : public ScreenMetrics {
 public:
  ScreenSize screen{1920, 1080};
  ScreenSize outer{241, 141};
  std::vector<const ui::Form*> outerSizeAskedFor;

  ScreenSize primaryScreen() override { return screen; }
  ScreenSize outerSize(const ui::Form& form) override {
    outerSizeAskedFor.push_back(&form);
    return outer;
  }
};

class RecordingErrorDialog : public ui::ErrorDialog {
 public:
  std::vector<std::wstring> shown;
  void showError(const std::wstring& text) override { shown.push_back(text); }
};

struct FakeSettings {
  MemoryProfileStore store;
  FakeScreenMetrics metrics;
  RecordingErrorDialog errors;
  SettingsEnvironment environment{store, metrics, errors};
};

}  // namespace orbelle::fake
