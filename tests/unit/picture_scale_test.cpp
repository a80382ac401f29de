// The picture's scale and the window's opacity: the arithmetic (steps, bounds, the point under
// the pointer, rounding) and the picture window's wheel, Ctrl+0 and tooltip.
#include <gtest/gtest.h>

#include "pictures/picture_scale.h"
#include "program_fixture.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {
namespace {

using pictures::kScaleMax;
using pictures::kScaleMin;
using pictures::kScaleOne;

TEST(PictureScale, StepsByATenthOfTheCurrentSizeWithinFiveToAThousandPercent) {
  const struct {
    const char* what;
    std::int32_t from;
    int steps;
    std::int32_t to;
  } cases[] = {
      {"one step up", kScaleOne, 1, 1'100'000},
      {"two steps up compound", kScaleOne, 2, 1'210'000},
      {"one step down divides", kScaleOne, -1, 909'091},
      {"a step back undoes a step", 1'100'000, -1, kScaleOne},
      {"down then up lands on 100 %", 909'091, 1, kScaleOne},
      {"the top bound holds", 9'500'000, 1, kScaleMax},
      {"at the top nothing grows", kScaleMax, 3, kScaleMax},
      {"the bottom bound holds", 52'000, -1, kScaleMin},
      {"at the bottom nothing shrinks", kScaleMin, -5, kScaleMin},
      {"no step, no change", 1'331'000, 0, 1'331'000},
      {"out of range comes back in", 40'000'000, 0, kScaleMax},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(pictures::StepScale(c.from, c.steps), c.to);
  }
  // Many steps each way come back to exactly 100 %, so the tooltip never shows "100%".
  EXPECT_EQ(pictures::StepScale(pictures::StepScale(kScaleOne, -20), 20), kScaleOne);
  EXPECT_EQ(pictures::StepScale(pictures::StepScale(kScaleOne, 20), -20), kScaleOne);
}

TEST(PictureScale, SizesRoundToWholePixelsAndNeverVanish) {
  const struct {
    PixelSize natural;
    std::int32_t scale;
    PixelSize shown;
  } cases[] = {
      {{640, 480}, 1'100'000, {704, 528}}, {{3, 3}, 1'500'000, {5, 5}},  // 4.5 rounds up
      {{1, 1}, kScaleMin, {1, 1}},                                       // never below one pixel
      {{1000, 1}, kScaleMin, {50, 1}},     {{32767, 2}, kScaleMax, {327670, 20}},
  };
  for (const auto& c : cases) EXPECT_EQ(pictures::ScaledSize(c.natural, c.scale), c.shown);
  EXPECT_TRUE(pictures::IsWholeEnlargement({10, 20}, {30, 60}));
  EXPECT_FALSE(pictures::IsWholeEnlargement({10, 20}, {10, 20})) << "the picture's own size is no enlargement";
  EXPECT_FALSE(pictures::IsWholeEnlargement({10, 20}, {30, 40})) << "not the same number of times";
  EXPECT_FALSE(pictures::IsWholeEnlargement({10, 20}, {15, 30}));
}

TEST(PictureScale, TheLargestScaleKeepsThePictureWithinTheCeiling) {
  EXPECT_EQ(pictures::LargestScale({640, 480}), kScaleMax);
  const PixelSize big{6000, 4000};
  const std::int32_t largest = pictures::LargestScale(big);
  const PixelSize at = pictures::ScaledSize(big, largest);
  EXPECT_LE(std::int64_t{at.width} * at.height, 64'000'000);
  const PixelSize above = pictures::ScaledSize(big, largest + 1);
  EXPECT_GT(std::int64_t{above.width} * above.height, 64'000'000);
}

// The pointer's pixel shows the same picture point before and after, to within a pixel.
TEST(PictureScale, ThePointUnderThePointerStaysUnderIt) {
  const struct {
    const char* what;
    PixelRect before;
    PixelSize after;
    PixelPoint pointer;
  } cases[] = {
      {"grows about the middle", {100, 100, 300, 200}, {220, 110}, {200, 150}},
      {"grows about the top-left pixel", {100, 100, 300, 200}, {220, 110}, {100, 100}},
      {"grows about the bottom-right pixel", {100, 100, 300, 200}, {220, 110}, {299, 199}},
      {"shrinks off the screen's left", {-50, 10, 150, 110}, {182, 91}, {0, 60}},
      {"one pixel to ten", {40, 40, 41, 41}, {10, 10}, {40, 40}},
      {"ten pixels to one", {40, 40, 50, 50}, {1, 1}, {47, 42}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const PixelRect after = pictures::AnchoredPlace(c.before, c.after, c.pointer);
    EXPECT_EQ(after.Width(), c.after.width);
    EXPECT_EQ(after.Height(), c.after.height);
    const auto fraction = [](int edge, int size, double at) { return (at - edge) / size; };
    const double px = c.pointer.x + 0.5;
    const double py = c.pointer.y + 0.5;
    // Where the pointer's point lands now, in the new window, against where it is.
    const double landsX = after.left + fraction(c.before.left, c.before.Width(), px) * after.Width();
    const double landsY = after.top + fraction(c.before.top, c.before.Height(), py) * after.Height();
    EXPECT_LE(std::abs(landsX - px), 0.5 + 1e-9);
    EXPECT_LE(std::abs(landsY - py), 0.5 + 1e-9);
  }
}

TEST(PictureScale, AnAnimationsChangedAreaCoversItsScaledPixels) {
  EXPECT_EQ(pictures::ScaledArea({2, 2, 4, 4}, {10, 10}, {100, 50, 110, 60}), (PixelRect{102, 52, 104, 54}));
  EXPECT_EQ(pictures::ScaledArea({1, 1, 2, 2}, {10, 10}, {0, 0, 15, 15}), (PixelRect{1, 1, 3, 3}));
  EXPECT_EQ(pictures::ScaledArea({0, 0, 10, 10}, {10, 10}, {5, 5, 12, 12}), (PixelRect{5, 5, 12, 12}));
}

class ScaleWindowTest : public ProgramTest {
 protected:
  PictureWindow& Form() { return PictureForm(); }
  PixelRect Frame() { return WindowOf(Form()).Frame(); }
  // The wheel turned over the window, with the pointer at `screen` and the keys held.
  void Wheel(int notches, int shift, PixelPoint screen) {
    sys.cursor = {screen.x, screen.y};
    const PixelRect frame = Frame();
    Deliver([&] {
      WindowOf(Form()).Events().OnWheel({notches, shift, {screen.x - frame.left, screen.y - frame.top}});
    });
  }
  void CtrlZero() { Type(Form(), Key::Shortcut, '0', kCtrl); }
  std::string SizePart() {
    const std::string& tip = Form().PictureBox.ToolTipText;
    return tip.substr(0, tip.find(','));
  }
};

TEST_F(ScaleWindowTest, CtrlWheelScalesAboutThePointerAndCtrlZeroComesBack) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ad.png", {200, 100});
  const PixelRect start = Frame();
  const PixelPoint pointer{start.left + 150, start.top + 25};

  Wheel(1, kCtrl, pointer);
  EXPECT_EQ(Frame().Width(), 220);
  EXPECT_EQ(Frame().Height(), 110);
  EXPECT_EQ(Frame().left, pointer.x - 165) << "three quarters across stays under the pointer";
  EXPECT_EQ(Frame().top, pointer.y - 28);  // 25.5 of 100 is 28.05 of 110, inside the pixel 28
  EXPECT_EQ(SizePart(), "220X110 (110%)");
  EXPECT_NE(Form().PictureBox.ToolTipText.find(",C:\\ad.png,Right-click to open menu"), std::string::npos);

  const auto paint = WindowOf(Form()).Render();
  const auto scaled =
      std::find_if(paint.begin(), paint.end(), [](const DrawOp& op) { return op.kind == DrawOp::ScaledPicture; });
  ASSERT_NE(scaled, paint.end()) << "the picture is drawn stretched";
  EXPECT_EQ(scaled->shown, (PixelRect{0, 0, 220, 110}));

  Wheel(-3, kCtrl, pointer);
  EXPECT_EQ(SizePart(), "165X83 (82.6%)");

  sys.cursor = {pointer.x, pointer.y};
  CtrlZero();
  EXPECT_EQ(Frame().Width(), 200);
  EXPECT_EQ(Frame().Height(), 100);
  EXPECT_EQ(SizePart(), "200X100");
  EXPECT_LE(std::abs(Frame().left - start.left), 1) << "the pointer's point comes back to its place";
  EXPECT_LE(std::abs(Frame().top - start.top), 1);
}

// Each step's window is rounded to whole pixels; step after step about the same pointer, the
// roundings must not add up (at 1000 % half a pixel of drift at 100 % would be five).
TEST_F(ScaleWindowTest, ManyStepsAboutOnePointerDoNotDrift) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ad.png", {201, 157});
  const PixelRect start = Frame();
  const PixelPoint pointer{start.left + 77, start.top + 101};
  for (int i = 0; i < 30; ++i) Wheel(1, kCtrl, pointer);
  EXPECT_EQ(Frame(), pictures::AnchoredPlace(start, {2010, 1570}, pointer)) << "as if scaled in one step";
  for (int i = 0; i < 60; ++i) Wheel(-1, kCtrl, pointer);
  for (int i = 0; i < 60; ++i) Wheel(1, kCtrl, pointer);
  Wheel(-25, kCtrl, pointer);
  CtrlZero();
  EXPECT_EQ(Frame(), start);
}

TEST_F(ScaleWindowTest, APlainWheelAndTheHelpPanelChangeNothing) {
  ASSERT_TRUE(Start());
  const PixelRect help = Frame();
  Wheel(2, kCtrl, {help.left + 10, help.top + 10});
  CtrlZero();
  EXPECT_EQ(Frame(), help) << "the help panel keeps its size";

  ShowPicture("C:\\ad.png", {200, 100});
  const PixelRect picture = Frame();
  Wheel(3, 0, {picture.left + 10, picture.top + 10});
  Wheel(3, kCtrl | kShift, {picture.left + 10, picture.top + 10});
  EXPECT_EQ(Frame(), picture);
  EXPECT_EQ(Form().Opacity(), 100);
}

TEST_F(ScaleWindowTest, ANewPictureStartsAtItsOwnSize) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ad.png", {200, 100});
  Wheel(2, kCtrl, {Frame().left + 5, Frame().top + 5});
  ShowPicture("C:\\other.png", {50, 40});
  EXPECT_EQ(Frame().Width(), 50);
  EXPECT_EQ(SizePart(), "50X40");
}

TEST_F(ScaleWindowTest, ShiftWheelChangesTheOpacityInFivesFromTenToAHundred) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ad.png", {200, 100});
  const PixelPoint at{Frame().left + 5, Frame().top + 5};
  Wheel(-1, kShift, at);
  EXPECT_EQ(WindowOf(Form()).opacity, 95);
  Wheel(-30, kShift, at);
  EXPECT_EQ(WindowOf(Form()).opacity, 10);
  Wheel(3, kShift, at);
  EXPECT_EQ(WindowOf(Form()).opacity, 25);
  Wheel(40, kShift, at);
  EXPECT_EQ(WindowOf(Form()).opacity, 100);
}

TEST_F(ScaleWindowTest, ScaleAndOpacityAreSavedAndComeBackAtTheNextStart) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ad.png", {200, 100});
  Wheel(2, kCtrl, {Frame().left, Frame().top});
  Wheel(-4, kShift, {Frame().left, Frame().top});
  const PixelRect saved = Frame();
  DoubleClickOn(Form(), &Form().PictureBox);
  ASSERT_TRUE(ended);

  NewRun();
  sys.pictureFiles["C:\\ad.png"] = {200, 100};
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame(), saved);
  EXPECT_EQ(Form().PictureBox.Scale(), 1'210'000);
  EXPECT_EQ(WindowOf(Form()).opacity, 80);
  EXPECT_EQ(SizePart(), "242X121 (121%)");
}

}  // namespace
}  // namespace corvane::testing
