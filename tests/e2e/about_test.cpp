// The About window: opened by a click on the menu's About item, a framed top-most window over
// the held picture window, with the application's icon and two links that light up under the
// pointer; closing it gives the picture window its input back.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "corvane_windows.h"

namespace corvane::e2e {
namespace {

constexpr Rgb kGrey = Rgb::FromHex(0xE0E0E0);
constexpr Rgb kWhite = Rgb::FromHex(0xFFFFFF);
constexpr int kTolerance = 4;
constexpr int kClientWidth = 326;
constexpr int kClientHeight = 168;

// Labels of the About window in twips from its client area's corner.
constexpr Point kEmailLink{1560, 1320};
constexpr Point kHomeLink{1560, 1800};
constexpr Point kBareGround{150, 900};

// The application icon as res/corvane.ico holds it: rows from the top, 0xAARRGGBB. Reads the
// first image, which must use a palette (1, 4 or 8 bits per pixel).
XIcon ReadIconFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(d.at(at) | d.at(at + 1) << 8); };
  const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  if (d.size() < 22 || u16(2) != 1) throw std::runtime_error(file.string() + " is no icon file");
  const std::size_t image = u32(18);
  const int width = static_cast<int>(u32(image + 4));
  const int height = static_cast<int>(u32(image + 8)) / 2;  // colour and mask
  const int bits = static_cast<int>(u16(image + 14));
  if (bits != 1 && bits != 4 && bits != 8) throw std::runtime_error("the icon test reads palette icons only");
  const std::size_t colours = u32(image + 32) ? u32(image + 32) : (1u << bits);
  const std::size_t palette = image + u32(image);
  const std::size_t pixels = palette + 4 * colours;
  const std::size_t stride = static_cast<std::size_t>((width * bits + 31) / 32 * 4);
  const std::size_t mask = pixels + stride * static_cast<std::size_t>(height);
  const std::size_t maskStride = static_cast<std::size_t>((width + 31) / 32 * 4);
  XIcon icon{width, height, {}};
  for (int y = 0; y < height; ++y) {
    const std::size_t row = static_cast<std::size_t>(height - 1 - y);  // stored bottom-up
    for (int x = 0; x < width; ++x) {
      const std::size_t bit = static_cast<std::size_t>(x * bits);
      const int index = (d.at(pixels + row * stride + bit / 8) >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
      const std::size_t entry = palette + 4 * static_cast<std::size_t>(index);  // blue, green, red, 0
      const bool transparent = (d.at(mask + row * maskStride + static_cast<std::size_t>(x) / 8) >> (7 - x % 8)) & 1;
      icon.argb.push_back((transparent ? 0u : 0xFF000000u) | static_cast<std::uint32_t>(d.at(entry + 2)) << 16 |
                          static_cast<std::uint32_t>(d.at(entry + 1)) << 8 | d.at(entry));
    }
  }
  return icon;
}

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
    const auto facts = ProbeWindow(kAboutTitle);
    ASSERT_TRUE(facts.has_value());
    about_ = *facts;
  }

  Point OnClient(Point twips) const { return {about_.client.x + Px(twips.x), about_.client.y + Px(twips.y)}; }

  // The left part of a link label, where its background shows between the letters.
  Rect LinkPatch(Point twips) const { return {OnClient(twips).x, OnClient(twips).y, 120, 16}; }

  bool PictureWindowEnabled() const {
    const auto facts = ProbeWindow(kHelpTitle);
    return facts && facts->enabled;
  }

  App app_;
  XTopLevel picture_;
  XTopLevel aboutX_;
  WindowFacts about_;
};

