#include "tests/win32/FakeDispatch.h"

#include <cstdio>
#include <cstring>
#include <cwctype>
#include <new>
#include <stdexcept>
#include <utility>

#include "host/win32/Bstr.h"
#include "tests/support/CallLog.h"

namespace orbelle::win32::fake {

namespace {

// What a deferred fill-in writes: the planned failure of the call that asked for it. Tests run
// on one thread, and one call at a time.
const PlannedFailure* pendingFillIn = nullptr;

void fillIn(EXCEPINFO& exception, const PlannedFailure& failure) {
  exception.scode = failure.scode;
  exception.bstrSource = ::SysAllocString(L"fake host");
  exception.bstrDescription = ::SysAllocStringLen(failure.description.data(),
                                                  static_cast<UINT>(failure.description.size()));
}

HRESULT STDAPICALLTYPE deferredFillIn(EXCEPINFO* exception) {
  if (exception == nullptr || pendingFillIn == nullptr)
    return E_UNEXPECTED;
  fillIn(*exception, *pendingFillIn);
  exception->pfnDeferredFillIn = nullptr;
  pendingFillIn = nullptr;
  return S_OK;
}

bool sameName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i]))
      return false;
  }
  return true;
}

std::wstring hex(unsigned long long value, int digits) {
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"0x%0*llX", digits, value);
  return text;
}

const wchar_t* baseName(VARTYPE type) {
  switch (type) {
    case VT_EMPTY:
      return L"EMPTY";
    case VT_NULL:
      return L"NULL";
    case VT_I2:
      return L"I2";
    case VT_I4:
      return L"I4";
    case VT_R4:
      return L"R4";
    case VT_R8:
      return L"R8";
    case VT_CY:
      return L"CY";
    case VT_DATE:
      return L"DATE";
    case VT_BSTR:
      return L"BSTR";
    case VT_DISPATCH:
      return L"DISPATCH";
    case VT_ERROR:
      return L"ERROR";
    case VT_BOOL:
      return L"BOOL";
    case VT_VARIANT:
      return L"VARIANT";
    case VT_UNKNOWN:
      return L"UNKNOWN";
    case VT_DECIMAL:
      return L"DECIMAL";
    case VT_I1:
      return L"I1";
    case VT_UI1:
      return L"UI1";
    case VT_UI2:
      return L"UI2";
    case VT_UI4:
      return L"UI4";
    case VT_I8:
      return L"I8";
    case VT_UI8:
      return L"UI8";
    case VT_INT:
      return L"INT";
    case VT_UINT:
      return L"UINT";
    default:
      return L"?";
  }
}

}  // namespace

void PrintTo(const RecordedCall& call, std::ostream* out) {
  *out << orbelle::fake::printable(call.object) << '.' << orbelle::fake::printable(call.member)
       << " [" << orbelle::fake::printable(call.flags) << "](";
  for (std::size_t i = 0; i < call.args.size(); ++i)
    *out << (i == 0 ? "" : ", ") << orbelle::fake::printable(call.args[i]);
  *out << ')';
}

Variant referenceTo(Variant value) {
  auto* target = static_cast<VARIANT*>(::CoTaskMemAlloc(sizeof(VARIANT)));
  if (target == nullptr)
    throw std::bad_alloc();
  *target = value.detach();
  Variant reference;
  VARIANT* slot = reference.put();
  slot->vt = VT_BYREF | VT_VARIANT;
  slot->pvarVal = target;
  return reference;
}

void Invocation::setOut(std::size_t index, Variant value) const {
  VARIANT* argument = arguments.at(index);
  if (argument->vt != (VT_BYREF | VT_VARIANT) || argument->pvarVal == nullptr)
    throw std::logic_error("not an out parameter");
  ::VariantClear(argument->pvarVal);
  *argument->pvarVal = value.detach();
}

FakeObject& FakeObject::offers(const GUID& iid) {
  interfaces_.push_back(iid);
  return *this;
}

FakeObject& FakeObject::stopsOffering(const GUID& iid) {
  std::erase_if(interfaces_, [&](const GUID& offered) { return IsEqualIID(offered, iid) != 0; });
  return *this;
}

FakeObject& FakeObject::on(std::wstring member, Handler handler) {
  members_.emplace_back(std::move(member), std::move(handler));
  return *this;
}

HRESULT FakeObject::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  bool known = IsEqualIID(iid, IID_IUnknown) || (IsEqualIID(iid, IID_IDispatch) && !dispatchless_);
  for (const GUID& offered : interfaces_)
    known = known || IsEqualIID(iid, offered);
  if (!known)
    return E_NOINTERFACE;
  AddRef();
  *out = static_cast<IDispatch*>(this);
  return S_OK;
}

