// An owned BSTR.
#pragma once

// windows.h first: oleauto.h needs its types.
#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace orbelle::win32 {

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::wstring_view text)
      : text_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    std::swap(text_, other.text_);
    return *this;
  }
  ~Bstr() { ::SysFreeString(text_); }

  BSTR get() const { return text_; }
  BSTR* put() {
    ::SysFreeString(std::exchange(text_, nullptr));
    return &text_;
  }
  BSTR detach() { return std::exchange(text_, nullptr); }
  std::wstring str() const { return text_ == nullptr ? std::wstring() : toWstring(text_); }

  static std::wstring toWstring(BSTR text) {
    return text == nullptr ? std::wstring() : std::wstring(text, ::SysStringLen(text));
  }

 private:
  BSTR text_ = nullptr;
};

}  // namespace orbelle::win32
