#include "sim/win32/RunningObject.h"

#include <oleauto.h>

#include <utility>

#include "sim/Error.h"

namespace orbelle::sim::win32 {

RunningObject::RunningObject(ComPtr<IDispatch> application, const CLSID& classId)
    : application_(std::move(application)) {
  if (FAILED(::RegisterActiveObject(application_.get(), classId, ACTIVEOBJECT_STRONG, &cookie_)))
    throw Error("registering the application in the Running Object Table failed");
}

void RunningObject::revoke() {
  if (cookie_ != 0)
    ::RevokeActiveObject(std::exchange(cookie_, 0), nullptr);
}

}  // namespace orbelle::sim::win32
