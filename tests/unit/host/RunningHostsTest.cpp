// Later releases of the host: looked for among the running objects by their program IDs only
// when no window titled "nanoCAD 5" exists, newest first, and driven with their own interface
// IDs; nanoCAD 5 found there is left alone; the newest running host decides.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/HostLink.h"
#include "host/ProgramIds.h"
#include "tests/support/Expected.h"
#include "tests/support/FakeWorld.h"

namespace orbelle {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

TEST(ProgramIdsTest, TheHostsProgramIdsNewestFirstThenTheVersionIndependentOne) {
  EXPECT_THAT(hostProgramIdsNewestFirst({
                  L"nanoCAD.Application",
                  L"nanoCAD.Application.9.0",
                  L"nanoCAD.Application.23.0",
                  L"NANOCAD.APPLICATION.23.0",  // the same key, spelt otherwise
                  L"nanoCAD.Application.24.1",
                  L"nanoCAD.Application.24.0",
                  L"nanocad.application.5.0",
              }),
              ElementsAre(L"nanoCAD.Application.24.1", L"nanoCAD.Application.24.0",
                          L"nanoCAD.Application.23.0", L"nanoCAD.Application.9.0",
                          L"nanocad.application.5.0", L"nanoCAD.Application"));
  // Other names that begin the same way are no program IDs of the host's.
  EXPECT_THAT(
      hostProgramIdsNewestFirst(
          {L"nanoCAD.ApplicationX", L"nanoCAD.Application.", L"nanoCAD.Application.24",
           L"nanoCAD.Application.24.", L"nanoCAD.Application.24.0.1", L"nanoCAD.Application.x.0",
           L"nanoCAD.Application.1234567.0", L"nanoCAD.Document", L"Excel.Application"}),
      IsEmpty());
}

class RunningHostsTest : public ::testing::Test {
 protected:
  static constexpr Guid kClass24{0x12E0773B, 0x1BA7, 0x464D, {0, 0, 0, 0, 0, 0, 0, 0x24}};
  static constexpr Guid kClass23{0xDD1D46BD, 0x450D, 0x45DF, {0, 0, 0, 0, 0, 0, 0, 0x23}};
  static constexpr Guid kClass5{0x449354E9, 0xCDD8, 0x4A11, {0, 0, 0, 0, 0, 0, 0, 0x05}};
  const Guid later = laterReleases().front().application;

  RunningHostsTest() {
    world.desktop.windows.clear();
    world.connector.programIds = {L"Excel.Application"};
  }

  // Connects as an action does, with a log of its own.
  bool connect(HostRef<HostApplication>& host, FailureLog& failures) {
    world.desktop.debugLines.clear();
    world.connector.lookups.clear();
    return connectHost(world.environment, host, &failures);
  }

  std::wstring id(const Guid& guid) const { return toRegistryString(guid); }

