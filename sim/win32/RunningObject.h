// Release 24's application in the Running Object Table while the owner lives (or until revoked):
// how its clients find a running host (GetActiveObject). The table holds the application with a
// strong reference, so it lives as long as the host does.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "sim/win32/ComPtr.h"

namespace orbelle::sim::win32 {

class RunningObject {
 public:
  // Throws Error when the table refuses it.
  RunningObject(ComPtr<IDispatch> application, const CLSID& classId);
  ~RunningObject() { revoke(); }
  RunningObject(const RunningObject&) = delete;
  RunningObject& operator=(const RunningObject&) = delete;
  // Withdraws it before its time (the script step "revoke"), once; the application keeps
  // answering the clients that hold it.
  void revoke();

 private:
  ComPtr<IDispatch> application_;
  DWORD cookie_ = 0;
};

}  // namespace orbelle::sim::win32
