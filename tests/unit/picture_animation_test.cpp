// Animated pictures: the frame clock (delays, disposal, loops), the composition on one canvas,
// and the picture window playing an animation through the window's timer.
#include <gtest/gtest.h>

#include "platform/pictures/animation.h"
#include "program_fixture.h"
#include "windows/menu/corvane_menu.h"
#include "windows/picture/corvane_form1.h"
#include "windows/picture/display_modes.h"

namespace corvane::testing {
namespace {

using pictures::AnimationClock;
using pictures::AnimationFrame;
using pictures::Disposal;

TEST(AnimationClock, ShortDelaysCountAsATenthOfASecond) {
  const std::pair<int, int> cases[] = {{0, 100}, {10, 100}, {19, 100}, {20, 20}, {70, 70}, {5000, 5000}};
  for (auto [file, shown] : cases) EXPECT_EQ(pictures::EffectiveDelay(file), shown) << file;
}

TEST(AnimationClock, PlaysTheFramesInOrderAndLoopsAsTheFileSays) {
  const std::vector<AnimationFrame> frames = {
      {{0, 0, 10, 10}, 50, Disposal::Keep}, {{0, 0, 10, 10}, 0, Disposal::Keep}, {{0, 0, 10, 10}, 30, Disposal::Keep}};
  struct Case {
    int repeats;
    int framesShown;  // steps taken before the clock stops; -1: it never stops
  };
  const Case cases[] = {{AnimationClock::kOnce, 2}, {1, 5}, {3, 11}, {AnimationClock::kForever, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.repeats);
    AnimationClock clock(frames, {10, 10}, c.repeats);
    std::vector<int> delays;
    int steps = 0;
    while (clock.CurrentDelay() > 0 && steps < 40) {
      delays.push_back(clock.CurrentDelay());
      const AnimationClock::Step step = clock.Advance();
      EXPECT_EQ(step.frame, (steps + 1) % 3);
      EXPECT_EQ(step.clearAll, step.frame == 0) << "each round starts on an empty canvas";
      ++steps;
    }
    EXPECT_EQ(steps, c.framesShown < 0 ? 40 : c.framesShown);
    const std::vector<int> firstRound = {50, 100, 30};
    const auto shown = static_cast<std::ptrdiff_t>(std::min<std::size_t>(3, delays.size()));
    EXPECT_EQ(std::vector<int>(delays.begin(), delays.begin() + shown),
              std::vector<int>(firstRound.begin(), firstRound.begin() + shown));
    if (c.framesShown >= 0) {
      EXPECT_EQ(clock.Current(), 2) << "it stops on the last frame";
      EXPECT_EQ(clock.Advance().changed, PixelRect{}) << "a stopped clock changes nothing";
    }
  }
}

TEST(AnimationClock, EachStepClearsOrRestoresWhatTheLeavingFrameAsksAndNamesTheChangedArea) {
  const std::vector<AnimationFrame> frames = {
      {{0, 0, 40, 30}, 100, Disposal::Keep},
      {{5, 5, 15, 15}, 100, Disposal::Background},
      {{20, 10, 30, 20}, 100, Disposal::Previous},
      {{2, 2, 4, 4}, 100, Disposal::Keep},
      {{30, 25, 60, 60}, 100, Disposal::Keep},  // partly off the canvas: clipped
  };
  AnimationClock clock(frames, {40, 30}, AnimationClock::kForever);
  AnimationClock::Step s = clock.Advance();  // to frame 1, frame 0 kept
  EXPECT_EQ(s.clear, PixelRect{});
  EXPECT_EQ(s.changed, (PixelRect{5, 5, 15, 15}));
  EXPECT_FALSE(s.saveBeforeDrawing);
  s = clock.Advance();  // to frame 2, frame 1 cleared; frame 2 must keep what lies under it
  EXPECT_EQ(s.clear, (PixelRect{5, 5, 15, 15}));
  EXPECT_EQ(s.changed, (PixelRect{5, 5, 30, 20}));
  EXPECT_TRUE(s.saveBeforeDrawing);
  s = clock.Advance();  // to frame 3, frame 2 restored
  EXPECT_EQ(s.restore, (PixelRect{20, 10, 30, 20}));
  EXPECT_EQ(s.changed, (PixelRect{2, 2, 30, 20}));
  s = clock.Advance();  // to frame 4
  EXPECT_EQ(s.changed, (PixelRect{30, 25, 40, 30}));
  s = clock.Advance();  // back to frame 0: all of it
  EXPECT_EQ(s.frame, 0);
  EXPECT_TRUE(s.clearAll);
  EXPECT_EQ(s.changed, (PixelRect{0, 0, 40, 30}));
}

TEST(AnimationCanvas, FramesDrawOverTheCanvasAndAreClearedOrRestored) {
  std::vector<std::uint32_t> pixels(4 * 3, 0xFF0000FFu);  // opaque red
  const pictures::PixelView canvas{pixels.data(), 4, 3, 4};
  // A 2 by 2 frame at (1, 1): transparent, opaque green, half-transparent blue (premultiplied),
  // and one pixel that falls outside the canvas.
  const std::uint32_t frame[] = {0x00000000u, 0xFF00FF00u, 0x80800000u, 0xFF00FF00u};
  std::vector<std::uint32_t> saved;
  pictures::SaveArea(canvas, {1, 1, 3, 3}, saved);
  pictures::DrawOver(canvas, {1, 1, 3, 3}, frame);
  EXPECT_EQ(pixels[1 * 4 + 1], 0xFF0000FFu) << "a transparent pixel leaves the canvas";
  EXPECT_EQ(pixels[1 * 4 + 2], 0xFF00FF00u);
  EXPECT_EQ(pixels[2 * 4 + 1], 0xFF80007Fu) << "half blue over red blends";
  pictures::RestoreArea(canvas, {1, 1, 3, 3}, saved);
  EXPECT_EQ(pixels, std::vector<std::uint32_t>(12, 0xFF0000FFu));
  pictures::DrawOver(canvas, {3, 2, 5, 4}, frame);  // only its top-left pixel lies on the canvas
  EXPECT_EQ(pixels[2 * 4 + 3], 0xFF0000FFu);
  pictures::DrawOver(canvas, {2, 1, 4, 3}, frame);
  pictures::Clear(canvas, {2, 0, 9, 2});
  EXPECT_EQ(pixels[0 * 4 + 3], 0u);
  EXPECT_EQ(pixels[1 * 4 + 3], 0u);
  EXPECT_EQ(pixels[2 * 4 + 3], 0xFF00FF00u) << "outside the cleared area";
  EXPECT_EQ(pixels[0 * 4 + 1], 0xFF0000FFu);
}

class PlayingAnimationTest : public ProgramTest {
 protected:
  PlayingAnimationTest() {
    EXPECT_TRUE(Start());
    sys.animatedPictures["C:\\spin.gif"] = {{40, 30},
                                           {{{0, 0, 40, 30}, 70, Disposal::Keep},
                                            {{10, 5, 20, 15}, 0, Disposal::Background},
                                            {{0, 20, 40, 30}, 250, Disposal::Keep}},
                                           1};
  }
  HeadlessWindow& Window() { return WindowOf(PictureWindow()); }
  void ShowAnimation() {
    CurrentPicturePath = "C:\\spin.gif";
    ShowPictureMode();
    ApplyPicture();
  }
};

TEST_F(PlayingAnimationTest, EachFrameShowsForItsDelayAndRepaintsOnlyWhatChanged) {
  ShowAnimation();
  EXPECT_EQ(Window().timerMs, 70);
  struct Expected {
    int frame;
    PixelRect repainted;
    int nextDelay;
  };
  const Expected steps[] = {
      {1, {10, 5, 20, 15}, 100},   // a delay of 0 shows for 100 ms
      {2, {0, 5, 40, 30}, 250},    // frame 1 is cleared as it goes: its area changes too
      {0, {0, 0, 40, 30}, 70},     // the second round
      {1, {10, 5, 20, 15}, 100},
      {2, {0, 5, 40, 30}, 0},      // the last frame of the last round stays
  };
  for (const Expected& e : steps) {
    SCOPED_TRACE(e.frame);
    Window().invalidated.clear();
    ASSERT_TRUE(Window().FireTimer());
    EXPECT_EQ(sys.LastCall("NextFrame")->args[0], std::to_string(e.frame));
    ASSERT_EQ(Window().invalidated.size(), 1u);
    EXPECT_EQ(Window().invalidated[0], e.repainted);
    EXPECT_EQ(Window().timerMs, e.nextDelay);
  }
  EXPECT_FALSE(Window().FireTimer()) << "nothing more is asked for";
}

TEST_F(PlayingAnimationTest, ItStopsWhenThePictureIsReplacedOrTheHelpPanelShowsAndResumesWhenShownAgain) {
  ShowAnimation();
  ShowPicture("C:\\still.bmp", {50, 40});
  EXPECT_EQ(Window().timerMs, 0) << "a still picture wants no timer";
  ShowAnimation();
  EXPECT_EQ(Window().timerMs, 70);
  ShowHelpMode();
  EXPECT_EQ(Window().timerMs, 0);
  ShowPictureMode();
  EXPECT_EQ(Window().timerMs, 70);
}

TEST_F(PlayingAnimationTest, AFailedSelectionLeavesTheAnimationPlaying) {
  ShowAnimation();
  ASSERT_TRUE(Window().FireTimer());
  sys.dialog = [](const OpenFileRequest&) {
    return OpenFileAnswer{OpenFileAnswer::Outcome::Chosen, "C:\\broken.gif", 0};
  };
  CorvaneMenu& menu = OpenMenu();
  ClickOn(menu, menu.Label7);
  ASSERT_NE(sys.LastCall("MessageBox"), nullptr);
  EXPECT_EQ(Window().timerMs, 100) << "frame 1's time, as before the selection";
  ASSERT_TRUE(Window().FireTimer());
  EXPECT_EQ(sys.LastCall("NextFrame")->args[0], "2");
}

}  // namespace
}  // namespace corvane::testing
