#include "sim/win32/Registration.h"

#include <windows.h>

#include <oleauto.h>

#include <cstdio>
#include <vector>

#include "sim/Error.h"
#include "sim/Json.h"
#include "sim/Registrations.h"
#include "sim/win32/Identifiers.h"
#include "sim/win32/RegistryKey.h"
#include "sim/win32/ServedLibrary.h"

// In oleaut32 since Vista, but not declared by every SDK's headers.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* help);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID library, WORD major, WORD minor,
                                                   LCID locale, SYSKIND kind);

namespace orbelle::sim::win32 {

namespace {

const std::wstring kClasses = L"Software\\Classes\\";

std::string hex(long status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
  return text;
}

std::wstring classKey() {
  return kClasses + L"CLSID\\" + guidText(CLSID_CoApplication);
}

// Where the class is written: per user, and under Wine machine-wide too, where its COM reads.
std::vector<HKEY> classRoots() {
  if (underWine())
    return {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
  return {HKEY_CURRENT_USER};
}

struct Libraries {
  explicit Libraries(const std::wstring& exePath) : first(exePath, 1), second(exePath, 2) {}
  ServedLibrary first;   // the release the palette was written for
  ServedLibrary second;  // release 24.0
};

std::wstring programName(const std::wstring& exePath) {
  return serverProgram(L"\"" + exePath + L"\"");
}

// Every key either operation writes or removes besides the libraries' own: the class, and each
// interface of both libraries. Looked at per user and machine-wide, wherever it is written: a
// per-user key would hide a machine-wide one of nanoCAD's from this user's programs.
void refuseOthers(const Libraries& libraries, const std::wstring& exePath, const char* doing) {
  std::vector<std::wstring> keys{classKey()};
  for (const ServedLibrary* library : {&libraries.first, &libraries.second}) {
    for (std::size_t d = 0; d < kDeclaredCount; ++d)
      keys.push_back(kClasses + L"Interface\\" + guidText(library->iid(static_cast<Declared>(d))));
  }
  const std::vector<std::wstring> ours{guidText(libraries.first.libraryId()),
                                       guidText(libraries.second.libraryId())};
  std::string others;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    for (const std::wstring& key : keys) {
      if (const auto owner = otherOwner(readRegistration(root, key), ours, programName(exePath)))
        others += "\n  " + keyName(root, key) + " " + *owner;
    }
  }
  if (!others.empty()) {
    throw Error(std::string("not ") + doing +
                ": these keys are not the stand-in host's (another program's, nanoCAD's if it is "
                "installed), and nothing was changed:" +
                others);
  }
}

void registerClass(HKEY root, const std::wstring& exePath, const ServedLibrary& library) {
  const std::wstring key = classKey();
  writeDefault(root, key, L"nanoCAD application (Orbelle stand-in host)");
  writeDefault(root, key + L"\\LocalServer32", L"\"" + exePath + L"\"");
  writeDefault(root, key + L"\\TypeLib", guidText(library.libraryId()));
}

void registerLibrary(const ServedLibrary& library) {
  // Dual interfaces: the library's registration names the type-library marshaler for each.
  std::wstring path = library.path();
  if (HRESULT hr = ::RegisterTypeLibForUser(library.library(), path.data(), nullptr); FAILED(hr))
    throw Error("registering " + toUtf8(path) + " failed: " + hex(hr));
}

void unregisterLibrary(const ServedLibrary& library) {
  const HRESULT hr = ::UnRegisterTypeLibForUser(library.libraryId(), library.majorVersion(),
                                                library.minorVersion(), LOCALE_NEUTRAL, SYS_WIN64);
  if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_CANTLOADLIBRARY)
    throw Error("unregistering " + toUtf8(library.path()) + " failed: " + hex(hr));
}

}  // namespace

void registerServer(const std::wstring& exePath) {
  const Libraries libraries(exePath);
  refuseOthers(libraries, exePath, "registered");
  for (HKEY root : classRoots())
    registerClass(root, exePath, libraries.first);
  registerLibrary(libraries.first);
  registerLibrary(libraries.second);
}

void unregisterServer(const std::wstring& exePath) {
  const Libraries libraries(exePath);
  refuseOthers(libraries, exePath, "unregistered");
  for (HKEY root : classRoots()) {
    const LSTATUS s = ::RegDeleteTreeW(root, classKey().c_str());
    if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND)
      throw Error("removing the class failed: " + hex(s));
  }
  unregisterLibrary(libraries.first);
  unregisterLibrary(libraries.second);
}

}  // namespace orbelle::sim::win32
