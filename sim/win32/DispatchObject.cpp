#include "sim/win32/DispatchObject.h"

#include <new>
#include <vector>

#include "sim/Session.h"
#include "sim/win32/ComUnknown.h"
#include "sim/win32/Identifiers.h"
#include "sim/win32/TypedObject.h"
#include "sim/win32/VariantCodec.h"

namespace orbelle::sim::win32 {

namespace {

BSTR allocateText(const std::wstring& text) {
  return ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

class DispatchObject final : public ComUnknown<DispatchObject, IDispatch> {
 public:
  DispatchObject(Session& session, ObjectRef object)
      : session_(session), object_(std::move(object)) {}

  bool answers(REFIID iid) const {
    bool known = IsEqualIID(iid, IID_IDispatch);
    for (const Interface which : object_->interfaces())
      known = known || IsEqualIID(iid, interfaceId(which));
    return known;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr)
      return E_POINTER;
    *count = 0;  // members are found by name only
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr)
      *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (names == nullptr || ids == nullptr || count == 0)
      return E_INVALIDARG;
    HRESULT status = S_OK;
    const int id = session_.memberId(*object_, names[0] != nullptr ? names[0] : L"");
    ids[0] = id == 0 ? DISPID_UNKNOWN : id;
    if (id == 0)
      status = DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;  // no named arguments
      status = DISP_E_UNKNOWNNAME;
    }
    return status;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* badArgument) override {
    try {
      return invoke(id, flags, parameters, result, exception, badArgument);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_UNEXPECTED;  // nothing may cross the COM boundary
    }
  }

 private:
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                 EXCEPINFO* exception, UINT* badArgument) {
    const auto& names = object_->members();
    if (id < 1 || static_cast<std::size_t>(id) > names.size())
      return DISP_E_MEMBERNOTFOUND;
    const std::wstring& member = names[static_cast<std::size_t>(id) - 1];
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (parameters == nullptr)
      parameters = &none;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (parameters->cNamedArgs > 0 && !(put && parameters->cNamedArgs == 1 &&
                                        parameters->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT)) {
      return DISP_E_NONAMEDARGS;
    }
    // IDispatch passes arguments last to first.
    std::vector<Argument> arguments;
    for (UINT i = parameters->cArgs; i > 0; --i) {
      try {
        arguments.push_back(argumentFrom(readVariant(parameters->rgvarg[i - 1])));
      } catch (const AutomationError& e) {
        if (badArgument != nullptr)
          *badArgument = i - 1;
        return e.status();
      }
    }
    const int portableFlags = (flags & DISPATCH_METHOD ? kMethod : 0) |
                              (flags & DISPATCH_PROPERTYGET ? kGet : 0) | (put ? kPut : 0);
    WireValue answer;
    try {
      answer = session_.call(*object_, member, portableFlags, arguments);
    } catch (const AutomationError& e) {
      if (!e.exception())
        return e.status();
      if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = e.status();
        exception->bstrSource = allocateText(L"nanoCAD");
        exception->bstrDescription = allocateText(e.description());
      }
      return DISP_E_EXCEPTION;
    }
    // Out parameters, in the caller's order; they and the result now belong to the caller.
    std::size_t index = 0;
    for (UINT i = parameters->cArgs; i > 0; --i, ++index) {
      VARIANT& raw = parameters->rgvarg[i - 1];
      if (raw.vt == (VT_BYREF | VT_VARIANT) && raw.pvarVal != nullptr && arguments[index].reply) {
        ::VariantClear(raw.pvarVal);
        *raw.pvarVal = makeVariant(session_, *arguments[index].reply);
      }
    }
    if (result != nullptr && !put) {
      ::VariantInit(result);
      *result = makeVariant(session_, answer);
    }
    return S_OK;
  }

  friend ComUnknown;
  ~DispatchObject() = default;  // drops the portable object, which logs its release

  Session& session_;
  ObjectRef object_;
};

}  // namespace

ComPtr<IDispatch> wrapObject(Session& session, ObjectRef object) {
  // Objects of a type-library connection are the library's, and so is every object they answer.
  if (object->dialect().typeLibrary)
    return wrapTyped(session, std::move(object));
  return ComPtr<IDispatch>::adopt(new DispatchObject(session, std::move(object)));
}

}  // namespace orbelle::sim::win32
