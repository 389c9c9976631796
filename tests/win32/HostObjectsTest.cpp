// Every reading site of the COM host objects, in every encoding a host may answer in: the
// palette's actions run over host/win32's objects against the fake server, and each encoding
// must give the very calls, strings and bits that the canonical encoding gives; each refused
// encoding the same as a failed call. References are balanced after every run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "host/nanoCAD_TLB.h"
#include "host/win32/ComStatus.h"
#include "tests/support/CallLog.h"
#include "tests/win32/Encodings.h"
#include "tests/win32/FakeCad.h"

namespace orbelle::win32::fake {
namespace {

using Action = CadWorld::Action;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

// A place where the palette reads (or takes and hands back) something the host answered.
struct Site {
  const wchar_t* member;
  Meaning meaning;
  Action action;
  // Scripts that reach the site with different canonical values: whole numbers, which every
  // encoding holds, then values that only some encodings hold exactly.
  std::vector<std::function<void(CadScript&)>> scripts;
  // A value read only later, where the action uses it: an unreadable one ends the action there,
  // just before this member would be called, instead of at its own call.
  const wchar_t* readBefore = nullptr;
};

void PrintTo(const Site& site, std::ostream* out) {
  *out << orbelle::fake::printable(site.member);
}

std::function<void(CadScript&)> unchanged() {
  return [](CadScript&) {};
}

template <class T>
std::function<void(CadScript&)> set(T CadScript::*field, T value) {
  return [field, value](CadScript& script) { script.*field = value; };
}

std::vector<std::function<void(CadScript&)>> numbers(double CadScript::*field, double whole) {
  return {set(field, whole), set(field, 12.375), set(field, 0.1), set(field, -0.0)};
}

using Points = std::vector<std::vector<double>>;

const Site kSites[] = {
    {L"ActiveDocument", Meaning::Object, Action::View, {unchanged()}},
    {L"HWND",
     Meaning::WindowHandle,
     Action::View,
     {unchanged(), set(&CadScript::window, std::int32_t{0x7FFF0001})}},
    {L"ActiveSelectionSet", Meaning::Object, Action::Rotation, {unchanged()}},
    {L"Utility", Meaning::Object, Action::Text, {unchanged()}},
    {L"Application", Meaning::Object, Action::Block, {unchanged()}},
    {L"GetState", Meaning::Object, Action::Block, {unchanged()}},
    {L"IsQuiescent", Meaning::Flag, Action::Block, {unchanged()}},
    {L"GetPoint",
     Meaning::Point,
     Action::Block,
     {set(&CadScript::points, Points{{100, 50, 0}}),
      set(&CadScript::points, Points{{100.5, -12.25, 7.5}}),
      set(&CadScript::points, Points{{0.1, 1e300, -0.0}})}},
    {L"GetReal", Meaning::Number, Action::Rotation, numbers(&CadScript::real, 30)},
    {L"GetEntity", Meaning::Object, Action::Text, {unchanged()}},
    {L"Count", Meaning::WholeNumber, Action::Rotation, {unchanged()}},
    {L"Item", Meaning::Object, Action::Rotation, {unchanged()}},
    {L"ObjectName",
     Meaning::Text,
     Action::Text,
     {unchanged(), set(&CadScript::className, std::wstring(L"AcDbMText"))}},
    {L"Copy", Meaning::Object, Action::Text, {unchanged()}},
    {L"Alignment",
     Meaning::WholeNumber,
     Action::Text,
     {unchanged(), set(&CadScript::alignment, std::int32_t{2})}},
    {L"Height", Meaning::Number, Action::Text, numbers(&CadScript::height, 10)},
    {L"Rotation", Meaning::Number, Action::Text, numbers(&CadScript::rotation, 0)},
    {L"ObliqueAngle", Meaning::Number, Action::Text, numbers(&CadScript::obliqueAngle, 1)},
    {L"InsertionPoint",
     Meaning::Point,
     Action::Text,
     {set(&CadScript::insertionPoint, std::vector<double>{12, 3, 0}),
      set(&CadScript::insertionPoint, std::vector<double>{12.375, -3.5, 1}),
      set(&CadScript::insertionPoint, std::vector<double>{0.1, -1e-300, 0})},
     L"SendCommand"},
    {L"TextAlignmentPoint",
     Meaning::Point,
     Action::Text,
     {set(&CadScript::alignment, std::int32_t{2}),
      [](CadScript& s) {
        s.alignment = 2;
        s.alignmentPoint = {40.25, 2.5, 0};
      },
      [](CadScript& s) {
        s.alignment = 2;
        s.alignmentPoint = {0.1, 0.7, 0};
      }},
     L"SendCommand"},
};

// The same member taken and handed back unread, so that nothing is refused there: the two axis
// points of the rotation.
const Site kHandedBack{L"GetPoint",
                       Meaning::Point,
                       Action::Rotation,
                       // Points that differ in X and Y too, so that each is told apart when it
                       // comes back even in a form that carries only X and Y.
                       {set(&CadScript::points, Points{{1, 2, 0}, {4, 3, 5}}),
                        set(&CadScript::points, Points{{1.5, 2.25, 0}, {4.5, 3.25, 5.125}}),
                        set(&CadScript::points, Points{{0.1, 0.2, 0.3}, {0.4, 0.5, 1e-300}})}};

// Runs the site's action on a script; `plan` sets up the server (an encoding, a failure).
std::vector<std::wstring> traceOf(const Site& site, const std::function<void(CadScript&)>& script,
                                  const std::function<void(FakeServer&)>& plan) {
  CadScript values;
  script(values);
  CadWorld world(values);
  plan(world.server);
  world.run(site.action);
  world.server.dropKept();
  EXPECT_THAT(world.server.unbalanced(), IsEmpty());
  EXPECT_EQ(world.server.addRefs(), world.server.releases());
  return world.trace();
}

bool isDebugLine(const std::wstring& line) {
  return line.starts_with(L"debug: ");
}

std::vector<std::wstring> withoutDebugLines(std::vector<std::wstring> trace) {
  std::erase_if(trace, isDebugLine);
  return trace;
}

std::vector<std::wstring> debugLines(const std::vector<std::wstring>& trace) {
  std::vector<std::wstring> lines;
  for (const std::wstring& line : trace) {
    if (isDebugLine(line))
      lines.push_back(line);
  }
  return lines;
}

class AcceptedAt : public ::testing::TestWithParam<Site> {};
class RefusedAt : public ::testing::TestWithParam<Site> {};

TEST_P(AcceptedAt, EveryEncodingGivesTheCanonicalCallsStringsAndBits) {
  const Site& site = GetParam();
  for (const NamedEncoding& encoding : acceptedEncodings(site.meaning)) {
    SCOPED_TRACE(orbelle::fake::printable(encoding.name));
    int runs = 0;
    for (std::size_t i = 0; i < site.scripts.size(); ++i) {
      SCOPED_TRACE("script " + std::to_string(i));
      // Only where this encoding holds the script's value exactly.
      CadScript probe;
      site.scripts[i](probe);
      bool holds = true;
      const std::vector<std::wstring> encoded = traceOf(site, site.scripts[i], [&](FakeServer& s) {
        s.encode(site.member, [&](const Variant& canonical, FakeServer& server) {
          std::optional<Variant> value = encoding.encode(canonical, server);
          holds = holds && value.has_value();
          return value ? std::move(value) : std::optional<Variant>(canonical);
        });
      });
      if (!holds)
        continue;
      ++runs;
      const std::vector<std::wstring> canonical =
          traceOf(site, site.scripts[i], [](FakeServer&) {});
      EXPECT_EQ(encoded, canonical);
      // The member was reached, and a full run wrote no debug line.
      EXPECT_THAT(canonical,
                  testing::Contains(HasSubstr(L"." + std::wstring(site.member) + L" [")));
    }
    EXPECT_GT(runs, 0) << "no script holds a value of this encoding";
  }
}

TEST_P(RefusedAt, EveryEncodingEndsTheActionAsAFailedCallWouldWithOneDebugLine) {
  const Site& site = GetParam();
  std::vector<std::wstring> failed;
  if (site.readBefore == nullptr) {
    failed = traceOf(site, site.scripts.front(),
                     [&](FakeServer& s) { s.failCall(site.member, 1, {E_FAIL}); });
  } else {
    // As if the action had ended just before that call.
    failed = traceOf(site, site.scripts.front(), [](FakeServer&) {});
    const std::wstring dropped = L"." + std::wstring(site.readBefore) + L" [";
    std::erase_if(failed,
                  [&](const std::wstring& line) { return line.find(dropped) != line.npos; });
  }
  for (const NamedEncoding& encoding : refusedEncodings(site.meaning)) {
    // Nothing picked is an empty answer of the pick, the user's answer, not a failure.
    if (std::wstring(site.member) == L"GetEntity" && encoding.name == L"VT_EMPTY")
      continue;
    SCOPED_TRACE(orbelle::fake::printable(encoding.name));
    const std::vector<std::wstring> refused = traceOf(
        site, site.scripts.front(), [&](FakeServer& s) { s.encode(site.member, encoding.encode); });
    EXPECT_EQ(withoutDebugLines(refused), withoutDebugLines(failed));
    EXPECT_THAT(debugLines(refused),
                ElementsAre(HasSubstr(L": " + std::wstring(site.member) + L" failed: 0x800")));
  }
}

std::string siteName(const ::testing::TestParamInfo<Site>& site) {
  return orbelle::fake::printable(site.param.member);
}

INSTANTIATE_TEST_SUITE_P(HostObjects, AcceptedAt, ::testing::ValuesIn(kSites), siteName);
INSTANTIATE_TEST_SUITE_P(HandedBack, AcceptedAt, ::testing::Values(kHandedBack),
                         [](const ::testing::TestParamInfo<Site>&) {
                           return std::string("RotationAxisPoints");
                         });
INSTANTIATE_TEST_SUITE_P(HostObjects, RefusedAt, ::testing::ValuesIn(kSites), siteName);

// The axis points go back to the host as the host gave them, in whatever form: the second ask
// gets the first point, Rotate3D both, each recorded as that very answer.
TEST(HostObjectsTest, PointsGoBackExactlyAsReceived) {
  for (const NamedEncoding& encoding : acceptedEncodings(Meaning::Point)) {
    SCOPED_TRACE(orbelle::fake::printable(encoding.name));
    CadWorld world({.points = {{1, 2, 0}, {4, 3, 5}}});
    world.server.encode(L"GetPoint", encoding.encode);
    world.run(Action::Rotation);
    std::vector<RecordedCall> handedBack;
    for (const RecordedCall& call : world.server.calls()) {
      if (call.member == L"Rotate3D" || call.member == L"GetPoint")
        handedBack.push_back(call);
    }
    ASSERT_EQ(handedBack.size(), 4u);
    EXPECT_EQ(handedBack[1].args.at(0), L"answer #1");
    for (const std::size_t turn : {2u, 3u}) {
      EXPECT_THAT(handedBack[turn].args,
                  ElementsAre(L"answer #1", L"answer #2", L"R8 0x3FE0C152382D7366"));
    }
    world.server.dropKept();
    EXPECT_THAT(world.server.unbalanced(), IsEmpty());
  }
}

TEST(HostObjectsTest, APickOfNothingIsEmptyInAnyFormAndWritesNothing) {
  const auto emptyPick = [](const Variant&, FakeServer&) -> std::optional<Variant> {
    return Variant();
  };
  const auto emptyByReference = [](const Variant&, FakeServer&) -> std::optional<Variant> {
    return referenceTo(Variant());
  };
  for (const Encoding& encoding : {Encoding(emptyPick), Encoding(emptyByReference)}) {
    CadWorld world;
    world.server.encode(L"GetEntity", encoding);
    world.run(Action::Text);
    EXPECT_EQ(world.server.calls().back().member, L"GetEntity");
    EXPECT_THAT(world.desktop.debugLines, IsEmpty());
    world.server.dropKept();
    EXPECT_THAT(world.server.unbalanced(), IsEmpty());
  }
}

// Each object is queried for the interface that qualifies it; one without it ends the action.
TEST(HostObjectsTest, AnObjectWithoutItsInterfaceEndsTheActionWithOneLine) {
  struct Case {
    const wchar_t* object;
    const GUID iid;
    Action action;
    const wchar_t* line;
  };
  const Case cases[] = {
      {L"utility", toGuid(IID_InanoCADUtility), Action::Text,
       L"Orbelle: isometric text: QueryInterface(InanoCADUtility) failed: 0x80004002"},
      {L"text", toGuid(IID_IAcadText), Action::Text,
       L"Orbelle: isometric text: QueryInterface(IAcadText) failed: 0x80004002"},
      {L"copy", toGuid(IID_IAcadText), Action::Text,
       L"Orbelle: isometric text: QueryInterface(IAcadText) failed: 0x80004002"},
      {L"state", toGuid(IID_IAcadState), Action::Block,
       L"Orbelle: isometric block: QueryInterface(IAcadState) failed: 0x80004002"},
      {L"e1", toGuid(IID_IAcadEntity), Action::Rotation,
       L"Orbelle: 3-D rotation: QueryInterface(IAcadEntity) failed: 0x80004002"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(orbelle::fake::printable(c.object));
    CadWorld world;
    world.server.object(c.object).stopsOffering(c.iid);
    world.run(c.action);
    EXPECT_THAT(world.desktop.debugLines, ElementsAre(c.line));
    EXPECT_THAT(world.server.unbalanced(), IsEmpty());
  }
}

// Each host object asks for a member's DISPID once in its life; a new object asks again (a new
// input object at each ask, for instance). The calls themselves stay as they were: the window
// handle is still asked before every use.
TEST(HostObjectsTest, EachObjectLooksEachMemberUpOnce) {
  struct Case {
    Action action;
    std::vector<std::wstring> lookups;
    std::size_t handleReads;
  };
  const Case cases[] = {
      {Action::Block,
       {L"application.HWND", L"application.ActiveDocument", L"document.SendCommand",
        L"document.Utility", L"utility.Prompt", L"document.Application", L"state link.GetState",
        L"state.IsQuiescent", L"utility.GetPoint"},
       5},
      {Action::Text,
       {L"application.ActiveDocument", L"application.HWND", L"document.Utility",
        L"utility.GetEntity", L"text.ObjectName", L"text.Alignment", L"text.InsertionPoint",
        L"text.ObliqueAngle", L"text.Rotation", L"text.Copy", L"copy.ObliqueAngle",
        L"copy.Rotation", L"text.Height", L"copy.Height", L"copy.ScaleFactor", L"copy.Update",
        L"document.SendCommand"},
       3},
      {Action::Rotation,
       {L"application.HWND", L"application.ActiveDocument", L"document.SendCommand",
        L"document.ActiveSelectionSet", L"selection.Clear", L"document.Utility", L"utility.Prompt",
        L"selection.SelectOnScreen", L"selection.Count", L"utility.GetPoint", L"utility.GetPoint",
        L"utility.GetReal", L"selection.Item", L"e0.Rotate3D", L"e1.Rotate3D"},
       2},
      {Action::View,
       {L"application.HWND", L"application.ActiveDocument", L"document.SendCommand"},
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(orbelle::fake::printable(c.lookups.back()));
    CadWorld world;
    world.run(c.action);
    EXPECT_THAT(world.desktop.debugLines, IsEmpty());
    EXPECT_EQ(world.server.lookups(), c.lookups);
    const auto handleReads =
        std::count_if(world.server.calls().begin(), world.server.calls().end(),
                      [](const RecordedCall& call) { return call.member == L"HWND"; });
    EXPECT_EQ(static_cast<std::size_t>(handleReads), c.handleReads);
  }
}

// One failed action of each kind, as a debugger reads it.
TEST(HostObjectsTest, EachKindOfActionWritesOneLineForTheFailureThatEndedIt) {
  struct Case {
    Action action;
    const wchar_t* member;
    PlannedFailure failure;
    const wchar_t* line;
  };
  const Case cases[] = {
      {Action::Block,
       L"GetPoint",
       {DISP_E_EXCEPTION, E_ABORT, L"cancelled", false},
       L"Orbelle: isometric block: GetPoint failed: 0x80004004 (cancelled)"},
      {Action::Text,
       L"Height",
       {DISP_E_EXCEPTION, S_OK, L"no height here", true},
       L"Orbelle: isometric text: Height failed: 0x80020009 (no height here)"},
      {Action::Rotation,
       L"GetReal",
       {DISP_E_EXCEPTION, E_ABORT, L"Escape", true},
       L"Orbelle: 3-D rotation: GetReal failed: 0x80004004 (Escape)"},
      {Action::View,
       L"SendCommand",
       {RPC_E_DISCONNECTED},
       L"Orbelle: view preset: SendCommand failed: 0x80010108"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(orbelle::fake::printable(c.line));
    CadWorld world;
    world.server.failCall(c.member, 1, c.failure);
    world.run(c.action);
    EXPECT_THAT(world.desktop.debugLines, ElementsAre(c.line));
    EXPECT_THAT(world.server.unbalanced(), IsEmpty());

    CadWorld clean;
    clean.run(c.action);
    EXPECT_THAT(clean.desktop.debugLines, IsEmpty());
  }
}

}  // namespace
}  // namespace orbelle::win32::fake
