#include "sim/win32/HostWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "sim/Json.h"
#include "sim/Picture.h"
#include "sim/Png.h"

namespace orbelle::sim::win32 {

namespace {

constexpr wchar_t kClassName[] = L"OrbelleNanoSim";
// A CJK face so that the palette's Japanese prompts are legible; GDI falls back if it is absent.
constexpr wchar_t kFontFace[] = L"Noto Sans CJK JP";
constexpr int kLineHeight = 20;
constexpr int kCommandLines = 5;  // four lines of history and the line being typed
constexpr int kMarkerSize = 6;    // half the width of a snap marker, in pixels

constexpr COLORREF kBackground = RGB(33, 40, 48);
constexpr COLORREF kInk = RGB(225, 228, 232);
constexpr COLORREF kHighlight = RGB(255, 196, 64);
constexpr COLORREF kPreview = RGB(120, 170, 220);
constexpr COLORREF kSnap = RGB(90, 230, 120);
constexpr COLORREF kCommandBackground = RGB(236, 236, 236);
constexpr COLORREF kCommandInk = RGB(20, 20, 20);

struct GdiDeleter {
  void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using GdiObject = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiDeleter>;

struct DcDeleter {
  void operator()(HDC dc) const { ::DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// Selects an object into a DC for a scope.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~Selected() { ::SelectObject(dc_, old_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

GdiObject font(int pixelHeight, int escapement = 0, int width = 0) {
  LOGFONTW face{};
  face.lfHeight = -pixelHeight;
  face.lfWidth = width;
  face.lfEscapement = escapement;
  face.lfOrientation = escapement;
  face.lfWeight = FW_NORMAL;
  face.lfCharSet = DEFAULT_CHARSET;
  face.lfQuality = ANTIALIASED_QUALITY;
  wcscpy_s(face.lfFaceName, kFontFace);
  return GdiObject(::CreateFontIndirectW(&face));
}

POINT pixel(PixelPoint p) {
  return {static_cast<LONG>(std::lround(p.x)), static_cast<LONG>(std::lround(p.y))};
}

PixelPoint pixelAt(LPARAM l) {
  return {static_cast<double>(GET_X_LPARAM(l)), static_cast<double>(GET_Y_LPARAM(l))};
}

PixelRect pixelRect(const RECT& r) {
  return {static_cast<double>(r.left), static_cast<double>(r.top), static_cast<double>(r.right),
          static_cast<double>(r.bottom)};
}

// Selected objects are drawn with a dashed line in the highlight colour.
GdiObject dashedPen(COLORREF color) {
  LOGBRUSH brush{BS_SOLID, color, 0};
  const DWORD dashes[] = {6, 4};
  return GdiObject(
      ::ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 2, &brush, 2, dashes));
}

// The lines and texts of a picture; `marked` picks the look of each owner's.
void drawPicture(HDC dc, const ScreenMap& screen, ViewKind kind, const Picture& picture,
                 const std::function<bool(Handle)>& marked, HGDIOBJ pen, HGDIOBJ markedPen,
                 COLORREF ink, COLORREF markedInk) {
  for (const Segment& s : picture.segments) {
    Selected selected(dc, marked(s.owner) ? markedPen : pen);
    const POINT a = pixel(screen.toScreen(kind, s.a)), b = pixel(screen.toScreen(kind, s.b));
    ::MoveToEx(dc, a.x, a.y, nullptr);
    ::LineTo(dc, b.x, b.y);
  }
  ::SetBkMode(dc, TRANSPARENT);
  for (const TextMark& t : picture.texts) {
    // Angle and size from unrounded view-plane coordinates: one drawing unit may be a pixel.
    const POINT base = pixel(screen.toScreen(kind, t.position));
    const ViewPoint from = project(kind, t.position);
    const ViewPoint along = project(kind, t.position + t.direction);
    const ViewPoint up = project(kind, t.position + t.height * t.up);
    const double pixels = std::hypot(up.x - from.x, up.y - from.y) * screen.scale();
    if (pixels < 2)
      continue;
    const double angle = std::atan2(along.y - from.y, along.x - from.x) * 1800 / std::numbers::pi;
    const int height = static_cast<int>(std::min(pixels, 2000.0));
    const GdiObject textFont =
        font(height, static_cast<int>(std::lround(angle)),
             t.widthFactor == 1 ? 0 : static_cast<int>(std::lround(height * 0.5 * t.widthFactor)));
    Selected selectedFont(dc, textFont.get());
    ::SetTextAlign(dc, TA_BASELINE | (t.horizontal == 1   ? TA_CENTER
                                      : t.horizontal == 2 ? TA_RIGHT
                                                          : TA_LEFT));
    ::SetTextColor(dc, marked(t.owner) ? markedInk : ink);
    ::TextOutW(dc, base.x, base.y, t.text.c_str(), static_cast<int>(t.text.size()));
  }
}

// The marker of a snap point, shaped by its kind as CAD programs shape them, and its name.
void drawSnapMarker(HDC dc, POINT p, SnapKind kind) {
  const GdiObject pen(::CreatePen(PS_SOLID, 2, kSnap));
  Selected selectedPen(dc, pen.get());
  Selected hollow(dc, ::GetStockObject(HOLLOW_BRUSH));
  const int r = kMarkerSize;
  switch (kind) {
    case SnapKind::Endpoint:
      ::Rectangle(dc, p.x - r, p.y - r, p.x + r + 1, p.y + r + 1);
      break;
    case SnapKind::Midpoint: {
      const POINT triangle[] = {{p.x, p.y - r}, {p.x + r, p.y + r}, {p.x - r, p.y + r}};
      ::Polygon(dc, triangle, 3);
      break;
    }
    case SnapKind::Center:
      ::Ellipse(dc, p.x - r, p.y - r, p.x + r + 1, p.y + r + 1);
      break;
    case SnapKind::Quadrant: {
      const POINT diamond[] = {{p.x, p.y - r}, {p.x + r, p.y}, {p.x, p.y + r}, {p.x - r, p.y}};
      ::Polygon(dc, diamond, 4);
      break;
    }
    case SnapKind::Insertion:
      ::Rectangle(dc, p.x - r, p.y - r, p.x + 2, p.y + 2);
      ::Rectangle(dc, p.x - 1, p.y - 1, p.x + r + 1, p.y + r + 1);
      break;
  }
  const GdiObject labelFont = font(13);
  Selected selectedFont(dc, labelFont.get());
  ::SetTextAlign(dc, TA_TOP | TA_LEFT);
  ::SetTextColor(dc, kSnap);
  const std::wstring name = snapName(kind);
  ::TextOutW(dc, p.x + r + 4, p.y + r + 2, name.c_str(), static_cast<int>(name.size()));
}

RECT drawingArea(const RECT& client) {
  RECT area = client;
  area.bottom = std::max(client.top, client.bottom - kLineHeight * kCommandLines);
  return area;
}

}  // namespace

HostWindow::HostWindow() = default;

void HostWindow::attach(Session& session) {
  session_ = &session;
  area_ = std::make_unique<DrawingArea>(session);
}

void HostWindow::detach() {
  area_.reset();
  session_ = nullptr;
}

DrawingArea* HostWindow::area() {
  if (area_ != nullptr && window_ != nullptr) {
    RECT client{};
    ::GetClientRect(window_, &client);
    area_->resize(pixelRect(drawingArea(client)));
  }
  return area_.get();
}

HostWindow::~HostWindow() {
  if (window_ != nullptr)
    ::DestroyWindow(window_);
}

void HostWindow::create(const std::wstring& title, int showCommand) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  // Double-clicks for the middle button's ZOOM E; a left double-click is two picks.
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = &HostWindow::procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_CROSS);
  windowClass.lpszClassName = kClassName;
  if (::RegisterClassExW(&windowClass) == 0)
    throw Error("RegisterClassEx failed");
  window_ = ::CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 1000, 700, nullptr, nullptr, instance, this);
  if (window_ == nullptr)
    throw Error("CreateWindowEx failed");
  ::ShowWindow(window_, showCommand);
  ::UpdateWindow(window_);
}

