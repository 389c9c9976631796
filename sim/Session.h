// The stand-in host as one object: its drawing, command line, user (a person or the script),
// automation calls and log. The window and the COM server are thin shells around it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/Automation.h"
#include "sim/CommandLine.h"
#include "sim/Drawing.h"
#include "sim/Encoding.h"
#include "sim/Json.h"
#include "sim/Script.h"

namespace orbelle::sim {

// Where the log's JSON lines go; each line is flushed as it is written.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void write(const std::string& line) = 0;
};

// What the host needs from its window.
class HostPlatform {
 public:
  virtual ~HostPlatform() = default;
  virtual std::int64_t windowHandle() = 0;
  virtual void redraw() = 0;
  // Runs the host's messages until `done` holds: how a blocking ask waits for its user.
  virtual void waitUntil(const std::function<bool()>& done) = 0;
  // Writes the window's picture as PNG; throws Error when it cannot.
  virtual void savePicture(const std::wstring& path) = 0;
  virtual void close() = 0;
  // Withdraws the class object from COM (release 24: the application from the Running Object
  // Table): no new client can create or find the application, while the objects handed out keep
  // answering. A host about to be killed does this first, since Wine 8 keeps a killed server's
  // registration and fails later creations of the class. A platform that registered nothing has
  // nothing to withdraw.
  virtual void revokeClassObject() {}
};

enum class RequestKind { Objects, Point, Entity, Number, Text };
const char* requestName(RequestKind kind);

// Something the host waits for its user to give.
struct Request {
  RequestKind kind;
  bool fromCommandLine = false;
  std::wstring source;  // the asking member, or the command whose prompt it is
  std::wstring prompt;
  std::optional<Vec3> basePoint;
  int promptSerial = 0;  // the command line's prompt it stands for
  // The outcome.
  bool done = false;
  bool cancelled = false;
  std::vector<Handle> objects;
  Vec3 point;
  std::optional<Handle> entity;
  double number = 0;
};

// What the host stands for and what it registered, for the log's ready line.
struct HostIdentity {
  std::wstring title = L"nanoCAD 5";
  std::string release = "5";               // "5", "24", or a version of a test's own
  std::wstring classId{};                  // the application's class, {...}
  std::vector<std::wstring> programIds{};  // the program IDs it registered
};

class Session final : public CommandLineListener {
 public:
  Session(Drawing drawing, std::vector<ScriptStep> script, LogSink& log, HostPlatform& platform);
  ~Session() override;

  // The host is up: the class object (or the application in the Running Object Table) is
  // registered and the window shown.
  void ready(const HostIdentity& identity);
  void ready(const std::wstring& title) { ready(HostIdentity{.title = title}); }
  // A program ID the host left as it was, since it names another class: said in the log.
  void programIdSkipped(const std::wstring& programId, const std::wstring& otherClass);

  // The dialect of the connections made from now on (canonical at first).
  void setDialect(const Dialect& dialect) { dialect_ = &dialect; }
  const Dialect& dialect() const { return *dialect_; }

  // Automation.
  ObjectRef createApplication();
  // The application the host keeps for its whole life (release 24 registers it in the Running
  // Object Table, which holds it): no client's object, so it logs no create line and counts in
  // no live count.
  ObjectRef residentApplication();
  // The DISPID of a member, 0 when the object has none (IDispatch::GetIDsOfNames); logged as a
  // "lookup" line with the DISPID a client gets (kUnknownDispid for none).
  int memberId(const AutomationObject& object, std::wstring_view name);
  // A lookup answered by someone else (the type library): logged as memberId logs its own.
  void lookedUp(const AutomationObject& object, std::wstring_view name, int dispid);
  // A call the type library's dispatch refused before any member ran (a property read with
  // DISPATCH_METHOD alone, a bad argument): logged as a fail line with that status.
  void refused(const AutomationObject& object, const std::wstring& member, std::int32_t status);
  // Calls a member; the answer, and each out parameter's `reply`, in the object's dialect.
  // Throws AutomationError.
  WireValue call(AutomationObject& object, const std::wstring& member, int flags,
                 std::vector<Argument>& arguments);
  int objectCreated(AutomationObject& object);
  void objectReleased(AutomationObject& object);
  int live() const { return live_; }
  std::int64_t windowHandle() { return platform_.windowHandle(); }

