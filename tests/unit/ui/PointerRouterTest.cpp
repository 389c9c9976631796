#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/Dpi.h"
#include "ui/HitTest.h"
#include "ui/Layout.h"
#include "ui/PointerRouter.h"

namespace orbelle::ui {
namespace {

// Like the palette: a panel with a picture 2 units inside it, a push button beside it, and two
// buttons that overlap (which the palette has not, but a hit test must settle).
class Board : public Form {
 public:
  Board() : Form(L"board", 200, 100) {
    for (Control* c : std::initializer_list<Control*>{&panel, &picture, &button, &upper, &lower})
      addControl(*c);
    picture.onMouseMove = [this](Control& sender, ShiftState shift, int x, int y) {
      moves.push_back({&sender, shift, x, y});
    };
    for (Control* c : std::initializer_list<Control*>{&picture, &button, &upper, &lower})
      c->onClick = [this](Control& sender) { clicks.push_back(&sender); };
  }
  Panel panel{L"Panel", nullptr, {1, 0, 55, 55}};
  Image picture{L"Picture", &panel, {2, 2, 51, 51}, L"PICTURE"};
  SpeedButton button{L"Button", nullptr, {60, 0, 47, 22}, L"SW"};
  SpeedButton upper{L"Upper", nullptr, {60, 40, 40, 20}, L"A"};
  SpeedButton lower{L"Lower", nullptr, {80, 50, 40, 20}, L"B"};

