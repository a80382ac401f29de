// The help panel: what a first start of Corvane shows and writes, seen from outside.
#include <gtest/gtest.h>

#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

const std::vector<std::uint8_t> kDefaultSettings = [] {
  std::vector<std::uint8_t> bytes{0x5E, 0x01, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x15, 0x00};
  for (char c : std::string(kNoPictureMarker)) bytes.push_back(static_cast<std::uint8_t>(c));
  return bytes;
}();

class HelpPanel : public testing::Test {
 protected:
  void SetUp() override {
    app_.Start();
    ASSERT_TRUE(app_.WaitForWindow(kHelpTitle, &window_));
  }

  // A point of the window, in twips from its top-left corner, on the screen.
  Point At(int xTwips, int yTwips) const { return {window_.rect.x + Px(xTwips), window_.rect.y + Px(yTwips)}; }

  App app_;
  XTopLevel window_;
};

TEST_F(HelpPanel, FirstStartWritesTheDefaultSettingsFile) {
  EXPECT_TRUE(Eventually("a 31-byte settings file", [&] {
    const auto bytes = app_.ReadSettings();
    return bytes && bytes->size() == kDefaultSettings.size();
  }));
  EXPECT_EQ(app_.ReadSettings(), kDefaultSettings);
}

TEST_F(HelpPanel, IsABorderlessTopmostWindowAtTheDefaultPlace) {
  const auto facts = ProbeWindow(kHelpTitle);
  ASSERT_TRUE(facts.has_value()) << "probe finds no window titled " << kHelpTitle;
  EXPECT_EQ(facts->className.rfind("Corvane", 0), 0u) << facts->className;
  EXPECT_TRUE(facts->visible);
  EXPECT_EQ(facts->style & (win::kCaption | win::kThickFrame | win::kBorder | win::kDlgFrame), 0u)
      << std::hex << "style 0x" << facts->style;
  EXPECT_TRUE(facts->exStyle & win::kExTopmost) << std::hex << "exstyle 0x" << facts->exStyle;

  // 464 by 343 pixels at the nearest pixel to 350, 100 twips.
  const Rect expected{Px(350), Px(100), 464, 343};
  EXPECT_EQ(facts->rect, expected);
  EXPECT_EQ(facts->client, expected) << "a borderless window is all client area";
  EXPECT_EQ(window_.rect, expected) << "the X window has the size and place of the Windows window";
}

struct Spot {
  const char* what;
  int xTwips;
  int yTwips;
  enum Colour { Green, Blue, White, ButtonFace, CaptionText } colour;
};

// Points just inside each label's top-left corner, where no text is drawn, and points of the
// ground between and around the labels.
const Spot kSpots[] = {
    {"top-left corner", 30, 30, Spot::Green},
    {"top-right corner", 464 * 15 - 45, 30, Spot::Green},
    {"bottom-left corner", 30, 343 * 15 - 45, Spot::Green},
    {"bottom-right corner", 464 * 15 - 45, 343 * 15 - 45, Spot::Green},
    {"left margin beside Label8", 300, 2250, Spot::Green},
    {"right margin beside Label8", 464 * 15 - 300, 2250, Spot::Green},
    {"gap under Label4", 900, 1620, Spot::Green},
    {"gap under Label8", 900, 2700, Spot::Green},
    {"ground under the steps", 3480, 4875, Spot::Green},
    {"Label1 (transparent title)", 1560 + 30, 120 + 30, Spot::Green},
    {"Label7", 1920 + 30, 600 + 30, Spot::Blue},
    {"Label4", 840 + 30, 960 + 30, Spot::Blue},
    {"Label4, bottom-right", 840 + 5175 - 45, 960 + 615 - 45, Spot::Blue},
    {"Label9", 1920 + 30, 1680 + 30, Spot::White},
    {"Label8", 840 + 30, 2040 + 30, Spot::CaptionText},
    {"Label8, bottom-right", 840 + 5175 - 45, 2040 + 615 - 45, Spot::CaptionText},
    {"Label10", 2280 + 30, 2760 + 30, Spot::ButtonFace},
    {"Label5", 120 + 30, 3120 + 30, Spot::ButtonFace},
    {"Label2", 960 + 30, 3120 + 30, Spot::ButtonFace},
    {"Label2, bottom-right", 960 + 5865 - 45, 3120 + 585 - 45, Spot::ButtonFace},
    {"Label6", 120 + 30, 3840 + 30, Spot::ButtonFace},
    {"Label3", 960 + 30, 3840 + 30, Spot::ButtonFace},
    {"Label3, bottom-right", 960 + 5865 - 45, 3840 + 660 - 45, Spot::ButtonFace},
};

TEST_F(HelpPanel, ShowsTheGreenGroundAndEachLabelsBackground) {
  const std::vector<Rgb> system = ProbeSysColors({win::kColorBtnFace, win::kColorCaptionText});
  const auto expectedColour = [&](Spot::Colour c) {
    switch (c) {
      case Spot::Green: return kGroundGreen;
      case Spot::Blue: return kBlue;
      case Spot::White: return kWhite;
      case Spot::ButtonFace: return system[0];
      case Spot::CaptionText: return system[1];
    }
    return Rgb{};
  };

  std::vector<PixelSpot> spots;
  for (const Spot& spot : kSpots) {
    spots.push_back({spot.what, At(spot.xTwips, spot.yTwips), expectedColour(spot.colour)});
  }
  EXPECT_TRUE(WaitForScreen(window_.rect, "the help panel's colours",
                            [&](const Image& shot) { return SpotsHold(shot, spots); }));
}

TEST_F(HelpPanel, AltF4EndsTheProgram) {
  // A click gives the window the keyboard; on the ground it starts a system drag, which ends
  // with the release at the same place.
  const Point ground = At(300, 2250);
  Click(ground);
  PressKey("Alt+F4");
  ASSERT_TRUE(app_.WaitForExit());
  EXPECT_TRUE(app_.Exit()->Exited()) << app_.Exit()->Describe();
  EXPECT_TRUE(WaitForNoShownWindow(kHelpTitle, 2s));
}

}  // namespace
}  // namespace corvane::e2e
