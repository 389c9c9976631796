#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/ErrorDialog.h"
#include "ui/Theme.h"
#include "ui/ThemeManager.h"

namespace orbelle::ui {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string themeText(const std::string& name) {
  return "name = " + name +
         "\nwindow = #2B2B2B\nwindow.text = #F0F0F0\npanel = #2b2b2b\nbevel.light = #6E6E6E\n"
         "bevel.shadow = #101010\nbutton.face = #3A3A3A\nbutton.hot = #4A4A4A\n"
         "button.pressed = #626262\nbutton.border = #7A7A7A\nbutton.text = #FFFFFF\n"
         "tooltip.background = #2B2B2B\ntooltip.text = #F0F0F0\n";
}

TEST(Theme, ReadsNameAndColoursWhateverTheLineEndsAndComments) {
  const Theme theme = parseTheme("\xEF\xBB\xBF# comment\r\n\r\n  " + themeText("Windows10 Dark"));
  EXPECT_EQ(theme.name, L"Windows10 Dark");
  EXPECT_EQ(theme.panel, (Color{0x2B, 0x2B, 0x2B}));
  EXPECT_EQ(theme.buttonPressed, (Color{0x62, 0x62, 0x62}));
  EXPECT_EQ(theme.tooltipText, (Color{0xF0, 0xF0, 0xF0}));
  EXPECT_EQ(parseTheme(themeText("ダーク")).name, L"ダーク");
}

TEST(Theme, MistakesAreRefusedNamingTheLineOrKey) {
  auto error = [](const std::string& text) -> std::string {
    try {
      parseTheme(text);
    } catch (const ThemeError& e) {
      return e.what();
    }
    return "accepted";
  };
  const std::string good = themeText("X");
  EXPECT_EQ(error(good + "colour = #000000\n"), "theme line 14: unknown key \"colour\"");
  EXPECT_EQ(error(good + "panel = #000000\n"), "theme line 14: \"panel\" is given twice");
  EXPECT_EQ(error(good + "name = Y\n"), "theme line 14: \"name\" is given twice");
  EXPECT_EQ(error("window = 2B2B2B\n"),
            "theme line 1: \"2B2B2B\" is not a colour of the form #RRGGBB");
  EXPECT_EQ(error("window = #2B2B2G\n"),
            "theme line 1: \"#2B2B2G\" is not a colour of the form #RRGGBB");
  EXPECT_EQ(error("just words\n"), "theme line 1: expected \"key = value\"");
  EXPECT_EQ(error("name =\n"), "theme line 1: the theme's name is empty");
  std::string noPanel = good;
  noPanel.erase(noPanel.find("panel"),
                noPanel.find('\n', noPanel.find("panel")) - noPanel.find("panel") + 1);
  EXPECT_EQ(error(noPanel), "theme: the colour \"panel\" is missing");
  EXPECT_EQ(error(good.substr(good.find('\n') + 1)), "theme: the \"name\" line is missing");
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

class FixedLibrary : public ThemeLibrary {
 public:
  std::vector<Bytes> files;
  std::vector<std::span<const std::uint8_t>> compressedThemes() override {
    return {files.begin(), files.end()};
  }
};

class RecordingDialogs : public ErrorDialog {
 public:
  std::vector<std::wstring> shown;
  void showError(const std::wstring& text) override { shown.push_back(text); }
};

class ThemeManagerTest : public ::testing::Test {
 protected:
  ThemeManagerTest() {
    // A damaged file first: it must not hide the good one behind it.
    library.files.push_back({0x1F, 0x8B, 8, 0, 1, 2, 3});
    library.files.push_back(readFile(ORBELLE_RESOURCES_BINARY_DIR "/Windows10Dark.theme.gz"));
  }
  FixedLibrary library;
  RecordingDialogs dialogs;
  ThemeManager manager{library, dialogs};
  Theme system = [] {
    Theme theme;
    theme.name = L"system";
    return theme;
  }();
};

TEST_F(ThemeManagerTest, TheEmbeddedDarkThemeIsFoundByNameAndBecomesTheLook) {
  EXPECT_EQ(&manager.look(system), &system);
  ASSERT_TRUE(manager.trySetStyle(L"Windows10 Dark"));
  EXPECT_TRUE(dialogs.shown.empty());
  ASSERT_NE(manager.activeTheme(), nullptr);
  const Theme& dark = manager.look(system);
  EXPECT_EQ(dark.name, L"Windows10 Dark");
  // Dark: light text on a dark window and on dark buttons.
  auto luminance = [](Color c) { return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue; };
  EXPECT_LT(luminance(dark.window), 80);
  EXPECT_GT(luminance(dark.windowText) - luminance(dark.window), 150);
  EXPECT_GT(luminance(dark.buttonText) - luminance(dark.buttonFace), 150);
  EXPECT_GT(luminance(dark.bevelLight), luminance(dark.bevelShadow));
}

TEST_F(ThemeManagerTest, AMissingThemeShowsTheErrorDialogAndKeepsTheLook) {
  EXPECT_FALSE(manager.trySetStyle(L"Windows10 Blue"));
  EXPECT_EQ(dialogs.shown,
            std::vector<std::wstring>{L"スタイル 'Windows10 Blue' が見つかりません"});
  EXPECT_EQ(manager.activeTheme(), nullptr);
  EXPECT_EQ(&manager.look(system), &system);

  // The name must match exactly; an active theme stays when the next one is not found.
  ASSERT_TRUE(manager.trySetStyle(L"Windows10 Dark"));
  EXPECT_FALSE(manager.trySetStyle(L"windows10 dark"));
  EXPECT_EQ(manager.activeTheme()->name, L"Windows10 Dark");
  // The name goes into the message as it is, even when it looks like a format.
  EXPECT_FALSE(manager.trySetStyle(L"%s %d"));
  EXPECT_EQ(dialogs.shown.back(), L"スタイル '%s %d' が見つかりません");
  // With the dialog disabled nothing is shown.
  dialogs.shown.clear();
  EXPECT_FALSE(manager.trySetStyle(L"Nope", false));
  EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
}  // namespace orbelle::ui
