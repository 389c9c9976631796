// The host's main window: the drawing in the current view above, the command line below; and
// what the session needs from a window (nested waits, redraws, pictures).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "sim/DrawingArea.h"
#include "sim/Session.h"

namespace orbelle::sim::win32 {

class HostWindow final : public HostPlatform {
 public:
  HostWindow();
  ~HostWindow() override;
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  void attach(Session& session);
  void detach();
  // Creates and shows the window; throws Error when it cannot.
  void create(const std::wstring& title, int showCommand);
  HWND handle() const { return window_; }

  // HostPlatform
  std::int64_t windowHandle() override;
  void redraw() override;
  void waitUntil(const std::function<bool()>& done) override;
  void savePicture(const std::wstring& path) override;
  void close() override;
  void revokeClassObject() override;
  // What revokeClassObject() does: the program that registered the class object knows how.
  void onRevoke(std::function<void()> revoke) { revoke_ = std::move(revoke); }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  // Pointer messages, handed to the drawing area in its terms.
  void pointerEvent(UINT message, WPARAM w, LPARAM l);
  void paint(HDC dc, const RECT& client) const;
  // The drawing area sized to the client area now; none before a session is attached.
  DrawingArea* area();

  HWND window_ = nullptr;
  Session* session_ = nullptr;
  std::unique_ptr<DrawingArea> area_;
  bool trackingLeave_ = false;
  bool minimized_ = false;
  std::function<void()> revoke_;
};

}  // namespace orbelle::sim::win32
