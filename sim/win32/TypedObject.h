// A host automation object as a COM object of its dual interface (the header generated from
// nanosim.idl), dispatched by the served type library as a host built on the library is:
// GetIDsOfNames and Invoke are ITypeInfo's, which finds members by name in any case, refuses
// what the declarations refuse, coerces arguments to their declared types and calls the vtable
// methods. Each method turns its typed arguments into the portable call (Session::call, which
// logs it) and the answer back into its declared type.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "nanosim_idl.h"
#include "sim/Automation.h"
#include "sim/Session.h"
#include "sim/win32/ComPtr.h"
#include "sim/win32/ComUnknown.h"
#include "sim/win32/ServedLibrary.h"

namespace orbelle::sim::win32 {

// A new COM object for `object` of the served library; its kind decides the interface.
ComPtr<IDispatch> wrapTyped(Session& session, ObjectRef object);

// Arguments as the vtable received them, for the portable call.
Argument argument(const VARIANT& value);
Argument argument(BSTR text);
Argument argument(double number);
Argument argument(std::int32_t number);
// An [in, out] VARIANT*: an out parameter, as a VARIANT passed by reference is.
Argument inOutArgument(VARIANT* target);

// Answers in their declared types, from the type-library encoding; each throws Error for an
// answer in any other, which the encoding never gives.
LONG_PTR handleOf(const WireValue& answer);
VARIANT_BOOL flagOf(const WireValue& answer);
LONG integerOf(const WireValue& answer);
double realOf(const WireValue& answer);
BSTR textOf(const WireValue& answer);
// A VARIANT answer (a point), owning what it holds.
VARIANT variantOf(Session& session, const WireValue& answer);
// An out parameter's value, written over what the caller passed in (left as it was when the
// member gave it none).
void giveBack(Session& session, const Argument& argument, VARIANT& target);

// Reports a host's refusal as a dual interface's method does: the description (source "nanoCAD")
// in the thread's error info, the status as the method's result, which ITypeInfo::Invoke turns
// into DISP_E_EXCEPTION with that scode.
HRESULT reportFailure(const AutomationError& error);
// The result for an exception that is no refusal of the host's: nothing crosses the vtable.
HRESULT unexpectedFailure() noexcept;

// What TypedObject's IDispatch methods do, whatever the interface. `pending` carries the Invoke
// flags to the vtable method, which takes them (a method that never ran leaves them: the library
// refused the call first, and the log says so).
HRESULT typedLookup(Session& session, const AutomationObject& object, ITypeInfo* info, REFIID iid,
                    LPOLESTR* names, UINT count, DISPID* ids) noexcept;
HRESULT typedInvoke(Session& session, AutomationObject& object, ITypeInfo* info, void* instance,
                    int& pending, DISPID id, REFIID iid, WORD flags, DISPPARAMS* parameters,
                    VARIANT* result, EXCEPINFO* exception, UINT* badArgument) noexcept;
// Set in `pending` beside the portable flags: Invoke's flags wait for a method to take them.
inline constexpr int kPendingFlags = 0x100;

// COM objects die through Release, never through a base pointer's destructor; the interfaces
// have none to be virtual.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
template <class I>
class TypedObject : public ComUnknown<TypedObject<I>, I> {
 public:
  TypedObject(Session& session, ObjectRef object, Declared declared)
      : session_(session),
        library_(Serving::library()),
        object_(std::move(object)),
        declared_(declared) {}

  bool answers(REFIID iid) const {
    bool known = IsEqualIID(iid, IID_IDispatch);
    for (const Declared which : lineage(declared_))
      known = known || IsEqualIID(iid, library_.iid(which));
    return known;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr)
      return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr)
      return E_POINTER;
    *info = nullptr;
    if (index != 0)
      return DISP_E_BADINDEX;
    *info = typeInfo();
    (*info)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    return typedLookup(session_, *object_, typeInfo(), iid, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* badArgument) override {
    return typedInvoke(session_, *object_, typeInfo(), static_cast<I*>(this), pending_, id, iid,
                       flags, parameters, result, exception, badArgument);
  }

 protected:
  friend ComUnknown<TypedObject<I>, I>;
  virtual ~TypedObject() = default;  // drops the portable object, which logs its release

  // The portable call of `member`, with the flags Invoke received, or `natural` (the member's
  // own kind) for a call straight through the vtable. Throws AutomationError.
  WireValue call(const wchar_t* member, int natural, std::vector<Argument>& arguments) {
    const int pending = std::exchange(pending_, 0);
    const int flags = pending != 0 ? pending & ~kPendingFlags : natural;
    return session_.call(*object_, member, flags, arguments);
  }
  WireValue call(const wchar_t* member, int natural, std::vector<Argument>&& arguments = {}) {
    return call(member, natural, arguments);
  }

  // Runs a method's body, its answer going to `*out`: a failure becomes the method's result.
  template <class T, class Body>
  HRESULT run(T* out, Body&& body) noexcept {
    if (out == nullptr)
      return E_POINTER;
    *out = T{};
    return run([&] { *out = body(); });
  }
  template <class Body>
  HRESULT run(Body&& body) noexcept {
    try {
      body();
      return S_OK;
    } catch (const AutomationError& e) {
      return reportFailure(e);
    } catch (...) {
      return unexpectedFailure();
    }
  }

  // An object answer as the interface `iid` (of the served library, or IDispatch); null for
  // none.
  template <class Wanted>
  Wanted* object(const WireValue& answer, const IID& iid) {
    if (!answer.object)
      return nullptr;
    const ComPtr<IDispatch> wrapped = wrapTyped(session_, answer.object);
    Wanted* out = nullptr;
    if (FAILED(wrapped->QueryInterface(iid, reinterpret_cast<void**>(&out))))
      throw Error("an answer's object lacks the interface its member declares");
    return out;
  }
  const IID& iid(Declared which) const { return library_.iid(which); }

  Session& session_;

 private:
  ITypeInfo* typeInfo() const { return library_.info(declared_); }

  const ServedLibrary& library_;
  ObjectRef object_;
  Declared declared_;
  int pending_ = 0;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace orbelle::sim::win32
