#include "sim/win32/RegistryKey.h"

#include <objbase.h>

#include <cstdio>

#include "sim/Error.h"
#include "sim/Json.h"

namespace orbelle::sim::win32 {

RegistryKey RegistryKey::open(HKEY root, const std::wstring& path) {
  RegistryKey owner;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &owner.key_) != ERROR_SUCCESS)
    owner.key_ = nullptr;
  return owner;
}

RegistryKey::~RegistryKey() {
  if (key_ != nullptr)
    ::RegCloseKey(key_);
}

std::optional<std::wstring> RegistryKey::text(const wchar_t* subkey, const wchar_t* name) const {
  if (key_ == nullptr)
    return std::nullopt;
  DWORD bytes = 0;
  if (::RegGetValueW(key_, subkey, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (::RegGetValueW(key_, subkey, name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
      ERROR_SUCCESS)
    return std::nullopt;
  value.resize(bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0')
    value.pop_back();
  return value;
}

bool RegistryKey::empty() const {
  DWORD subkeys = 0, values = 0;
  if (key_ == nullptr ||
      ::RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  return subkeys == 0 && values == 0;
}

std::wstring guidText(const GUID& id) {
  wchar_t text[64];
  ::StringFromGUID2(id, text, 64);
  return text;
}

std::string keyName(HKEY root, const std::wstring& path) {
  const char* name = root == HKEY_LOCAL_MACHINE  ? "HKLM"
                     : root == HKEY_CURRENT_USER ? "HKCU"
                     : root == HKEY_CLASSES_ROOT ? "HKCR"
                                                 : "?";
  return std::string(name) + "\\" + toUtf8(path);
}

void writeDefault(HKEY root, const std::wstring& path, const std::wstring& value) {
  const LSTATUS status =
      ::RegSetKeyValueW(root, path.c_str(), nullptr, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) {
    char code[16];
    std::snprintf(code, sizeof code, "%ld", static_cast<long>(status));
    throw Error("writing " + keyName(root, path) + " failed (error " + code + ")");
  }
}

RegistrationKey readRegistration(HKEY root, const std::wstring& path) {
  const RegistryKey key = RegistryKey::open(root, path);
  RegistrationKey out;
  out.exists = static_cast<bool>(key);
  if (!key)
    return out;
  out.empty = key.empty();
  out.typeLibrary = key.text(L"TypeLib");
  out.server = key.text(L"LocalServer32");
  if (!out.server)
    out.server = key.text(L"InprocServer32");
  return out;
}

ProgramIdKey readProgramId(HKEY root, const std::wstring& path) {
  const RegistryKey key = RegistryKey::open(root, path);
  ProgramIdKey out;
  out.exists = static_cast<bool>(key);
  out.classId = key.text(L"CLSID").value_or(L"");
  return out;
}

bool underWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace orbelle::sim::win32
