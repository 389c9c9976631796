#include "actions/Rotate3D.h"

#include "actions/ExactValues.h"
#include "host/FailureLog.h"
#include "host/HostLink.h"

namespace orbelle::actions {

namespace {

constexpr wchar_t kSelectPrompt[] = L"3D 回転する図形を選択 : ";
constexpr wchar_t kFirstPointPrompt[] = L"回転軸の1点目をを指示 : ";
constexpr wchar_t kSecondPointPrompt[] = L"回転軸の2点目をを指示 : ";
constexpr wchar_t kAnglePrompt[] = L"回転角度を入力: ";

}  // namespace

void rotate3D(HostEnvironment environment) noexcept {
  Desktop& desktop = environment.desktop;
  FailureLog failures(desktop, L"3-D rotation");
  HostRef<HostApplication> host;
  if (!connectHost(environment, host, &failures))
    return;
  try {
    activateHost(desktop, *host);
    const HostRef<HostDocument> document = host->activeDocument();
    document->sendCommand(L"^C^C");  // no wait for the host after it

    const HostRef<HostSelection> selection = document->selectionSet();
    selection->clear();
    document->utility()->prompt(kSelectPrompt);
    selection->selectOnScreen();
    endIfPaletteClosed(desktop);
    if (selection->count() <= 0)
      return;  // the user selected nothing: no failure

    // A cancelled ask or a failed rotation ends the asks and the loop, but the selection set
    // is still emptied; objects already turned stay turned.
    try {
      const HostRef<HostValue> first = document->utility()->getPoint(nullptr, kFirstPointPrompt);
      endIfPaletteClosed(desktop);
      const HostRef<HostValue> second =
          document->utility()->getPoint(first.get(), kSecondPointPrompt);
      endIfPaletteClosed(desktop);
      const double degrees = document->utility()->getReal(kAnglePrompt);
      endIfPaletteClosed(desktop);
      const std::int32_t count = selection->count();
      for (std::int32_t index = 0; index < count; ++index) {
        const HostRef<HostEntity> entity = selection->item(index);
        entity->rotate3D(*first, *second, radiansFromDegrees(degrees));
      }
    } catch (const PaletteClosed&) {
      throw;  // ends the action: no final clear
    } catch (...) {
      failures.write(std::current_exception());
    }
    endIfPaletteClosed(desktop);  // an ask that failed may have come back to a closed palette
    selection->clear();
  } catch (...) {
    // Nothing on screen; the references are released on the way out.
    failures.write(std::current_exception());
  }
}

}  // namespace orbelle::actions