  fake::FakeWorld world;
};

TEST_F(RunningHostsTest, WithTheWindowNanoCad5AloneIsDrivenWhateverRuns) {
  world.desktop.windows[kHostWindowTitle] = fake::FakeWorld::kHostWindow;
  world.connector.runs(L"nanoCAD.Application.24.0", kClass24, {later});
  HostRef<HostApplication> host;
  FailureLog failures(world.desktop, L"view preset");
  EXPECT_TRUE(connect(host, failures));
  EXPECT_THAT(world.log.calls(), ElementsAreArray(fake::connecting()));
  EXPECT_THAT(world.connector.lookups, IsEmpty());
}

// The search, one case a row: what is registered and running, what is asked in which order, and
// what the debugger is told.
TEST_F(RunningHostsTest, TheNewestRunningHostOfAKnownReleaseIsDriven) {
  struct Running {
    std::wstring programId;
    Guid classId;
    std::vector<Guid> answers;  // none: registered, but not running
    std::int32_t failure = 0;
  };
  struct Case {
    const char* name;
    std::vector<Running> registered;
    bool reached;
    std::vector<std::wstring> lookups;  // after the listing of program IDs
    const wchar_t* line;  // the debug line; or, when reached, the program ID later lines name
  };
  const std::wstring c24 = id(kClass24), c23 = id(kClass23), c5 = id(kClass5);
  const std::wstring asks5 = id(kNanoCad5.application), asksLater = id(later);
  const Case cases[] = {
      {"nothing registered",
       {},
       false,
       {},
       L"Orbelle: view preset: no window titled \"nanoCAD 5\""},
      {"the newest of two running, by its versioned ID",
       {{L"nanoCAD.Application", kClass24, {later}},
        {L"nanoCAD.Application.23.0", kClass23, {later}},
        {L"nanoCAD.Application.24.0", kClass24, {later}}},
       true,
       {L"class nanoCAD.Application.24.0", L"running " + c24, L"answers " + c24 + L" " + asks5,
        L"answers " + c24 + L" " + asksLater, L"drive " + c24 + L" nanoCAD 23.0"},
       L"nanoCAD.Application.24.0"},
      {"the newest not running: the next, its class asked once",
       {{L"nanoCAD.Application.24.0", kClass24, {}},
        {L"nanoCAD.Application.23.0", kClass23, {later}},
        {L"nanoCAD.Application", kClass24, {}}},
       true,
       {L"class nanoCAD.Application.24.0", L"running " + c24, L"class nanoCAD.Application.23.0",
        L"running " + c23, L"answers " + c23 + L" " + asks5, L"answers " + c23 + L" " + asksLater,
        L"drive " + c23 + L" nanoCAD 23.0"},
       L"nanoCAD.Application.23.0"},
      {"none running, nanoCAD 5 left alone",
       {{L"nanoCAD.Application.5.0", kClass5, {kNanoCad5.application}},
        {L"nanoCAD.Application.24.0", kClass24, {}},
        {L"nanoCAD.Application", kClass24, {}},
        {L"nanoCAD.Application.26.0", kClass23, {}}},
       false,
       {L"class nanoCAD.Application.26.0", L"running " + c23, L"class nanoCAD.Application.24.0",
        L"running " + c24, L"class nanoCAD.Application.5.0", L"running " + c5,
        L"answers " + c5 + L" " + asks5, L"class nanoCAD.Application"},
       L"Orbelle: view preset: no window titled \"nanoCAD 5\"; looked for "
       L"nanoCAD.Application.26.0 (not running), nanoCAD.Application.24.0 (not running), "
       L"nanoCAD.Application.5.0 (nanoCAD 5, known by its title only), nanoCAD.Application (as "
       L"nanoCAD.Application.24.0)"},
      {"the newest answers no known interface: the older is not tried",
       {{L"nanoCAD.Application.24.0", kClass24, {later}},
        {L"nanoCAD.Application.25.0", kClass23, {kClass5}}},
       false,
       {L"class nanoCAD.Application.25.0", L"running " + c23, L"answers " + c23 + L" " + asks5,
        L"answers " + c23 + L" " + asksLater},
       L"Orbelle: view preset: nanoCAD.Application.25.0 runs, but its application answers no "
       L"interface ID known here"},
      {"a program ID that names no class",
       {{L"nanoCAD.Application.24.0", {}, {}}},
       false,
       {L"class nanoCAD.Application.24.0"},
       L"Orbelle: view preset: no window titled \"nanoCAD 5\"; looked for "
       L"nanoCAD.Application.24.0 (names no class)"},
      {"a host that died while registered",
       {{L"nanoCAD.Application.24.0", kClass24, {later}, static_cast<std::int32_t>(0x80010108)}},
       false,
       {L"class nanoCAD.Application.24.0", L"running " + c24, L"answers " + c24 + L" " + asks5},
       L"Orbelle: view preset [nanoCAD.Application.24.0]: QueryInterface(InanoCADApplication) "
       L"failed: 0x80010108"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    world.connector.programIds = {L"Excel.Application"};
    world.connector.classes.clear();
    world.connector.running.clear();
    for (const Running& r : c.registered) {
      world.connector.programIds.push_back(r.programId);
      if (r.classId == Guid{})
        continue;
      world.connector.classes[r.programId] = r.classId;
      if (!r.answers.empty())
        world.connector.running[id(r.classId)] = {r.answers, r.failure};
    }
    FailureLog failures(world.desktop, L"view preset");
    world.log.clear();
    HostRef<HostApplication> host = world.host.createApplication();  // untouched unless reached
    const HostApplication* before = host.get();
    EXPECT_EQ(connect(host, failures), c.reached);
    std::vector<std::wstring> expected{L"programIds nanoCAD.Application"};
    expected.insert(expected.end(), c.lookups.begin(), c.lookups.end());
    EXPECT_EQ(world.connector.lookups, expected);
    EXPECT_THAT(world.log.calls(),
                ElementsAre(fake::onDesktop(L"findTopLevelWindow", {L"nanoCAD 5"})));
    if (c.reached) {
      EXPECT_NE(host.get(), before);
      EXPECT_THAT(world.desktop.debugLines, IsEmpty());
      // From now on the action's lines name the host it drives.
      failures.write(L"SendCommand failed");
      EXPECT_THAT(
          world.desktop.debugLines,
          ElementsAre(L"Orbelle: view preset [" + std::wstring(c.line) + L"]: SendCommand failed"));
    } else {
      EXPECT_EQ(host.get(), before);
      EXPECT_THAT(world.desktop.debugLines, ElementsAre(c.line));
    }
    host.reset();
    EXPECT_EQ(world.host.liveReferences(), 0);
  }
}

}  // namespace
}  // namespace orbelle