TEST_F(About, OpensAsAFramedTopmostWindowOverTheHeldPictureWindow) {
  EXPECT_FALSE(ShownWindowOfClass(kMenuClass).has_value()) << "the menu stays open under the About window";
  EXPECT_EQ(about_.client.width, kClientWidth);
  EXPECT_EQ(about_.client.height, kClientHeight);
  EXPECT_EQ(about_.style & win::kCaption, win::kCaption) << std::hex << "style 0x" << about_.style;
  EXPECT_TRUE(about_.style & win::kSysMenu) << std::hex << "style 0x" << about_.style;
  EXPECT_TRUE(about_.topmost);
  EXPECT_TRUE(about_.visible);
  EXPECT_EQ(aboutX_.rect, about_.rect) << "the X window holds the frame Wine draws";
  EXPECT_FALSE(PictureWindowEnabled()) << "the picture window takes input while About shows";

  // Its grey ground, and the links in blue on grey.
  Image shot;
  const auto drawn = Eventually("the About window drawn", [&]() -> testing::AssertionResult {
    shot = Capture(about_.rect);
    const Point ground = OnClient(kBareGround);
    if (!Near(shot.At(ground), kGrey, kTolerance)) return testing::AssertionFailure() << "the ground is " << shot.At(ground);
    for (const Point link : {kEmailLink, kHomeLink}) {
      const Rgb back = DominantColour(shot, LinkPatch(link));
      if (!Near(back, kGrey, kTolerance)) return testing::AssertionFailure() << "a link is on " << back;
      bool blue = false;
      const Rect patch = LinkPatch(link);
      for (int y = patch.y; y < patch.Bottom() + 4; ++y) {
        for (int x = patch.x; x < patch.Right(); ++x) blue = blue || Near(shot.At({x, y}), Rgb::FromHex(0x0000FF), 0x30);
      }
      if (!blue) return testing::AssertionFailure() << "a link has no blue text";
    }
    return testing::AssertionSuccess();
  }, 5s);
  const auto file = SaveScreenshot(shot);
  EXPECT_TRUE(drawn) << "screenshot: " << file;
}

TEST_F(About, ShowsTheApplicationIcon) {
  // res/corvane.ico in the source tree, found from this file's own path.
  const std::filesystem::path iconFile =
      std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "res" / "corvane.ico";
  ASSERT_TRUE(std::filesystem::exists(iconFile)) << iconFile;
  const XIcon expected = ReadIconFile(iconFile);
  std::vector<XIcon> icons;
  ASSERT_TRUE(Eventually("an icon on the About window", [&] { return !(icons = WindowIcons(aboutX_.id)).empty(); }));
  const XIcon& shown = icons.front();
  ASSERT_EQ(shown.width, expected.width);
  ASSERT_EQ(shown.height, expected.height);
  int different = 0;
  for (std::size_t i = 0; i < expected.argb.size(); ++i) different += shown.argb[i] != expected.argb[i];
  EXPECT_EQ(different, 0) << "pixels of the window's icon that differ from " << iconFile;
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
      {"nothing yet", std::nullopt, false, false},
      {"the email link", overEmail, true, false},
      {"the home-page link", overHome, false, true},
      {"the email link again", overEmail, true, false},
      {"the bare window", kBareGround, false, false},
      {"the home-page link again", overHome, false, true},
      {"the bare window again", kBareGround, false, false},
  };
  const auto expected = [](bool lit) { return lit ? kWhite : kGrey; };

  int n = 0;
  for (const Step& step : steps) {
    if (step.twips) MoveTo(OnClient(*step.twips));
    Image shot;
    const auto lit = Eventually(std::string("the links' colours over ") + step.over, [&]() -> testing::AssertionResult {
      shot = Capture(about_.rect);
      const Rgb email = DominantColour(shot, LinkPatch(kEmailLink));
      const Rgb home = DominantColour(shot, LinkPatch(kHomeLink));
      if (Near(email, expected(step.emailLit), kTolerance) && Near(home, expected(step.homeLit), kTolerance)) {
        return testing::AssertionSuccess();
      }
      return testing::AssertionFailure() << "email link on " << email << ", home-page link on " << home;
    }, 5s);
    const auto file = SaveScreenshot(shot, "step" + std::to_string(++n));
    EXPECT_TRUE(lit) << "screenshot: " << file;
  }
}

enum class CloseBy { CloseBox, AltF4 };
std::ostream& operator<<(std::ostream& out, CloseBy by) { return out << (by == CloseBy::CloseBox ? "the close box" : "Alt+F4"); }

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
  ASSERT_TRUE(Eventually("the picture window enabled", [&] { return PictureWindowEnabled(); }));
  EXPECT_EQ(FindShownWindow(kHelpTitle)->rect, picture_.rect) << "the drag while About showed moved the window";

  // The mouse moves it again, and the keyboard reaches it: Alt+F4 ends the program unsaved.
  // The press lands away from the lost one, which Wine would pair with it as a double click.
  const Point grab{free.x - 60, free.y - 40};
  Drag(grab, {grab.x + 40, grab.y + 20});
  EXPECT_TRUE(WaitForPictureWindowAt({picture_.rect.x + 40, picture_.rect.y + 20, kHelpWidth, kHelpHeight}));
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