ULONG FakeObject::AddRef() {
  server_.counted(true);
  return static_cast<ULONG>(++references_);
}

ULONG FakeObject::Release() {
  server_.counted(false);
  return static_cast<ULONG>(--references_);
}

HRESULT FakeObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr)
    return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT FakeObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr)
    *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT FakeObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count != 1)
    return E_INVALIDARG;
  const std::wstring name = names[0] != nullptr ? names[0] : L"";
  server_.lookups_.push_back(name_ + L"." + name);
  const auto failing = server_.lookupFailures_.find(name);
  if (failing != server_.lookupFailures_.end())
    return failing->second;
  for (std::size_t i = 0; i < members_.size(); ++i) {
    if (sameName(members_[i].first, name)) {
      ids[0] = static_cast<DISPID>(i + 1);
      return S_OK;
    }
  }
  ids[0] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT FakeObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                           VARIANT* result, EXCEPINFO* exception, UINT*) {
  if (id < 1 || static_cast<std::size_t>(id) > members_.size())
    return DISP_E_MEMBERNOTFOUND;
  const auto& [member, handler] = members_[static_cast<std::size_t>(id) - 1];
  Invocation call;
  call.flags = flags;
  RecordedCall record{name_, member, {}, {}};
  if ((flags & DISPATCH_PROPERTYPUT) != 0) {
    // A put names its one argument DISPID_PROPERTYPUT; anything else is the caller's fault.
    if (parameters == nullptr || parameters->cNamedArgs != 1 ||
        parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
      return DISP_E_PARAMNOTOPTIONAL;
    record.flags = L"put";
  } else {
    if (parameters != nullptr && parameters->cNamedArgs != 0)
      return DISP_E_NONAMEDARGS;
    record.flags = flags == (DISPATCH_METHOD | DISPATCH_PROPERTYGET) ? L"method|get" : L"other";
  }
  if (parameters != nullptr) {
    // IDispatch hands the arguments over last to first.
    for (UINT i = parameters->cArgs; i > 0; --i) {
      VARIANT& argument = parameters->rgvarg[i - 1];
      call.arguments.push_back(&argument);
      record.args.push_back(server_.describeArgument(argument));
    }
  }
  server_.calls_.push_back(std::move(record));
  if (const PlannedFailure* failure = server_.plannedFailure(member)) {
    if (failure->status == DISP_E_EXCEPTION && exception != nullptr) {
      *exception = EXCEPINFO{};
      if (failure->deferred) {
        pendingFillIn = failure;
        exception->pfnDeferredFillIn = deferredFillIn;
      } else {
        fillIn(*exception, *failure);
      }
    }
    return failure->status;
  }
  Variant answer = handler(call);
  if (result != nullptr && !call.isPut()) {
    ::VariantClear(result);
    *result = answer.detach();
  }
  return S_OK;
}

FakeObject& FakeServer::object(const std::wstring& name) {
  const auto found = byName_.find(name);
  if (found != byName_.end())
    return *found->second;
  FakeObject& made = objects_.emplace_back(*this, name);
  byName_[name] = &made;
  return made;
}

void FakeServer::failCall(const std::wstring& member, int occurrence, PlannedFailure failure) {
  failures_[member][occurrence] = std::move(failure);
}

void FakeServer::failLookup(const std::wstring& member, HRESULT status) {
  lookupFailures_[member] = status;
}

void FakeServer::encode(const std::wstring& member, Encoding encoding) {
  encodings_[member] = std::move(encoding);
}

const PlannedFailure* FakeServer::plannedFailure(const std::wstring& member) {
  const int occurrence = ++seen_[member];
  const auto planned = failures_.find(member);
  if (planned == failures_.end())
    return nullptr;
  const auto failure = planned->second.find(occurrence);
  return failure == planned->second.end() ? nullptr : &failure->second;
}

Variant FakeServer::answer(const std::wstring& member, const Variant& canonical) {
  Variant sent = canonical;
  const auto encoding = encodings_.find(member);
  if (encoding != encodings_.end()) {
    std::optional<Variant> encoded = encoding->second(canonical, *this);
    if (!encoded)
      throw std::logic_error("this encoding cannot hold the test's answer to " +
                             orbelle::fake::printable(member));
    sent = std::move(*encoded);
  }
  // What comes back is what the receiver made of it: the value referred to, for a reference.
  Variant received = Variant::dereferenced(sent.get());
  if ((received.type() & VT_ARRAY) != 0)
    handedOut_.push_back(describe(received.get()));
  return sent;
}

VARIANT* FakeServer::keep(Variant value) {
  Variant& kept = kept_.emplace_back(std::move(value));
  return const_cast<VARIANT*>(&kept.get());
}

std::vector<std::wstring> FakeServer::unbalanced() const {
  std::vector<std::wstring> found;
  for (const FakeObject& object : objects_) {
    if (object.references() != 0)
      found.push_back(object.name() + L": " + std::to_wstring(object.references()));
  }
  return found;
}

std::wstring FakeServer::describeArgument(const VARIANT& value) const {
  if (value.vt == (VT_BYREF | VT_VARIANT))
    return L"<out>";
  const std::wstring text = describe(value);
  for (std::size_t i = 0; i < handedOut_.size(); ++i) {
    if (handedOut_[i] == text)
      return L"answer #" + std::to_wstring(i + 1);
  }
  return text;
}

std::wstring FakeServer::describe(const VARIANT& value) const {
  if ((value.vt & VT_BYREF) != 0) {
    Variant referred;
    if (value.byref == nullptr ||
        FAILED(::VariantCopyInd(referred.put(), const_cast<VARIANT*>(&value))))
      return L"BYREF <broken>";
    return L"BYREF " + describe(referred.get());
  }
  if ((value.vt & VT_ARRAY) != 0) {
    const VARTYPE element = value.vt & VT_TYPEMASK;
    SAFEARRAY* array = value.parray;
    std::wstring text = L"ARRAY|" + std::wstring(baseName(element));
    if (array == nullptr)
      return text + L" <null>";
    const UINT dimensions = ::SafeArrayGetDim(array);
    LONG low = 0, high = -1;
    ::SafeArrayGetLBound(array, 1, &low);
    ::SafeArrayGetUBound(array, 1, &high);
    text += L" dims" + std::to_wstring(dimensions) + L" lb" + std::to_wstring(low) + L" [";
    if (dimensions == 1 && (element == VT_R8 || element == VT_VARIANT)) {
      for (LONG i = low; i <= high; ++i) {
        Variant item;
        VARIANT* slot = item.put();
        if (element == VT_R8) {
          slot->vt = VT_R8;
          ::SafeArrayGetElement(array, &i, &slot->dblVal);
        } else {
          ::SafeArrayGetElement(array, &i, slot);
        }
        text += (i == low ? L"" : L", ") + describe(item.get());
      }
    }
    return text + L"]";
  }
  const std::wstring name = baseName(value.vt);
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return name;
    case VT_ERROR:
      return name + L" " + hex(static_cast<unsigned long>(value.scode), 8);
    case VT_BOOL:
      return name + L" " + std::to_wstring(value.boolVal);
    case VT_I1:
      return name + L" " + std::to_wstring(value.cVal);
    case VT_I2:
      return name + L" " + std::to_wstring(value.iVal);
    case VT_I4:
      return name + L" " + std::to_wstring(value.lVal);
    case VT_INT:
      return name + L" " + std::to_wstring(value.intVal);
    case VT_I8:
      return name + L" " + std::to_wstring(value.llVal);
    case VT_UI1:
      return name + L" " + std::to_wstring(value.bVal);
    case VT_UI2:
      return name + L" " + std::to_wstring(value.uiVal);
    case VT_UI4:
      return name + L" " + std::to_wstring(value.ulVal);
    case VT_UINT:
      return name + L" " + std::to_wstring(value.uintVal);
    case VT_UI8:
      return name + L" " + std::to_wstring(value.ullVal);
    case VT_R4: {
      unsigned int bits = 0;
      std::memcpy(&bits, &value.fltVal, sizeof bits);
      return name + L" " + hex(bits, 8);
    }
    case VT_R8: {
      unsigned long long bits = 0;
      std::memcpy(&bits, &value.dblVal, sizeof bits);
      return name + L" " + hex(bits, 16);
    }
    case VT_DECIMAL:
      return name + L" " + (value.decVal.sign != 0 ? L"-" : L"+") + hex(value.decVal.Hi32, 8) +
             hex(value.decVal.Lo64, 16) + L"e-" + std::to_wstring(value.decVal.scale);
    case VT_BSTR:
      return name + L" \"" + Bstr::toWstring(value.bstrVal) + L"\"";
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      for (const FakeObject& object : objects_) {
        if (static_cast<const IUnknown*>(&object) == value.punkVal)
          return name + L" " + object.name();
      }
      return name + (value.punkVal == nullptr ? L" null" : L" <foreign>");
    }
    default:
      return L"VT " + std::to_wstring(value.vt);
  }
}

}  // namespace orbelle::win32::fake
