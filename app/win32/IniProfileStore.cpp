#include "app/win32/IniProfileStore.h"

#include <windows.h>

#include <string>

#include "app/Settings.h"

namespace orbelle::win32 {

namespace {

std::wstring executablePath() {
  // Long paths do not fit MAX_PATH: grow until the whole path fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

IniProfileStore IniProfileStore::besideExecutable() {
  return IniProfileStore(settingsPathFor(executablePath()));
}

std::wstring IniProfileStore::read(const std::wstring& section, const std::wstring& key) {
  std::wstring value(64, L'\0');
  for (;;) {
    const DWORD length =
        ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value.data(),
                                   static_cast<DWORD>(value.size()), path_.c_str());
    // A value that fills the buffer may have been cut short: read again with more room.
    if (length + 1 < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(value.size() * 2);
  }
}

bool IniProfileStore::write(const std::wstring& section, const std::wstring& key,
                            const std::wstring& value) {
  return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) !=
         FALSE;
}

}  // namespace orbelle::win32
