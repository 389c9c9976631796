#include "host/win32/ComHostConnector.h"

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <utility>

#include "host/win32/ComHostObjects.h"
#include "host/win32/ComStatus.h"

namespace orbelle::win32 {

namespace {

class ComRunningHost final : public RunningHost {
 public:
  explicit ComRunningHost(ComRef<IUnknown> object) : object_(std::move(object)) {}

  bool answers(const Guid& iid) override {
    HRESULT status = S_OK;
    static_cast<void>(object_.query<IUnknown>(toGuid(iid), &status));
    if (status == E_NOINTERFACE)
      return false;
    throwIfFailed(status, L"QueryInterface(InanoCADApplication)");
    return true;
  }

  HostRef<HostApplication> drive(const HostRelease& release) override {
    return wrapApplication(object_.require<IDispatch>(toGuid(release.application),
                                                      L"QueryInterface(InanoCADApplication)"),
                           release);
  }

 private:
  ComRef<IUnknown> object_;
};

// An open registry key, closed when the owner goes.
class RegistryKey {
 public:
  explicit RegistryKey(HKEY key) : key_(key) {}
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() { ::RegCloseKey(key_); }
  HKEY get() const { return key_; }

 private:
  HKEY key_;
};

bool beginsWith(std::wstring_view name, std::wstring_view prefix) {
  return name.size() >= prefix.size() &&
         ::CompareStringOrdinal(name.data(), static_cast<int>(prefix.size()), prefix.data(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

HostRef<HostApplication> ComHostConnector::createApplication() {
  ComRef<IUnknown> created;
  throwIfFailed(::CoCreateInstance(toGuid(CLSID_CoApplication), nullptr,
                                   CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                   created.putVoid()),
                L"CoCreateInstance(CoApplication)");
  return wrapApplication(created.require<IDispatch>(toGuid(IID_InanoCADApplication),
                                                    L"QueryInterface(InanoCADApplication)"),
                         kNanoCad5);
}

// HKEY_CLASSES_ROOT is the per-user classes merged over the machine's, and it has no lookup by
// prefix: the keys of both parts are read one by one (each part a plain key, which reads
// faster than the merged view), each name compared and dropped at once. A name in both parts
// is listed twice; the caller drops the second. A key name is at most 255 characters.
std::vector<std::wstring> ComHostConnector::registeredProgramIds(std::wstring_view prefix) {
  std::vector<std::wstring> found;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    HKEY opened = nullptr;
    const LSTATUS s =
        ::RegOpenKeyExW(root, L"Software\\Classes", 0, KEY_ENUMERATE_SUB_KEYS, &opened);
    if (s == ERROR_FILE_NOT_FOUND)
      continue;
    if (s != ERROR_SUCCESS)
      throwStatus(HRESULT_FROM_WIN32(s), L"RegOpenKeyEx(Software\\Classes)");
    const RegistryKey classes(opened);
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
      DWORD length = static_cast<DWORD>(std::size(name));
      const LSTATUS e =
          ::RegEnumKeyExW(classes.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (e == ERROR_NO_MORE_ITEMS)
        break;
      if (e == ERROR_MORE_DATA)
        continue;  // longer than a key name may be: no program ID of the host's
      if (e != ERROR_SUCCESS)
        throwStatus(HRESULT_FROM_WIN32(e), L"RegEnumKeyEx(Software\\Classes)");
      if (beginsWith({name, length}, prefix))
        found.emplace_back(name, length);
    }
  }
  return found;
}

// Adding or removing a key changes its parent's count of keys and its last write time.
std::optional<std::vector<std::uint64_t>> ComHostConnector::classesStamp() {
  std::vector<std::uint64_t> stamp;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    HKEY opened = nullptr;
    const LSTATUS s = ::RegOpenKeyExW(root, L"Software\\Classes", 0, KEY_QUERY_VALUE, &opened);
    if (s == ERROR_FILE_NOT_FOUND) {
      stamp.insert(stamp.end(), {0, 0});
      continue;
    }
    if (s != ERROR_SUCCESS)
      return std::nullopt;  // cannot tell: the classes are listed afresh
    const RegistryKey classes(opened);
    DWORD keys = 0;
    FILETIME written{};
    if (::RegQueryInfoKeyW(classes.get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, &written) != ERROR_SUCCESS)
      return std::nullopt;
    stamp.push_back(keys);
    stamp.push_back((std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime);
  }
  return stamp;
}

std::optional<Guid> ComHostConnector::classOfProgramId(const std::wstring& programId) {
  CLSID classId{};
  const HRESULT status = ::CLSIDFromProgID(programId.c_str(), &classId);
  if (status == CO_E_CLASSSTRING || status == REGDB_E_CLASSNOTREG || status == REGDB_E_READREGDB ||
      status == REGDB_E_KEYMISSING)
    return std::nullopt;
  throwIfFailed(status, L"CLSIDFromProgID");
  return fromGuid(classId);
}

HostRef<RunningHost> ComHostConnector::runningObject(const Guid& classId) {
  ComRef<IUnknown> object;
  const HRESULT status = ::GetActiveObject(toGuid(classId), nullptr, object.put());
  if (status == MK_E_UNAVAILABLE)
    return nullptr;
  throwIfFailed(status, L"GetActiveObject");
  if (!object)
    return nullptr;
  return wrapRunning(std::move(object));
}

HostRef<RunningHost> wrapRunning(ComRef<IUnknown> object) {
  return std::make_unique<ComRunningHost>(std::move(object));
}

}  // namespace orbelle::win32
