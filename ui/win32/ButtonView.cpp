#include "ui/Dpi.h"
#include "ui/win32/ControlViews.h"
#include "ui/win32/Handles.h"

namespace orbelle::ui::win32 {

void ButtonView::paint(HDC dc, PixelRect area, const PaintContext& context) const {
  const Theme& theme = context.look;
  const Color face = context.state == ButtonLook::Pressed ? theme.buttonPressed
                     : context.state == ButtonLook::Hot   ? theme.buttonHot
                                                          : theme.buttonFace;
  // An ordinary button, not a flat one: its border is always drawn.
  const int border = scale(1, context.dpi);
  const RECT outer{area.left, area.top, area.right(), area.bottom()};
  fillRect(dc, outer, theme.buttonBorder);
  RECT inner = outer;
  ::InflateRect(&inner, -border, -border);
  fillRect(dc, inner, face);

  RECT text = inner;
  if (context.state == ButtonLook::Pressed)
    ::OffsetRect(&text, border, border);  // the caption sinks with the button
  SelectScope font(dc, context.font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, toColorRef(theme.buttonText));
  ::DrawTextW(dc, button_.caption().c_str(), static_cast<int>(button_.caption().size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace orbelle::ui::win32
