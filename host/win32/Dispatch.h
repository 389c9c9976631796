// Late-bound calls by member name through IDispatch: the member's DISPID is asked by name, so the
// order of the host's type library does not matter. Every failure throws HostError.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/win32/ComRef.h"
#include "host/win32/Variant.h"

namespace orbelle::win32 {

// EXCEPINFO owns three BSTRs once Invoke has filled it.
struct ExceptionInfo : EXCEPINFO {
  ExceptionInfo() : EXCEPINFO{} {}
  ~ExceptionInfo() {
    ::SysFreeString(bstrSource);
    ::SysFreeString(bstrDescription);
    ::SysFreeString(bstrHelpFile);
  }
  ExceptionInfo(const ExceptionInfo&) = delete;
  ExceptionInfo& operator=(const ExceptionInfo&) = delete;
};

// A host object called by member name. Each member's DISPID is asked once and kept as long as
// this owner lives: a DISPID holds only for the object that gave it, so nothing is shared
// between objects, and the host's objects live no longer than a step of an action.
class LateBound {
 public:
  explicit LateBound(ComRef<IDispatch> object) : object_(std::move(object)) {}

  // Arguments in their natural (left-to-right) order, as shallow VARIANTs.
  Variant invoke(std::wstring_view member, WORD flags, std::span<VARIANT> arguments);

  // A property read or a method call: DISPATCH_METHOD | DISPATCH_PROPERTYGET, so that either
  // form answers on the host side.
  template <class... Arguments>
  Variant call(std::wstring_view member, Arguments&&... arguments) {
    std::array<VARIANT, sizeof...(Arguments)> views{arguments...};
    return invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, views);
  }

  // A property write: DISPATCH_PROPERTYPUT with the named argument DISPID_PROPERTYPUT.
  void put(std::wstring_view member, const Variant& value);

  const ComRef<IDispatch>& object() const { return object_; }

 private:
  DISPID memberId(std::wstring_view member);

  ComRef<IDispatch> object_;
  // A handful of members per object: a short list searched in order.
  std::vector<std::pair<std::wstring, DISPID>> ids_;
};

// The same on an object held elsewhere, asking the DISPID at every call.
Variant invokeByName(IDispatch* object, std::wstring_view member, WORD flags,
                     std::span<VARIANT> arguments);

template <class... Arguments>
Variant callByName(IDispatch* object, std::wstring_view member, Arguments&&... arguments) {
  std::array<VARIANT, sizeof...(Arguments)> views{arguments...};
  return invokeByName(object, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, views);
}

void putByName(IDispatch* object, std::wstring_view member, const Variant& value);

}  // namespace orbelle::win32
