#include "actions/IsometricBlock.h"

#include "actions/BlockCommands.h"
#include "actions/NumberText.h"
#include "host/FailureLog.h"
#include "host/HostLink.h"
#include "host/WaitHostIdle.h"

namespace orbelle::actions {

namespace {

constexpr wchar_t kSelectPrompt[] = L"アイソメブロックにする図形を選択 : ";
constexpr wchar_t kBasePointPrompt[] = L"ブロックの基点を指示 : ";
// Seconds: more than eight hours. In practice the user ends or cancels the selection first.
constexpr std::uint32_t kSelectionTimeLimit = 30000;

}  // namespace

void isometricBlock(HostEnvironment environment, const std::wstring& makeType) noexcept {
  Desktop& desktop = environment.desktop;
  FailureLog failures(desktop, L"isometric block");
  HostRef<HostApplication> host;
  if (!connectHost(environment, host, &failures))
    return;
  try {
    activateHost(desktop, *host);
    pressEscInHost(desktop, *host, EscapeVariant::SinglePauseAfter);
    const HostRef<HostDocument> document = host->activeDocument();
    document->sendCommand(L"^C^C");

    // The clock is read once, before the selection: a slow selection keeps the earlier time.
    const PlaneRow row = planeRow(makeType);
    const std::wstring blockName = blockNamePrefix(desktop.localTime()) + row.suffix;

    document->utility()->prompt(kSelectPrompt);
    document->sendCommand(L"SELECT\r");
    if (waitHostIdle(desktop, *document, kSelectionTimeLimit, &failures) != kWaitIdle)
      return;  // Escape, a close, the limit or a failure: the selection is left to the host

    bringHostToFront(desktop, *host);
    pressEscInHost(desktop, *host, EscapeVariant::Double);
    const HostRef<HostValue> basePoint = document->utility()->getPoint(nullptr, kBasePointPrompt);
    // Only X and Y are read; a value that is not an array of finite numbers throws here,
    // before any command string goes out.
    const std::wstring point = pointText(basePoint->element(0), basePoint->element(1));
    endIfPaletteClosed(desktop);  // the ask may have come back to a closed palette

    for (const std::wstring& command : blockCommands(blockName, point, row))
      document->sendCommand(command);
  } catch (...) {
    // Nothing on screen; what reached the host stays, and the references are released.
    failures.write(std::current_exception());
  }
}

}  // namespace orbelle::actions
