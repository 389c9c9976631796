#include "host/win32/Variant.h"

#include <cstring>
#include <utility>

#include "host/win32/ComStatus.h"

namespace orbelle::win32 {

namespace {

// SAFEARRAY access that unlocks on every path.
class ArrayLock {
 public:
  explicit ArrayLock(SAFEARRAY* array) : array_(array) {
    throwIfFailed(::SafeArrayLock(array_), "SafeArrayLock");
  }
  ~ArrayLock() { ::SafeArrayUnlock(array_); }
  ArrayLock(const ArrayLock&) = delete;
  ArrayLock& operator=(const ArrayLock&) = delete;

 private:
  SAFEARRAY* array_;
};

Variant coerced(const VARIANT& source, VARTYPE type, const char* what) {
  Variant result;
  throwIfFailed(::VariantChangeType(result.put(), const_cast<VARIANT*>(&source), 0, type), what);
  return result;
}

}  // namespace

Variant::Variant(std::wstring_view text) : Variant() {
  value_.vt = VT_BSTR;
  value_.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (value_.bstrVal == nullptr) {
    value_.vt = VT_EMPTY;
    throwStatus(E_OUTOFMEMORY, "SysAllocStringLen");
  }
}

Variant::Variant(double number) : Variant() {
  value_.vt = VT_R8;
  value_.dblVal = number;
}

Variant::Variant(std::int32_t number) : Variant() {
  value_.vt = VT_I4;
  value_.lVal = number;
}

Variant Variant::boolean(bool flag) {
  Variant result;
  result.value_.vt = VT_BOOL;
  result.value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
  return result;
}

Variant Variant::dispatch(IDispatch* object) {
  Variant result;
  result.value_.vt = VT_DISPATCH;
  result.value_.pdispVal = object;
  if (object != nullptr)
    object->AddRef();
  return result;
}

Variant Variant::doubles(std::span<const double> numbers) {
  SAFEARRAY* array = ::SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(numbers.size()));
  if (array == nullptr)
    throwStatus(E_OUTOFMEMORY, "SafeArrayCreateVector");
  Variant result;
  result.value_.vt = VT_ARRAY | VT_R8;
  result.value_.parray = array;
  {
    ArrayLock lock(array);
    if (!numbers.empty())
      std::memcpy(array->pvData, numbers.data(), numbers.size_bytes());
  }
  return result;
}

Variant Variant::missing() {
  Variant result;
  result.value_.vt = VT_ERROR;
  result.value_.scode = DISP_E_PARAMNOTFOUND;
  return result;
}

Variant Variant::adopt(VARIANT& source) {
  Variant result;
  result.value_ = source;
  ::VariantInit(&source);
  return result;
}

Variant::Variant(const Variant& other) : Variant() {
  throwIfFailed(::VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)), "VariantCopy");
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    std::swap(value_, copy.value_);
  }
  return *this;
}

Variant::Variant(Variant&& other) noexcept : value_(other.value_) {
  ::VariantInit(&other.value_);
}

Variant& Variant::operator=(Variant&& other) noexcept {
  std::swap(value_, other.value_);
  return *this;
}

VARIANT* Variant::put() {
  ::VariantClear(&value_);
  return &value_;
}

std::wstring Variant::toString() const {
  const Variant text = coerced(value_, VT_BSTR, "VariantChangeType(VT_BSTR)");
  const BSTR bstr = text.get().bstrVal;
  return bstr == nullptr ? std::wstring() : std::wstring(bstr, ::SysStringLen(bstr));
}

double Variant::toDouble() const {
  if (value_.vt == VT_R8)
    return value_.dblVal;
  return coerced(value_, VT_R8, "VariantChangeType(VT_R8)").get().dblVal;
}

std::int32_t Variant::toInt32() const {
  if (value_.vt == VT_I4)
    return value_.lVal;
  return coerced(value_, VT_I4, "VariantChangeType(VT_I4)").get().lVal;
}

bool Variant::toBool() const {
  if (value_.vt == VT_BOOL)
    return value_.boolVal != VARIANT_FALSE;
  return coerced(value_, VT_BOOL, "VariantChangeType(VT_BOOL)").get().boolVal != VARIANT_FALSE;
}

ComRef<IDispatch> Variant::toDispatch() const {
  const VARIANT* value = &value_;
  if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal != nullptr)
    value = value->pvarVal;
  if (value->vt == VT_DISPATCH && value->pdispVal != nullptr) {
    return ComRef<IDispatch>::share(value->pdispVal);
  }
  if (value->vt == VT_UNKNOWN && value->punkVal != nullptr) {
    HRESULT status = S_OK;
    auto object = ComRef<IUnknown>::share(value->punkVal).query<IDispatch>(IID_IDispatch, &status);
    throwIfFailed(status, "QueryInterface(IDispatch)");
    return object;
  }
  throwStatus(DISP_E_TYPEMISMATCH, "a dispatch object was expected");
}

double Variant::element(long index) const {
  const VARIANT* value = &value_;
  if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal != nullptr)
    value = value->pvarVal;
  if ((value->vt & VT_ARRAY) == 0)
    throwStatus(DISP_E_TYPEMISMATCH, "an array was expected");
  SAFEARRAY* array = (value->vt & VT_BYREF) != 0 ? *value->pparray : value->parray;
  if (array == nullptr || ::SafeArrayGetDim(array) != 1) {
    throwStatus(DISP_E_TYPEMISMATCH, "a one-dimensional array was expected");
  }
  const VARTYPE elementType = value->vt & VT_TYPEMASK;
  if (elementType == VT_R8) {
    double number = 0;
    throwIfFailed(::SafeArrayGetElement(array, &index, &number), "SafeArrayGetElement");
    return number;
  }
  if (elementType == VT_VARIANT) {
    Variant item;
    throwIfFailed(::SafeArrayGetElement(array, &index, item.put()), "SafeArrayGetElement");
    return item.toDouble();
  }
  // Any other element type: read it raw into a variant of that type, then convert.
  Variant item;
  VARIANT* raw = item.put();
  if (::SafeArrayGetElemsize(array) > sizeof raw->llVal || elementType == VT_BSTR ||
      elementType == VT_DISPATCH || elementType == VT_UNKNOWN || elementType == VT_RECORD) {
    throwStatus(DISP_E_TYPEMISMATCH, "an array of numbers was expected");
  }
  throwIfFailed(::SafeArrayGetElement(array, &index, &raw->llVal), "SafeArrayGetElement");
  raw->vt = elementType;
  return item.toDouble();
}

VARIANT inArgument(const Variant& value) {
  return value.get();
}

VARIANT outArgument(Variant& target) {
  VARIANT reference;
  ::VariantInit(&reference);
  reference.vt = VT_BYREF | VT_VARIANT;
  reference.pvarVal = target.put();
  return reference;
}

}  // namespace orbelle::win32
