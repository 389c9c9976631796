// The IUnknown every object this host serves shares: one reference count, and the interface
// lookup. `Self` says which interfaces it answers besides IUnknown (`answers`), and dies
// when its last reference goes.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include <atomic>

namespace orbelle::sim::win32 {

// COM objects die through Release, never through a base pointer's destructor; the interfaces
// have none to be virtual.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
template <class Self, class Interface>
class ComUnknown : public Interface {
 public:
  ComUnknown(const ComUnknown&) = delete;
  ComUnknown& operator=(const ComUnknown&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !static_cast<const Self*>(this)->answers(iid))
      return E_NOINTERFACE;
    AddRef();
    *out = static_cast<Interface*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0)
      delete static_cast<Self*>(this);
    return left;
  }

 protected:
  ComUnknown() = default;
  ~ComUnknown() = default;

 private:
  std::atomic<ULONG> references_ = 1;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace orbelle::sim::win32
