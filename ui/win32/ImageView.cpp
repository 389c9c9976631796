#include <stdexcept>
#include <string>

#include "ui/Layout.h"
#include "ui/Png.h"
#include "ui/Resample.h"
#include "base/Utf8.h"
#include "ui/win32/ControlViews.h"
#include "ui/win32/Resources.h"

namespace orbelle::ui::win32 {

ImageView::ImageView(Image& image) : ControlView(image) {
  const std::span<const std::uint8_t> file =
      resourceBytes(image.pictureResource().c_str(), RT_RCDATA);
  try {
    source_ = decodePng(file);
  } catch (const PngError& e) {
    throw std::runtime_error("the picture resource of " + base::wideToUtf8(image.name()) +
                             " cannot be shown: " + e.what());
  }
}

void ImageView::applyDpi(int dpi, const Theme& look) {
  const PixelRect r = controlRect(control(), dpi);
  // The picture is opaque on the panel: compose it once here rather than at every paint.
  shown_ = composeOver(resize(source_, r.width, r.height), look.panel);
}

void ImageView::paint(HDC dc, PixelRect area, const PaintContext& /*context*/) const {
  if (shown_.width != area.width || shown_.height != area.height)
    return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = area.width;
  info.bmiHeader.biHeight = -area.height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(area.width),
                      static_cast<DWORD>(area.height), 0, 0, 0, static_cast<UINT>(area.height),
                      shown_.pixels.data(), &info, DIB_RGB_COLORS);
}

}  // namespace orbelle::ui::win32
