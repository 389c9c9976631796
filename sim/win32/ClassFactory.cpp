#include "sim/win32/ClassFactory.h"

#include <atomic>

#include "sim/Session.h"
#include "sim/win32/DispatchObject.h"

namespace orbelle::sim::win32 {

namespace {

// COM objects die through Release, never through a base pointer's destructor.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(Session& session) : session_(session) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory))
      return E_NOINTERFACE;
    AddRef();
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0)
      delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    if (outer != nullptr)
      return CLASS_E_NOAGGREGATION;
    try {
      const ComPtr<IDispatch> application = wrapObject(session_, session_.createApplication());
      return application->QueryInterface(iid, out);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }
  // The window, not the clients, decides how long the host runs.
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ~ClassFactory() = default;

  Session& session_;
  std::atomic<ULONG> references_ = 1;
};

}  // namespace

ComPtr<IClassFactory> makeClassFactory(Session& session) {
  return ComPtr<IClassFactory>::adopt(new ClassFactory(session));
}

}  // namespace orbelle::sim::win32
