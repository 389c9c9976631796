// The host's object model over IDispatch: each object is queried for the interface ID that
// qualifies it, and its members are then called by name, each member's DISPID asked once per
// object (LateBound, Dispatch.h). What the host answers is read by its meaning (host/Answer.h),
// whatever VARIANT type carries it.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <string>

#include "host/nanoCAD_TLB.h"
#include "host/win32/ComRef.h"
#include "host/win32/Variant.h"

namespace orbelle::win32 {

// The application object, already queried for the release's InanoCADApplication; every object
// reached from it is queried for the release's interface IDs.
HostRef<HostApplication> wrapApplication(ComRef<IDispatch> application, const HostRelease& release);

// A host value as the host returned it (through VT_BYREF: what it referred to, copied), the
// member that returned it, and the release of the host that did; what a point is when it goes
// back to the host.
class ComValue final : public HostValue {
 public:
  ComValue(Variant value, std::wstring member, const HostRelease& release)
      : value_(std::move(value)), member_(std::move(member)), release_(release) {}
  bool isEmpty() const override;
  double element(int index) const override;
  HostRef<HostObject> asObject() const override;
  const Variant& variant() const { return value_; }

 private:
  Variant value_;
  std::wstring member_;
  const HostRelease& release_;
};

}  // namespace orbelle::win32
