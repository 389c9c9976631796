#include "sim/win32/TypedObject.h"

#include <oleauto.h>

#include <new>
#include <string>

#include "sim/Encoding.h"
#include "sim/win32/Bstr.h"
#include "sim/win32/VariantCodec.h"

namespace orbelle::sim::win32 {

namespace {

int portableFlags(WORD flags) {
  return (flags & DISPATCH_METHOD ? kMethod : 0) | (flags & DISPATCH_PROPERTYGET ? kGet : 0) |
         (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF) ? kPut : 0);
}

std::wstring memberName(ITypeInfo* info, DISPID id) {
  Bstr name;
  UINT count = 0;
  if (SUCCEEDED(info->GetNames(id, name.put(), 1, &count)) && count == 1)
    return name.str();
  return L"#" + std::to_wstring(id);
}

// The answer in the type it must have; the encoding gives no other.
const WireValue& expect(const WireValue& answer, std::uint16_t type, const char* declared) {
  if (answer.type != type)
    throw Error(std::string("a member declared ") + declared + " was answered " + describe(answer));
  return answer;
}

// Error information while the owner lives.
class ErrorInfo {
 public:
  ErrorInfo() {
    if (FAILED(::CreateErrorInfo(&creator_)))
      creator_ = nullptr;
  }
  ~ErrorInfo() {
    if (creator_ != nullptr)
      creator_->Release();
  }
  ErrorInfo(const ErrorInfo&) = delete;
  ErrorInfo& operator=(const ErrorInfo&) = delete;
  // Hands the description to the thread, for ITypeInfo::Invoke (or a vtable caller) to take.
  void post(const std::wstring& description) {
    if (creator_ == nullptr)
      return;
    std::wstring text = description, source = L"nanoCAD";
    creator_->SetDescription(text.data());
    creator_->SetSource(source.data());
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(creator_->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.put()))))
      ::SetErrorInfo(0, info.get());
  }

 private:
  ICreateErrorInfo* creator_ = nullptr;
};

}  // namespace

Argument argument(const VARIANT& value) {
  return argumentFrom(readVariant(value));
}

Argument argument(BSTR text) {
  WireValue wire;
  wire.type = vt::Bstr;
  if (text != nullptr)
    wire.text.assign(text, ::SysStringLen(text));
  return argumentFrom(wire);
}

Argument argument(double number) {
  return argumentFrom(WireValue::ofReal(vt::R8, number));
}

Argument argument(std::int32_t number) {
  return argumentFrom(WireValue::of(vt::I4, number));
}

Argument inOutArgument(VARIANT* target) {
  VARIANT reference;
  reference.vt = VT_BYREF | VT_VARIANT;
  reference.pvarVal = target;
  return argumentFrom(readVariant(reference));
}

LONG_PTR handleOf(const WireValue& answer) {
  return static_cast<LONG_PTR>(expect(answer, vt::I8, "LONG_PTR").integer);
}

VARIANT_BOOL flagOf(const WireValue& answer) {
  return expect(answer, vt::Bool, "VARIANT_BOOL").integer != 0 ? VARIANT_TRUE : VARIANT_FALSE;
}

LONG integerOf(const WireValue& answer) {
  return static_cast<LONG>(expect(answer, vt::I4, "long").integer);
}

double realOf(const WireValue& answer) {
  return expect(answer, vt::R8, "double").real;
}

BSTR textOf(const WireValue& answer) {
  const std::wstring& text = expect(answer, vt::Bstr, "BSTR").text;
  const BSTR out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (out == nullptr)
    throw std::bad_alloc();
  return out;
}

VARIANT variantOf(Session& session, const WireValue& answer) {
  return makeVariant(session, answer);
}

void giveBack(Session& session, const Argument& argument, VARIANT& target) {
  if (!argument.reply)
    return;
  VARIANT value = makeVariant(session, *argument.reply);
  ::VariantClear(&target);
  target = value;
}

HRESULT reportFailure(const AutomationError& error) {
  ErrorInfo().post(error.description());
  return error.status();
}

HRESULT unexpectedFailure() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT typedLookup(Session& session, const AutomationObject& object, ITypeInfo* info, REFIID iid,
                    LPOLESTR* names, UINT count, DISPID* ids) noexcept {
  if (!IsEqualIID(iid, IID_NULL))
    return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr || count == 0)
    return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i)
    ids[i] = DISPID_UNKNOWN;
  const HRESULT status = info->GetIDsOfNames(names, count, ids);
  try {
    session.lookedUp(object, names[0] != nullptr ? names[0] : L"",
                     SUCCEEDED(status) ? static_cast<int>(ids[0]) : kUnknownDispid);
  } catch (...) {
    // The answer stands without its log line.
  }
  return status;
}

HRESULT typedInvoke(Session& session, AutomationObject& object, ITypeInfo* info, void* instance,
                    int& pending, DISPID id, REFIID iid, WORD flags, DISPPARAMS* parameters,
                    VARIANT* result, EXCEPINFO* exception, UINT* badArgument) noexcept {
  if (!IsEqualIID(iid, IID_NULL))
    return DISP_E_UNKNOWNINTERFACE;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  // The flags wait for the method; a nested call on this object (during a pick) has its own.
  const int outer = std::exchange(pending, portableFlags(flags) | kPendingFlags);
  ::SetErrorInfo(0, nullptr);  // what a method posts is all ITypeInfo::Invoke may report
  const HRESULT status = info->Invoke(instance, id, flags, parameters ? parameters : &none, result,
                                      exception, badArgument);
  const bool ran = pending == 0;
  pending = outer;
  if (FAILED(status) && !ran) {
    try {
      session.refused(object, memberName(info, id), status);
    } catch (...) {
      // The answer stands without its log line.
    }
  }
  return status;
}

}  // namespace orbelle::sim::win32
