#include <stdexcept>
#include <string>

#include "ui/Layout.h"
#include "ui/Png.h"
#include "ui/Resample.h"
#include "ui/Utf8.h"
#include "ui/win32/ControlWindows.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Resources.h"

namespace orbelle::ui::win32 {

ImageWindow::ImageWindow(FormWindow& form, Image& image) : ControlWindow(form, image) {
  const std::span<const std::uint8_t> file =
      resourceBytes(image.pictureResource().c_str(), RT_RCDATA);
  try {
    source_ = decodePng(file);
  } catch (const PngError& e) {
    throw std::runtime_error("the picture resource of " + wideToUtf8(image.name()) +
                             " cannot be shown: " + e.what());
  }
}

void ImageWindow::applyDpi(int dpi) {
  const PixelRect r = controlRect(control(), dpi);
  // The picture is opaque on the panel: compose it once here rather than at every paint.
  shown_ = composeOver(resize(source_, r.width, r.height), form_.look().panel);
  ControlWindow::applyDpi(dpi);
}

void ImageWindow::paint(HDC dc, int width, int height) {
  if (shown_.width != width || shown_.height != height)
    return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), shown_.pixels.data(), &info, DIB_RGB_COLORS);
}

}  // namespace orbelle::ui::win32
