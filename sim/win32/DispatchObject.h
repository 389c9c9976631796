// A host automation object as a COM object: IDispatch with calls by name, and the interface IDs
// the object answers. Every call goes through the session, which logs it.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "sim/Automation.h"
#include "sim/win32/ComPtr.h"

namespace orbelle::sim::win32 {

// A new COM object for `object`, owning it: this file's hand-written dispatch, or the type
// library's (TypedObject.h) for an object of a type-library connection.
ComPtr<IDispatch> wrapObject(Session& session, ObjectRef object);

}  // namespace orbelle::sim::win32
