// What the isometric block action types: the plane rows, the block name and the four command
// strings that rotate, define, insert and move.
#pragma once

#include <array>
#include <string>

#include "host/Desktop.h"

namespace orbelle::actions {

struct PlaneRow {
  double firstRotation;   // radians, the rotate command's angle
  double secondRotation;  // radians, the insertion's angle
  const wchar_t* suffix;  // follows the first rotation's sign, not the plane's name
};

// Exact, case-sensitive: "R", then "L", then "TL"; anything else is the "TR" row.
PlaneRow planeRow(const std::wstring& makeType);

// "ISO-YYMMDD-HHMMSS", the block name without its suffix.
std::wstring blockNamePrefix(const LocalTime& time);

// Rotate, block definition, insertion and move, in the order they are sent. `point` is the base
// point's text, "X,Y".
std::array<std::wstring, 4> blockCommands(const std::wstring& blockName, const std::wstring& point,
                                          const PlaneRow& row);

}  // namespace orbelle::actions
