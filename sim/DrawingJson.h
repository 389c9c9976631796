// The drawing as JSON: what the host opens at start and writes when asked. Block references are
// written with their block's entities in world coordinates as well, so that a reader can check
// geometry without knowing how references map.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/Drawing.h"
#include "sim/Error.h"

namespace orbelle::sim {

// A drawing file that does not make sense: the line and what is wrong.
class DrawingError : public LineError {
 public:
  using LineError::LineError;
};

Drawing loadDrawing(std::string_view json);  // throws DrawingError
std::string saveDrawing(const Drawing& drawing);

}  // namespace orbelle::sim
