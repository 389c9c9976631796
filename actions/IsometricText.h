// The four TEXT buttons: one picked single-line text becomes isometric text on a plane.
#pragma once

#include "host/HostEnvironment.h"
#include "ui/Control.h"
#include "ui/Form.h"

namespace orbelle::actions {

// The buttons the click is told apart by, by identity alone; each stands for one plane.
struct TextPlaneButtons {
  const ui::Control* left;      // 330 degrees rotation, 330 oblique
  const ui::Control* topLeft;   // 330, 30
  const ui::Control* topRight;  // 30, 330
  const ui::Control* right;     // 30, 30
};

// Silent on every failure; `palette` ends in the normal window state whatever happens.
void isometricText(HostEnvironment environment, ui::Form& palette, const ui::Control* sender,
                   const TextPlaneButtons& buttons) noexcept;

}  // namespace orbelle::actions
