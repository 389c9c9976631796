// An owned COM interface reference: released when the owner goes, on every path.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include <string_view>
#include <utility>

#include "host/win32/ComStatus.h"

namespace orbelle::win32 {

template <class T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(std::nullptr_t) {}
  // Takes over a reference the caller already owns (one AddRef'd for us).
  static ComRef adopt(T* pointer) {
    ComRef ref;
    ref.pointer_ = pointer;
    return ref;
  }
  // Shares a reference: adds one of our own.
  static ComRef share(T* pointer) {
    if (pointer != nullptr)
      pointer->AddRef();
    return adopt(pointer);
  }

  ComRef(const ComRef& other) : pointer_(other.pointer_) {
    if (pointer_ != nullptr)
      pointer_->AddRef();
  }
  ComRef(ComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComRef& operator=(ComRef other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~ComRef() { reset(); }

  void reset() {
    if (T* old = std::exchange(pointer_, nullptr))
      old->Release();
  }
  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For out parameters: drops what is held, then lends the slot.
  T** put() {
    reset();
    return &pointer_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  // Hands the reference to a caller that takes ownership (a COM out parameter).
  T* detach() { return std::exchange(pointer_, nullptr); }

  // QueryInterface for `iid`; an empty reference when the object lacks it.
  template <class U>
  ComRef<U> query(const IID& iid, HRESULT* status = nullptr) const {
    ComRef<U> result;
    HRESULT hr = pointer_ == nullptr ? E_POINTER : pointer_->QueryInterface(iid, result.putVoid());
    // A success without an object is no object either.
    if (SUCCEEDED(hr) && !result)
      hr = E_NOINTERFACE;
    if (status != nullptr)
      *status = hr;
    // A failed query must leave no object; whatever a faulty one left there is not ours.
    if (FAILED(hr))
      static_cast<void>(result.detach());
    return result;
  }

  // QueryInterface for `iid`; throws HostError naming `what` ("QueryInterface(IAcadText)")
  // when the object lacks it.
  template <class U>
  ComRef<U> require(const IID& iid, std::wstring_view what) const {
    HRESULT status = S_OK;
    ComRef<U> result = query<U>(iid, &status);
    throwIfFailed(status, what);
    return result;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace orbelle::win32
