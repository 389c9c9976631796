#include "sim/Registrations.h"

#include <algorithm>

#include "sim/Drawing.h"
#include "sim/Json.h"

namespace orbelle::sim {

namespace {

bool sameText(std::wstring_view a, std::wstring_view b) {
  return upperCase(a) == upperCase(b);
}

}  // namespace

ProgramIds programIdsOf(std::string_view version) {
  const std::wstring independent = L"nanoCAD.Application";
  return {independent + L"." + fromUtf8(version), independent};
}

bool namesClass(const ProgramIdKey& key, std::wstring_view classId) {
  return key.exists && !key.classId.empty() && sameText(key.classId, classId);
}

Claim claimProgramId(const ProgramIdKey& key, std::wstring_view classId, bool versioned) {
  if (!key.exists || namesClass(key, classId))
    return Claim::Write;
  return versioned ? Claim::Refuse : Claim::Skip;
}

std::wstring serverProgram(std::wstring_view commandLine) {
  std::wstring_view path = commandLine;
  while (!path.empty() && path.front() == L' ')
    path.remove_prefix(1);
  if (!path.empty() && path.front() == L'"') {
    path.remove_prefix(1);
    path = path.substr(0, path.find(L'"'));
  } else {
    // Unquoted, the path ends at its ".exe" (it may hold blanks) or else at the first blank.
    const std::wstring upper = upperCase(path);
    const std::size_t exe = upper.find(L".EXE");
    path = path.substr(0, exe != std::wstring::npos ? exe + 4 : path.find(L' '));
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::optional<std::string> otherOwner(const RegistrationKey& key,
                                      const std::vector<std::wstring>& ourLibraries,
                                      std::wstring_view ourProgram) {
  if (!key.exists || key.empty)
    return std::nullopt;
  if (key.typeLibrary &&
      std::none_of(ourLibraries.begin(), ourLibraries.end(),
                   [&](const std::wstring& ours) { return sameText(ours, *key.typeLibrary); })) {
    return "names the type library " + toUtf8(*key.typeLibrary);
  }
  if (key.server && !sameText(serverProgram(*key.server), ourProgram))
    return "names the server " + toUtf8(*key.server);
  if (!key.typeLibrary && !key.server)
    return "holds a registration that names neither a type library nor a server of the "
           "stand-in's";
  return std::nullopt;
}

}  // namespace orbelle::sim
