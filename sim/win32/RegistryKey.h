// Registry keys, the host's own handling: an open key closed when its owner goes, and the reading
// of what a key holds into the portable shapes the registration rules (sim/Registrations.h)
// decide on.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "sim/Registrations.h"

namespace orbelle::sim::win32 {

class RegistryKey {
 public:
  RegistryKey() = default;
  // The key for reading, or an empty owner when it does not exist.
  static RegistryKey open(HKEY root, const std::wstring& path);
  RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  RegistryKey& operator=(RegistryKey&&) = delete;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey();

  explicit operator bool() const { return key_ != nullptr; }
  // A string value of the key or of its subkey (the default value without a name); none when
  // absent or not a string.
  std::optional<std::wstring> text(const wchar_t* subkey, const wchar_t* name = nullptr) const;
  // Neither values nor subkeys.
  bool empty() const;

 private:
  HKEY key_ = nullptr;
};

// A GUID as the registry writes it: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::wstring guidText(const GUID& id);
// "HKLM\Software\Classes\..." for messages.
std::string keyName(HKEY root, const std::wstring& path);
// Writes the default value of `path` (made if missing) or of its subkey; throws Error.
void writeDefault(HKEY root, const std::wstring& path, const std::wstring& value);

// What an interface or class key holds, for the registration rules.
RegistrationKey readRegistration(HKEY root, const std::wstring& path);
// What a program-ID key holds.
ProgramIdKey readProgramId(HKEY root, const std::wstring& path);

// Wine 8's COM reads classes only from the machine's registry (HKEY_CLASSES_ROOT there is the
// machine's Software\Classes; measured: a class under HKCU alone is not found).
bool underWine();

}  // namespace orbelle::sim::win32
