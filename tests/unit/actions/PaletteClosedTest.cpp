// The palette closed while an action waits for its user (a close handled in the wait's message
// pass, or one that COM's message loop delivered during a pick): the action ends there and the
// host hears nothing more from it but the releases.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <set>

#include "actions/IsometricBlock.h"
#include "actions/IsometricText.h"
#include "actions/Rotate3D.h"
#include "tests/support/Expected.h"
#include "tests/support/FakeWorld.h"

namespace orbelle::actions {
namespace {

using fake::Call;
using fake::CallSite;
using fake::FakeValue;
using fake::onDesktop;
using ::testing::Each;

// The places where an action waits for its user, and so where the palette's messages can run.
const std::set<std::wstring> kWaitsForTheUser = {L"Desktop.processMessages",
                                                 L"Selection.selectOnScreen", L"Input.getPoint",
                                                 L"Input.getReal", L"Input.getEntity"};

struct Action {
  const char* name;
  std::function<void(fake::FakeWorld&)> setUp;
  std::function<void(fake::FakeWorld&)> run;
};

void PrintTo(const Action& action, std::ostream* out) {
  *out << action.name;
}

std::vector<CallSite> waitsOf(const fake::CallLog& log) {
  std::vector<CallSite> sites;
  std::map<std::wstring, int> seen;
  for (std::size_t i = 0; i < log.calls().size(); ++i) {
    const std::wstring key = log.calls()[i].key();
    const int occurrence = ++seen[key];
    if (kWaitsForTheUser.contains(key))
      sites.push_back({key, occurrence, i});
  }
  return sites;
}

// The palette is closed during the `occurrence`-th call with `key`.
void closeDuring(fake::FakeWorld& world, const CallSite& site) {
  auto seen = std::make_shared<int>(0);
  auto close = [&world, seen, occurrence = site.occurrence] {
    if (++*seen == occurrence)
      world.desktop.quitPosted = true;
  };
  if (site.key == L"Desktop.processMessages") {
    world.desktop.onProcessMessages = close;
  } else {
    world.host.onCall = [close, key = site.key](const std::wstring& called) {
      if (called == key)
        close();
    };
  }
}

class PaletteClosedTest : public ::testing::TestWithParam<Action> {};

TEST_P(PaletteClosedTest, AtEveryWaitForTheUserTheActionEndsThere) {
  const Action& action = GetParam();
  std::vector<CallSite> sites;
  {
    fake::FakeWorld clean;
    action.setUp(clean);
    action.run(clean);
    sites = waitsOf(clean.log);
  }
  ASSERT_FALSE(sites.empty());
  for (const CallSite& site : sites) {
    SCOPED_TRACE("closed during " + fake::printable(site.key) + " #" +
                 std::to_string(site.occurrence));
    fake::FakeWorld world;
    action.setUp(world);
    closeDuring(world, site);
    action.run(world);
    const std::vector<Call>& calls = world.log.calls();
    ASSERT_GT(calls.size(), site.index);
    EXPECT_EQ(calls[site.index].key(), site.key);  // the run went the same way up to there
    // After it: only the desktop's answer that the palette is gone.
    EXPECT_THAT(
        std::vector<Call>(calls.begin() + static_cast<std::ptrdiff_t>(site.index) + 1, calls.end()),
        Each(onDesktop(L"quitRequested")));
    EXPECT_EQ(world.host.liveReferences(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EachActionThatWaits, PaletteClosedTest,
    ::testing::Values(
        Action{"block",
               [](fake::FakeWorld& world) {
                 world.host.idleAnswers = {false, false, true};  // three polls
                 world.host.pointAnswers = {FakeValue::point(100, 50, 0)};
               },
               [](fake::FakeWorld& world) { isometricBlock(world.environment, L"R"); }},
        Action{"text",
               [](fake::FakeWorld& world) {
                 world.host.addText(L"t1");
                 world.host.pickAnswers = {FakeValue::object(L"t1")};
               },
               [](fake::FakeWorld& world) {
                 ui::Form palette{L"palette", 225, 102};
                 ui::SpeedButton textR{L"SpeedButton1", nullptr, {}, L"TEXT R"};
                 isometricText(world.environment, palette, &textR,
                               {nullptr, nullptr, nullptr, &textR});
               }},
        Action{"rotation",
               [](fake::FakeWorld& world) {
                 world.host.addEntity(L"e0");
                 world.host.userSelection = {L"e0"};
                 world.host.pointAnswers = {FakeValue::point(1, 2, 0), FakeValue::point(1, 2, 5)};
                 world.host.realAnswers = {30};
               },
               [](fake::FakeWorld& world) { rotate3D(world.environment); }}),
    [](const ::testing::TestParamInfo<Action>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace orbelle::actions
