// An owned COM interface reference, the host's own: released when the owner goes.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include <utility>

namespace orbelle::sim::win32 {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller owns.
  static ComPtr adopt(T* pointer) {
    ComPtr owner;
    owner.pointer_ = pointer;
    return owner;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~ComPtr() { reset(); }

  void reset() {
    if (T* old = std::exchange(pointer_, nullptr))
      old->Release();
  }
  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  T** put() {
    reset();
    return &pointer_;
  }
  // Hands the reference to a caller that takes ownership.
  T* detach() { return std::exchange(pointer_, nullptr); }

 private:
  T* pointer_ = nullptr;
};

}  // namespace orbelle::sim::win32
