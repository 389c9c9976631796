#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/TForm89.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/FakeWorld.h"

namespace orbelle {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Key = fake::MemoryProfileStore::Key;

// The palette's creation and destruction handlers against the settings file in memory, on a
// 1920 x 1080 primary screen with an outer window size of 241 x 141.
class PaletteSettingsTest : public ::testing::Test {
 protected:
  std::unique_ptr<TForm89> open() {
    return std::make_unique<TForm89>(world.environment, settings.environment);
  }
  std::wstring entry(const wchar_t* section, const wchar_t* key) {
    return settings.store.read(section, key);
  }

  fake::FakeWorld world;
  fake::FakeSettings settings;
};

TEST_F(PaletteSettingsTest, WithoutAFileThePaletteOpensCentredAndClosingWritesAllThree) {
  const auto palette = open();
  // Placed by its own outer size, before any window exists; reading writes nothing.
  EXPECT_THAT(settings.metrics.outerSizeAskedFor, ElementsAre(palette.get()));
  EXPECT_EQ(palette->position(), (ui::Point{(1920 - 241) / 2, (1080 - 141) / 2}));
  EXPECT_EQ(palette->gbWaitFileMsec, 200u);
  EXPECT_THAT(settings.store.writes, IsEmpty());

  palette->windowDestroyed();
  EXPECT_THAT(settings.store.writes, ElementsAre(L"Left", L"Top", L"WaitFileMsec"));
  EXPECT_EQ(entry(L"Form", L"Left"), L"839");
  EXPECT_EQ(entry(L"Form", L"Top"), L"469");
  EXPECT_EQ(entry(L"SleepMsec", L"WaitFileMsec"), L"200");
  EXPECT_THAT(settings.errors.shown, IsEmpty());
}

TEST_F(PaletteSettingsTest, TheFilePlacesThePalettePulledBackOnlyFromTheRightAndBottom) {
  settings.store.entries[{L"Form", L"Left"}] = L"-500";
  settings.store.entries[{L"Form", L"Top"}] = L"5000";
  settings.store.entries[{L"SleepMsec", L"WaitFileMsec"}] = L" 1234 ";
  {
    const auto palette = open();
    EXPECT_EQ(palette->position(), (ui::Point{-500, 1080 - 141}));
    EXPECT_EQ(palette->gbWaitFileMsec, 1234u);
  }
  // A larger window (a higher DPI) touches the right edge with its own width.
  settings.metrics.outer = {362, 212};
  settings.store.entries[{L"Form", L"Left"}] = L"1700";
  settings.store.entries[{L"Form", L"Top"}] = L"-40";
  EXPECT_EQ(open()->position(), (ui::Point{1920 - 362, -40}));
}

TEST_F(PaletteSettingsTest, ClosingSavesWhereTheWindowStandsAndTheWaitValueAsRead) {
  settings.store.entries[{L"SleepMsec", L"WaitFileMsec"}] = L"4294967295";
  settings.store.entries[{L"Other", L"Kept"}] = L"yes";
  const auto palette = open();
  // The window reports where the user moved it (its restored place, were it minimised).
  palette->reportPosition({-1200, 35});
  palette->windowDestroyed();
  EXPECT_THAT(settings.store.writes, ElementsAre(L"Left", L"Top", L"WaitFileMsec"));
  EXPECT_EQ(entry(L"Form", L"Left"), L"-1200");
  EXPECT_EQ(entry(L"Form", L"Top"), L"35");
  EXPECT_EQ(entry(L"SleepMsec", L"WaitFileMsec"), L"4294967295");
  EXPECT_EQ(entry(L"Other", L"Kept"), L"yes");
}

TEST_F(PaletteSettingsTest, ARefusedWriteShowsTheBoxOnceAndStopsTheSave) {
  const std::wstring box = L"C:\\Tools\\Orbelle\\orbelle.ini に書き込めません";
  struct Case {
    Key refused;
    std::vector<std::wstring> written;
  };
  for (const Case& c : {Case{{L"Form", L"Left"}, {}}, Case{{L"Form", L"Top"}, {L"Left"}},
                        Case{{L"SleepMsec", L"WaitFileMsec"}, {L"Left", L"Top"}}}) {
    SCOPED_TRACE(c.refused.second);
    fake::FakeSettings refusing;
    refusing.store.refused = c.refused;
    TForm89 palette(world.environment, refusing.environment);
    // The error does not leave the handler: the window goes on to end the program normally.
    EXPECT_NO_THROW(palette.windowDestroyed());
    EXPECT_EQ(refusing.store.writes, c.written);
    EXPECT_EQ(refusing.errors.shown, std::vector<std::wstring>{box});
  }
}

}  // namespace
}  // namespace orbelle
