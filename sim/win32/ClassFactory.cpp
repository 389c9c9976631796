#include "sim/win32/ClassFactory.h"

#include "sim/Session.h"
#include "sim/win32/ComUnknown.h"
#include "sim/win32/DispatchObject.h"

namespace orbelle::sim::win32 {

namespace {

class ClassFactory final : public ComUnknown<ClassFactory, IClassFactory> {
 public:
  explicit ClassFactory(Session& session) : session_(session) {}

  bool answers(REFIID iid) const { return IsEqualIID(iid, IID_IClassFactory); }

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
  friend ComUnknown;
  ~ClassFactory() = default;

  Session& session_;
};

}  // namespace

ComPtr<IClassFactory> makeClassFactory(Session& session) {
  return ComPtr<IClassFactory>::adopt(new ClassFactory(session));
}

}  // namespace orbelle::sim::win32
