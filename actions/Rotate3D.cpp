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
  FailureLog failures(environment.desktop, L"3-D rotation");
  HostRef<HostApplication> host;
  if (!connectHost(environment, host, &failures))
    return;
  try {
    activateHost(environment.desktop, *host);
    const HostRef<HostDocument> document = host->activeDocument();
    document->sendCommand(L"^C^C");  // no wait for the host after it

    const HostRef<HostSelection> selection = document->selectionSet();
    selection->clear();
    document->utility()->prompt(kSelectPrompt);
    selection->selectOnScreen();
    if (selection->count() <= 0)
      return;  // the user selected nothing: no failure

    // A cancelled ask or a failed rotation ends the asks and the loop, but the selection set
    // is still emptied; objects already turned stay turned.
    try {
      const HostRef<HostValue> first = document->utility()->getPoint(nullptr, kFirstPointPrompt);
      const HostRef<HostValue> second =
          document->utility()->getPoint(first.get(), kSecondPointPrompt);
      const double degrees = document->utility()->getReal(kAnglePrompt);
      const std::int32_t count = selection->count();
      for (std::int32_t index = 0; index < count; ++index) {
        const HostRef<HostEntity> entity = selection->item(index);
        entity->rotate3D(*first, *second, radiansFromDegrees(degrees));
      }
    } catch (...) {
      failures.write(std::current_exception());
    }
    selection->clear();
  } catch (...) {
    // Nothing on screen; the references are released on the way out.
    failures.write(std::current_exception());
  }
}

}  // namespace orbelle::actions
