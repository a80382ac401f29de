// The picture's scale and the window's opacity, with the real wheel and keys: Ctrl+wheel
// scales about the pointer (the window's size, and the picture point under the pointer, seen
// in the pixels), within 5 % to 1000 %; Ctrl+0 comes back to 100 %; a plain wheel does
// nothing; Shift+wheel sets the opacity that the window system holds (the layered window's
// alpha under Windows, _NET_WM_WINDOW_OPACITY on X); both are saved and come back.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

constexpr Point kPlace{100, 100};
constexpr int kWidth = kQuadrantPictureWidth;    // 200
constexpr int kHeight = kQuadrantPictureHeight;  // 150

testing::AssertionResult StartShowing(App& app, const std::vector<std::uint8_t>& settings) {
  if (testing::AssertionResult started = StartWithSettings(app, settings); !started) return started;
  return testing::AssertionSuccess();
}

std::vector<std::uint8_t> Record(const std::string& path) {
  return EncodeSettings({kPlace.x * kTwipsPerPixel, kPlace.y * kTwipsPerPixel, Cp1252(path)});
}

// Where the window must go when a picture shown over `before` takes `size`, so that the middle
// of the pointer's pixel shows the same picture point, to the nearest pixel.
Rect Anchored(const Rect& before, int width, int height, Point pointer) {
  const auto edge = [](int from, int was, int now, int at) {
    return at - static_cast<int>(std::floor((at - from + 0.5) / was * now));
  };
  return {edge(before.x, before.width, width, pointer.x), edge(before.y, before.height, height, pointer.y), width,
          height};
}

// The quadrants' corner is at the pointer: each quadrant's colour lies just beside it.
testing::AssertionResult CornerAt(const Image& shot, Point p) {
  return SpotsHold(shot, {{"top-left quadrant", {p.x - 3, p.y - 3}, kQuadrantColours[0]},
                          {"top-right quadrant", {p.x + 3, p.y - 3}, kQuadrantColours[1]},
                          {"bottom-left quadrant", {p.x - 3, p.y + 3}, kQuadrantColours[2]},
                          {"bottom-right quadrant", {p.x + 3, p.y + 3}, kQuadrantColours[3]}});
}

// The window's opacity in percent as the window system holds it; 100 when it is not
// see-through.
int OpacityPercent(const App& app) {
  if (NativeTarget()) {
    const std::optional<XTopLevel> window = ShownPictureWindow(app);
    if (!window) return -1;
    const std::optional<std::uint32_t> opacity = WindowOpacity(window->id);
    return opacity ? static_cast<int>(std::lround(*opacity / 4294967295.0 * 100)) : 100;
  }
  const std::optional<WindowFacts> facts = ProbeWindow(kHelpTitle);
  if (!facts) return -1;
  if (!(facts->exStyle & win::kExLayered)) return 100;
  return facts->alpha < 0 ? -1 : static_cast<int>(std::lround(facts->alpha * 100 / 255.0));
}

testing::AssertionResult WaitForOpacity(const App& app, int percent) {
  int seen = 0;
  testing::AssertionResult result = Eventually("the window's opacity at " + std::to_string(percent) + " %", [&] {
    seen = OpacityPercent(app);
    return seen == percent;
  });
  if (!result) result << " (it is " << seen << " %)";
  return result;
}

// Turns the wheel notch by notch with Ctrl held, as a hand does, each notch once the window has
// taken the one before (a notch may leave a tiny window's whole pixels as they are), until the
// window is at `bound`, and a few notches more, which must change nothing.
testing::AssertionResult CtrlWheelTo(const App& app, int direction, const Rect& bound) {
  for (int i = 0; i < 80; ++i) {
    const std::optional<XTopLevel> before = ShownPictureWindow(app);
    if (!before) return testing::AssertionFailure() << "the picture window is gone";
    if (before->rect == bound) break;
    Wheel(direction, {"Ctrl"});
    (void)Eventually(
        "the window changed",
        [&] {
          const std::optional<XTopLevel> now = ShownPictureWindow(app);
          return now && now->rect != before->rect;
        },
        1s);
  }
  Wheel(3 * direction, {"Ctrl"});
  return WaitForPictureWindowAt(app, bound);
}

