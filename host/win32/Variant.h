// An owned VARIANT. What a host's answer means is read through host/win32/VariantReading.h.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "host/win32/ComRef.h"

namespace orbelle::win32 {

class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  explicit Variant(std::wstring_view text);
  explicit Variant(double number);
  explicit Variant(std::int32_t number);
  static Variant boolean(bool flag);
  static Variant dispatch(IDispatch* object);               // shares the reference
  static Variant doubles(std::span<const double> numbers);  // VT_ARRAY | VT_R8
  // A left-out optional argument: VT_ERROR holding DISP_E_PARAMNOTFOUND.
  static Variant missing();
  // Takes over a VARIANT the caller owns; `source` is left empty.
  static Variant adopt(VARIANT& source);
  // A copy of what `source` holds, looking through VT_BYREF: the referenced value belongs to
  // its sender and need not outlive the call that handed it over.
  static Variant dereferenced(const VARIANT& source);
  // An answer as Invoke handed it over (a result, or what an out parameter received). The
  // target of a VT_BYREF answer was allocated for the receiver: across processes COM's proxy
  // unmarshals it so, with an object reference, a BSTR or an array in it, and nothing else
  // frees it (VariantClear leaves a target alone). So its value is copied out and the target
  // freed as the marshaler frees one: what it holds, then itself with CoTaskMemFree.
  static Variant received(Variant answer);

  Variant(const Variant& other);
  Variant& operator=(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;
  ~Variant() { ::VariantClear(&value_); }

  const VARIANT& get() const { return value_; }
  // Hands the value to a caller that takes ownership (an out parameter, a call's result).
  VARIANT detach() {
    VARIANT out = value_;
    ::VariantInit(&value_);
    return out;
  }
  VARIANT* put();  // cleared first, for out parameters
  VARTYPE type() const { return value_.vt; }
  bool isEmpty() const { return value_.vt == VT_EMPTY; }

  // Element `index` of a point, counted from the array's lower bound; throws HostError.
  double element(long index) const;

 private:
  VARIANT value_;
};

// Argument views for IDispatch::Invoke: shallow VARIANTs that the caller's Variants own.
VARIANT inArgument(const Variant& value);
VARIANT outArgument(Variant& target);  // VT_BYREF | VT_VARIANT

}  // namespace orbelle::win32
