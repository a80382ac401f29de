// The About window: opened by a click on the menu's About item, a framed top-most window over
// the held picture window, with the application's icon and two links that light up under the
// pointer; closing it gives the picture window its input back.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

constexpr Rgb kGrey = Rgb::FromHex(0xE0E0E0);
constexpr int kClientWidth = 326;
constexpr int kClientHeight = 168;

// Labels of the About window in twips from its client area's corner.
constexpr Point kEmailLink{1560, 1320};
constexpr Point kHomeLink{1560, 1800};
constexpr Point kBareGround{150, 900};

class About : public testing::Test {
 protected:
  // First start, then the menu's About item clicked. The menu opens far enough right and down
  // that the item is not where the About window appears.
  void SetUp() override {
    app_.Start();
    ASSERT_TRUE(app_.WaitForWindow(kHelpTitle, &picture_));
    WindowFacts menu;
    ASSERT_TRUE(OpenMenu({450, 300}, &menu));
    Click(MenuItemPoint(menu.rect, MenuItem::About));
    ASSERT_TRUE(app_.WaitForWindow(kAboutTitle, &aboutX_));
    const auto facts = ShownWindow(kAboutTitle);
    ASSERT_TRUE(facts.has_value());
    about_ = *facts;
  }

  Point OnClient(Point twips) const { return {about_.client.x + Px(twips.x), about_.client.y + Px(twips.y)}; }

  // The left part of a link label, where its background shows between the letters.
  Rect LinkPatch(Point twips) const { return {OnClient(twips).x, OnClient(twips).y, 120, 16}; }

  App app_;
  XTopLevel picture_;
  XTopLevel aboutX_;
  WindowFacts about_;
};

TEST_F(About, OpensAsAFramedTopmostWindowOverTheHeldPictureWindow) {
  EXPECT_FALSE(ShownMenu().has_value()) << "the menu stays open under the About window";
  EXPECT_EQ(about_.client.width, kClientWidth);
  EXPECT_EQ(about_.client.height, kClientHeight);
  EXPECT_TRUE(about_.visible);
  if (NativeTarget()) {
    // A dialog the window manager frames, with a title bar above the client area, belonging to
    // the picture window.
    EXPECT_GT(about_.client.y, about_.rect.y) << "no title bar: frame " << about_.rect << ", client " << about_.client;
    EXPECT_TRUE(about_.rect.Contains({about_.client.x, about_.client.y})) << "the frame holds the client area";
    EXPECT_EQ(about_.owner, picture_.id) << "WM_TRANSIENT_FOR";
  } else {
    EXPECT_EQ(about_.style & win::kCaption, win::kCaption) << std::hex << "style 0x" << about_.style;
    EXPECT_TRUE(about_.style & win::kSysMenu) << std::hex << "style 0x" << about_.style;
    EXPECT_TRUE(about_.topmost);
    EXPECT_EQ(aboutX_.rect, about_.rect) << "the X window holds the frame Wine draws";
    EXPECT_FALSE(PictureWindowEnabled()) << "the picture window takes input while About shows";
  }

  // Its grey ground, and the links in blue on grey.
  const auto drawn = [&](const Image& shot) -> testing::AssertionResult {
    const Point ground = OnClient(kBareGround);
    if (!Near(shot.At(ground), kGrey, kTolerance))
      return testing::AssertionFailure() << "the ground is " << shot.At(ground);
    for (const Point link : {kEmailLink, kHomeLink}) {
      const Rgb back = DominantColour(shot, LinkPatch(link));
      if (!Near(back, kGrey, kTolerance)) return testing::AssertionFailure() << "a link is on " << back;
      bool blue = false;
      const Rect patch = LinkPatch(link);
      for (int y = patch.y; y < patch.Bottom() + 4; ++y) {
        for (int x = patch.x; x < patch.Right(); ++x) blue = blue || Near(shot.At({x, y}), kBlue, 0x30);
      }
      if (!blue) return testing::AssertionFailure() << "a link has no blue text";
    }
    return testing::AssertionSuccess();
  };
  EXPECT_TRUE(WaitForScreen(about_.rect, "the About window drawn", drawn, {}, 5s));
}

TEST_F(About, ShowsTheApplicationIcon) {
  ASSERT_TRUE(std::filesystem::exists(kIconFile)) << kIconFile;
  const XIcon expected = ReadIconFile(kIconFile);
  std::vector<XIcon> icons;
  ASSERT_TRUE(Eventually("an icon on the About window", [&] { return !(icons = WindowIcons(aboutX_.id)).empty(); }));
  const XIcon& shown = icons.front();
  ASSERT_EQ(shown.width, expected.width);
  ASSERT_EQ(shown.height, expected.height);
  int different = 0;
  for (std::size_t i = 0; i < expected.argb.size(); ++i) different += shown.argb[i] != expected.argb[i];
  EXPECT_EQ(different, 0) << "pixels of the window's icon that differ from " << kIconFile;
}