TEST(PictureLook, CtrlWheelScalesAboutThePointerWithinBoundsAndCtrlZeroComesBack) {
  App app;
  // A small quadrant picture, so that even at 1000 % the window stays on the screen (a window
  // manager may move a window larger than the screen).
  const int width = 60;
  const int height = 40;
  const std::string path = AddFile(app, "small.bmp", MakeQuadrantBmp(width, height, kQuadrantColours));
  const Point place{400, 300};
  ASSERT_TRUE(StartShowing(app, EncodeSettings({place.x * kTwipsPerPixel, place.y * kTwipsPerPixel, Cp1252(path)})));
  const Rect start{place.x, place.y, width, height};
  ASSERT_TRUE(WaitForPictureWindowAt(app, start));

  // The pointer on the quadrants' corner; one notch away from the user: 110 %.
  const Point pointer{place.x + width / 2, place.y + height / 2};
  MoveTo(pointer);
  Wheel(1, {"Ctrl"});
  Rect window = Anchored(start, 66, 44, pointer);
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  EXPECT_TRUE(WaitForScreen(
      window, "the quadrants' corner still under the pointer",
      [&](const Image& shot) { return CornerAt(shot, pointer); }, "scaled-110"));

  // A plain wheel does nothing: the next Ctrl notch starts from 110 %, not from more.
  Wheel(3);
  Wheel(-3);
  Wheel(-1, {"Ctrl"});
  ASSERT_TRUE(WaitForPictureWindowAt(app, start)) << "one notch back is where it started";

  // Far past the top: 1000 %, whole pixels ten times over. The pointer's pixel shows the
  // picture's point 30.5 by 20.5, so the corner lies five pixels up and left of it, and the
  // colours meet with nothing between them.
  window = Anchored(start, width * 10, height * 10, pointer);
  ASSERT_TRUE(CtrlWheelTo(app, 1, window));
  const Point corner{window.x + width * 5, window.y + height * 5};
  EXPECT_LE(std::abs(corner.x - pointer.x), 5);
  EXPECT_TRUE(WaitForScreen(
      window, "the corner by the pointer at 1000 %, sharp",
      [&](const Image& shot) {
        if (testing::AssertionResult found = CornerAt(shot, corner); !found) return found;
        std::vector<PixelSpot> row;
        for (int x = corner.x - 12; x < corner.x + 12; ++x) {
          row.push_back({"one colour or the other",
                         {x, corner.y + 3},
                         x < corner.x ? kQuadrantColours[2] : kQuadrantColours[3],
                         0});
        }
        return SpotsHold(shot, row);
      },
      "scaled-1000"));

  // Far past the bottom: 5 %, 3 by 2 pixels about the pointer.
  ASSERT_TRUE(CtrlWheelTo(app, -1, Anchored(start, 3, 2, pointer)));

  // Ctrl+0 brings the picture's own size back; the pointer has not moved, so its point comes
  // back exactly where it was.
  PressKey("Ctrl+0");
  ASSERT_TRUE(WaitForPictureWindowAt(app, start));
  EXPECT_TRUE(WaitForScreen(start, "the corner under the pointer again",
                            [&](const Image& shot) { return CornerAt(shot, pointer); }));
}

TEST(PictureLook, TheTooltipGivesTheScaledSizeAndTheScale) {
  if (NativeTarget()) GTEST_SKIP() << "the tooltip is read with probe.exe";
  App app;
  const std::string path = AddQuadrantPicture(app);
  ASSERT_TRUE(StartShowing(app, Record(path)));
  ASSERT_TRUE(WaitForPictureWindowAt(app, {kPlace.x, kPlace.y, kWidth, kHeight}));
  MoveTo({kPlace.x + 60, kPlace.y + 60});
  Wheel(2, {"Ctrl"});
  const Rect window =
      Anchored(Anchored({kPlace.x, kPlace.y, kWidth, kHeight}, 220, 165, {kPlace.x + 60, kPlace.y + 60}), 242, 182,
               {kPlace.x + 60, kPlace.y + 60});
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  MoveTo({kPlace.x + 70, kPlace.y + 70});
  MoveTo({kPlace.x + 72, kPlace.y + 72});
  std::string seen;
  ASSERT_TRUE(WaitForTooltip(&seen));
  EXPECT_EQ(seen.substr(0, seen.find(',')), "242X182 (121%)");
  EXPECT_NE(seen.find("," + path + ",Right-click to open menu"), std::string::npos) << seen;
  EXPECT_NE(seen.find("Ctrl+wheel"), std::string::npos) << seen;
}

TEST(PictureLook, ShiftWheelSetsTheWindowsOpacityInFivesFromTenToAHundred) {
  App app;
  const std::string path = AddQuadrantPicture(app);
  ASSERT_TRUE(StartShowing(app, Record(path)));
  const Rect window{kPlace.x, kPlace.y, kWidth, kHeight};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  ASSERT_TRUE(WaitForOpacity(app, 100));
  MoveTo({kPlace.x + 50, kPlace.y + 50});
  Wheel(-2, {"Shift"});
  ASSERT_TRUE(WaitForOpacity(app, 90));
  Wheel(-30, {"Shift"});
  ASSERT_TRUE(WaitForOpacity(app, 10));
  Wheel(1, {"Shift"});
  ASSERT_TRUE(WaitForOpacity(app, 15));
  Wheel(30, {"Shift"});
  ASSERT_TRUE(WaitForOpacity(app, 100));
  EXPECT_TRUE(WaitForPictureWindowAt(app, window)) << "the opacity leaves the window's size alone";
}

