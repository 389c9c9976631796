// The test side of the COM boundary: an in-process automation server whose objects answer
// QueryInterface and IDispatch by name as a test scripts them, record every name lookup and
// every call exactly, count every AddRef and Release, can fail any call (with an EXCEPINFO
// filled at once or deferred), and hand any answer over in another VARIANT encoding than the
// canonical one.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/win32/ComRef.h"
#include "host/win32/Variant.h"

namespace orbelle::win32::fake {

class FakeServer;

// A call as an object's member handler sees it.
struct Invocation {
  WORD flags = 0;
  std::vector<VARIANT*> arguments;  // in their natural order, left to right
  bool isPut() const { return (flags & DISPATCH_PROPERTYPUT) != 0; }
  // Writes an out parameter (a VT_BYREF | VT_VARIANT argument).
  void setOut(std::size_t index, Variant value) const;
};

// A call as the server recorded it: every argument spelled exactly (types and bits).
struct RecordedCall {
  std::wstring object;
  std::wstring member;
  std::wstring flags;  // "method|get", "put"
  std::vector<std::wstring> args;

  friend bool operator==(const RecordedCall&, const RecordedCall&) = default;
};
void PrintTo(const RecordedCall& call, std::ostream* out);

// How one call fails.
struct PlannedFailure {
  PlannedFailure(HRESULT status_ = E_FAIL, HRESULT scode_ = S_OK, std::wstring description_ = {},
                 bool deferred_ = false)
      : status(status_), scode(scode_), description(std::move(description_)), deferred(deferred_) {}

  HRESULT status;  // what Invoke returns; DISP_E_EXCEPTION for a host's own refusal
  HRESULT scode;   // with DISP_E_EXCEPTION: the EXCEPINFO's status and description
  std::wstring description;
  bool deferred;  // the EXCEPINFO is filled only through pfnDeferredFillIn
};

// Owned by its server, so that it outlives every reference: a Release too many shows as a
// count below zero, not as a crash. Never deleted through an interface pointer.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class FakeObject final : public IDispatch {
 public:
  using Handler = std::function<Variant(const Invocation&)>;

  FakeObject(FakeServer& server, std::wstring name) : server_(server), name_(std::move(name)) {}
  FakeObject(const FakeObject&) = delete;
  FakeObject& operator=(const FakeObject&) = delete;

  const std::wstring& name() const { return name_; }
  long references() const { return references_; }
  FakeObject& offers(const GUID& iid);
  FakeObject& stopsOffering(const GUID& iid);
  // Answers QueryInterface for IDispatch with E_NOINTERFACE: a plain IUnknown, as far as a
  // caller that got it as VT_UNKNOWN can tell.
  FakeObject& withoutDispatch() {
    dispatchless_ = true;
    return *this;
  }
  FakeObject& on(std::wstring member, Handler handler);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* badArgument) override;

 private:
  FakeServer& server_;
  std::wstring name_;
  std::vector<GUID> interfaces_;
  std::vector<std::pair<std::wstring, Handler>> members_;  // DISPID = index + 1
  long references_ = 0;
  bool dispatchless_ = false;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// An encoding: the canonical answer in another VARIANT form, or nothing when that form cannot
// hold this value exactly. By-reference forms point into the server's storage.
using Encoding = std::function<std::optional<Variant>(const Variant& canonical, FakeServer&)>;

class FakeServer {
 public:
  FakeServer() = default;
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  // The object named `name`, made at first use.
  FakeObject& object(const std::wstring& name);
  // A reference of the caller's own, as a host hands it out.
  ComRef<IDispatch> share(FakeObject& object) { return ComRef<IDispatch>::share(&object); }

  // The `occurrence`-th call of `member` (on any object) fails as planned.
  void failCall(const std::wstring& member, int occurrence, PlannedFailure failure);
  // GetIDsOfNames for `member` fails, until `answerLookup`.
  void failLookup(const std::wstring& member, HRESULT status);
  void answerLookup(const std::wstring& member) { lookupFailures_.erase(member); }
  // Every answer of `member` goes out in `encoding`.
  void encode(const std::wstring& member, Encoding encoding);

  // What a member handler returns: `canonical`, in the encoding planned for `member`. Arrays
  // handed out are remembered, so that one coming back is recorded as "answer #N".
  Variant answer(const std::wstring& member, const Variant& canonical);
  // Keeps a value alive as long as the server, for answers by reference...
  VARIANT* keep(Variant value);
  // ... or until the test has done with them, before it counts references.
  void dropKept() { kept_.clear(); }

  // The calls received, in order; and the object each AddRef and Release went to.
  const std::vector<RecordedCall>& calls() const { return calls_; }
  // Every GetIDsOfNames, answered or not, in order: "object.Name" as asked.
  const std::vector<std::wstring>& lookups() const { return lookups_; }
  int addRefs() const { return addRefs_; }
  int releases() const { return releases_; }
  // Objects whose references are not all back ("name: count"); empty when balanced.
  std::vector<std::wstring> unbalanced() const;

  // An exact spelling of a value: "R8 0x4024000000000000", "ARRAY|R8 lb0 [...]", "BSTR \"x\"".
  std::wstring describe(const VARIANT& value) const;

 private:
  friend class FakeObject;
  std::wstring describeArgument(const VARIANT& value) const;
  void counted(bool addRef) { ++(addRef ? addRefs_ : releases_); }
  const PlannedFailure* plannedFailure(const std::wstring& member);

  std::deque<FakeObject> objects_;
  std::map<std::wstring, FakeObject*> byName_;
  std::map<std::wstring, std::map<int, PlannedFailure>> failures_;
  std::map<std::wstring, int> seen_;
  std::map<std::wstring, HRESULT> lookupFailures_;
  std::map<std::wstring, Encoding> encodings_;
  std::vector<std::wstring> handedOut_;
  std::deque<Variant> kept_;
  std::vector<RecordedCall> calls_;
  std::vector<std::wstring> lookups_;
  int addRefs_ = 0;
  int releases_ = 0;
};

// A VT_BYREF | VT_VARIANT answer as a proxy hands one over: the VARIANT referred to allocated
// with CoTaskMemAlloc for the receiver, holding `value`.
Variant referenceTo(Variant value);

}  // namespace orbelle::win32::fake
