#include "host/HostLink.h"

#include "host/RunningHosts.h"

namespace orbelle {

namespace {

constexpr std::uint32_t kPauseAfterRestore = 500;

void escapeDown(Desktop& desktop) {
  desktop.keyEvent(kVirtualKeyEscape, 0, 0, 0);
}

void escapeUp(Desktop& desktop) {
  desktop.keyEvent(kVirtualKeyEscape, 0, kKeyEventKeyUp, 0);
}

}  // namespace

bool connectHost(HostEnvironment environment, HostRef<HostApplication>& host,
                 FailureLog* failures) noexcept {
  // The window is the sign that nanoCAD 5 is running; without it no COM creation is tried, and
  // a later release, whose title nobody knows, is looked for among the running objects. With
  // it, nanoCAD 5 alone is driven, even where a later release runs too.
  try {
    if (environment.desktop.findTopLevelWindow(kHostWindowTitle) == 0)
      return attachRunningHost(environment.connector, host, failures);
  } catch (...) {
    if (failures != nullptr)
      failures->write(std::current_exception());
    return false;
  }
  try {
    host = environment.connector.createApplication();
    if (host == nullptr && failures != nullptr)
      failures->write(L"the host's application object came back empty");
  } catch (...) {
    host.reset();
    if (failures != nullptr)
      failures->write(std::current_exception());
  }
  return host != nullptr;
}

// The handle is asked of the host before every use and never kept: the host may have
// recreated its main window since.
void activateHost(Desktop& desktop, HostApplication& host) {
  if (desktop.isMinimized(host.mainWindowHandle())) {
    desktop.restore(host.mainWindowHandle());
    desktop.sleep(kPauseAfterRestore);
  }
  bringHostToFront(desktop, host);
}

void bringHostToFront(Desktop& desktop, HostApplication& host) {
  desktop.setForeground(host.mainWindowHandle());
}

void pressEscInHost(Desktop& desktop, HostApplication& host, EscapeVariant variant) {
  // Key events go to whichever window has the keyboard; this comparison is the only guard
  // against cancelling something in another program. Handle first, then the foreground.
  const WindowHandle hostWindow = host.mainWindowHandle();
  if (hostWindow != desktop.foreground())
    return;
  switch (variant) {
    case EscapeVariant::SinglePauseAfter:
      escapeDown(desktop);
      escapeUp(desktop);
      desktop.sleep(5);
      break;
    case EscapeVariant::SinglePauseBetween:
      escapeDown(desktop);
      desktop.sleep(5);
      escapeUp(desktop);
      break;
    case EscapeVariant::Double:
      escapeDown(desktop);
      escapeUp(desktop);
      desktop.sleep(200);
      escapeDown(desktop);
      escapeUp(desktop);
      desktop.sleep(500);
      break;
  }
}

void endIfPaletteClosed(Desktop& desktop) {
  if (desktop.quitRequested())
    throw PaletteClosed();
}

}  // namespace orbelle
