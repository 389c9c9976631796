// The settings file through the platform's profile functions.
#pragma once

#include "app/ProfileStore.h"

namespace orbelle::win32 {

class IniProfileStore final : public ProfileStore {
 public:
  explicit IniProfileStore(std::wstring path) : path_(std::move(path)) {}
  // The store beside the running executable: its own path with the extension ".ini".
  static IniProfileStore besideExecutable();

  const std::wstring& path() const override { return path_; }
  std::wstring read(const std::wstring& section, const std::wstring& key) override;
  bool write(const std::wstring& section, const std::wstring& key,
             const std::wstring& value) override;

 private:
  std::wstring path_;
};

}  // namespace orbelle::win32
