// The stand-in host's one error convention: whatever it refuses or fails at is thrown as an
// Error (or a subclass that says more: a line, a COM status) whose message says what and why.
// Nothing returns an error message or a status for the caller to remember to check.
#pragma once

#include <stdexcept>
#include <string>

namespace orbelle::sim {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An error about one line of an input file (a drawing, a script).
class LineError : public Error {
 public:
  LineError(int line, const std::string& what) : Error(what), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

}  // namespace orbelle::sim
