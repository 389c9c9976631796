#include "sim/win32/Registration.h"

#include <windows.h>

#include <oleauto.h>

#include <cstdio>

#include "sim/Error.h"
#include "sim/Json.h"
#include "sim/win32/ComPtr.h"
#include "sim/win32/Identifiers.h"

// In oleaut32 since Vista, but not declared by every SDK's headers.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* help);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID library, WORD major, WORD minor,
                                                   LCID locale, SYSKIND kind);

namespace orbelle::sim::win32 {

namespace {

std::wstring registryString(const GUID& id) {
  wchar_t text[64];
  ::StringFromGUID2(id, text, 64);
  return text;
}

std::wstring classKey() {
  return L"Software\\Classes\\CLSID\\" + registryString(CLSID_CoApplication);
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

void registerClass(HKEY root, const std::wstring& exePath) {
  const std::wstring key = classKey();
  if (LSTATUS s = setDefault(root, key, L"nanoCAD application (Orbelle stand-in host)");
      s != ERROR_SUCCESS) {
    throw Error("writing " + toUtf8(key) + " failed: " + hex(s));
  }
  if (LSTATUS s = setDefault(root, key + L"\\LocalServer32", L"\"" + exePath + L"\"");
      s != ERROR_SUCCESS) {
    throw Error("writing LocalServer32 failed: " + hex(s));
  }
  setDefault(root, key + L"\\TypeLib", registryString(LIBID_NanoSimLib));
}

}  // namespace

void registerServer(const std::wstring& exePath) {
  registerClass(HKEY_CURRENT_USER, exePath);
  if (underWine())
    registerClass(HKEY_LOCAL_MACHINE, exePath);

  ComPtr<ITypeLib> typeLibrary;
  if (HRESULT hr = ::LoadTypeLibEx(exePath.c_str(), REGKIND_NONE, typeLibrary.put()); FAILED(hr))
    throw Error("loading the type library from " + toUtf8(exePath) + " failed: " + hex(hr));
  std::wstring path = exePath;
  if (HRESULT hr = ::RegisterTypeLibForUser(typeLibrary.get(), path.data(), nullptr); FAILED(hr))
    throw Error("registering the type library failed: " + hex(hr));
}

void unregisterServer() {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    if (root == HKEY_LOCAL_MACHINE && !underWine())
      break;
    const LSTATUS s = ::RegDeleteTreeW(root, classKey().c_str());
    if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND)
      throw Error("removing the class failed: " + hex(s));
  }
  const HRESULT hr = ::UnRegisterTypeLibForUser(LIBID_NanoSimLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
  if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_CANTLOADLIBRARY)
    throw Error("unregistering the type library failed: " + hex(hr));
}

}  // namespace orbelle::sim::win32
