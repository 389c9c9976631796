// What the palette needs from outside to keep its settings: the file, the screen, and the box
// that tells the user the file could not be written.
#pragma once

#include "app/ProfileStore.h"
#include "app/ScreenMetrics.h"
#include "ui/ErrorDialog.h"

namespace orbelle {

struct SettingsEnvironment {
  ProfileStore& store;
  ScreenMetrics& metrics;
  ui::ErrorDialog& errors;
};

}  // namespace orbelle
