// A running host on a desktop, all fake, wired together: the starting point of every action
// test. The host's window exists, is neither minimised nor in front, and answers its handle.
#pragma once

#include "host/HostEnvironment.h"
#include "tests/support/CallLog.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeHost.h"

namespace orbelle::fake {

struct FakeWorld {
  static constexpr WindowHandle kHostWindow = 0x20E42;
  static constexpr WindowHandle kOtherWindow = 0x31337;

  FakeWorld() {
    desktop.windows[kHostWindowTitle] = kHostWindow;
    desktop.foregroundWindow = kOtherWindow;
    desktop.tick = 7'000'000;
    host.mainWindow = kHostWindow;
  }

  CallLog log;
  FakeDesktop desktop{log};
  FakeHost host{log};
  FakeConnector connector{host};
  HostEnvironment environment{desktop, connector};
};

}  // namespace orbelle::fake
