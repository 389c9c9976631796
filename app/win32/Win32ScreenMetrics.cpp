#include "app/win32/Win32ScreenMetrics.h"

#include <windows.h>

#include <shellscalingapi.h>

#include "ui/win32/FormWindow.h"

namespace orbelle::win32 {

namespace {

// The palette is placed before its window exists, by the primary screen's measures: its size
// there is the one the centring and the clamps are about.
int primaryMonitorDpi() {
  HMONITOR primary = ::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (SUCCEEDED(::GetDpiForMonitor(primary, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) && dpiX != 0)
    return static_cast<int>(dpiX);
  return static_cast<int>(::GetDpiForSystem());
}

}  // namespace

ScreenSize Win32ScreenMetrics::primaryScreen() {
  return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

ScreenSize Win32ScreenMetrics::outerSize(const ui::Form& form) {
  const SIZE outer = ui::win32::FormWindow::outerSize(form, primaryMonitorDpi());
  return {static_cast<int>(outer.cx), static_cast<int>(outer.cy)};
}

}  // namespace orbelle::win32
