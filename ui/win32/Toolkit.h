// The toolkit on Windows: its start-up, its message loop and its error box.
#pragma once

#include "ui/ErrorDialog.h"

namespace orbelle::ui::win32 {

// What the program's actions need on this thread: COM in a single-threaded apartment (the
// actions automate the host). Undone when it goes.
class Toolkit {
 public:
  Toolkit() = default;
  ~Toolkit();
  Toolkit(const Toolkit&) = delete;
  Toolkit& operator=(const Toolkit&) = delete;

  // Starts COM; throws when it cannot. Nothing needs it before the first click, so the program
  // starts it once its window is on the screen.
  void startCom();
  // Dispatches messages until the quit message; returns its exit code.
  int runMessageLoop();

 private:
  bool comStarted_ = false;
};

// Loads the common controls (the hint windows) the first time it is called; throws when they
// cannot load. Nothing needs them before the palette is shown, and loading them at start-up would
// keep it from the screen longer.
void loadCommonControls();

// Takes back a quit the palette's window posted as it went, so that an error box shown after it
// is not closed by that quit before it is seen. For the program's last words only: the message
// loop ends without it.
void discardPendingQuit();

// The standard error box: an error icon, an OK button, the program's name as its title.
class ErrorBox final : public ErrorDialog {
 public:
  void showError(const std::wstring& text) override;
};

}  // namespace orbelle::ui::win32
