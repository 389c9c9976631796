#include "ui/Bevel.h"
#include "ui/Layout.h"
#include "ui/win32/ControlWindows.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Handles.h"

namespace orbelle::ui::win32 {

void PanelWindow::paint(HDC dc, int width, int height) {
  const Theme& look = form_.look();
  fillRect(dc, {0, 0, width, height}, look.panel);
  // The bevel's stripes are laid on the same grid as the controls, so that the picture inside
  // meets the inner edge of the bevel exactly at every DPI.
  const DeviceGrid grid = DeviceGrid::of(&panel_, dpi());
  const Bounds area{0, 0, panel_.bounds().width, panel_.bounds().height};
  for (const BevelStripe& stripe : bevelStripes(area, panel_.bevelOuter(), panel_.bevelWidth())) {
    const PixelRect r = grid.map(stripe.bounds);
    fillRect(dc, {r.left, r.top, r.right(), r.bottom()},
             stripe.shade == BevelShade::Light ? look.bevelLight : look.bevelShadow);
  }
}

}  // namespace orbelle::ui::win32
