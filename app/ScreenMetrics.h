// The sizes the palette's place on the screen is worked out from, one call per platform query.
#pragma once

#include "ui/Form.h"

namespace orbelle {

struct ScreenSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

class ScreenMetrics {
 public:
  virtual ~ScreenMetrics() = default;
  // The primary screen in pixels.
  virtual ScreenSize primaryScreen() = 0;
  // The outer size (title bar and border included) of the form's window as it is now.
  virtual ScreenSize outerSize(const ui::Form& form) = 0;
};

}  // namespace orbelle
