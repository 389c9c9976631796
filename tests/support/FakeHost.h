// The test side of the host seam: a scriptable host that records every call in the shared log,
// fails any call on request, and counts the references it has handed out and not yet had back.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/Desktop.h"
#include "host/nanoCAD_TLB.h"
#include "tests/support/CallLog.h"

namespace orbelle::fake {

// What a VARIANT handed out by the host holds.
struct FakeValue {
  enum class Type { Empty, Array, Number, Text, Object, NullObject };
  Type type = Type::Empty;
  std::vector<double> array;
  double number = 0;
  std::wstring text;  // a Text's string, or an Object's drawing name

  static FakeValue point(double x, double y, double z) { return {Type::Array, {x, y, z}, 0, {}}; }
  static FakeValue numberValue(double value) { return {Type::Number, {}, value, {}}; }
  static FakeValue textValue(std::wstring value) { return {Type::Text, {}, 0, std::move(value)}; }
  static FakeValue object(std::wstring name) { return {Type::Object, {}, 0, std::move(name)}; }
  static FakeValue nullObject() { return {Type::NullObject, {}, 0, {}}; }
};

// How a value appears in the log: "[1, 2.5, 0]", "<empty>", "<object t1>", ...
std::wstring describe(const FakeValue& value);

// An answer the user gives in the host; no value means the user cancels (the call fails).
inline constexpr std::nullopt_t kCancel = std::nullopt;

// A drawing object of the host.
struct FakeEntity {
  std::wstring name;
  std::wstring className = L"AcDbLine";  // ObjectName
  bool offersEntity = true;              // answers a query for IAcadEntity
  bool offersText = false;               // answers a query for IAcadText
  std::int32_t alignment = 0;
  double height = 2.5;
  double rotation = 0;
  double scaleFactor = 1;
  double obliqueAngle = 0;
  FakeValue insertionPoint = FakeValue::point(0, 0, 0);
  FakeValue alignmentPoint = FakeValue::point(0, 0, 0);
};

class FakeHost {
 public:
  explicit FakeHost(CallLog& log) : log_(log) {}
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // What the host answers.
  WindowHandle mainWindow = 0;
  std::deque<std::optional<FakeValue>> pointAnswers;  // GetPoint
  std::deque<std::optional<double>> realAnswers;      // GetReal
  std::deque<std::optional<FakeValue>> pickAnswers;   // GetEntity's object
  // IsQuiescent, one per poll over all waits; the last repeats; none means idle.
  std::vector<bool> idleAnswers;
  bool stateOffersInterface = true;         // GetState's object answers IAcadState
  std::vector<std::wstring> selection;      // the active selection set, by drawing name
  std::vector<std::wstring> userSelection;  // what the user selects on screen
  std::deque<std::int32_t> countAnswers;    // Count, while any are left; else the set's size
  // Runs inside every call, after it is logged: what happens elsewhere while the host works
  // (the palette closed while a pick waits for the user, for instance).
  std::function<void(const std::wstring& key)> onCall;

  // The drawing; objects keep their place.
  FakeEntity& addEntity(std::wstring name, std::wstring className = L"AcDbLine");
  FakeEntity& addText(std::wstring name);
  FakeEntity& entity(std::wstring_view name);
  bool hasEntity(std::wstring_view name) const;
  const std::deque<FakeEntity>& drawing() const { return drawing_; }

  // The `occurrence`-th call with this key ("Document.sendCommand") fails with `status`.
  void failAt(std::wstring key, int occurrence = 1, std::int32_t status = kStatusFail);

  // References handed out and not yet released.
  int liveReferences() const { return live_; }

  HostRef<HostApplication> createApplication();

  // For the fake's own objects: log a call, failing it when planned; count references.
  void enter(std::wstring object, std::wstring operation, std::vector<std::wstring> args = {});
  void acquire() { ++live_; }
  void release() { --live_; }
  bool nextIdle();

 private:
  CallLog& log_;
  std::deque<FakeEntity> drawing_;
  std::map<std::wstring, std::map<int, std::int32_t>> failures_;
  std::map<std::wstring, int> seen_;
  std::size_t polls_ = 0;
  int live_ = 0;
};

// An application object registered as running: the interface IDs it answers, or the status
// every query of it fails with (a host that died without withdrawing it).
struct FakeRunning {
  std::vector<Guid> answers;
  std::int32_t failure = 0;
};

// Creates the fake host's application object, as the COM class creation would, and finds the
// ones registered as running. The search of the running objects is recorded in `lookups`, apart
// from the shared log: it talks to no host until one is driven.
class FakeConnector : public HostConnector {
 public:
  explicit FakeConnector(FakeHost& host) : host_(host) {}

  bool fails = false;           // the creation or the query answers an error status
  bool createsNothing = false;  // succeeds without an object

  std::vector<std::wstring> programIds;             // registered, in the registry's order
  std::optional<std::vector<std::uint64_t>> stamp;  // classesStamp(); none: cannot tell
  std::int32_t listingFailure = 0;                  // registeredProgramIds fails with this status
  std::map<std::wstring, Guid> classes;             // the class each program ID names
  std::map<std::wstring, FakeRunning> running;      // by the class's registry spelling
  // "programIds nanoCAD.Application", "class NAME", "running {CLASS}", "answers {CLASS} {IID}",
  // "drive {CLASS} RELEASE", in order.
  std::vector<std::wstring> lookups;

  // Registers `programId` for `classId`, and a running application answering `answers`.
  void runs(const std::wstring& programId, const Guid& classId, std::vector<Guid> answers);

  HostRef<HostApplication> createApplication() override;
  std::vector<std::wstring> registeredProgramIds(std::wstring_view prefix) override;
  std::optional<std::vector<std::uint64_t>> classesStamp() override { return stamp; }
  std::optional<Guid> classOfProgramId(const std::wstring& programId) override;
  HostRef<RunningHost> runningObject(const Guid& classId) override;

 private:
  FakeHost& host_;
};

}  // namespace orbelle::fake
