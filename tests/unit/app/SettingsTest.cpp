#include "app/Settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "tests/support/FakeSettings.h"

namespace orbelle {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

using fake::MemoryProfileStore;

constexpr ScreenSize kScreen{1920, 1080};
constexpr ScreenSize kPalette{241, 141};

TEST(SettingsPath, ReplacesOnlyTheExecutablesOwnExtension) {
  EXPECT_EQ(settingsPathFor(L"C:\\Tools\\orbelle.exe"), L"C:\\Tools\\orbelle.ini");
  EXPECT_EQ(settingsPathFor(L"C:\\Tools\\iso palette.v2.EXE"), L"C:\\Tools\\iso palette.v2.ini");
  EXPECT_EQ(settingsPathFor(L"C:\\my.tools\\orbelle"), L"C:\\my.tools\\orbelle.ini");
  EXPECT_EQ(settingsPathFor(L"\\\\server\\share\\palette.exe"), L"\\\\server\\share\\palette.ini");
}

TEST(SettingsEntries, TakeOnlyDecimalIntegersWithinRange) {
  EXPECT_EQ(parseSignedEntry(L"-500"), -500);
  EXPECT_EQ(parseSignedEntry(L"  +42\t"), 42);
  EXPECT_EQ(parseSignedEntry(L"007"), 7);
  EXPECT_EQ(parseSignedEntry(L"2147483647"), 2147483647);
  EXPECT_EQ(parseSignedEntry(L"-2147483648"), -2147483647 - 1);
  for (const wchar_t* rejected :
       {L"", L"  ", L"+", L"-", L"2147483648", L"-2147483649", L"99999999999999999999", L"0x10",
        L"$10", L"1e3", L"12.0", L"12 34", L"12px", L"１２"}) {
    EXPECT_EQ(parseSignedEntry(rejected), std::nullopt) << "accepted \"" << rejected << '"';
  }

  EXPECT_EQ(parseUnsignedEntry(L"4294967295"), 4294967295u);
  EXPECT_EQ(parseUnsignedEntry(L" 0 "), 0u);
  EXPECT_EQ(parseUnsignedEntry(L"-0"), 0u);
  for (const wchar_t* rejected : {L"4294967296", L"-1", L"0x10", L"", L"200ms"}) {
    EXPECT_EQ(parseUnsignedEntry(rejected), std::nullopt) << "accepted \"" << rejected << '"';
  }
}

TEST(Settings, WithoutAFileThePaletteIsCentredAndAllThreeEntriesAreWrittenAtExit) {
  MemoryProfileStore store;
  const PaletteSettings loaded = loadSettings(store, kScreen, kPalette);
  EXPECT_EQ(loaded, (PaletteSettings{(1920 - 241) / 2, (1080 - 141) / 2, 200}));

  saveSettings(store, loaded);
  EXPECT_THAT(store.writes, ElementsAre(L"Left", L"Top", L"WaitFileMsec"));
  EXPECT_THAT(store.entries,
              ElementsAre(Pair(Pair(L"Form", L"Left"), L"839"), Pair(Pair(L"Form", L"Top"), L"469"),
                          Pair(Pair(L"SleepMsec", L"WaitFileMsec"), L"200")));
}

TEST(Settings, PositionsPastTheRightOrBottomEdgeArePulledBackOthersStay) {
  MemoryProfileStore store;
  store.entries[{L"Form", L"Left"}] = L"1800";
  store.entries[{L"Form", L"Top"}] = L"1000";
  EXPECT_EQ(loadSettings(store, kScreen, kPalette), (PaletteSettings{1920 - 241, 1080 - 141, 200}));

  // Exactly touching the edge, and negative positions on monitors left or above, stay.
  store.entries[{L"Form", L"Left"}] = L"1679";
  store.entries[{L"Form", L"Top"}] = L"-300";
  EXPECT_EQ(loadSettings(store, kScreen, kPalette), (PaletteSettings{1679, -300, 200}));
  store.entries[{L"Form", L"Left"}] = L"-500";
  EXPECT_EQ(loadSettings(store, kScreen, kPalette).left, -500);
}

TEST(Settings, AWindowWiderThanTheScreenIsPulledSoItsRightEdgeTouches) {
  MemoryProfileStore store;
  const ScreenSize narrow{200, 100};
  // Centred would be (200 - 241) / 2 = -20 (toward zero); the clamp then wins.
  const PaletteSettings loaded = loadSettings(store, narrow, kPalette);
  EXPECT_EQ(loaded.left, -41);
  EXPECT_EQ(loaded.top, -41);
  // An odd negative spare rounds toward zero before the clamp.
  EXPECT_EQ(loadSettings(store, {1000, 1000}, {1003, 1}).left, -3);
  EXPECT_EQ(loadSettings(store, {1003, 1000}, {1000, 1}).left, 1);
}

TEST(Settings, EntriesThatAreNotIntegersGiveTheirDefaults) {
  MemoryProfileStore store;
  store.entries[{L"Form", L"Left"}] = L"left";
  store.entries[{L"Form", L"Top"}] = L"0x20";
  store.entries[{L"SleepMsec", L"WaitFileMsec"}] = L"-5";
  EXPECT_EQ(loadSettings(store, kScreen, kPalette), (PaletteSettings{839, 469, 200}));
}

TEST(Settings, AHandSetWaitValueSurvivesARunUnchanged) {
  MemoryProfileStore store;
  store.entries[{L"SleepMsec", L"WaitFileMsec"}] = L" 4294967295 ";
  store.entries[{L"Other", L"Kept"}] = L"yes";
  saveSettings(store, loadSettings(store, kScreen, kPalette));
  EXPECT_EQ((store.entries[{L"SleepMsec", L"WaitFileMsec"}]), L"4294967295");
  EXPECT_EQ((store.entries[{L"Other", L"Kept"}]), L"yes");
}

TEST(Settings, ARefusedWriteStopsTheSaveAndNamesTheFile) {
  MemoryProfileStore store;
  store.refused = MemoryProfileStore::Key{L"Form", L"Top"};
  try {
    saveSettings(store, {10, 20, 300});
    FAIL() << "the refused write went unnoticed";
  } catch (const SettingsWriteError& error) {
    EXPECT_EQ(error.message(), L"C:\\Tools\\Orbelle\\orbelle.ini に書き込めません");
  }
  EXPECT_THAT(store.writes, ElementsAre(L"Left"));
}

}  // namespace
}  // namespace orbelle
