// The host's object model over IDispatch: each object is queried for the interface ID that
// qualifies it, and its members are then called by name.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "host/nanoCAD_TLB.h"
#include "host/win32/ComRef.h"
#include "host/win32/Variant.h"

namespace orbelle::win32 {

// The application object, already queried for InanoCADApplication.
HostRef<HostApplication> wrapApplication(ComRef<IDispatch> application);

// A host value as the host returned it; what a point is when it goes back to the host.
class ComValue final : public HostValue {
 public:
  explicit ComValue(Variant value) : value_(std::move(value)) {}
  bool isEmpty() const override { return value_.isEmpty(); }
  double element(int index) const override { return value_.element(index); }
  HostRef<HostObject> asObject() const override;
  const Variant& variant() const { return value_; }

 private:
  Variant value_;
};

}  // namespace orbelle::win32
