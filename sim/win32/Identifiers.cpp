#include <windows.h>

#include <oaidl.h>

// This file defines the IDs the generated header declares; the system's are already declared.
#include <initguid.h>

#include "nanosim_idl.h"
#include "sim/win32/Identifiers.h"

namespace orbelle::sim::win32 {

const IID& interfaceId(Interface which) {
  switch (which) {
    case Interface::Application:
      return IID_InanoCADApplication;
    case Interface::Utility:
      return IID_InanoCADUtility;
    case Interface::State:
      return IID_InanoCADState;
    case Interface::Entity:
      return IID_IAcadEntity;
    case Interface::Text:
      return IID_IAcadText;
  }
  return IID_NULL;
}

}  // namespace orbelle::sim::win32
