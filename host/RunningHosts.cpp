#include "host/RunningHosts.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/ProgramIds.h"

namespace orbelle {

namespace {

// How the search went at one program ID, for the line that says nothing was found.
std::wstring outcomes(const std::vector<std::pair<std::wstring, std::wstring>>& looked) {
  std::wstring text;
  for (const auto& [programId, outcome] : looked)
    text += (text.empty() ? L"" : L", ") + programId + L" (" + outcome + L")";
  return text;
}

void say(FailureLog* failures, const std::wstring& why) {
  if (failures != nullptr)
    failures->write(why);
}

}  // namespace

bool attachRunningHost(HostConnector& connector, HostRef<HostApplication>& host,
                       FailureLog* failures) noexcept {
  const std::wstring noWindow = L"no window titled \"" + std::wstring(kHostWindowTitle) + L"\"";
  std::wstring current;  // the program ID being looked at, for a failure there
  try {
    const std::vector<std::wstring> programIds =
        hostProgramIdsNewestFirst(connector.registeredProgramIds(kHostProgramId));
    std::vector<std::pair<std::wstring, std::wstring>> looked;
    std::vector<std::pair<Guid, std::wstring>> classes;  // each class is asked for once
    for (const std::wstring& programId : programIds) {
      current = programId;
      const std::optional<Guid> classId = connector.classOfProgramId(programId);
      if (!classId) {
        looked.emplace_back(programId, L"names no class");
        continue;
      }
      const auto same = std::ranges::find(classes, *classId, &std::pair<Guid, std::wstring>::first);
      if (same != classes.end()) {
        looked.emplace_back(programId, L"as " + same->second);
        continue;
      }
      classes.emplace_back(*classId, programId);
      const HostRef<RunningHost> running = connector.runningObject(*classId);
      if (running == nullptr) {
        looked.emplace_back(programId, L"not running");
        continue;
      }
      if (running->answers(kNanoCad5.application)) {
        looked.emplace_back(programId, std::wstring(kNanoCad5.name) + L", known by its title only");
        continue;
      }
      for (const HostRelease& release : laterReleases()) {
        if (!running->answers(release.application))
          continue;
        HostRef<HostApplication> application = running->drive(release);
        if (application == nullptr) {
          say(failures, programId + L": the host's application object came back empty");
          return false;
        }
        if (failures != nullptr)
          failures->against(programId);
        host = std::move(application);
        return true;
      }
      say(failures, programId + L" runs, but its application answers no interface ID known here");
      return false;
    }
    say(failures, looked.empty() ? noWindow : noWindow + L"; looked for " + outcomes(looked));
  } catch (...) {
    if (failures != nullptr) {
      if (!current.empty())
        failures->against(current);
      failures->write(std::current_exception());
    }
  }
  return false;
}

}  // namespace orbelle
