#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/TForm89.h"
#include "host/Desktop.h"
#include "host/nanoCAD_TLB.h"
#include "tests/support/FakeSettings.h"

namespace orbelle {
namespace {

using ::testing::ElementsAre;

// The palette's own tests never reach a host: the actions are watched, not run.
class UnusedDesktop : public Desktop {
 public:
  WindowHandle findTopLevelWindow(const std::wstring&) override { return 0; }
  bool isMinimized(WindowHandle) override { return false; }
  void restore(WindowHandle) override {}
  void setForeground(WindowHandle) override {}
  WindowHandle foreground() override { return 0; }
  void keyEvent(std::uint8_t, std::uint8_t, std::uint32_t, std::uintptr_t) override {}
  std::int16_t keyState(int) override { return 0; }
  void sleep(std::uint32_t) override {}
  std::uint32_t tickCount() override { return 0; }
  LocalTime localTime() override { return {}; }
  void processMessages() override {}
  bool quitRequested() override { return false; }
  void debugOutput(const std::wstring&) override {}
};

class UnusedConnector : public HostConnector {
 public:
  HostRef<HostApplication> createApplication() override {
    throw HostError(kStatusFail, L"CoCreateInstance(CoApplication)", L"no host in these tests");
  }
};

// Records which action each click reaches, and with what.
class WatchedPalette : public TForm89 {
 public:
  WatchedPalette(HostEnvironment environment, SettingsEnvironment settings)
      : TForm89(environment, settings) {}

  struct Call {
    std::string action;
    std::wstring makeType;
    ui::Control* sender = nullptr;
    friend bool operator==(const Call&, const Call&) = default;
  };
  std::vector<Call> calls;

  void cmdIsomeBlock2(const std::wstring& makeType) override {
    calls.push_back({"cmdIsomeBlock2", makeType, nullptr});
  }
  void SpeedButton4Click(ui::Control* sender) override {
    calls.push_back({"SpeedButton4Click", L"", sender});
  }
  void SpeedButton5Click(ui::Control* sender) override {
    calls.push_back({"SpeedButton5Click", L"", sender});
  }
  void SpeedButton6Click(ui::Control* sender) override {
    calls.push_back({"SpeedButton6Click", L"", sender});
  }
};

// Counts the writes that reach each control, as the window backend would repaint them.
class RepaintCounter : public ui::ControlObserver {
 public:
  void controlChanged(ui::Control& control) override { writes.push_back(control.name()); }
  std::vector<std::wstring> writes;
};

class PaletteTest : public ::testing::Test {
 protected:
  PaletteTest() : palette({desktop, connector}, settings.environment) {
    for (ui::Control* control : palette.controls())
      control->setObserver(&repaints);
  }

  std::vector<std::wstring> flatPanels() const {
    std::vector<std::wstring> flat;
    for (ui::Panel* panel : palette.PanelAry) {
      if (panel->bevelOuter() == ui::Bevel::None)
        flat.push_back(panel->name());
    }
    return flat;
  }

  void hover(ui::Image& image) { image.mouseMove({}, 10, 10); }

