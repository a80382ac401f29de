// Screen scaling: at 144 DPI (10 twips to the pixel) the help panel's layout and text grow with
// the screen, while a bitmap keeps its own pixels and a metafile takes the screen's.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

// Label10, "Follow me step by step" at 2280, 2760 twips, sized to its text: its box relative to
// the window, once the help panel has painted it.
testing::AssertionResult MeasureLabel10(const Rect& window, int dpi, Rect* box) {
  const int twipsPerPixel = 1440 / dpi;
  const Point corner{window.x + 2280 / twipsPerPixel, window.y + 2760 / twipsPerPixel};
  return WaitForScreen(
      window, "Label10 painted at " + std::to_string(dpi) + " DPI",
      [&](const Image& shot) {
        // The ground just outside the label's corner, the label just inside it.
        if (!Near(shot.At({corner.x - 1, corner.y - 1}), kGroundGreen, 4) ||
            Near(shot.At({corner.x + 1, corner.y + 1}), kGroundGreen, 4)) {
          return testing::AssertionFailure() << "no label at " << corner;
        }
        const Rect found = BoxOnTheGround(shot, {corner.x + 1, corner.y + 1});
        *box = {found.x - window.x, found.y - window.y, found.width, found.height};
        return testing::AssertionSuccess();
      },
      std::to_string(dpi) + "dpi");
}

TEST(Scaling, At144DpiTheHelpPanelAndItsTextAreOneAndAHalfTimesAsLarge) {
  Rect at96;
  {
    App app;
    ParkPointer();
    app.Start();
    XTopLevel window;
    ASSERT_TRUE(app.WaitForWindow(kHelpTitle, &window));
    ASSERT_TRUE(MeasureLabel10(window.rect, 96, &at96));
  }

  ScopedLogPixels dpi(144);
  App app;
  ParkPointer();
  app.Start();
  ASSERT_TRUE(app.WaitForWindow(kHelpTitle, nullptr));
  // 6960 by 5145 twips at 350, 100: 696 by 514.5 pixels at 35, 10. The one rounding rule of the
  // program, to the nearest pixel with halves to the even one, makes 514.5 into 514.
  const Rect window{35, 10, 696, 514};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));

  // Label4 is a fixed box of 5175 by 615 twips at 840, 960: 517.5 by 61.5 pixels at 84, 96;
  // its edges at 601.5 and 157.5 pixels round to 602 and 158.
  const Point label4{window.x + 84, window.y + 96};
  EXPECT_TRUE(WaitForScreen(window, "Label4's blue box", [&](const Image& shot) -> testing::AssertionResult {
    const Rect box = BoxOnTheGround(shot, {label4.x + 2, label4.y + 2});
    const Rect expected{label4.x, label4.y, 518, 62};
    if (box != expected) return testing::AssertionFailure() << "Label4 is " << box << ", expected " << expected;
    return testing::AssertionSuccess();
  }));

  Rect at144;
  ASSERT_TRUE(MeasureLabel10(window, 144, &at144));
  EXPECT_EQ(at144.x, 228);
  EXPECT_EQ(at144.y, 276);
  // The label fits its text, whose font grows with the screen.
  EXPECT_NEAR(at144.width, at96.width * 1.5, at96.width * 0.1) << "96 DPI: " << at96 << ", 144 DPI: " << at144;
  EXPECT_NEAR(at144.height, at96.height * 1.5, at96.height * 0.1) << "96 DPI: " << at96 << ", 144 DPI: " << at144;
}

// A picture at 144 DPI: a bitmap keeps its pixels, a metafile of 1 by 0.5 inch takes 144 by 72;
// the tooltip tells the size in pixels. The saved place of 1005, 1015 twips is 100.5, 101.5
// pixels: to the even pixel, 100 and 102, stored back as 1000 and 1020 twips.
struct ScaledPicture {
  const char* name;
  std::function<std::string(const App&)> add;
  int width;
  int height;
  std::vector<PixelSpot> spots;  // relative to the window
};

void PrintTo(const ScaledPicture& c, std::ostream* out) { *out << c.name; }

class ScaledPictures : public testing::TestWithParam<ScaledPicture> {};

TEST_P(ScaledPictures, ShowAtTheirSizeInScreenPixels) {
  const ScaledPicture& c = GetParam();
  ScopedLogPixels dpi(144);
  App app;
  const std::string path = c.add(app);
  ASSERT_TRUE(StartWithSettings(app, EncodeSettings({1005, 1015, Cp1252(path)})));
  const Rect window{100, 102, c.width, c.height};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  std::vector<PixelSpot> spots = c.spots;
  for (PixelSpot& spot : spots) spot.at = {window.x + spot.at.x, window.y + spot.at.y};
  EXPECT_TRUE(WaitForScreen(window, "the picture drawn at its size",
                            [&](const Image& shot) { return SpotsHold(shot, spots); }));

  MoveTo({window.x + c.width - 12, window.y + c.height - 20});
  MoveTo({window.x + c.width - 10, window.y + c.height - 20});
  std::string tip;
  ASSERT_TRUE(WaitForTooltip(&tip));
  EXPECT_EQ(tip, std::to_string(c.width) + "X" + std::to_string(c.height) + "," + path + "," + kPictureUsage);

  // Left of the pointer, away from the tooltip, below the link label (24 pixels high here).
  DoubleClick({window.x + 10, window.y + c.height - 6});
  ASSERT_TRUE(app.WaitForExit(10s));
  EXPECT_EQ(app.ReadSettings(), EncodeSettings({1000, 1020, Cp1252(path)}));
}

constexpr Rgb kPictureBlue = Rgb::FromHex(0x3060A0);

INSTANTIATE_TEST_SUITE_P(
    Scaling, ScaledPictures,
    testing::Values(
        // Blue with a red 10-pixel square in its bottom-right corner, which a stretched copy
        // would move out of the window.
        ScaledPicture{"Bitmap",
                      [](const App& a) {
                        return AddConvertedPicture(
                            a, {"-size", "100x50", "xc:#3060A0", "-fill", "#FF0000", "-draw", "rectangle 90,40 99,49"},
                            "bmp3:blue100x50.bmp");
                      },
                      100,
                      50,
                      {{"the red corner", {95, 45}, kRed}, {"beside the red corner", {85, 45}, kPictureBlue}}},
        // The orange rectangle over the middle half each way: 36..108 by 18..54 pixels here.
        ScaledPicture{"Metafile",
                      [](const App& a) { return AddFile(a, "frame.wmf", MakePlaceableWmf(1000, 1000, 500)); },
                      144,
                      72,
                      {{"the rectangle", {100, 48}, kOrange},
                       {"beside the rectangle", {115, 48}, kGroundGreen},
                       {"below the rectangle", {100, 60}, kGroundGreen}}}),
    [](const testing::TestParamInfo<ScaledPicture>& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace corvane::e2e
