// The screen and window sizes the palette is placed by, from the system.
#pragma once

#include "app/ScreenMetrics.h"

namespace orbelle::win32 {

class Win32ScreenMetrics final : public ScreenMetrics {
 public:
  ScreenSize primaryScreen() override;
  ScreenSize outerSize(const ui::Form& form) override;
};

}  // namespace orbelle::win32
