#include "host/win32/ComHostConnector.h"

#include <objbase.h>
#include <windows.h>

#include "host/win32/ComHostObjects.h"
#include "host/win32/ComRef.h"
#include "host/win32/ComStatus.h"

namespace orbelle::win32 {

HostRef<HostApplication> ComHostConnector::createApplication() {
  ComRef<IUnknown> created;
  throwIfFailed(::CoCreateInstance(toGuid(CLSID_CoApplication), nullptr,
                                   CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                   created.putVoid()),
                L"CoCreateInstance(CoApplication)");
  return wrapApplication(created.require<IDispatch>(toGuid(IID_InanoCADApplication),
                                                    L"QueryInterface(InanoCADApplication)"));
}

}  // namespace orbelle::win32
