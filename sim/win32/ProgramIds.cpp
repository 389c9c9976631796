#include "sim/win32/ProgramIds.h"

#include <windows.h>

#include "sim/Error.h"
#include "sim/Json.h"
#include "sim/win32/RegistryKey.h"

namespace orbelle::sim::win32 {

namespace {

// Where the keys are written; what is already there is read through HKEY_CLASSES_ROOT, which on
// Windows also shows the machine's keys that a key of the user's would hide.
HKEY writeRoot() {
  return underWine() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::wstring writePath(const std::wstring& programId) {
  return L"Software\\Classes\\" + programId;
}

void removeIfOurs(const std::wstring& programId, const std::wstring& classId) {
  const std::wstring path = writePath(programId);
  if (!namesClass(readProgramId(writeRoot(), path), classId))
    return;  // another host's or program's by now: not ours to remove
  ::RegDeleteKeyW(writeRoot(), (path + L"\\CLSID").c_str());
  ::RegDeleteKeyW(writeRoot(), (path + L"\\CurVer").c_str());
  // Fails, keeping the key, if someone has added a subkey of their own meanwhile.
  ::RegDeleteKeyW(writeRoot(), path.c_str());
}

}  // namespace

ProgramIdRegistration::ProgramIdRegistration(const ProgramIds& ids, const std::wstring& classId)
    : classId_(classId) {
  const ProgramIdKey versioned = readProgramId(HKEY_CLASSES_ROOT, ids.versioned);
  if (claimProgramId(versioned, classId, true) == Claim::Refuse) {
    throw Error("the program ID " + toUtf8(ids.versioned) + " names the class " +
                toUtf8(versioned.classId) +
                ", not this host's (another program's, or nanoCAD's if it is installed); "
                "nothing was registered");
  }
  const ProgramIdKey independent = readProgramId(HKEY_CLASSES_ROOT, ids.independent);
  const bool writeIndependent = claimProgramId(independent, classId, false) == Claim::Write;
  if (!writeIndependent)
    skipped_.emplace(ids.independent, independent.classId);
  try {
    const std::wstring name = L"nanoCAD application (Orbelle stand-in host)";
    writeDefault(writeRoot(), writePath(ids.versioned), name);
    writeDefault(writeRoot(), writePath(ids.versioned) + L"\\CLSID", classId);
    registered_.push_back(ids.versioned);
    if (writeIndependent) {
      writeDefault(writeRoot(), writePath(ids.independent), name);
      writeDefault(writeRoot(), writePath(ids.independent) + L"\\CLSID", classId);
      writeDefault(writeRoot(), writePath(ids.independent) + L"\\CurVer", ids.versioned);
      registered_.push_back(ids.independent);
    }
  } catch (...) {
    for (const std::wstring& id : registered_)
      removeIfOurs(id, classId_);
    throw;
  }
}

ProgramIdRegistration::~ProgramIdRegistration() {
  for (const std::wstring& id : registered_)
    removeIfOurs(id, classId_);
}

}  // namespace orbelle::sim::win32
