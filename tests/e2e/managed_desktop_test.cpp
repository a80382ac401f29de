// The native program on a desktop with a window manager (openbox): what goes wrong with the
// Windows program under Wine there must not go wrong here. Keys typed with the menu open reach
// the menu; clicking the picture window never puts it over the menu; a quick click never
// leaves the window following the pointer; a window near the top edge stays, and is saved,
// where the program put it; Alt+F4 ends the program without saving.
#include <gtest/gtest.h>

#include "corvane.h"

namespace corvane::e2e {
namespace {

class ManagedDesktop : public testing::Test {
 protected:
  void SetUp() override {
    if (!NativeTarget()) GTEST_SKIP() << "the native program's window-manager cases";
  }

  // Starts on the help panel at `place` (pixels) and waits until it is shown there.
  void StartAt(Point place) {
    ASSERT_TRUE(StartWithSettings(
        app_, EncodeSettings({place.x * kTwipsPerPixel, place.y * kTwipsPerPixel, kNoPictureMarker})));
    ASSERT_TRUE(WaitForPictureWindowAt(app_, {place.x, place.y, kHelpWidth, kHelpHeight}, &window_));
    ASSERT_TRUE(Eventually("the settings file", [&] { return ReadSettingsRecord(app_).has_value(); }));
    settingsAtStart_ = *app_.ReadSettings();
  }

  // Opens the menu at `at` and closes it with its access key: by then the program has handled
  // all earlier input and has the keyboard.
  void MenuRoundTrip(Point at) {
    XTopLevel menu;
    ASSERT_TRUE(OpenMenuAt(at, &menu));
    PressKey("Alt+c");
    ASSERT_TRUE(Eventually("the menu to close", [&] { return !OtherWindow().has_value(); }));
  }

  // The program's shown window that is not the picture window (the menu), if there is one.
  std::optional<XTopLevel> OtherWindow() {
    std::optional<XTopLevel> found;
    for (const XTopLevel& w : TopLevelWindows()) {
      if (w.mapped && w.pid == app_.Pid() && w.id != window_.id) found = w;
    }
    return found;
  }

  testing::AssertionResult OpenMenuAt(Point at, XTopLevel* menu) {
    Click(at, Button::Right);
    return Eventually("the menu", [&] {
      const auto other = OtherWindow();
      if (other && menu) *menu = *other;
      return other && other->rect.width == kMenuWidth && other->rect.height == kMenuHeight;
    });
  }

  int StackIndexOf(XWindowId id) {
    for (const XTopLevel& w : TopLevelWindows()) {
      if (w.id == id) return w.stackIndex;
    }
    return -1;
  }

  // The ground below the Step 2 labels, clear of every label.
  Point Ground() const { return {window_.rect.x + 10, window_.rect.y + 320}; }

  App app_;
  XTopLevel window_;
  std::vector<std::uint8_t> settingsAtStart_;
};

TEST_F(ManagedDesktop, KeysTypedWithTheMenuOpenReachTheMenu) {
  ASSERT_NO_FATAL_FAILURE(StartAt({200, 150}));
  for (int attempt = 0; attempt < 4; ++attempt) {
    SCOPED_TRACE("attempt " + std::to_string(attempt));
    XTopLevel menu;
    ASSERT_TRUE(OpenMenuAt({window_.rect.x + 300, window_.rect.y + 250}, &menu));
    EXPECT_EQ(menu.rect.x + menu.rect.width, window_.rect.x + 300) << "its bottom-right corner at the cursor";
    EXPECT_EQ(menu.rect.y + menu.rect.height, window_.rect.y + 250);
    PressKey("Alt+c");  // Close this menu
    ASSERT_TRUE(Eventually("the menu to close", [&] { return !OtherWindow().has_value(); }));
  }
  EXPECT_TRUE(app_.Running());
}

TEST_F(ManagedDesktop, ClickingThePictureWindowLeavesTheMenuAboveIt) {
  ASSERT_NO_FATAL_FAILURE(StartAt({200, 150}));
  XTopLevel menu;
  ASSERT_TRUE(OpenMenuAt({window_.rect.x + 300, window_.rect.y + 250}, &menu));
  Click(Ground());
  Click({window_.rect.x + 400, window_.rect.y + 330});
  ASSERT_TRUE(OtherWindow().has_value()) << "the menu is still open";
  EXPECT_GT(StackIndexOf(menu.id), StackIndexOf(window_.id)) << "the menu stays above the picture window";
  EXPECT_EQ(ShownPictureWindow(app_)->rect, window_.rect) << "a press on a blocked window moves nothing";
}

TEST_F(ManagedDesktop, AQuickClickNeverLeavesTheWindowFollowingThePointer) {
  ASSERT_NO_FATAL_FAILURE(StartAt({200, 150}));
  for (int n = 0; n < 5; ++n) {
    MoveTo(Ground());
    Press(Button::Left);
    Release(Button::Left);
    MoveTo({Ground().x + 150, Ground().y - 120});
    // A window glued to the pointer would now be on its way; the menu opening at the same spot
    // proves the program has handled the moves.
    ASSERT_NO_FATAL_FAILURE(MenuRoundTrip({Ground().x + 150, Ground().y - 120}));
    EXPECT_EQ(ShownPictureWindow(app_)->rect, window_.rect) << "click " << n;
  }
}

TEST_F(ManagedDesktop, AWindowNearTheTopEdgeStaysAndIsSavedWhereTheProgramPutIt) {
  ASSERT_NO_FATAL_FAILURE(StartAt({40, 3}));
  ASSERT_NO_FATAL_FAILURE(MenuRoundTrip({Ground().x + 150, Ground().y - 120}));
  DoubleClick(Ground());
  ASSERT_TRUE(app_.WaitForExit(10s));
  EXPECT_EQ(ReadSettingsRecord(app_)->left, 40 * kTwipsPerPixel);
  EXPECT_EQ(ReadSettingsRecord(app_)->top, 3 * kTwipsPerPixel);
}

TEST_F(ManagedDesktop, AltF4EndsTheProgramWithoutSaving) {
  ASSERT_NO_FATAL_FAILURE(StartAt({200, 150}));
  Drag(Ground(), {Ground().x + 60, Ground().y + 40});
  ASSERT_TRUE(WaitForPictureWindowAt(app_, {260, 190, kHelpWidth, kHelpHeight}));
  ASSERT_NO_FATAL_FAILURE(MenuRoundTrip({Ground().x + 150, Ground().y - 120}));
  PressKey("Alt+F4");
  ASSERT_TRUE(app_.WaitForExit(10s));
  EXPECT_TRUE(app_.Exit()->Exited() && app_.Exit()->code == 0) << app_.Exit()->Describe();
  EXPECT_EQ(app_.ReadSettings(), settingsAtStart_) << "the moved place is not saved";
}

}  // namespace
}  // namespace corvane::e2e
