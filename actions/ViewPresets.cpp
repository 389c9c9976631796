#include "actions/ViewPresets.h"

#include <stdexcept>

#include "host/FailureLog.h"
#include "host/HostLink.h"

namespace orbelle::actions {

namespace {

const std::wstring& viewCommand(const std::wstring& caption) {
  static const std::wstring southWest = L"^C-VIEW SWISO ZOOM E\r";
  static const std::wstring southEast = L"^C-VIEW SEISO ZOOM E\r";
  static const std::wstring plan = L"^C-VIEW O T ZOOM E\r";
  if (caption == L"SW")
    return southWest;
  if (caption == L"SE")
    return southEast;
  return plan;
}

}  // namespace

void viewPreset(HostEnvironment environment, ui::Control* sender) noexcept {
  FailureLog failures(environment.desktop, L"view preset");
  HostRef<HostApplication> host;
  if (!connectHost(environment, host, &failures))
    return;
  try {
    activateHost(environment.desktop, *host);
    const HostRef<HostDocument> document = host->activeDocument();
    document->sendCommand(L"^C^C");
    // The caption is read only now, so a sender that is no button still leaves the host's
    // command line cancelled.
    const auto* button = dynamic_cast<const ui::SpeedButton*>(sender);
    if (button == nullptr)
      throw std::invalid_argument("the view action was started by something other than a button");
    document->sendCommand(viewCommand(button->caption()));
  } catch (...) {
    // Nothing on screen; the references are released on the way out.
    failures.write(std::current_exception());
  }
}

}  // namespace orbelle::actions
