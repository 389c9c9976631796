// The settings file through the platform's profile functions.
#pragma once

#include "app/ProfileStore.h"

namespace orbelle::win32 {

class IniProfileStore final : public ProfileStore {
 public:
  explicit IniProfileStore(std::wstring path);
  // The store beside the running executable: its own path with the extension ".ini".
  static IniProfileStore besideExecutable();

  const std::wstring& path() const override { return path_; }
  std::wstring read(const std::wstring& section, const std::wstring& key) override;
  bool write(const std::wstring& section, const std::wstring& key,
             const std::wstring& value) override;

 private:
  std::wstring path_;
  std::wstring accessPath_;  // what the profile functions are given: path_, or a shorter form
};

}  // namespace orbelle::win32
