// When a registration already in the registry is the stand-in's own, and what the host then does
// with it. The rules are portable; win32/Registration.cpp (/RegServer) and win32/ProgramIds.cpp
// (release 24's program IDs) only read and write the keys. On a machine where nanoCAD is
// installed, overwriting its keys would break it: the host writes only keys that are absent or
// its own, and removes only keys that still name what it wrote.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbelle::sim {

// The program IDs of a release: "nanoCAD.Application.24.0" and the version-independent one,
// which names the newest release installed.
struct ProgramIds {
  std::wstring versioned;
  std::wstring independent;
};
ProgramIds programIdsOf(std::string_view version);

// A program-ID key as the registry holds it.
struct ProgramIdKey {
  bool exists = false;
  std::wstring classId;  // its CLSID, empty when it names none
};

enum class Claim { Write, Refuse, Skip };
// What the host does with one of its program IDs: writes it when it is absent or names its class
// already (a leftover of its own); when it names another class, refuses to start for the
// versioned ID and leaves the version-independent one as it is.
Claim claimProgramId(const ProgramIdKey& key, std::wstring_view classId, bool versioned);
// Whether the key names that class (class IDs compare without regard to case): the only keys the
// host removes at exit.
bool namesClass(const ProgramIdKey& key, std::wstring_view classId);

// An interface or class key as /RegServer and /UnregServer find it.
struct RegistrationKey {
  bool exists = false;
  bool empty = false;                       // neither values nor subkeys
  std::optional<std::wstring> typeLibrary;  // its TypeLib
  std::optional<std::wstring> server;       // its LocalServer32 or InprocServer32 command line
};
// Why the key is another's, as a sentence ("names the type library {...}"); none when the
// stand-in may write or remove it: absent, empty, or naming only the stand-in's own type
// libraries and program (a leftover of an earlier build counts as its own).
std::optional<std::string> otherOwner(const RegistrationKey& key,
                                      const std::vector<std::wstring>& ourLibraries,
                                      std::wstring_view ourProgram);
// The program's file name in a server command line: "\"C:\\b\\nanosim.exe\" -Embedding" gives
// nanosim.exe.
std::wstring serverProgram(std::wstring_view commandLine);

}  // namespace orbelle::sim
