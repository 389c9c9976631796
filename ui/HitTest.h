// Which control of a form lies under a point of its client area.
#pragma once

#include "ui/Control.h"
#include "ui/Form.h"

namespace orbelle::ui {

// The deepest control whose rectangle holds `at` (client pixels at `dpi`): a picture rather than
// the panel it lies in; null over the form's own background. A control is clipped by the
// controls it lies in, and of two siblings that overlap the one created first is on top, as
// with child windows, where the first created heads the order.
Control* controlAt(const Form& form, Point at, int dpi);

}  // namespace orbelle::ui
