// Text at every screen scale (Wine's LogPixels from 96 to 192): the text is drawn with the face
// it was measured with, so the ink of a caption fills the box its layout made for it, at the
// size the screen asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "corvane.h"
#include "dpi.h"

namespace corvane::e2e {
namespace {

// The text drawn in `box` agrees with the box its label was sized to: its ink spans the
// measured width, stands as tall as a line of the font, and no letters stand apart. A face
// smaller than the one measured leaves the box half empty or spreads its letters out.
testing::AssertionResult TextFillsItsBox(const Image& shot, const Rect& box, int em) {
  const Rgb ground = DominantColour(shot, box);
  const auto ink = [&](int x, int y) { return ColorDistance(shot.At({x, y}), ground) > 96; };
  int left = box.Right(), right = box.x - 1, top = box.Bottom(), bottom = box.y - 1;
  int widestGap = 0, gap = 0;
  for (int x = box.x; x < box.Right(); ++x) {
    bool any = false;
    for (int y = box.y; y < box.Bottom(); ++y) {
      if (!ink(x, y)) continue;
      any = true;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
    if (any) {
      if (right > left) widestGap = std::max(widestGap, gap);
      gap = 0;
    } else {
      ++gap;
    }
  }
  if (right < left) return testing::AssertionFailure() << "no text in " << box;
  const Rect inked = Rect::FromEdges(left, top, right + 1, bottom + 1);
  testing::AssertionResult result = testing::AssertionSuccess();
  bool ok = true;
  const auto fail = [&](const std::string& why) {
    if (ok) result = testing::AssertionFailure() << "box " << box << ", ink " << inked << ", widest gap " << widestGap;
    ok = false;
    result << "\n  " << why;
  };
  // A line of the font is its em and a little leading: never less, at most 1.4 times.
  if (box.height < em || box.height > em * 14 / 10)
    fail("the box is not one line of a " + std::to_string(em) + "-pixel font");
  if (inked.width < box.width * 85 / 100) fail("the ink is narrower than the measured text");
  if (inked.height < em * 7 / 10) fail("the ink is shorter than the font's letters");
  if (widestGap > em / 2) fail("letters or words stand apart");
  return result;
}

class TextAtEveryScale : public testing::TestWithParam<int> {};

TEST_P(TextAtEveryScale, TheHelpPanelsCaptionFillsTheBoxItWasMeasuredFor) {
  const int dpi = GetParam();
  ScopedLogPixels scale(dpi);
  App app;
  ParkPointer();
  app.Start();
  XTopLevel window;
  ASSERT_TRUE(app.WaitForWindow(kHelpTitle, &window));
  // "Follow me step by step", 12 points, sized to its text, at 2280, 2760 twips.
  const int em = (12 * dpi + 36) / 72;
  const Point corner{window.rect.x + (2280 * dpi + 720) / 1440, window.rect.y + (2760 * dpi + 720) / 1440};
  EXPECT_TRUE(WaitForScreen(
      window.rect, "the caption drawn at " + std::to_string(dpi) + " DPI",
      [&](const Image& shot) -> testing::AssertionResult {
        if (Near(shot.At({corner.x + 1, corner.y + 1}), kGroundGreen, 4))
          return testing::AssertionFailure() << "no label at " << corner;
        return TextFillsItsBox(shot, BoxOnTheGround(shot, {corner.x + 1, corner.y + 1}), em);
      },
      "text-" + std::to_string(dpi) + "dpi"));
}

INSTANTIATE_TEST_SUITE_P(Text, TextAtEveryScale, testing::Values(96, 120, 144, 168, 192),
                         [](const testing::TestParamInfo<int>& test) { return std::to_string(test.param) + "Dpi"; });

}  // namespace
}  // namespace corvane::e2e
