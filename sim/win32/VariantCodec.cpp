#include "sim/win32/VariantCodec.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "sim/Automation.h"
#include "sim/win32/DispatchObject.h"

namespace orbelle::sim::win32 {

namespace {

[[noreturn]] void mismatch(const wchar_t* what) {
  throw AutomationError(kTypeMismatch, what, false);
}

template <class T>
T load(const void* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

template <class T>
void store(void* data, T value) {
  std::memcpy(data, &value, sizeof value);
}

// Calls `f` with a null pointer of the C type that holds a number of this VARTYPE (VT_BOOL and
// VT_ERROR included); false when the type holds no number.
template <class F>
bool withNumberType(VARTYPE type, F&& f) {
  switch (type) {
    case VT_I1:
      f(static_cast<signed char*>(nullptr));
      return true;
    case VT_UI1:
      f(static_cast<BYTE*>(nullptr));
      return true;
    case VT_I2:
    case VT_BOOL:  // VARIANT_BOOL
      f(static_cast<SHORT*>(nullptr));
      return true;
    case VT_UI2:
      f(static_cast<USHORT*>(nullptr));
      return true;
    case VT_I4:
    case VT_INT:
    case VT_ERROR:  // SCODE
      f(static_cast<INT*>(nullptr));
      return true;
    case VT_UI4:
    case VT_UINT:
      f(static_cast<UINT*>(nullptr));
      return true;
    case VT_I8:
      f(static_cast<LONGLONG*>(nullptr));
      return true;
    case VT_UI8:
      f(static_cast<ULONGLONG*>(nullptr));
      return true;
    case VT_R4:
      f(static_cast<float*>(nullptr));
      return true;
    case VT_R8:
      f(static_cast<double*>(nullptr));
      return true;
    default:
      return false;
  }
}

// The bytes a value of a base type takes in an array or behind a reference; 0 when it is not
// one this host reads or writes.
std::size_t sizeOf(VARTYPE type) {
  std::size_t size = 0;
  if (withNumberType(type, [&](auto* number) { size = sizeof *number; }))
    return size;
  if (type == VT_BSTR || type == VT_DISPATCH || type == VT_UNKNOWN)
    return sizeof(void*);
  return type == VT_VARIANT ? sizeof(VARIANT) : 0;
}

// A value of a base type from where it lies: a VARIANT's value, a reference's target, or an
// array element.
WireValue readScalar(VARTYPE type, const void* data) {
  WireValue out;
  out.type = type;
  const bool number = withNumberType(type, [&](auto* kind) {
    using T = std::remove_pointer_t<decltype(kind)>;
    const T value = load<T>(data);
    if constexpr (std::is_floating_point_v<T>)
      out.real = value;
    else
      out.integer = static_cast<std::int64_t>(value);  // VT_UI8 keeps its bits
  });
  if (number || type == VT_EMPTY || type == VT_NULL)
    return out;
  if (type == VT_BSTR) {
    if (const BSTR text = load<BSTR>(data))
      out.text.assign(text, ::SysStringLen(text));
  } else if (type == VT_DISPATCH || type == VT_UNKNOWN) {
    out.foreign = load<IUnknown*>(data) != nullptr;
  } else {
    mismatch(L"an argument of an unsupported type");
  }
  return out;
}

// SafeArrayAccessData for as long as the owner lives.
class ArrayData {
 public:
  explicit ArrayData(SAFEARRAY* array) : array_(array) {
    if (FAILED(::SafeArrayAccessData(array_, &data_)))
      mismatch(L"an array that cannot be read");
  }
  ~ArrayData() { ::SafeArrayUnaccessData(array_); }
  ArrayData(const ArrayData&) = delete;
  ArrayData& operator=(const ArrayData&) = delete;
  std::byte* at(std::size_t index, std::size_t size) const {
    return static_cast<std::byte*>(data_) + index * size;
  }

 private:
  SAFEARRAY* array_;
  void* data_ = nullptr;
};

WireValue readArray(const SAFEARRAY* constArray, VARTYPE element) {
  auto* array = const_cast<SAFEARRAY*>(constArray);
  if (array == nullptr)
    mismatch(L"a null array");
  if (::SafeArrayGetDim(array) != 1)
    mismatch(L"a one-dimensional array was expected");
  const std::size_t size = sizeOf(element);
  if (size == 0 || ::SafeArrayGetElemsize(array) != size)
    mismatch(L"an array whose elements do not match its type");
  LONG low = 0, high = -1;
  ::SafeArrayGetLBound(array, 1, &low);
  ::SafeArrayGetUBound(array, 1, &high);
  WireValue out;
  out.lowerBound = low;
  const ArrayData data(array);
  for (LONG i = 0; i <= high - low; ++i) {
    const std::byte* item = data.at(static_cast<std::size_t>(i), size);
    out.elements.push_back(element == VT_VARIANT
                               ? readVariant(*reinterpret_cast<const VARIANT*>(item))
                               : readScalar(element, item));
  }
  return out;
}

// Writes a value of a base type where it goes.
void writeScalar(Session& session, VARTYPE type, const WireValue& value, void* data) {
  const bool number = withNumberType(type, [&](auto* kind) {
    using T = std::remove_pointer_t<decltype(kind)>;
    if constexpr (std::is_floating_point_v<T>)
      store(data, static_cast<T>(value.real));
    else if (type == VT_BOOL)
      store(data, static_cast<VARIANT_BOOL>(value.integer != 0 ? VARIANT_TRUE : VARIANT_FALSE));
    else
      store(data, static_cast<T>(value.integer));
  });
  if (number || type == VT_EMPTY || type == VT_NULL)
    return;
  if (type == VT_BSTR) {
    const BSTR text = ::SysAllocStringLen(value.text.data(), static_cast<UINT>(value.text.size()));
    if (text == nullptr)
      throw std::bad_alloc();
    store(data, text);
  } else if (type == VT_DISPATCH || type == VT_UNKNOWN) {
    // One object serves both: its IUnknown is its IDispatch.
    IDispatch* object = value.object ? wrapObject(session, value.object).detach() : nullptr;
    store(data, object);
  } else {
    throw Error("cannot answer in " + typeName(type));
  }
}

// Destroys the array unless released.
class ArrayOwner {
 public:
  explicit ArrayOwner(SAFEARRAY* array) : array_(array) {}
  ~ArrayOwner() {
    if (array_ != nullptr)
      ::SafeArrayDestroy(array_);
  }
  ArrayOwner(const ArrayOwner&) = delete;
  ArrayOwner& operator=(const ArrayOwner&) = delete;
  SAFEARRAY* get() const { return array_; }
  SAFEARRAY* release() { return std::exchange(array_, nullptr); }

 private:
  SAFEARRAY* array_;
};

SAFEARRAY* makeArray(Session& session, const WireValue& value) {
  const VARTYPE element = vt::base(value.type);
  SAFEARRAYBOUND bound{static_cast<ULONG>(value.elements.size()), value.lowerBound};
  ArrayOwner array(::SafeArrayCreate(element, 1, &bound));
  if (array.get() == nullptr)
    throw std::bad_alloc();
  const std::size_t size = sizeOf(element);
  {
    const ArrayData data(array.get());
    for (std::size_t i = 0; i < value.elements.size(); ++i) {
      // The array's own destruction frees its elements: VARIANT elements are never by
      // reference.
      if (element == VT_VARIANT)
        *reinterpret_cast<VARIANT*>(data.at(i, size)) = makeVariant(session, value.elements[i]);
      else
        writeScalar(session, element, value.elements[i], data.at(i, size));
    }
  }
  return array.release();
}

// Frees what the VARIANT holds unless released.
class VariantOwner {
 public:
  // All zero: VT_EMPTY, and null in every pointer it may come to hold.
  VariantOwner() { std::memset(&variant_, 0, sizeof variant_); }
  ~VariantOwner() { destroyVariant(variant_); }
  VariantOwner(const VariantOwner&) = delete;
  VariantOwner& operator=(const VariantOwner&) = delete;
  VARIANT& get() { return variant_; }
  VARIANT release() {
    const VARIANT out = variant_;
    ::VariantInit(&variant_);
    return out;
  }

 private:
  VARIANT variant_;
};

}  // namespace

WireValue readVariant(const VARIANT& variant) {
  const VARTYPE type = variant.vt;
  const bool byRef = (type & VT_BYREF) != 0;
  if ((type & ~(VT_BYREF | VT_ARRAY | VT_TYPEMASK)) != 0)
    mismatch(L"an argument of an unsupported type");
  if (byRef && variant.byref == nullptr)
    mismatch(L"a null reference");
  WireValue out;
  if (type == (VT_BYREF | VT_VARIANT)) {
    out.elements.push_back(readVariant(*variant.pvarVal));
  } else if ((type & VT_ARRAY) != 0) {
    out = readArray(byRef ? *variant.pparray : variant.parray, type & VT_TYPEMASK);
  } else {
    // The value's union starts at llVal, whichever member the type names.
    out = readScalar(type & VT_TYPEMASK, byRef ? variant.byref : &variant.llVal);
  }
  out.type = type;
  return out;
}

VARIANT makeVariant(Session& session, const WireValue& value) {
  VariantOwner out;
  VARIANT& variant = out.get();
  const VARTYPE type = value.type;
  void* target = &variant.llVal;
  if ((type & VT_BYREF) != 0) {
    const std::size_t size = (type & VT_ARRAY) != 0 ? sizeof(SAFEARRAY*) : sizeOf(vt::base(type));
    if (size == 0 || vt::base(type) == VT_EMPTY)
      throw Error("cannot answer in " + typeName(type));
    target = ::CoTaskMemAlloc(size);
    if (target == nullptr)
      throw std::bad_alloc();
    std::memset(target, 0, size);  // a VARIANT all zero is VT_EMPTY
    variant.byref = target;
  }
  // The type goes in first: from here on the owner frees whatever the target holds.
  variant.vt = type;
  if (type == (VT_BYREF | VT_VARIANT))
    *variant.pvarVal = makeVariant(session, value.elements.at(0));
  else if ((type & VT_ARRAY) != 0)
    store(target, makeArray(session, value));
  else
    writeScalar(session, vt::base(type), value, target);
  return out.release();
}

void destroyVariant(VARIANT& variant) {
  if ((variant.vt & VT_BYREF) == 0) {
    ::VariantClear(&variant);
    return;
  }
  if (void* target = variant.byref) {
    const VARTYPE type = variant.vt & ~VT_BYREF;
    if ((type & VT_ARRAY) != 0) {
      ::SafeArrayDestroy(load<SAFEARRAY*>(target));
    } else if (type == VT_BSTR) {
      ::SysFreeString(load<BSTR>(target));
    } else if (type == VT_DISPATCH || type == VT_UNKNOWN) {
      if (IUnknown* object = load<IUnknown*>(target))
        object->Release();
    } else if (type == VT_VARIANT) {
      destroyVariant(*static_cast<VARIANT*>(target));
    }
    ::CoTaskMemFree(target);
  }
  ::VariantInit(&variant);
}

}  // namespace orbelle::sim::win32
