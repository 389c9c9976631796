// The entries of the settings file, one call per platform profile function.
#pragma once

#include <string>

namespace orbelle {

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The file this store reads and writes, as shown to the user.
  virtual const std::wstring& path() const = 0;
  // The entry's text; empty when the file, the section or the key is missing.
  virtual std::wstring read(const std::wstring& section, const std::wstring& key) = 0;
  // Writes one entry, leaving every other entry of the file as it was; false when refused.
  virtual bool write(const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) = 0;
};

}  // namespace orbelle
