// The stand-in host's command-line options.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/Error.h"

namespace orbelle::sim {

// Who answers IDispatch: the host's own code (which speaks the dialects), or the type library
// (ITypeInfo::GetIDsOfNames / Invoke over the declared vtables), as a host built on the library
// does.
enum class Dispatch { Hand, TypeLibrary };

struct Options {
  std::wstring title = L"nanoCAD 5";
  std::optional<std::wstring> drawing;  // JSON drawing to open
  std::optional<std::wstring> script;   // answers of the scripted user
  std::optional<std::wstring> log;      // JSON-lines log
  std::string dialect = "canonical";    // how automation answers are encoded
  // The release the host stands for: "5" (its class object, the default) or "24" (the Running
  // Object Table and program IDs).
  std::string release = "5";
  Dispatch dispatch = Dispatch::Hand;  // release 24: always the type library
  // A release of a test's own (with release 24's interfaces): its class ID, upper case in
  // braces, and its version "N.M"; given together or not at all.
  std::optional<std::wstring> classId;
  std::optional<std::string> version;
  bool registerServer = false;    // /RegServer
  bool unregisterServer = false;  // /UnregServer
  bool embedding = false;         // started by COM (-Embedding)
  bool help = false;
};

class OptionsError : public Error {
 public:
  using Error::Error;
};

// Throws OptionsError with what is wrong and what to write instead.
Options parseOptions(const std::vector<std::wstring>& arguments);

// The version the host registers its program IDs under: "24.0", or the one given.
std::string programVersion(const Options& options);
// What the log's ready line calls the release: "5", "24", or the version given.
std::string releaseName(const Options& options);

extern const char* const kUsage;

}  // namespace orbelle::sim
