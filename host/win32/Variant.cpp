#include "host/win32/Variant.h"

#include <cstring>
#include <utility>

#include "host/win32/ComStatus.h"
#include "host/win32/VariantReading.h"

namespace orbelle::win32 {

namespace {

// SAFEARRAY access that unlocks on every path.
class ArrayLock {
 public:
  explicit ArrayLock(SAFEARRAY* array) : array_(array) {
    throwIfFailed(::SafeArrayLock(array_), L"SafeArrayLock");
  }
  ~ArrayLock() { ::SafeArrayUnlock(array_); }
  ArrayLock(const ArrayLock&) = delete;
  ArrayLock& operator=(const ArrayLock&) = delete;

 private:
  SAFEARRAY* array_;
};

}  // namespace

Variant::Variant(std::wstring_view text) : Variant() {
  value_.vt = VT_BSTR;
  value_.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (value_.bstrVal == nullptr) {
    value_.vt = VT_EMPTY;
    throwStatus(E_OUTOFMEMORY, L"SysAllocStringLen");
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
    throwStatus(E_OUTOFMEMORY, L"SafeArrayCreateVector");
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

Variant Variant::dereferenced(const VARIANT& source) {
  Variant result;
  throwIfFailed(::VariantCopyInd(result.put(), const_cast<VARIANT*>(&source)), L"VariantCopyInd");
  return result;
}

Variant Variant::received(Variant answer) {
  const VARTYPE type = answer.type();
  if ((type & VT_BYREF) == 0 || answer.get().byref == nullptr)
    return answer;  // a broken reference stays as it came, for the reading to refuse
  VARIANT raw = answer.detach();
  Variant value;
  const HRESULT copied = ::VariantCopyInd(value.put(), &raw);
  void* target = raw.byref;
  if ((type & VT_ARRAY) != 0) {
    ::SafeArrayDestroy(*raw.pparray);
  } else if (type == (VT_BYREF | VT_BSTR)) {
    ::SysFreeString(*raw.pbstrVal);
  } else if (type == (VT_BYREF | VT_DISPATCH) || type == (VT_BYREF | VT_UNKNOWN)) {
    if (*raw.ppunkVal != nullptr)
      (*raw.ppunkVal)->Release();
  } else if (type == (VT_BYREF | VT_VARIANT)) {
    received(adopt(*raw.pvarVal));  // the VARIANT referred to, and what it refers to in turn
  }
  ::CoTaskMemFree(target);
  throwIfFailed(copied, L"VariantCopyInd");
  return value;
}

Variant::Variant(const Variant& other) : Variant() {
  throwIfFailed(::VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)), L"VariantCopy");
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

double Variant::element(long index) const {
  return readCoordinate(answerOf(value_), static_cast<int>(index), L"point");
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
