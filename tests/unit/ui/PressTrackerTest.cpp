#include <gtest/gtest.h>

#include "ui/PressTracker.h"

namespace orbelle::ui {
namespace {

TEST(PressTracker, AClickIsAReleaseInsideAfterAPressThatStartedThere) {
  PressTracker t;
  t.pointerMoved(true);
  EXPECT_EQ(t.look(), ButtonLook::Hot);
  t.buttonDown();
  EXPECT_EQ(t.look(), ButtonLook::Pressed);
  EXPECT_TRUE(t.buttonUp(true));
  // At rest again at once, as a click handler that pumps messages needs it.
  EXPECT_FALSE(t.pressed());
  EXPECT_EQ(t.look(), ButtonLook::Hot);
  EXPECT_FALSE(t.buttonUp(true));  // a release without a press is no click
}

TEST(PressTracker, DraggingOutCancelsUnlessThePointerComesBack) {
  PressTracker t;
  t.buttonDown();
  t.pointerMoved(false);
  EXPECT_EQ(t.look(), ButtonLook::Normal);
  EXPECT_FALSE(t.buttonUp(false));
  EXPECT_EQ(t.look(), ButtonLook::Normal);

  t.buttonDown();
  t.pointerMoved(false);
  t.pointerMoved(true);
  EXPECT_EQ(t.look(), ButtonLook::Pressed);
  EXPECT_TRUE(t.buttonUp(true));
}

TEST(PressTracker, TheSecondPressOfADoubleClickIsNoClick) {
  PressTracker t;
  t.buttonDown();
  EXPECT_TRUE(t.buttonUp(true));
  t.doubleClicked();
  EXPECT_EQ(t.look(), ButtonLook::Hot);
  EXPECT_FALSE(t.buttonUp(true));
  // The next press that is no double-click clicks again.
  t.buttonDown();
  EXPECT_TRUE(t.buttonUp(true));
}

TEST(PressTracker, LosingThePointerEndsThePressWithoutAClick) {
  PressTracker t;
  t.buttonDown();
  t.captureLost();
  EXPECT_FALSE(t.buttonUp(true));
  t.pointerLeft();
  EXPECT_EQ(t.look(), ButtonLook::Normal);
}

}  // namespace
}  // namespace orbelle::ui
