// A type library of the host's inside nanosim.exe (resource TYPELIB 1: the release the palette
// was written for; 2: release 24.0), with its interfaces' IDs and dispatch type information read
// from the library itself: the C++ classes are built once from nanosim.idl, and serve either
// library under that library's IDs.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "sim/win32/ComPtr.h"

namespace orbelle::sim::win32 {

// The interfaces both libraries declare (nanosim_interfaces.idl).
enum class Declared { Application, Document, State, Utility, SelectionSet, Object, Entity, Text };
inline constexpr std::size_t kDeclaredCount = 8;

// The interface and the ones it derives from, its own first: what an object of it answers.
std::vector<Declared> lineage(Declared which);

class ServedLibrary {
 public:
  // Throws Error when the library cannot be loaded or lacks one of the declared interfaces or
  // its class.
  ServedLibrary(const std::wstring& exePath, int resource);

  ITypeLib* library() const { return library_.get(); }
  // The path a registration names: the program, and the resource when it is not the first.
  const std::wstring& path() const { return path_; }
  // The dispatch type information of a dual interface: what GetIDsOfNames and Invoke answer by.
  ITypeInfo* info(Declared which) const { return infos_[index(which)].get(); }
  const IID& iid(Declared which) const { return iids_[index(which)]; }
  const CLSID& classId() const { return classId_; }
  const GUID& libraryId() const { return libraryId_; }
  WORD majorVersion() const { return major_; }
  WORD minorVersion() const { return minor_; }

 private:
  static std::size_t index(Declared which) { return static_cast<std::size_t>(which); }

  std::wstring path_;
  ComPtr<ITypeLib> library_;
  std::array<ComPtr<ITypeInfo>, kDeclaredCount> infos_;
  std::array<IID, kDeclaredCount> iids_{};
  CLSID classId_{};
  GUID libraryId_{};
  WORD major_ = 0, minor_ = 0;
};

// The library the type-library objects serve, while the owner lives: one a host, process-wide
// as COM's own registrations are.
class Serving {
 public:
  explicit Serving(const ServedLibrary& library);
  ~Serving();
  Serving(const Serving&) = delete;
  Serving& operator=(const Serving&) = delete;
  // Throws Error when no library is served.
  static const ServedLibrary& library();
};

}  // namespace orbelle::sim::win32
