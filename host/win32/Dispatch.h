// Late-bound calls by member name through IDispatch: the member's DISPID is asked by name, so the
// order of the host's type library does not matter. Every failure throws HostError.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <array>
#include <span>
#include <string_view>

#include "host/win32/Variant.h"

namespace orbelle::win32 {

// Arguments in their natural (left-to-right) order, as shallow VARIANTs.
Variant invokeByName(IDispatch* object, std::wstring_view member, WORD flags,
                     std::span<VARIANT> arguments);

// A property read or a method call: DISPATCH_METHOD | DISPATCH_PROPERTYGET, so that either form
// answers on the host side.
template <class... Arguments>
Variant callByName(IDispatch* object, std::wstring_view member, Arguments&&... arguments) {
  std::array<VARIANT, sizeof...(Arguments)> views{arguments...};
  return invokeByName(object, member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, views);
}

// A property write: DISPATCH_PROPERTYPUT with the named argument DISPID_PROPERTYPUT.
void putByName(IDispatch* object, std::wstring_view member, const Variant& value);

}  // namespace orbelle::win32
