// The program IDs are listed again only when the registered classes have changed, or when the
// connector cannot tell; everything else is asked afresh at every click.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/HostLink.h"
#include "host/RememberingConnector.h"
#include "tests/support/FakeWorld.h"

namespace orbelle {
namespace {

using ::testing::ElementsAre;

TEST(RememberingConnectorTest, TheProgramIdsAreListedAgainOnlyWhenTheClassesChanged) {
  fake::FakeWorld world;
  world.desktop.windows.clear();
  RememberingConnector remembering(world.connector);
  world.connector.runs(L"nanoCAD.Application.24.0", Guid{1, 2, 3, {4}},
                       {laterReleases().front().application});
  const auto clickLists = [&] {
    world.connector.lookups.clear();
    HostRef<HostApplication> host;
    const bool reached = connectHost({world.desktop, remembering}, host);
    EXPECT_TRUE(reached);
    return world.connector.lookups.front() == L"programIds nanoCAD.Application";
  };
  // A connector that cannot tell: listed at every click.
  EXPECT_TRUE(clickLists());
  EXPECT_TRUE(clickLists());
  world.connector.stamp = std::vector<std::uint64_t>{3, 100, 400, 200};
  EXPECT_TRUE(clickLists());
  EXPECT_FALSE(clickLists());  // the same classes: the listing remembered, the rest asked again
  EXPECT_THAT(world.connector.lookups,
              ElementsAre(L"class nanoCAD.Application.24.0", ::testing::StartsWith(L"running "),
                          ::testing::StartsWith(L"answers "), ::testing::StartsWith(L"answers "),
                          ::testing::StartsWith(L"drive ")));
  world.connector.stamp = std::vector<std::uint64_t>{3, 100, 401, 200};  // a key added
  EXPECT_TRUE(clickLists());
  EXPECT_FALSE(clickLists());

  // A listing that fails is not remembered: the next click lists again.
  world.connector.stamp = std::vector<std::uint64_t>{3, 100, 402, 250};
  world.connector.listingFailure = static_cast<std::int32_t>(0x80070005);
  HostRef<HostApplication> host;
  EXPECT_FALSE(connectHost({world.desktop, remembering}, host));
  world.connector.listingFailure = 0;
  EXPECT_TRUE(clickLists());
  EXPECT_EQ(world.host.liveReferences(), 0);
}

}  // namespace
}  // namespace orbelle
