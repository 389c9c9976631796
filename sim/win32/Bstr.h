// An owned BSTR, the host's own: freed when the owner goes.
#pragma once

#include <oleauto.h>
#include <windows.h>

#include <string>
#include <utility>

namespace orbelle::sim::win32 {

class Bstr {
 public:
  Bstr() = default;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { ::SysFreeString(text_); }

  // Where a call writes a BSTR that becomes this owner's.
  BSTR* put() {
    ::SysFreeString(std::exchange(text_, nullptr));
    return &text_;
  }
  std::wstring str() const { return text_ ? std::wstring(text_, ::SysStringLen(text_)) : L""; }

 private:
  BSTR text_ = nullptr;
};

}  // namespace orbelle::sim::win32
