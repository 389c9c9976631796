// Fitting a picture to its control's size in device pixels.
#pragma once

#include "ui/Bitmap.h"
#include "ui/Color.h"

namespace orbelle::ui {

// Resizes with a tent filter: bilinear when enlarging; when shrinking the tent widens to cover
// every source pixel, so thin lines stay visible and smooth. Premultiplied in, premultiplied
// out. A size below 1 gives an empty bitmap.
Bitmap resize(const Bitmap& source, int width, int height);

// The picture laid over an opaque background: every pixel of the result is opaque.
Bitmap composeOver(const Bitmap& picture, Color background);

}  // namespace orbelle::ui
