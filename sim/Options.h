// The stand-in host's command-line options.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/Error.h"

namespace orbelle::sim {

struct Options {
  std::wstring title = L"nanoCAD 5";
  std::optional<std::wstring> drawing;  // JSON drawing to open
  std::optional<std::wstring> script;   // answers of the scripted user
  std::optional<std::wstring> log;      // JSON-lines log
  std::string dialect = "canonical";    // how automation answers are encoded
  bool registerServer = false;          // /RegServer
  bool unregisterServer = false;        // /UnregServer
  bool embedding = false;               // started by COM (-Embedding)
  bool help = false;
};

class OptionsError : public Error {
 public:
  using Error::Error;
};

// Throws OptionsError with what is wrong and what to write instead.
Options parseOptions(const std::vector<std::wstring>& arguments);

extern const char* const kUsage;

}  // namespace orbelle::sim