std::int64_t HostWindow::windowHandle() {
  return static_cast<std::int64_t>(reinterpret_cast<INT_PTR>(window_));
}

void HostWindow::redraw() {
  if (window_ != nullptr)
    ::InvalidateRect(window_, nullptr, FALSE);
}

void HostWindow::waitUntil(const std::function<bool()>& done) {
  // A nested message loop: paints, clicks, keys and further COM calls keep flowing while the
  // host waits for its user.
  MSG message;
  while (!done()) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      ::PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 1);
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void HostWindow::close() {
  if (window_ != nullptr)
    ::PostMessageW(window_, WM_CLOSE, 0, 0);
}

void HostWindow::revokeClassObject() {
  if (revoke_)
    revoke_();
}

void HostWindow::savePicture(const std::wstring& path) {
  RECT client{};
  ::GetClientRect(window_, &client);
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0)
    throw Error("the window has no area to take a picture of");
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const GdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const MemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc || bits == nullptr)
    throw Error("could not make a bitmap of " + std::to_string(width) + "x" +
                std::to_string(height));
  {
    Selected selected(dc.get(), bitmap.get());
    paint(dc.get(), client);
    ::GdiFlush();
  }
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  const auto* pixel = static_cast<const std::uint8_t*>(bits);
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
    rgb[3 * i] = pixel[4 * i + 2];
    rgb[3 * i + 1] = pixel[4 * i + 1];
    rgb[3 * i + 2] = pixel[4 * i];
  }
  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  if (!file)
    throw Error("cannot write " + toUtf8(path) + " (does its folder exist?)");
  file << encodePng(width, height, rgb);
  if (!file)
    throw Error("writing " + toUtf8(path) + " failed");
}

