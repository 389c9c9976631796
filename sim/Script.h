// The script of user answers given to the host at start: one step a line, "#" starts a comment.
//
//   select [HANDLE ...]      objects for the pending selection, which then ends (none: empty)
//   point X,Y[,Z]            a point for the pending point request
//   pick HANDLE [X,Y[,Z]]    an object for the pending object request; "pick none": nothing
//   number VALUE             a number for the pending number request
//   escape                   Escape at the pending request
//   wait-command "TEXT"      hold the steps after it until this exact command string arrives
//   type "TEXT"              typed at the command line as at the keyboard
//   dialect NAME             the answer encodings of the connections made from then on
//   save-json PATH           the drawing as JSON
//   save-png PATH            the window as a PNG picture
//   revoke                   once something is asked: no new client can create the application
//   exit                     close the host
//
// Texts are in double quotes with the escapes \r \n \t \\ \" and \uXXXX.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/Drawing.h"
#include "sim/Error.h"

namespace orbelle::sim {

enum class StepKind {
  Select,
  Point,
  Pick,
  Number,
  Escape,
  WaitCommand,
  Type,
  Dialect,
  SaveJson,
  SavePng,
  Revoke,
  Exit
};

struct ScriptStep {
  StepKind kind;
  int line = 0;
  std::vector<Handle> handles;  // select; pick (one, or none)
  std::optional<Vec3> point;    // point; pick's picked point
  double number = 0;            // number
  std::wstring text;            // wait-command, type, dialect, save paths
  std::wstring source;          // the line as written, for the log
};

const char* stepName(StepKind kind);

// A script that does not parse: which line and what is wrong.
class ScriptError : public LineError {
 public:
  using LineError::LineError;
};

// Parses a whole script (UTF-8). Throws ScriptError at the first bad line.
std::vector<ScriptStep> parseScript(std::string_view text);

// For a host whose type library answers (in the types it declares, in no dialect): throws
// ScriptError at the first dialect step that names anything but canonical.
void refuseDialects(const std::vector<ScriptStep>& steps);

}  // namespace orbelle::sim
