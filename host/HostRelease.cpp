#include "host/HostRelease.h"

#include "host/nanoCAD_TLB.h"

namespace orbelle {

const HostRelease kNanoCad5{L"nanoCAD 5",   IID_InanoCADApplication, IID_InanoCADUtility,
                            IID_IAcadState, IID_IAcadEntity,         IID_IAcadText};

std::span<const HostRelease> laterReleases() {
  static const HostRelease releases[] = {
      {L"nanoCAD 23.0", IID_InanoCADApplication_23, IID_InanoCADUtility_23, IID_InanoCADState_23,
       IID_IAcadEntity_23, IID_IAcadText_23},
  };
  return releases;
}

}  // namespace orbelle
