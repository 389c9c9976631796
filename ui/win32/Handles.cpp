#include "ui/win32/Handles.h"

#include <stdexcept>

namespace orbelle::ui::win32 {

BufferedCanvas::BufferedCanvas(HDC target, int width, int height)
    : target_(target),
      width_(width),
      height_(height),
      dc_(::CreateCompatibleDC(target)),
      bitmap_(::CreateCompatibleBitmap(target, width > 0 ? width : 1, height > 0 ? height : 1)) {
  if (!dc_ || !bitmap_)
    throw std::runtime_error("out of GDI resources for painting");
  previous_ = ::SelectObject(dc_.get(), bitmap_.get());
}

BufferedCanvas::~BufferedCanvas() {
  ::SelectObject(dc_.get(), previous_);
}

void BufferedCanvas::show() {
  ::BitBlt(target_, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
}

void fillRect(HDC dc, const RECT& rect, Color color) {
  // DC_BRUSH needs no brush object of its own.
  const COLORREF previous = ::SetDCBrushColor(dc, toColorRef(color));
  ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
  ::SetDCBrushColor(dc, previous);
}

}  // namespace orbelle::ui::win32
