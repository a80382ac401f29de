// Corvane at a desktop with a window manager (openbox) and Wine's default, managed windows: the
// menu and the About window stay above the picture window when it is clicked, a quick click
// never leaves the window following the pointer, the menu takes the keyboard when it opens, and
// Alt+F4 closes the picture window without saving. These run only on the display that
// scripts/test.sh gives a window manager (the e2e-wm label).
#include <gtest/gtest.h>

#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

constexpr Rgb kAboutGrey = Rgb::FromHex(0xE0E0E0);

// The picture window starts here (in pixels), from its saved place.
constexpr Point kPlace{300, 200};

// The ground on the help panel beside Label8, in twips from the window's corner.
constexpr Point kGroundTwips{300, 2250};

class WindowManager : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UnderWindowManager()) << "this suite belongs on the display with a window manager (label e2e-wm)";
  }

  // Starts on the help panel at kPlace and waits until the window is there.
  void Start() {
    app_.WriteSettings(EncodeSettings({kPlace.x * kTwipsPerPixel, kPlace.y * kTwipsPerPixel, kNoPictureMarker}));
    ParkPointer();
    app_.Start();
    ASSERT_TRUE(app_.WaitForWindow(kHelpTitle, &picture_));
    ASSERT_TRUE(WaitForPictureWindowAt(app_, {kPlace.x, kPlace.y, kHelpWidth, kHelpHeight}, &picture_));
    ASSERT_TRUE(Eventually("the settings file", [&] { return ReadSettingsRecord(app_).has_value(); }));
    settingsAtStart_ = *app_.ReadSettings();
    // The window manager has taken the window on once it has given it the keyboard.
    ASSERT_TRUE(Eventually("the keyboard focus on the picture window", [&] { return HasInputFocus(picture_); }));
  }

  Point OnPicture(Point twips) const { return {picture_.rect.x + Px(twips.x), picture_.rect.y + Px(twips.y)}; }

  // The shown X window of this Corvane that Windows has at `rect` (the menu has no title).
  std::optional<XTopLevel> ShownAt(const Rect& rect) const {
    for (const XTopLevel& w : TopLevelWindows()) {
      if (w.mapped && w.pid == app_.Pid() && w.rect == rect) return w;
    }
    return std::nullopt;
  }

  // The window at `rect` is stacked above the picture window.
  testing::AssertionResult Above(const Rect& rect, const char* what) const {
    const auto over = ShownAt(rect);
    const auto picture = ShownPictureWindow(app_);
    if (!over) return testing::AssertionFailure() << what << " is not shown at " << rect;
    if (!picture) return testing::AssertionFailure() << "the picture window is not shown";
    if (over->stackIndex <= picture->stackIndex) {
      return testing::AssertionFailure() << what << " is under the picture window (stacked " << over->stackIndex
                                         << ", the picture window " << picture->stackIndex << ")";
    }
    return testing::AssertionSuccess();
  }

  App app_;
  XTopLevel picture_;
  std::vector<std::uint8_t> settingsAtStart_;
};

// --- owned windows stay above the picture window ---------------------------------------------

TEST_F(WindowManager, TheMenuStaysAboveThePictureWindowWhenThePictureWindowIsClicked) {
  ASSERT_NO_FATAL_FAILURE(Start());
  WindowFacts menu;
  // Opened far right on the window, so that its left part covers the help panel.
  ASSERT_TRUE(OpenMenu(OnPicture({6000, 4000}), &menu));
  ASSERT_TRUE(Above(menu.rect, "the menu"));

  // Clicked, and pressed and held, on the picture window clear of the menu: the window manager
  // raises the window it was given the click on.
  const Point free = OnPicture(kGroundTwips);
  ASSERT_FALSE(menu.rect.Contains(free));
  Click(free);
  MoveTo(free);
  Press(Button::Left);
  EXPECT_TRUE(Eventually(
      "the menu above the picture window a while after the click", [&] { return Above(menu.rect, "the menu"); }, 2s));
  Release(Button::Left);

  // Still the menu on the screen: its white ground left of the items, its items' text.
  const Rect whiteColumn{menu.rect.x + 1, menu.rect.y + 1, 1, menu.rect.height - 3};
  EXPECT_TRUE(WaitForScreen(
      menu.rect, "the menu on top",
      [&](const Image& shot) -> testing::AssertionResult {
        if (shot.AllNear(whiteColumn, kWhite, kTolerance)) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "the column " << whiteColumn << " is not all white";
      },
      "menu-over-picture"));
  EXPECT_TRUE(Above(menu.rect, "the menu"));

  // And it still has the keyboard: its access key closes it.
  PressKey("Alt+c");
  EXPECT_TRUE(WaitForNoMenu());
  EXPECT_TRUE(app_.Running());
}

