#include "app/win32/IniProfileStore.h"

#include <windows.h>

#include <string>

#include "app/Settings.h"
#include "ui/ProgramPath.h"
#include "ui/win32/ProgramPath.h"

namespace orbelle::win32 {

namespace {

// The profile functions take at most MAX_PATH characters on some systems (Wine; Windows without
// long paths): a longer path reaches them through its folder's short name, where the volume
// keeps short names. The file itself is named as it is: it need not exist yet.
std::wstring profileAccessPath(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  if (path.size() < MAX_PATH || slash == std::wstring::npos)
    return path;
  const std::wstring folder = path.substr(0, slash);
  try {
    const std::wstring shortFolder = ui::readWhole([&folder](wchar_t* buffer, std::size_t size) {
      const DWORD length = ::GetShortPathNameW(folder.c_str(), buffer, static_cast<DWORD>(size));
      return length < size ? std::size_t{length} : size;  // too small: the size it needs
    });
    const std::wstring shorter = shortFolder + path.substr(slash);
    return shorter.size() < MAX_PATH ? shorter : path;
  } catch (const std::runtime_error&) {
    return path;
  }
}

}  // namespace

IniProfileStore::IniProfileStore(std::wstring path)
    : path_(std::move(path)), accessPath_(profileAccessPath(path_)) {}

IniProfileStore IniProfileStore::besideExecutable() {
  return IniProfileStore(settingsPathFor(ui::win32::executablePath()));
}

std::wstring IniProfileStore::read(const std::wstring& section, const std::wstring& key) {
  std::wstring value(64, L'\0');
  for (;;) {
    const DWORD length =
        ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value.data(),
                                   static_cast<DWORD>(value.size()), accessPath_.c_str());
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
  return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(),
                                      accessPath_.c_str()) != FALSE;
}

}  // namespace orbelle::win32
