// Numbers and points as a CAD command line reads them: "." decimal point, "," between
// coordinates, exponent forms such as 1E-5. Nothing else is guessed at.
#pragma once

#include <optional>
#include <string_view>

#include "sim/Geometry.h"

namespace orbelle::sim {

// A finite number: optional sign, digits with at most one ".", optional exponent. No blanks,
// no digit grouping, no "inf" or "nan".
std::optional<double> parseCadNumber(std::wstring_view text);
// "x,y" or "x,y,z" (z is then 0).
std::optional<Vec3> parseCadPoint(std::wstring_view text);

}  // namespace orbelle::sim