  UnusedDesktop desktop;
  UnusedConnector connector;
  fake::FakeSettings settings;
  WatchedPalette palette;
  RepaintCounter repaints;
};

TEST_F(PaletteTest, WindowAndControlsAreLaidOutAsDesigned) {
  EXPECT_EQ(palette.caption(), L"Orbelle '25.01.07A");
  EXPECT_EQ(palette.clientWidth(), 225);
  EXPECT_EQ(palette.clientHeight(), 102);

  struct Expected {
    ui::Control* control;
    ui::Bounds bounds;
    std::wstring caption;
    std::wstring hint;
  };
  const std::wstring textHint = L"選択した TEXT を変形";
  const std::vector<Expected> table = {
      {&palette.Panel5, {1, 0, 55, 55}, L"", L""},
      {&palette.Panel4, {56, 0, 55, 55}, L"", L""},
      {&palette.Panel3, {112, 0, 55, 55}, L"", L""},
      {&palette.Panel2, {167, 0, 55, 55}, L"", L""},
      {&palette.SpeedButton4, {1, 56, 55, 23}, L"TEXT L", textHint},
      {&palette.SpeedButton3, {56, 56, 55, 23}, L"TEXT TL", textHint},
      {&palette.SpeedButton2, {112, 56, 55, 23}, L"TEXT TR", textHint},
      {&palette.SpeedButton1, {167, 56, 55, 23}, L"TEXT R", textHint},
      {&palette.SpeedButton5, {1, 80, 76, 22}, L"ROTATE3D", L"2点指示で3D回転"},
      {&palette.SpeedButton6, {79, 80, 47, 22}, L"SW", L"南西アイソメビュー"},
      {&palette.SpeedButton8, {127, 80, 47, 22}, L"TOP", L"アイソメビュー終了"},
      {&palette.SpeedButton7, {175, 80, 47, 22}, L"SE", L"南東アイソメビュー"},
  };
  for (const Expected& row : table) {
    SCOPED_TRACE(row.control->name());
    EXPECT_EQ(row.control->bounds(), row.bounds);
    EXPECT_EQ(row.control->hint(), row.hint);
    if (auto* button = dynamic_cast<ui::SpeedButton*>(row.control)) {
      EXPECT_EQ(button->caption(), row.caption);
      EXPECT_FALSE(button->flat());
    }
  }

  // Each picture fills its panel's inner area; the row runs R, TR, TL, L from the left.
  const std::vector<std::pair<ui::Image*, std::wstring>> pictures = {{&palette.Image4, L"PLANE_R"},
                                                                     {&palette.Image3, L"PLANE_TR"},
                                                                     {&palette.Image2, L"PLANE_TL"},
                                                                     {&palette.Image1, L"PLANE_L"}};
  ui::Control* previousPanel = nullptr;
  for (const auto& [image, picture] : pictures) {
    SCOPED_TRACE(image->name());
    EXPECT_EQ(image->bounds(), (ui::Bounds{2, 2, 51, 51}));
    EXPECT_EQ(image->pictureResource(), picture);
    EXPECT_TRUE(image->stretch());
    ASSERT_NE(image->parent(), nullptr);
    if (previousPanel != nullptr) {
      EXPECT_GT(image->parent()->bounds().left, previousPanel->bounds().left);
    }
    previousPanel = image->parent();
  }
}

TEST_F(PaletteTest, PicturePanelsAreRaisedWithTabOrderAndArraysPairThem) {
  EXPECT_THAT(palette.PanelAry,
              ElementsAre(&palette.Panel2, &palette.Panel3, &palette.Panel4, &palette.Panel5));
  EXPECT_THAT(palette.ImageAry,
              ElementsAre(&palette.Image1, &palette.Image2, &palette.Image3, &palette.Image4));
  for (std::size_t i = 0; i < 4; ++i) {
    ui::Panel& panel = *palette.PanelAry[i];
    SCOPED_TRACE(panel.name());
    EXPECT_EQ(palette.ImageAry[i]->parent(), &panel);
    EXPECT_EQ(panel.tabOrder(), static_cast<int>(i));
    EXPECT_EQ(panel.bevelOuter(), ui::Bevel::Raised);
    EXPECT_EQ(panel.bevelInner(), ui::Bevel::None);
    EXPECT_EQ(panel.bevelWidth(), 2);
    EXPECT_FALSE(panel.showCaption());
  }
  EXPECT_TRUE(flatPanels().empty());
}

TEST_F(PaletteTest, HoverFlattensOnlyThePictureUnderThePointerAndWritesOnlyChanges) {
  hover(palette.Image4);
  EXPECT_THAT(flatPanels(), ElementsAre(L"Panel5"));
  EXPECT_THAT(repaints.writes, ElementsAre(L"Panel5"));

  // Moving within the same picture writes nothing.
  repaints.writes.clear();
  hover(palette.Image4);
  palette.Image4.mouseMove({}, 40, 3);
  EXPECT_TRUE(repaints.writes.empty());

  // Straight onto the neighbour: the new one flat and the old one raised in the same move.
  hover(palette.Image3);
  EXPECT_THAT(flatPanels(), ElementsAre(L"Panel4"));
  EXPECT_THAT(repaints.writes, ElementsAre(L"Panel4", L"Panel5"));

  // Leaving the pictures (over a button) changes nothing: the last one hovered stays flat.
  repaints.writes.clear();
  palette.SpeedButton6.mouseMove({}, 5, 5);
  EXPECT_THAT(flatPanels(), ElementsAre(L"Panel4"));
  EXPECT_TRUE(repaints.writes.empty());
}

TEST_F(PaletteTest, EveryClickReachesItsActionWithTheClickedControl) {
  using Call = WatchedPalette::Call;
  palette.Image4.click();
  palette.Image3.click();
  palette.Image2.click();
  palette.Image1.click();
  EXPECT_EQ(palette.calls, (std::vector<Call>{{"cmdIsomeBlock2", L"R", nullptr},
                                              {"cmdIsomeBlock2", L"TR", nullptr},
                                              {"cmdIsomeBlock2", L"TL", nullptr},
                                              {"cmdIsomeBlock2", L"L", nullptr}}));

  palette.calls.clear();
  for (ui::SpeedButton* button : {&palette.SpeedButton1, &palette.SpeedButton2,
                                  &palette.SpeedButton3, &palette.SpeedButton4}) {
    button->click();
  }
  palette.SpeedButton5.click();
  for (ui::SpeedButton* button :
       {&palette.SpeedButton6, &palette.SpeedButton7, &palette.SpeedButton8}) {
    button->click();
  }
  EXPECT_EQ(palette.calls, (std::vector<Call>{{"SpeedButton4Click", L"", &palette.SpeedButton1},
                                              {"SpeedButton4Click", L"", &palette.SpeedButton2},
                                              {"SpeedButton4Click", L"", &palette.SpeedButton3},
                                              {"SpeedButton4Click", L"", &palette.SpeedButton4},
                                              {"SpeedButton5Click", L"", &palette.SpeedButton5},
                                              {"SpeedButton6Click", L"", &palette.SpeedButton6},
                                              {"SpeedButton6Click", L"", &palette.SpeedButton7},
                                              {"SpeedButton6Click", L"", &palette.SpeedButton8}}));
}

}  // namespace
}  // namespace orbelle
