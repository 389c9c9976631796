#include "host/win32/Dispatch.h"

#include <string>
#include <utility>
#include <vector>

#include "host/win32/Bstr.h"
#include "host/win32/ComStatus.h"

namespace orbelle::win32 {

namespace {

DISPID lookUp(IDispatch* object, std::wstring_view member) {
  if (object == nullptr)
    throwStatus(E_POINTER, member, L"called on a null object");
  std::wstring name(member);
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  throwIfFailed(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id),
                L"GetIDsOfNames(" + name + L")");
  return id;
}

// `member` names the call in a failure.
Variant invokeMember(IDispatch* object, DISPID id, std::wstring_view member, WORD flags,
                     std::span<VARIANT> arguments, DISPID* namedArgument) {
  // IDispatch takes its arguments last to first.
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS parameters{reversed.data(), namedArgument, static_cast<UINT>(reversed.size()),
                        namedArgument != nullptr ? 1u : 0u};
  Variant result;
  ExceptionInfo exception;
  UINT badArgument = 0;
  const HRESULT status =
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                     namedArgument != nullptr ? nullptr : result.put(), &exception, &badArgument);
  if (FAILED(status)) {
    HRESULT reported = status;
    std::wstring description;
    if (status == DISP_E_EXCEPTION) {
      // A server may leave the details to be filled in only when someone asks.
      if (exception.pfnDeferredFillIn != nullptr)
        exception.pfnDeferredFillIn(&exception);
      if (FAILED(exception.scode))
        reported = exception.scode;
      description = Bstr::toWstring(exception.bstrDescription);
    }
    throwStatus(reported, member, description);
  }
  return Variant::received(std::move(result));
}

void putMember(IDispatch* object, DISPID id, std::wstring_view member, const Variant& value) {
  VARIANT argument = inArgument(value);
  DISPID putId = DISPID_PROPERTYPUT;
  invokeMember(object, id, member, DISPATCH_PROPERTYPUT, std::span<VARIANT>(&argument, 1), &putId);
}

}  // namespace

DISPID LateBound::memberId(std::wstring_view member) {
  for (const auto& [name, id] : ids_) {
    if (name == member)
      return id;
  }
  // Kept only once the object has answered: a failed lookup is asked again at the next call.
  const DISPID id = lookUp(object_.get(), member);
  ids_.emplace_back(member, id);
  return id;
}

Variant LateBound::invoke(std::wstring_view member, WORD flags, std::span<VARIANT> arguments) {
  return invokeMember(object_.get(), memberId(member), member, flags, arguments, nullptr);
}

void LateBound::put(std::wstring_view member, const Variant& value) {
  putMember(object_.get(), memberId(member), member, value);
}

Variant invokeByName(IDispatch* object, std::wstring_view member, WORD flags,
                     std::span<VARIANT> arguments) {
  return invokeMember(object, lookUp(object, member), member, flags, arguments, nullptr);
}

void putByName(IDispatch* object, std::wstring_view member, const Variant& value) {
  putMember(object, lookUp(object, member), member, value);
}

}  // namespace orbelle::win32