TEST(PictureLook, ScaleAndOpacityAreSavedAfterThePathAndComeBack) {
  App app;
  const std::string path = AddQuadrantPicture(app);
  const std::vector<std::uint8_t> record = Record(path);
  ASSERT_TRUE(StartShowing(app, record));
  ASSERT_TRUE(WaitForPictureWindowAt(app, {kPlace.x, kPlace.y, kWidth, kHeight}));
  // Scaled about the window's top-left pixel, so it stays where it was saved.
  MoveTo(kPlace);
  Wheel(2, {"Ctrl"});
  const Rect scaled{kPlace.x, kPlace.y, 242, 182};
  ASSERT_TRUE(WaitForPictureWindowAt(app, scaled));
  Wheel(-4, {"Shift"});
  ASSERT_TRUE(WaitForOpacity(app, 80));

  DoubleClick({kPlace.x + 150, kPlace.y + 120});
  ASSERT_TRUE(app.WaitForExit(10s));
  ASSERT_TRUE(app.Exit()->Exited() && app.Exit()->code == 0) << app.Exit()->Describe();
  const std::optional<std::vector<std::uint8_t>> saved = app.ReadSettings();
  ASSERT_TRUE(saved);
  EXPECT_EQ(*saved, WithLook(record, 1'210'000, 80)) << "the record as before, then the block";

  // The next start, from that file (the picture stays in the first folder).
  App again;
  ASSERT_TRUE(StartShowing(again, *saved));
  EXPECT_TRUE(WaitForPictureWindowAt(again, scaled));
  EXPECT_TRUE(WaitForOpacity(again, 80));
}

// A scale that the settings file holds (written here as a later save would) is shown as it
// should look: whole enlargements sharp, shrinking smooth.
TEST(PictureLook, WholeEnlargementsAreSharpAndShrinkingIsSmooth) {
  App app;
  // A checkerboard of single black and white pixels.
  const std::string board = AddConvertedPicture(app, {"-size", "64x64", "pattern:gray50"}, "bmp3:board.bmp");
  ASSERT_TRUE(StartShowing(app, WithLook(Record(board), 3'000'000, 100)));
  const Rect large{kPlace.x, kPlace.y, 192, 192};
  ASSERT_TRUE(WaitForPictureWindowAt(app, large));
  EXPECT_TRUE(WaitForScreen(
      large, "three-pixel squares of pure black and white",
      [&](const Image& shot) {
        const Rgb a = shot.At({large.x + 30, large.y + 30});
        std::vector<PixelSpot> spots;
        for (int i = 0; i < 3; ++i) {
          for (int j = 0; j < 3; ++j) {
            spots.push_back({"same square", {large.x + 30 + i, large.y + 30 + j}, a, 0});
            spots.push_back({"next square",
                             {large.x + 33 + i, large.y + 30 + j},
                             Rgb{static_cast<std::uint8_t>(255 - a.r), static_cast<std::uint8_t>(255 - a.g),
                                 static_cast<std::uint8_t>(255 - a.b)},
                             0});
          }
        }
        if (!(Near(a, kWhite, 0) || Near(a, Rgb{}, 0))) return testing::AssertionFailure() << "a blended pixel " << a;
        return SpotsHold(shot, spots);
      },
      "board-300"));
  app.Stop();

  // Windows' HALFTONE stretching averages what a shrunk picture loses; Wine's draws the nearest
  // pixel instead, so only the Linux program can be seen doing it here.
  if (!NativeTarget()) return;
  App shrunk;
  const std::string board2 = AddConvertedPicture(shrunk, {"-size", "64x64", "pattern:gray50"}, "bmp3:board.bmp");
  ASSERT_TRUE(StartShowing(shrunk, WithLook(Record(board2), 500'000, 100)));
  const Rect small{kPlace.x, kPlace.y, 32, 32};
  ASSERT_TRUE(WaitForPictureWindowAt(shrunk, small));
  EXPECT_TRUE(WaitForScreen(
      small, "grey where four pixels of black and white are averaged",
      [&](const Image& shot) {
        return SpotsHold(shot, {{"inside", {small.x + 20, small.y + 20}, Rgb{128, 128, 128}, 40},
                                {"inside", {small.x + 21, small.y + 25}, Rgb{128, 128, 128}, 40}});
      },
      "board-50"));
}

// An animation shown scaled (as the settings file can ask) goes on playing, frame after frame,
// over the whole scaled window.
TEST(PictureLook, AScaledAnimationKeepsPlaying) {
  App app;
  const std::string path =
      AddConvertedPicture(app, {"-loop", "0", "-delay", "40", "-size", "40x20", "xc:red", "xc:blue"}, "flash40x20.gif");
  ASSERT_TRUE(StartShowing(app, WithLook(Record(path), 1'500'000, 100)));
  const Rect window{kPlace.x, kPlace.y, 60, 30};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  // Below the link label, and in the far corner that only the scaled picture reaches.
  const std::vector<Point> points{{window.x + 30, window.y + 22}, {window.Right() - 2, window.Bottom() - 2}};
  for (int round = 0; round < 2; ++round) {
    for (const Rgb colour : {kRed, kBlue}) {
      ASSERT_TRUE(WaitForScreen(
          window, "the whole window " + std::string(colour == kRed ? "red" : "blue"),
          [&](const Image& shot) {
            return SpotsHold(shot, {{"middle", points[0], colour, 8}, {"corner", points[1], colour, 8}});
          },
          "animation-150", 5s));
    }
  }
}

}  // namespace
}  // namespace corvane::e2e