// The email and home-page links light up white under the pointer, one at a time, and both go
// back to grey over the bare window. (That the other labels leave the links as they are is for
// the unit tests: a screenshot cannot tell "not changed" from "not changed yet".)
TEST_F(About, LinksLightUpUnderThePointer) {
  struct Step {
    const char* over;
    std::optional<Point> twips;  // nothing: the pointer has not moved onto the window yet
    bool emailLit;
    bool homeLit;
  };
  // The pointer rests right of each link's patch, so that the patch shows only the background.
  const Point overEmail{kEmailLink.x + 2250, kEmailLink.y + 150};
  const Point overHome{kHomeLink.x + 2250, kHomeLink.y + 150};
  const Step steps[] = {
      {"nothing yet", std::nullopt, false, false},          {"the email link", overEmail, true, false},
      {"the home-page link", overHome, false, true},        {"the email link again", overEmail, true, false},
      {"the bare window", kBareGround, false, false},       {"the home-page link again", overHome, false, true},
      {"the bare window again", kBareGround, false, false},
  };
  const auto expected = [](bool lit) { return lit ? kWhite : kGrey; };

  int n = 0;
  for (const Step& step : steps) {
    if (step.twips) MoveTo(OnClient(*step.twips));
    const auto lit = [&](const Image& shot) -> testing::AssertionResult {
      const Rgb email = DominantColour(shot, LinkPatch(kEmailLink));
      const Rgb home = DominantColour(shot, LinkPatch(kHomeLink));
      if (Near(email, expected(step.emailLit), kTolerance) && Near(home, expected(step.homeLit), kTolerance)) {
        return testing::AssertionSuccess();
      }
      return testing::AssertionFailure() << "email link on " << email << ", home-page link on " << home;
    };
    EXPECT_TRUE(WaitForScreen(about_.rect, std::string("the links' colours over ") + step.over, lit,
                              "step" + std::to_string(++n), 5s));
  }
}

enum class CloseBy { CloseBox, AltF4 };
std::ostream& operator<<(std::ostream& out, CloseBy by) {
  return out << (by == CloseBy::CloseBox ? "the close box" : "Alt+F4");
}

class AboutClose : public About, public testing::WithParamInterface<CloseBy> {};

TEST_P(AboutClose, GivesThePictureWindowItsInputBack) {
  // While About shows, a drag on the picture window is lost. (Every drag here ends over the
  // picture window: without a window manager the keyboard goes to the X window under the pointer.)
  const Point free{picture_.rect.x + 400, picture_.rect.y + 300};
  const Point dropped{free.x + 40, free.y + 20};
  ASSERT_FALSE(about_.rect.Contains(free));
  Drag(free, dropped);

  if (GetParam() == CloseBy::CloseBox) {
    // The close box sits at the right end of the caption bar Wine draws.
    Click({about_.client.Right() - 10, about_.rect.y + (about_.client.y - about_.rect.y) / 2 + 1});
  } else {
    PressKey("Alt+F4");
  }
  ASSERT_TRUE(WaitForNoShownWindow(kAboutTitle));
  EXPECT_TRUE(app_.Running());
  if (!NativeTarget()) {
    ASSERT_TRUE(WaitForPictureWindowEnabled());
  }
  EXPECT_EQ(ShownPictureWindow(app_)->rect, picture_.rect) << "the drag while About showed moved the window";

  // The mouse moves it again, and the keyboard reaches it: Alt+F4 ends the program unsaved.
  // The press lands away from the lost one, which Wine would pair with it as a double click.
  const Point grab{free.x - 60, free.y - 40};
  Drag(grab, {grab.x + 40, grab.y + 20});
  EXPECT_TRUE(WaitForPictureWindowAt(app_, {picture_.rect.x + 40, picture_.rect.y + 20, kHelpWidth, kHelpHeight}));
  const auto settings = app_.ReadSettings();
  PressKey("Alt+F4");
  ASSERT_TRUE(app_.WaitForExit());
  EXPECT_EQ(app_.ReadSettings(), settings);
}

INSTANTIATE_TEST_SUITE_P(Ways, AboutClose, testing::Values(CloseBy::CloseBox, CloseBy::AltF4),
                         [](const auto& testCase) {
                           return std::string(testCase.param == CloseBy::CloseBox ? "CloseBox" : "AltF4");
                         });

}  // namespace
}  // namespace corvane::e2e
