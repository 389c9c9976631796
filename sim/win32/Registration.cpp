#include "sim/win32/Registration.h"

#include <windows.h>

#include <oleauto.h>

#include <cstdio>

#include "host/nanoCAD_TLB.h"
#include "host/win32/ComRef.h"
#include "sim/Json.h"

// In oleaut32 since Vista, but not declared by every SDK's headers.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* help);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID library, WORD major, WORD minor,
                                                   LCID locale, SYSKIND kind);

namespace orbelle::sim::win32 {

using orbelle::win32::ComRef;

namespace {

// {6F1C2B9E-4A3D-4E8B-9C57-2D1E0F3A5B71}: the library ID in nanosim.idl.
constexpr GUID kLibraryId{
    0x6F1C2B9E, 0x4A3D, 0x4E8B, {0x9C, 0x57, 0x2D, 0x1E, 0x0F, 0x3A, 0x5B, 0x71}};

std::wstring classKey() {
  return L"Software\\Classes\\CLSID\\" + toRegistryString(CLSID_CoApplication);
}

std::string hex(long status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
  return text;
}

LSTATUS setDefault(HKEY root, const std::wstring& key, const std::wstring& value) {
  return ::RegSetKeyValueW(root, key.c_str(), nullptr, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Wine 8's COM finds classes only in the machine-wide registry, not per user (measured: with
// the class under HKCU alone, CoCreateInstance answers REGDB_E_CLASSNOTREG).
bool underWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string registerClass(HKEY root, const std::wstring& exePath) {
  const std::wstring key = classKey();
  if (LSTATUS s = setDefault(root, key, L"nanoCAD application (Orbelle stand-in host)");
      s != ERROR_SUCCESS) {
    return "writing " + toUtf8(key) + " failed: " + hex(s);
  }
  if (LSTATUS s = setDefault(root, key + L"\\LocalServer32", L"\"" + exePath + L"\"");
      s != ERROR_SUCCESS) {
    return "writing LocalServer32 failed: " + hex(s);
  }
  wchar_t library[64];
  ::StringFromGUID2(kLibraryId, library, 64);
  setDefault(root, key + L"\\TypeLib", library);
  return {};
}

}  // namespace

std::string registerServer(const std::wstring& exePath) {
  if (std::string error = registerClass(HKEY_CURRENT_USER, exePath); !error.empty())
    return error;
  if (underWine()) {
    if (std::string error = registerClass(HKEY_LOCAL_MACHINE, exePath); !error.empty())
      return error;
  }

  ComRef<ITypeLib> typeLibrary;
  if (HRESULT hr = ::LoadTypeLibEx(exePath.c_str(), REGKIND_NONE, typeLibrary.put()); FAILED(hr))
    return "loading the type library from " + toUtf8(exePath) + " failed: " + hex(hr);
  std::wstring path = exePath;
  if (HRESULT hr = ::RegisterTypeLibForUser(typeLibrary.get(), path.data(), nullptr); FAILED(hr))
    return "registering the type library failed: " + hex(hr);
  return {};
}

std::string unregisterServer() {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    if (root == HKEY_LOCAL_MACHINE && !underWine())
      break;
    const LSTATUS s = ::RegDeleteTreeW(root, classKey().c_str());
    if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND)
      return "removing the class failed: " + hex(s);
  }
  const HRESULT hr = ::UnRegisterTypeLibForUser(kLibraryId, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
  if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_CANTLOADLIBRARY)
    return "unregistering the type library failed: " + hex(hr);
  return {};
}

}  // namespace orbelle::sim::win32
