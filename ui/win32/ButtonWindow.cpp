#include "ui/Dpi.h"
#include "ui/win32/ControlWindows.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Handles.h"

namespace orbelle::ui::win32 {

void ButtonWindow::paint(HDC dc, int width, int height) {
  const Theme& theme = form_.look();
  const ButtonLook state = look();
  const Color face = state == ButtonLook::Pressed ? theme.buttonPressed
                     : state == ButtonLook::Hot   ? theme.buttonHot
                                                  : theme.buttonFace;
  // An ordinary button, not a flat one: its border is always drawn.
  const int border = scale(1, dpi());
  fillRect(dc, {0, 0, width, height}, theme.buttonBorder);
  fillRect(dc, {border, border, width - border, height - border}, face);

  RECT text{border, border, width - border, height - border};
  if (state == ButtonLook::Pressed)
    ::OffsetRect(&text, border, border);  // the caption sinks with the button
  SelectScope font(dc, form_.font());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, toColorRef(theme.buttonText));
  ::DrawTextW(dc, button_.caption().c_str(), static_cast<int>(button_.caption().size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace orbelle::ui::win32
