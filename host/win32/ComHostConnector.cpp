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
                "CoCreateInstance(CoApplication)");
  HRESULT status = S_OK;
  ComRef<IDispatch> application =
      created.query<IDispatch>(toGuid(IID_InanoCADApplication), &status);
  throwIfFailed(status, "QueryInterface(InanoCADApplication)");
  return wrapApplication(std::move(application));
}

}  // namespace orbelle::win32
