// The base of every window of the backend: `this` bound at WM_NCCREATE, and no exception ever
// leaves the window procedure. Each derived class destroys its window in its own destructor,
// while its handlers still exist; the object may outlive the window, never the reverse: a
// window still there when the base goes (a constructor threw after create()) goes with it.
#pragma once

#include <windows.h>

#include <exception>

#include "ui/ErrorDialog.h"

namespace orbelle::ui::win32 {

class Window {
 public:
  explicit Window(ErrorDialog& errors) : errors_(errors) {}
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Null before creation and once the system has destroyed the window.
  HWND hwnd() const { return hwnd_; }
  ErrorDialog& errors() const { return errors_; }

 protected:
  // Registers the class on first use (with `classStyle` besides redrawing on resizes) and
  // creates the window; throws when either fails.
  void create(const wchar_t* className, DWORD exStyle, const wchar_t* title, DWORD style, int x,
              int y, int width, int height, HWND parent, UINT classStyle = 0);
  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
  // Shows an exception caught at the edge, one error box at a time.
  void reportError(std::exception_ptr error) noexcept;

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  ErrorDialog& errors_;
  HWND hwnd_ = nullptr;
};

}  // namespace orbelle::ui::win32
