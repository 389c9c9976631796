// Release 24's program IDs in the registry while the owner lives, as clients of that release find
// a running host: CLSIDFromProgID("nanoCAD.Application.24.0"), then GetActiveObject. Written
// where CLSIDFromProgID reads (HKEY_CLASSES_ROOT: under Wine the machine's Software\Classes, on
// Windows the user's), and removed at the end wherever they still name the host's class.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/Registrations.h"

namespace orbelle::sim::win32 {

class ProgramIdRegistration {
 public:
  // Throws Error, writing nothing, when the versioned ID names another class. Leaves the
  // version-independent ID as it is when it names another class (skipped()).
  ProgramIdRegistration(const ProgramIds& ids, const std::wstring& classId);
  ~ProgramIdRegistration();
  ProgramIdRegistration(const ProgramIdRegistration&) = delete;
  ProgramIdRegistration& operator=(const ProgramIdRegistration&) = delete;

  const std::vector<std::wstring>& registered() const { return registered_; }
  // The program ID left alone, and the class it names.
  const std::optional<std::pair<std::wstring, std::wstring>>& skipped() const { return skipped_; }

 private:
  std::wstring classId_;
  std::vector<std::wstring> registered_;
  std::optional<std::pair<std::wstring, std::wstring>> skipped_;
};

}  // namespace orbelle::sim::win32
