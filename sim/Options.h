// The stand-in host's command-line options.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orbelle::sim {

struct Options {
  std::wstring title = L"nanoCAD 5";
  std::optional<std::wstring> drawing;  // JSON drawing to open
  std::optional<std::wstring> script;   // answers of the scripted user
  std::optional<std::wstring> log;      // JSON-lines log
  bool registerServer = false;          // /RegServer
  bool unregisterServer = false;        // /UnregServer
  bool embedding = false;               // started by COM (-Embedding)
  bool help = false;
};

class OptionsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws OptionsError with what is wrong and what to write instead.
Options parseOptions(const std::vector<std::wstring>& arguments);

extern const char* const kUsage;

}  // namespace orbelle::sim
