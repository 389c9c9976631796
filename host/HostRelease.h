// The generations of the host's automation: the interface IDs by which each one qualifies its
// objects. Every member the palette calls has the same name and parameters in all of them; only
// the IDs differ, so an action asks each object for the IDs of the release it is driving.
#pragma once

#include <span>
#include <string_view>

#include "host/Guid.h"

namespace orbelle {

struct HostRelease {
  std::wstring_view name;  // for a debugger's line
  Guid application;        // InanoCADApplication
  Guid utility;            // InanoCADUtility
  Guid state;              // the state object GetState hands out
  Guid entity;             // IAcadEntity
  Guid text;               // IAcadText
};

// nanoCAD 5: found by its main window's title and created by its class ID.
extern const HostRelease kNanoCad5;
// The releases found running by their program IDs, in the order their application interfaces
// are tried: 23.0 and 24.0 publish the same IDs.
std::span<const HostRelease> laterReleases();

}  // namespace orbelle