  struct Move {
    Control* sender;
    ShiftState shift;
    int x;
    int y;
  };
  std::vector<Move> moves;
  std::vector<Control*> clicks;
};

TEST(HitTest, TheDeepestControlUnderThePointWinsAndTheBackgroundIsNone) {
  Board board;
  EXPECT_EQ(controlAt(board, {30, 30}, 96), &board.picture);  // not the panel it lies in
  EXPECT_EQ(controlAt(board, {2, 30}, 96), &board.panel);     // the panel's bevel ring
  EXPECT_EQ(controlAt(board, {3, 30}, 96), &board.picture);
  EXPECT_EQ(controlAt(board, {0, 30}, 96), nullptr);        // left of the panel
  EXPECT_EQ(controlAt(board, {56, 10}, 96), nullptr);       // the panel's right edge is out
  EXPECT_EQ(controlAt(board, {60, 0}, 96), &board.button);  // left and top edges are in
  EXPECT_EQ(controlAt(board, {106, 21}, 96), &board.button);
  EXPECT_EQ(controlAt(board, {107, 21}, 96), nullptr);
  EXPECT_EQ(controlAt(board, {150, 90}, 96), nullptr);
  // Of two overlapping siblings the one created first is on top, as with child windows.
  EXPECT_EQ(controlAt(board, {85, 55}, 96), &board.upper);
  EXPECT_EQ(controlAt(board, {85, 65}, 96), &board.lower);
}

TEST(HitTest, RectanglesFollowTheDpiAndAChildIsClippedByItsParent) {
  Board board;
  // At 144 DPI the button spans 90..160 by 0..33.
  EXPECT_EQ(formRect(board.button, 144), (PixelRect{90, 0, 71, 33}));
  EXPECT_EQ(controlAt(board, {90, 0}, 144), &board.button);
  EXPECT_EQ(controlAt(board, {160, 32}, 144), &board.button);
  EXPECT_EQ(controlAt(board, {161, 32}, 144), nullptr);
  EXPECT_EQ(controlAt(board, {45, 45}, 144), &board.picture);

  // A picture that sticks out of its panel shows, and is hit, only inside the panel.
  class Clipped : public Form {
   public:
    Clipped() : Form(L"clip", 100, 100) {
      addControl(panel);
      addControl(picture);
    }
    Panel panel{L"Panel", nullptr, {10, 10, 20, 20}};
    Image picture{L"Picture", &panel, {10, 10, 30, 30}, L"PICTURE"};
  } clipped;
  EXPECT_EQ(formRect(clipped.picture, 96), (PixelRect{20, 20, 30, 30}));
  EXPECT_EQ(controlAt(clipped, {25, 25}, 96), &clipped.picture);
  EXPECT_EQ(controlAt(clipped, {35, 35}, 96), nullptr);
}

// A router over a Board that records every change of look it reports.
struct Routed {
  Board board;
  PointerRouter router{board};
  std::vector<std::wstring> changed;
  Routed() {
    router.onLookChanged = [this](Control& control) { changed.push_back(control.name()); };
  }
  std::vector<std::wstring> takeChanged() { return std::exchange(changed, {}); }
};

constexpr Point kOnButton{80, 10};
constexpr Point kOnPicture{30, 30};
constexpr Point kOnBevel{2, 30};
constexpr Point kOnBackground{150, 90};

TEST(PointerRouter, MovesReachTheControlUnderThePointerInItsOwnCoordinates) {
  Routed r;
  const ShiftState shift{true, false, false, false};
  r.router.pointerMoved(kOnPicture, shift);
  ASSERT_EQ(r.board.moves.size(), 1u);
  EXPECT_EQ(r.board.moves[0].sender, &r.board.picture);
  EXPECT_EQ(r.board.moves[0].x, 30 - 3);
  EXPECT_EQ(r.board.moves[0].y, 30 - 2);
  EXPECT_TRUE(r.board.moves[0].shift.shift);
  EXPECT_EQ(r.router.look(r.board.picture), ButtonLook::Hot);
  r.takeChanged();

  // Onto the panel's border: the picture is left, the panel hovered; the panel has no handler.
  r.router.pointerMoved(kOnBevel, {});
  EXPECT_EQ(r.board.moves.size(), 1u);
  EXPECT_EQ(r.router.look(r.board.picture), ButtonLook::Normal);
  EXPECT_EQ(r.router.look(r.board.panel), ButtonLook::Hot);
  EXPECT_EQ(r.takeChanged(), (std::vector<std::wstring>{L"Picture", L"Panel"}));

  // A move within the same control changes no look.
  r.router.pointerMoved(kOnButton, {});
  r.takeChanged();
  r.router.pointerMoved({kOnButton.x + 1, kOnButton.y}, {});
  EXPECT_TRUE(r.takeChanged().empty());

  // Onto the background, then out of the window.
  r.router.pointerMoved(kOnBackground, {});
  EXPECT_EQ(r.takeChanged(), (std::vector<std::wstring>{L"Button"}));
  r.router.pointerMoved(kOnButton, {});
  r.router.pointerLeft();
  EXPECT_EQ(r.router.look(r.board.button), ButtonLook::Normal);
}

TEST(PointerRouter, APressAndAReleaseInsideTheSameControlIsItsClick) {
  Routed r;
  r.router.pointerMoved(kOnButton, {});
  EXPECT_TRUE(r.router.buttonDown(kOnButton));
  EXPECT_EQ(r.router.pressedControl(), &r.board.button);
  EXPECT_EQ(r.router.look(r.board.button), ButtonLook::Pressed);
  EXPECT_EQ(r.router.buttonUp(kOnButton), &r.board.button);
  // At rest before the caller runs the click, which may pump messages.
  EXPECT_EQ(r.router.pressedControl(), nullptr);
  EXPECT_EQ(r.router.look(r.board.button), ButtonLook::Hot);
  EXPECT_EQ(r.takeChanged(), (std::vector<std::wstring>{L"Button", L"Button", L"Button"}));
  EXPECT_TRUE(r.board.clicks.empty()) << "the router only names the click; the window runs it";

  // A press on the background takes nothing.
  EXPECT_FALSE(r.router.buttonDown(kOnBackground));
  EXPECT_EQ(r.router.buttonUp(kOnBackground), nullptr);
  EXPECT_EQ(r.router.look(r.board.button), ButtonLook::Normal);
}

TEST(PointerRouter, APressHoldsThePointerForItsControlUntilTheRelease) {
  Routed r;
  ASSERT_TRUE(r.router.buttonDown(kOnButton));
  // Dragged over the picture: the button alone hears it; the picture is not hovered.
  r.router.pointerMoved(kOnPicture, {});
  EXPECT_TRUE(r.board.moves.empty());
  EXPECT_EQ(r.router.look(r.board.button), ButtonLook::Normal);
  EXPECT_EQ(r.router.look(r.board.picture), ButtonLook::Normal);
  r.router.pointerLeft();  // out of the window while held: still held
  r.router.pointerMoved(kOnButton, {});
  EXPECT_EQ(r.router.look(r.board.button), ButtonLook::Pressed);
  r.router.pointerMoved(kOnPicture, {});
  EXPECT_EQ(r.router.buttonUp(kOnPicture), nullptr) << "released outside: no click";
  EXPECT_EQ(r.router.look(r.board.button), ButtonLook::Normal);
  // The next move hovers what lies under the pointer.
  r.router.pointerMoved(kOnPicture, {});
  EXPECT_EQ(r.board.moves.size(), 1u);
  EXPECT_EQ(r.router.look(r.board.picture), ButtonLook::Hot);

  // A press that loses the pointer to another window ends without a click.
  ASSERT_TRUE(r.router.buttonDown(kOnButton));
  r.router.captureLost();
  EXPECT_EQ(r.router.pressedControl(), nullptr);
  EXPECT_EQ(r.router.buttonUp(kOnButton), nullptr);
}

TEST(PointerRouter, TheSecondPressOfADoubleClickStartsNothingOnTheSameControlOnly) {
  Routed r;
  ASSERT_TRUE(r.router.buttonDown(kOnButton));
  ASSERT_EQ(r.router.buttonUp(kOnButton), &r.board.button);
  EXPECT_FALSE(r.router.doubleClicked(kOnButton)) << "no capture for the second press";
  EXPECT_EQ(r.router.look(r.board.button), ButtonLook::Hot);
  EXPECT_EQ(r.router.buttonUp(kOnButton), nullptr);
  // The next press clicks again.
  ASSERT_TRUE(r.router.buttonDown(kOnButton));
  EXPECT_EQ(r.router.buttonUp(kOnButton), &r.board.button);

  // When the system takes two presses on neighbouring controls for a double-click, the second
  // is the first press of its own control, as it was when each control was a window.
  const Point onUpper{70, 45};
  const Point onLower{100, 65};
  ASSERT_TRUE(r.router.buttonDown(onUpper));
  ASSERT_EQ(r.router.buttonUp(onUpper), &r.board.upper);
  EXPECT_TRUE(r.router.doubleClicked(onLower));
  EXPECT_EQ(r.router.look(r.board.lower), ButtonLook::Pressed);
  EXPECT_EQ(r.router.buttonUp(onLower), &r.board.lower);
  // Likewise after a press on the background.
  EXPECT_FALSE(r.router.buttonDown(kOnBackground));
  r.router.buttonUp(kOnBackground);
  EXPECT_TRUE(r.router.doubleClicked(kOnButton));
  EXPECT_EQ(r.router.buttonUp(kOnButton), &r.board.button);
}

TEST(PointerRouter, PointsAreReadAtTheDpiTheWindowHas) {
  Routed r;
  r.router.setDpi(144);
  const Point onButtonAt144{159, 30};  // beyond the button at 96 DPI, inside it at 144
  EXPECT_TRUE(r.router.buttonDown(onButtonAt144));
  EXPECT_EQ(r.router.buttonUp(onButtonAt144), &r.board.button);
  r.router.pointerMoved({45, 45}, {});
  ASSERT_EQ(r.board.moves.size(), 1u);
  EXPECT_EQ(r.board.moves[0].x, 45 - scale(3, 144));
}

}  // namespace
}  // namespace orbelle::ui
