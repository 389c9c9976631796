// A later release of the host over the real COM host objects: found running under its program
// ID instead of by its window, it gets the very calls nanoCAD 5 gets, and every object it hands
// out is asked for that release's interface IDs, never nanoCAD 5's.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/HostRelease.h"
#include "host/win32/ComStatus.h"
#include "tests/support/CallLog.h"
#include "tests/win32/FakeCad.h"

namespace orbelle::win32::fake {
namespace {

using Action = CadWorld::Action;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const HostRelease& later() {
  return laterReleases().front();
}

std::vector<std::wstring> traceOf(Action action, const HostRelease& release) {
  CadWorld world({}, release);
  world.run(action);
  world.server.dropKept();
  EXPECT_THAT(world.server.unbalanced(), IsEmpty());
  return world.trace();
}

TEST(ReleasesTest, EveryActionDrivesALaterReleaseFoundRunningAsItDrivesNanoCad5) {
  for (Action action : {Action::Block, Action::Text, Action::Rotation, Action::View}) {
    SCOPED_TRACE(static_cast<int>(action));
    const std::vector<std::wstring> trace = traceOf(action, later());
    EXPECT_EQ(trace, traceOf(action, kNanoCad5));
    EXPECT_THAT(trace, ::testing::Not(::testing::Contains(::testing::StartsWith(L"debug: "))));
  }
}

// An object that answers nanoCAD 5's ID where the later release's is asked for ends the action,
// and the line names the host the action drove.
TEST(ReleasesTest, ALaterReleasesObjectsAreAskedForItsOwnInterfaceIds) {
  struct Case {
    const wchar_t* object;
    Guid laterId;
    Guid nanoCad5Id;
    Action action;
    const wchar_t* line;
  };
  const HostRelease& r = later();
  const Case cases[] = {
      {L"utility", r.utility, kNanoCad5.utility, Action::Text,
       L"Orbelle: isometric text [nanoCAD.Application.24.0]: QueryInterface(InanoCADUtility) "
       L"failed: 0x80004002"},
      {L"state", r.state, kNanoCad5.state, Action::Block,
       L"Orbelle: isometric block [nanoCAD.Application.24.0]: QueryInterface(IAcadState) failed: "
       L"0x80004002"},
      {L"e1", r.entity, kNanoCad5.entity, Action::Rotation,
       L"Orbelle: 3-D rotation [nanoCAD.Application.24.0]: QueryInterface(IAcadEntity) failed: "
       L"0x80004002"},
      {L"text", r.text, kNanoCad5.text, Action::Text,
       L"Orbelle: isometric text [nanoCAD.Application.24.0]: QueryInterface(IAcadText) failed: "
       L"0x80004002"},
      {L"copy", r.text, kNanoCad5.text, Action::Text,
       L"Orbelle: isometric text [nanoCAD.Application.24.0]: QueryInterface(IAcadText) failed: "
       L"0x80004002"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(orbelle::fake::printable(c.object));
    CadWorld world({}, later());
    world.server.object(c.object).stopsOffering(toGuid(c.laterId)).offers(toGuid(c.nanoCad5Id));
    world.run(c.action);
    EXPECT_THAT(world.desktop.debugLines, ElementsAre(c.line));
    world.server.dropKept();
    EXPECT_THAT(world.server.unbalanced(), IsEmpty());
  }
}

}  // namespace
}  // namespace orbelle::win32::fake