  // What the automation members do.
  void sendCommand(const std::wstring& text);
  void showPrompt(const std::wstring& text);
  Vec3 getPoint(std::optional<Vec3> basePoint, const std::wstring& prompt);
  double getReal(const std::wstring& prompt);
  // The picked entity and point; no entity when the user picked nothing.
  std::pair<std::optional<Handle>, Vec3> getEntity(const std::wstring& prompt);
  std::vector<Handle> selectOnScreen(const std::wstring& prompt);
  bool isQuiescent() const;
  void drawingChanged() override;

  // The person at the window, and what happens to the window itself ("minimized", "restored",
  // "activated", "deactivated"), logged so that tests can order it against the calls.
  void windowEvent(std::string_view event);
  void keyEscape(bool down);
  void typeKey(wchar_t c);
  void pointAt(Vec3 world, std::optional<Handle> hit);
  void endPicking();

  // What the window shows.
  Drawing& drawing() { return drawing_; }
  const Drawing& drawing() const { return drawing_; }
  const std::vector<std::wstring>& history() const { return history_; }
  std::wstring currentLine() const;
  // The objects of the current selection: a selection in progress, the running command's
  // objects, and the automation selection set until it is cleared or Escape cancels it.
  std::vector<Handle> highlighted() const;
  // What a second point would do, while one is asked.
  std::optional<Drag> drag() const;
  // The innermost request still open, if any.
  const Request* pending() const { return top(); }

  // Saves the drawing as JSON; throws Error when it cannot.
  void saveJson(const std::wstring& path);

  // CommandLineListener
  void echo(const std::wstring& line) override;
  void commandEvent(std::string_view event, const std::wstring& command,
                    const std::wstring& detail) override;

 private:
  json::ObjectWriter line(std::string_view kind) const;
  void emit(const json::ObjectWriter& writer);
  std::string valueJson(const Value& value) const;

  std::shared_ptr<Request> ask(RequestKind kind, const wchar_t* member, const std::wstring& prompt,
                               std::optional<Vec3> basePoint);
  void waitFor(const std::shared_ptr<Request>& request);
  void logWaiting(const Request& request);
  void syncCommandRequest();
  void afterInput();
  void cancelTop();
  Request* top() const;  // the innermost request still open
  void giveObjects(const std::vector<Handle>& handles, bool end);
  void givePoint(Vec3 point);
  void giveNumber(double value);
  void giveEntity(std::optional<Handle> entity, Vec3 point);
  void runScript();
  bool applyStep(const ScriptStep& step);
  void scriptError(const ScriptStep& step, const std::string& message);

  Drawing drawing_;
  CommandLine commandLine_;
  std::vector<ScriptStep> script_;
  std::size_t nextStep_ = 0;
  bool scriptStopped_ = false;
  bool runningScript_ = false;
  bool commandArrived_ = false;  // the string a wait-command step holds for has come
  LogSink& log_;
  HostPlatform& platform_;
  const Dialect* dialect_ = &canonicalDialect();
  Encoder encoder_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  long long seq_ = 0;
  int live_ = 0;
  int nextObjectId_ = 1;
  std::vector<int> resident_;                       // ids of the objects kept for the host's life
  std::vector<std::shared_ptr<Request>> requests_;  // the innermost last
  std::vector<std::wstring> history_;
  std::wstring typed_;                      // typed for an automation request
  std::vector<Handle> dismissedSelection_;  // the selection set as Escape left it, not shown
};

}  // namespace orbelle::sim