LRESULT CALLBACK HostWindow::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<HostWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr)
    return ::DefWindowProcW(window, message, w, l);
  try {
    return self->handle(message, w, l);
  } catch (...) {
    // No exception crosses the window procedure; the session has logged what it could.
    return 0;
  }
}

LRESULT HostWindow::handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC target = ::BeginPaint(window_, &ps);
      RECT client{};
      ::GetClientRect(window_, &client);
      // Double-buffered, so that redraws during picks do not flicker.
      const MemoryDc dc(::CreateCompatibleDC(target));
      const GdiObject buffer(::CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1),
                                                      std::max<LONG>(client.bottom, 1)));
      {
        Selected selected(dc.get(), buffer.get());
        paint(dc.get(), client);
        ::BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
      }
      ::EndPaint(window_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      if (w == SIZE_MINIMIZED && !minimized_) {
        minimized_ = true;
        if (session_ != nullptr)
          session_->windowEvent("minimized");
      } else if (w != SIZE_MINIMIZED && minimized_) {
        minimized_ = false;
        if (session_ != nullptr)
          session_->windowEvent("restored");
      }
      redraw();
      return 0;
    case WM_ACTIVATE:
      if (session_ != nullptr)
        session_->windowEvent(LOWORD(w) == WA_INACTIVE ? "deactivated" : "activated");
      return ::DefWindowProcW(window_, message, w, l);
    case WM_KEYDOWN:
      if (w == VK_ESCAPE && session_ != nullptr)
        session_->keyEscape(true);
      if (w == VK_F3 && area() != nullptr) {
        area()->toggleSnap();
        redraw();
      }
      return 0;
    case WM_KEYUP:
      if (w == VK_ESCAPE && session_ != nullptr)
        session_->keyEscape(false);
      return 0;
    case WM_CHAR:
      if (w != VK_ESCAPE && session_ != nullptr)
        session_->typeKey(static_cast<wchar_t>(w));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ::SetFocus(window_);
      pointerEvent(message, w, l);
      return 0;
    case WM_RBUTTONDOWN:
      if (session_ != nullptr)
        session_->endPicking();
      return 0;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_MOUSEWHEEL:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_CAPTURECHANGED:
      pointerEvent(message, w, l);
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window_, message, w, l);
  }
}

void HostWindow::pointerEvent(UINT message, WPARAM w, LPARAM l) {
  DrawingArea* const pointer = area();
  if (pointer == nullptr)
    return;
  switch (message) {
    case WM_MOUSEMOVE:
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
      }
      if (pointer->pointerMoved(pixelAt(l)))
        redraw();
      return;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      pointer->pointerLeft();
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pointer->pick(pixelAt(l));
      return;
    case WM_MOUSEWHEEL: {
      // Wheel messages come with the pointer in screen coordinates.
      POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      ::ScreenToClient(window_, &at);
      const PixelPoint where{static_cast<double>(at.x), static_cast<double>(at.y)};
      pointer->wheel(where, GET_WHEEL_DELTA_WPARAM(w));
      pointer->pointerMoved(where);
      break;
    }
    case WM_MBUTTONDOWN:
      ::SetCapture(window_);
      pointer->panStart(pixelAt(l));
      return;
    case WM_MBUTTONUP:
      if (pointer->panning()) {
        pointer->panEnd();
        ::ReleaseCapture();
      }
      return;
    case WM_CAPTURECHANGED:
      pointer->panEnd();
      return;
    case WM_MBUTTONDBLCLK:
      pointer->zoomExtents();
      break;
    default:
      return;
  }
  redraw();
}