TEST_F(WindowManager, TheAboutWindowStaysAboveThePictureWindowWhenThePictureWindowIsClicked) {
  ASSERT_NO_FATAL_FAILURE(Start());
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu(OnPicture({6000, 4000}), &menu));
  ASSERT_TRUE(Eventually("the keyboard focus on the menu", [&] {
    const auto shown = ShownAt(menu.rect);
    return shown && HasInputFocus(*shown);
  }));
  Click(MenuItemPoint(menu.rect, MenuItem::About));
  XTopLevel aboutX;
  ASSERT_TRUE(app_.WaitForWindow(kAboutTitle, &aboutX));
  const auto about = ProbeWindow(kAboutTitle);
  ASSERT_TRUE(about.has_value());

  // A spot on the picture window that the About window does not cover.
  Point free = OnPicture(kGroundTwips);
  for (const Point candidate : {OnPicture({300, 4500}), OnPicture({6500, 300}), OnPicture({6500, 4500})}) {
    if (!about->rect.Contains(free)) break;
    free = candidate;
  }
  ASSERT_FALSE(about->rect.Contains(free)) << "the About window covers the whole picture window";
  const auto aboutAbove = [&] {
    const auto shown = FindShownWindow(kAboutTitle);
    const auto picture = ShownPictureWindow(app_);
    return shown && picture && shown->stackIndex > picture->stackIndex;
  };
  ASSERT_TRUE(Eventually("the About window above the picture window", aboutAbove));

  Click(free);
  MoveTo(free);
  Press(Button::Left);
  EXPECT_TRUE(Eventually("the About window above the picture window after the click", aboutAbove, 2s));
  Release(Button::Left);

  // Its grey ground shows where the About window is (its client area, left of the labels).
  const Point ground{about->client.x + Px(150), about->client.y + Px(900)};
  EXPECT_TRUE(WaitForScreen(
      about->client, "the About window on top",
      [&](const Image& shot) -> testing::AssertionResult {
        if (Near(shot.At(ground), kAboutGrey, kTolerance)) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "its ground at " << ground << " is " << shot.At(ground);
      },
      "about-over-picture"));
  EXPECT_TRUE(aboutAbove());
}

// --- a quick click ---------------------------------------------------------------------------

// A press released at once (XTest's press and release follow each other within a millisecond)
// starts no move that outlives it. Were the window left following the pointer, the right press
// that follows would only end that move, and open no menu.
TEST_F(WindowManager, AQuickClickLeavesTheWindowInPlaceAndAQuickDoubleClickEndsTheProgram) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const Point ground = OnPicture(kGroundTwips);
  Click(ground);
  ASSERT_TRUE(OpenMenu(ground)) << "the quick click left the window following the pointer";
  PressKey("Alt+c");
  ASSERT_TRUE(WaitForNoMenu());
  const Rect place{kPlace.x, kPlace.y, kHelpWidth, kHelpHeight};
  EXPECT_EQ(ShownPictureWindow(app_)->rect, place);

  // The pointer moving on leaves the window where it is (the menu opening shows that the
  // program has had the moves).
  const Point further{ground.x + 60, ground.y + 40};
  for (int step = 1; step <= 6; ++step) MoveTo({ground.x + 10 * step, ground.y + 40 * step / 6});
  ASSERT_TRUE(OpenMenu(further));
  PressKey("Alt+c");
  ASSERT_TRUE(WaitForNoMenu());
  EXPECT_EQ(ShownPictureWindow(app_)->rect, place);

  // A quick double click ends the program and saves the place.
  DoubleClick(further);
  ASSERT_TRUE(app_.WaitForExit()) << "the double click did not end the program";
  EXPECT_TRUE(app_.Exit()->Exited() && app_.Exit()->code == 0) << app_.Exit()->Describe();
  EXPECT_EQ(ReadSettingsRecord(app_),
            (SettingsRecord{kPlace.x * kTwipsPerPixel, kPlace.y * kTwipsPerPixel, kNoPictureMarker}));
}

// --- the keyboard ----------------------------------------------------------------------------

// The menu takes the keyboard from the picture window when it opens: X's focus is on it, and a
// key typed then is the menu's (here "e", Exit's access key, which saves and ends).
TEST_F(WindowManager, TheMenuTakesTheKeyboardWhenItOpens) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(Eventually("the keyboard focus on the picture window", [&] { return HasInputFocus(picture_); }));
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu(OnPicture(kGroundTwips), &menu));
  // The pointer leaves both windows: the keyboard does not follow it under a window manager.
  ParkPointer();
  EXPECT_TRUE(Eventually("the keyboard focus on the menu", [&] {
    const auto shown = ShownAt(menu.rect);
    return shown && HasInputFocus(*shown);
  }));
  EXPECT_TRUE(ShownWindowOfClass(kMenuClass)->foreground) << "Windows' foreground window is not the menu";

  PressKey("e");
  ASSERT_TRUE(app_.WaitForExit());
  EXPECT_EQ(app_.Exit()->code, 0) << app_.Exit()->Describe();
  EXPECT_EQ(ReadSettingsRecord(app_),
            (SettingsRecord{kPlace.x * kTwipsPerPixel, kPlace.y * kTwipsPerPixel, kNoPictureMarker}));
}

// The window manager's Alt+F4 closes the picture window and ends the program without saving.
TEST_F(WindowManager, AltF4ClosesThePictureWindowWithoutSaving) {
  ASSERT_NO_FATAL_FAILURE(Start());
  // Moved first, so that a save would show.
  const Point ground = OnPicture(kGroundTwips);
  Drag(ground, {ground.x + 70, ground.y + 50});
  const Rect moved{kPlace.x + 70, kPlace.y + 50, kHelpWidth, kHelpHeight};
  ASSERT_TRUE(WaitForPictureWindowAt(app_, moved, &picture_));
  ASSERT_TRUE(Eventually("the keyboard focus on the picture window", [&] { return HasInputFocus(picture_); }));

  PressKey("Alt+F4");
  ASSERT_TRUE(app_.WaitForExit());
  EXPECT_TRUE(app_.Exit()->Exited()) << app_.Exit()->Describe();
  EXPECT_EQ(app_.ReadSettings(), settingsAtStart_) << "Alt+F4 saved the settings";
}

}  // namespace
}  // namespace corvane::e2e
