// Fails each host call of an action in turn: one clean run finds the calls, then one run per
// call has exactly that call fail, and `check` judges what the action did after it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FakeWorld.h"

namespace orbelle::fake {

// `setUp(world)` scripts the host, `run(world)` runs the action, `check(world, site)` judges
// the run in which `site` failed.
template <class SetUp, class Run, class Check>
void sweepFailures(SetUp setUp, Run run, Check check) {
  std::vector<CallSite> sites;
  {
    FakeWorld clean;
    setUp(clean);
    run(clean);
    sites = clean.log.hostCallSites();
  }
  ASSERT_FALSE(sites.empty());
  for (const CallSite& site : sites) {
    SCOPED_TRACE("failing " + printable(site.key) + " #" + std::to_string(site.occurrence));
    FakeWorld world;
    setUp(world);
    world.host.failAt(site.key, site.occurrence);
    run(world);
    ASSERT_GT(world.log.calls().size(), site.index);
    EXPECT_EQ(world.log.calls()[site.index].key(), site.key);  // the run went the same way
    EXPECT_EQ(world.host.liveReferences(), 0);
    check(world, site);
  }
}

// The one debug line of an action that `site`'s injected failure ended.
inline std::wstring injectedFailureLine(std::wstring_view action, const CallSite& site) {
  return L"Orbelle: " + std::wstring(action) + L": " + site.key +
         L" failed: 0x80004005 (injected failure)";
}

// The calls made after the failing one.
inline std::vector<Call> callsAfter(const FakeWorld& world, const CallSite& site) {
  const std::vector<Call>& calls = world.log.calls();
  return {calls.begin() + static_cast<std::ptrdiff_t>(site.index) + 1, calls.end()};
}

}  // namespace orbelle::fake