void HostWindow::paint(HDC dc, const RECT& client) const {
  const GdiObject background(::CreateSolidBrush(kBackground));
  ::FillRect(dc, &client, static_cast<HBRUSH>(background.get()));
  if (session_ == nullptr)
    return;
  const Drawing& drawing = session_->drawing();
  const RECT area = drawingArea(client);
  area_->resize(pixelRect(area));
  const ScreenMap screen = area_->screen();
  const ViewKind kind = drawing.view.kind;
  const std::vector<Handle> marked = session_->highlighted();
  const auto isMarked = [&](Handle h) {
    return std::find(marked.begin(), marked.end(), h) != marked.end();
  };
  const GdiObject ink(::CreatePen(PS_SOLID, 1, kInk));
  const GdiObject highlight = dashedPen(kHighlight);
  drawPicture(dc, screen, kind, pictureOf(drawing), isMarked, ink.get(), highlight.get(), kInk,
              kHighlight);

  // While a point is asked: what the pick would do, following the pointer, and where it lands.
  const DrawingArea::Hover hover = area_->hover();
  const GdiObject preview(::CreatePen(PS_SOLID, 1, kPreview));
  drawPicture(
      dc, screen, kind, hover.moving, [](Handle) { return false; }, preview.get(), preview.get(),
      kPreview, kPreview);
  if (hover.base && hover.target) {
    const GdiObject band(::CreatePen(PS_DOT, 1, kPreview));
    Selected pen(dc, band.get());
    const POINT a = pixel(screen.toScreen(kind, *hover.base));
    const POINT b = pixel(screen.toScreen(kind, *hover.target));
    ::MoveToEx(dc, a.x, a.y, nullptr);
    ::LineTo(dc, b.x, b.y);
  }
  if (hover.snap)
    drawSnapMarker(dc, pixel(screen.toScreen(kind, hover.snap->point)), hover.snap->kind);

  // The axes, bottom left: X red, Y green, Z blue.
  const POINT origin{area.left + 40, area.bottom - 40};
  const std::pair<Vec3, COLORREF> axes[] = {
      {{1, 0, 0}, RGB(230, 70, 70)}, {{0, 1, 0}, RGB(70, 200, 90)}, {{0, 0, 1}, RGB(80, 130, 240)}};
  for (const auto& [axis, color] : axes) {
    const ViewPoint v = project(kind, axis);
    if (std::hypot(v.x, v.y) < 1e-9)
      continue;
    const GdiObject pen(::CreatePen(PS_SOLID, 2, color));
    Selected selected(dc, pen.get());
    ::MoveToEx(dc, origin.x, origin.y, nullptr);
    ::LineTo(dc, origin.x + static_cast<int>(28 * v.x), origin.y - static_cast<int>(28 * v.y));
  }
  ::SetTextAlign(dc, TA_TOP | TA_LEFT);
  const GdiObject uiFont = font(15);
  Selected selectedFont(dc, uiFont.get());
  ::SetTextColor(dc, kInk);
  const std::wstring viewLabel = std::wstring(L"View: ") + viewName(kind) + L"     Snap: " +
                                 (area_->snapping() ? L"on" : L"off") + L" (F3)";
  ::TextOutW(dc, area.left + 8, area.top + 6, viewLabel.c_str(),
             static_cast<int>(viewLabel.size()));

  // The command line: the last lines of history, then the prompt with what is being typed.
  RECT commandArea = client;
  commandArea.top = area.bottom;
  const GdiObject commandBrush(::CreateSolidBrush(kCommandBackground));
  ::FillRect(dc, &commandArea, static_cast<HBRUSH>(commandBrush.get()));
  ::SetTextColor(dc, kCommandInk);
  const auto& history = session_->history();
  std::vector<std::wstring> lines(
      history.end() -
          std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(history.size()), kCommandLines - 1),
      history.end());
  lines.push_back(session_->currentLine() + L"_");
  int y = commandArea.top + 1;
  for (const std::wstring& text : lines) {
    ::TextOutW(dc, commandArea.left + 6, y, text.c_str(), static_cast<int>(text.size()));
    y += kLineHeight;
  }
}

}  // namespace orbelle::sim::win32
