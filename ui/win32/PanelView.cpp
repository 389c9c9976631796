#include "ui/Bevel.h"
#include "ui/Layout.h"
#include "ui/win32/ControlViews.h"
#include "ui/win32/Handles.h"

namespace orbelle::ui::win32 {

void PanelView::paint(HDC dc, PixelRect area, const PaintContext& context) const {
  fillRect(dc, {area.left, area.top, area.right(), area.bottom()}, context.look.panel);
  // The bevel's stripes are laid on the same grid as the controls, so that the picture inside
  // meets the inner edge of the bevel exactly at every DPI.
  const DeviceGrid grid = DeviceGrid::of(&panel_, context.dpi);
  const Bounds inside{0, 0, panel_.bounds().width, panel_.bounds().height};
  for (const BevelStripe& stripe : bevelStripes(inside, panel_.bevelOuter(), panel_.bevelWidth())) {
    const PixelRect r = grid.map(stripe.bounds);
    fillRect(
        dc, {area.left + r.left, area.top + r.top, area.left + r.right(), area.top + r.bottom()},
        stripe.shade == BevelShade::Light ? context.look.bevelLight : context.look.bevelShadow);
  }
}

}  // namespace orbelle::ui::win32
