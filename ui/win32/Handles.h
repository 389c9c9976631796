// Owners for the Win32 handles the backend holds: each is released on every path.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

#include "ui/Color.h"

namespace orbelle::ui::win32 {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
};
template <class Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using BitmapHandle = GdiObject<HBITMAP>;

struct WindowDeleter {
  void operator()(HWND window) const noexcept {
    if (::IsWindow(window))
      ::DestroyWindow(window);
  }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

struct DcDeleter {
  void operator()(HDC dc) const noexcept { ::DeleteDC(dc); }
};
using MemoryDcHandle = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// An object selected into a device context until the scope ends.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectScope() { ::SelectObject(dc_, previous_); }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint ... EndPaint, so that the update region is validated even when painting throws.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const RECT& area() const { return paint_.rcPaint; }  // what needs painting

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An off-screen copy of a window's client area: painted whole, then shown in one blit.
class BufferedCanvas {
 public:
  BufferedCanvas(HDC target, int width, int height);
  ~BufferedCanvas();
  BufferedCanvas(const BufferedCanvas&) = delete;
  BufferedCanvas& operator=(const BufferedCanvas&) = delete;
  HDC dc() const { return dc_.get(); }
  void show();  // copies the buffer onto the target

 private:
  HDC target_;
  int width_;
  int height_;
  MemoryDcHandle dc_;
  BitmapHandle bitmap_;
  HGDIOBJ previous_ = nullptr;
};

inline COLORREF toColorRef(Color color) {
  return RGB(color.red, color.green, color.blue);
}

void fillRect(HDC dc, const RECT& rect, Color color);

}  // namespace orbelle::ui::win32
