#include "sim/win32/DispatchObject.h"

#include <atomic>
#include <new>
#include <vector>

#include "host/win32/Bstr.h"
#include "host/win32/ComStatus.h"
#include "host/win32/Variant.h"
#include "sim/Session.h"

namespace orbelle::sim::win32 {

using orbelle::win32::Bstr;
using orbelle::win32::ComRef;
using orbelle::win32::toGuid;
using orbelle::win32::Variant;

namespace {

// VARIANT -> Value: what the portable objects take.
Value valueOf(const VARIANT& source) {
  const VARIANT* v = &source;
  if (v->vt == (VT_BYREF | VT_VARIANT))
    v = v->pvarVal;
  if (v == nullptr)
    return {};
  const VARTYPE type = v->vt;
  const bool byRef = (type & VT_BYREF) != 0;
  switch (type & ~VT_BYREF) {
    case VT_EMPTY:
    case VT_NULL:
      return {};
    case VT_ERROR:
      if ((byRef ? *v->pscode : v->scode) == DISP_E_PARAMNOTFOUND)
        return Missing{};
      return {};
    case VT_BOOL:
      return (byRef ? *v->pboolVal : v->boolVal) != VARIANT_FALSE;
    case VT_I2:
      return static_cast<std::int32_t>(byRef ? *v->piVal : v->iVal);
    case VT_I4:
      return static_cast<std::int32_t>(byRef ? *v->plVal : v->lVal);
    case VT_UI1:
      return static_cast<std::int32_t>(byRef ? *v->pbVal : v->bVal);
    case VT_R4:
      return static_cast<double>(byRef ? *v->pfltVal : v->fltVal);
    case VT_R8:
      return byRef ? *v->pdblVal : v->dblVal;
    case VT_BSTR:
      return Bstr::toWstring(byRef ? *v->pbstrVal : v->bstrVal);
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return Foreign{};
    default:
      break;
  }
  if ((type & VT_ARRAY) != 0) {
    // A point: a one-dimensional array of numbers.
    SAFEARRAY* array = byRef ? *v->pparray : v->parray;
    if (array == nullptr || ::SafeArrayGetDim(array) != 1)
      throw AutomationError(kTypeMismatch, L"a one-dimensional array was expected", false);
    LONG low = 0, high = -1;
    ::SafeArrayGetLBound(array, 1, &low);
    ::SafeArrayGetUBound(array, 1, &high);
    std::vector<double> numbers;
    // Read through the toolkit's element access, which converts any numeric element type. The
    // array is only borrowed: adopted into a Variant and detached again, never cleared.
    VARIANT holder;
    ::VariantInit(&holder);
    holder.vt = static_cast<VARTYPE>(type & ~VT_BYREF);
    holder.parray = array;
    Variant borrowed = Variant::adopt(holder);
    bool numeric = true;
    try {
      for (LONG i = low; i <= high; ++i)
        numbers.push_back(borrowed.element(i));
    } catch (const HostError&) {
      numeric = false;
    }
    holder = borrowed.detach();
    if (!numeric)
      throw AutomationError(kTypeMismatch, L"an array of numbers was expected", false);
    return numbers;
  }
  throw AutomationError(kTypeMismatch, L"an argument of an unsupported type", false);
}

VARIANT variantOf(Session& session, const Value& value) {
  return std::visit(
      [&](const auto& v) -> VARIANT {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>) {
          return Variant::boolean(v).detach();
        } else if constexpr (std::is_same_v<T, std::int32_t> || std::is_same_v<T, double>) {
          return Variant(v).detach();
        } else if constexpr (std::is_same_v<T, std::wstring>) {
          return Variant(std::wstring_view(v)).detach();
        } else if constexpr (std::is_same_v<T, std::vector<double>>) {
          return Variant::doubles(v).detach();
        } else if constexpr (std::is_same_v<T, ObjectRef>) {
          if (!v)
            return Variant().detach();
          ComRef<IDispatch> object = wrapObject(session, v);
          VARIANT out;
          ::VariantInit(&out);
          out.vt = VT_DISPATCH;
          out.pdispVal = object.detach();
          return out;
        } else if constexpr (std::is_same_v<T, Missing>) {
          return Variant::missing().detach();
        } else {
          return Variant().detach();
        }
      },
      value);
}

// COM objects die through Release, never through a base pointer's destructor.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class DispatchObject final : public IDispatch {
 public:
  DispatchObject(Session& session, ObjectRef object)
      : session_(session), object_(std::move(object)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch);
    for (const Guid& g : object_->interfaces())
      known = known || IsEqualIID(iid, toGuid(g));
    if (!known)
      return E_NOINTERFACE;
    AddRef();
    *out = static_cast<IDispatch*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0)
      delete this;  // drops the portable object, which logs its release
    return left;
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
    const int id = object_->memberId(names[0] != nullptr ? names[0] : L"");
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
      const VARIANT& raw = parameters->rgvarg[i - 1];
      Argument argument;
      try {
        argument.value = valueOf(raw);
      } catch (const AutomationError& e) {
        if (badArgument != nullptr)
          *badArgument = i - 1;
        return e.status();
      }
      argument.isOut = raw.vt == (VT_BYREF | VT_VARIANT);
      arguments.push_back(std::move(argument));
    }
    const int portableFlags = (flags & DISPATCH_METHOD ? kMethod : 0) |
                              (flags & DISPATCH_PROPERTYGET ? kGet : 0) | (put ? kPut : 0);
    Value value;
    try {
      value = session_.call(*object_, member, portableFlags, arguments);
    } catch (const AutomationError& e) {
      if (!e.exception())
        return e.status();
      if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = e.status();
        exception->bstrSource = Bstr(L"nanoCAD").detach();
        exception->bstrDescription = Bstr(e.description()).detach();
      }
      return DISP_E_EXCEPTION;
    }
    // Out parameters, in the caller's order.
    std::size_t index = 0;
    for (UINT i = parameters->cArgs; i > 0; --i, ++index) {
      VARIANT& raw = parameters->rgvarg[i - 1];
      if (raw.vt == (VT_BYREF | VT_VARIANT) && raw.pvarVal != nullptr && arguments[index].output) {
        ::VariantClear(raw.pvarVal);
        *raw.pvarVal = variantOf(session_, *arguments[index].output);
      }
    }
    if (result != nullptr && !put) {
      ::VariantInit(result);
      *result = variantOf(session_, value);
    }
    return S_OK;
  }

  ~DispatchObject() = default;

  Session& session_;
  ObjectRef object_;
  std::atomic<ULONG> references_ = 1;
};

}  // namespace

ComRef<IDispatch> wrapObject(Session& session, ObjectRef object) {
  return ComRef<IDispatch>::adopt(new DispatchObject(session, std::move(object)));
}

}  // namespace orbelle::sim::win32
