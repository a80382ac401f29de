// Animated pictures: the frame clock (delays, disposal, loops), the composition on one canvas,
// and the picture window playing an animation through the window's timer.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "pictures/animation.h"
#include "pictures/animation_metadata.h"
#include "program_fixture.h"
#include "windows/menu/menu_window.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {
namespace {

using pictures::AnimationClock;
using pictures::AnimationFrame;
using pictures::AnimationKind;
using pictures::Disposal;
using pictures::MetadataItem;

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
      {{0, 0, 40, 30}, 100, Disposal::Keep},       {{5, 5, 15, 15}, 100, Disposal::Background},
      {{20, 10, 30, 20}, 100, Disposal::Previous}, {{2, 2, 4, 4}, 100, Disposal::Keep},
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

TEST(AnimationClock, ReadsEachFrameOnlyWhenItsTurnComesAndSurvivesAFrameThatCannotBeRead) {
  // Ten thousand frames: starting costs one read, each step one more, whatever the count.
  std::vector<int> reads;
  bool failing = false;
  AnimationClock clock(
      10'000,
      [&](int index) {
        reads.push_back(index);
        if (failing) throw Error("damaged frame");
        return AnimationFrame{{index % 10, 0, index % 10 + 1, 1}, 0, Disposal::Background};
      },
      {10, 1}, AnimationClock::kForever);
  EXPECT_EQ(reads, std::vector<int>{0});
  EXPECT_EQ(clock.CurrentDelay(), 100);
  clock.Advance();
  const AnimationClock::Step step = clock.Advance();
  EXPECT_EQ(reads, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(step.clear, (PixelRect{1, 0, 2, 1})) << "the leaving frame's facts were kept";
  EXPECT_EQ(clock.CurrentFrame().rect, (PixelRect{2, 0, 3, 1}));
  failing = true;
  EXPECT_THROW(clock.Advance(), Error);
  EXPECT_EQ(clock.Current(), 2) << "a frame that cannot be read leaves the clock where it was";
  EXPECT_EQ(clock.CurrentFrame().rect, (PixelRect{2, 0, 3, 1}));
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

// Metadata as a decoder's reader would give it: numbers and bytes by item.
class FakeMetadata : public pictures::MetadataSource {
 public:
  FakeMetadata() = default;
  FakeMetadata(std::map<MetadataItem, std::uint32_t> numbers, std::map<MetadataItem, std::string> bytes = {})
      : numbers_(std::move(numbers)), bytes_(std::move(bytes)) {}
  std::optional<std::uint32_t> Number(MetadataItem item) const override {
    const auto found = numbers_.find(item);
    return found == numbers_.end() ? std::nullopt : std::optional<std::uint32_t>(found->second);
  }
  std::vector<std::uint8_t> Bytes(MetadataItem item) const override {
    const auto found = bytes_.find(item);
    return found == bytes_.end() ? std::vector<std::uint8_t>{}
                                 : std::vector<std::uint8_t>(found->second.begin(), found->second.end());
  }

 private:
  std::map<MetadataItem, std::uint32_t> numbers_;
  std::map<MetadataItem, std::string> bytes_;
};

TEST(AnimationMetadata, OnlyGifsAndFramesWithDurationsAnimate) {
  const FakeMetadata none;
  const FakeMetadata withDuration({{MetadataItem::WebpFrameDuration, 80}});
  struct Case {
    const char* what;
    bool gif;
    int frames;
    const FakeMetadata& first;
    AnimationKind kind;
  };
  const Case cases[] = {
      {"a GIF of one frame", true, 1, none, AnimationKind::Still},
      {"a GIF of several frames, even without delays", true, 3, none, AnimationKind::PlacedFrames},
      {"frames with durations (animated WebP)", false, 3, withDuration, AnimationKind::WholeFrames},
      {"one frame with a duration", false, 1, withDuration, AnimationKind::Still},
      {"frames without delays (TIFF pages, icon sizes)", false, 4, none, AnimationKind::Still},
  };
  for (const Case& c : cases) EXPECT_EQ(pictures::KindOfAnimation(c.gif, c.frames, c.first), c.kind) << c.what;
}

TEST(AnimationMetadata, GifFramesLieWhereTheirDescriptorSaysForTheirDelayInHundredths) {
  struct Case {
    const char* what;
    FakeMetadata frame;
    AnimationFrame expected;
  };
  const Case cases[] = {
      {"placed, 0.3 s, restored to the background",
       FakeMetadata({{MetadataItem::GifFrameLeft, 5},
                     {MetadataItem::GifFrameTop, 7},
                     {MetadataItem::GifFrameDelay, 30},
                     {MetadataItem::GifFrameDisposal, 2}}),
       {{5, 7, 15, 27}, 300, Disposal::Background}},
      {"restored to what lay before",
       FakeMetadata({{MetadataItem::GifFrameDisposal, 3}}),
       {{0, 0, 10, 20}, 0, Disposal::Previous}},
      {"left in place", FakeMetadata({{MetadataItem::GifFrameDisposal, 1}}), {{0, 0, 10, 20}, 0, Disposal::Keep}},
      {"an undefined method keeps the frame",
       FakeMetadata({{MetadataItem::GifFrameDisposal, 6}}),
       {{0, 0, 10, 20}, 0, Disposal::Keep}},
      {"no graphic control extension", FakeMetadata(), {{0, 0, 10, 20}, 0, Disposal::Keep}},
      {"a WebP duration means nothing in a GIF",
       FakeMetadata({{MetadataItem::WebpFrameDuration, 500}}),
       {{0, 0, 10, 20}, 0, Disposal::Keep}},
  };
  for (const Case& c : cases) {
    const AnimationFrame f = pictures::ReadFrame(AnimationKind::PlacedFrames, c.frame, {10, 20});
    EXPECT_EQ(f.rect, c.expected.rect) << c.what;
    EXPECT_EQ(f.delayMs, c.expected.delayMs) << c.what;
    EXPECT_EQ(f.disposal, c.expected.disposal) << c.what;
  }
}

TEST(AnimationMetadata, WholeFramesCoverTheCanvasForTheirDurationInMillisecondsAndReplaceEachOther) {
  const FakeMetadata frame(
      {{MetadataItem::WebpFrameDuration, 120}, {MetadataItem::GifFrameLeft, 9}, {MetadataItem::GifFrameDelay, 7}});
  const AnimationFrame f = pictures::ReadFrame(AnimationKind::WholeFrames, frame, {64, 48});
  EXPECT_EQ(f.rect, (PixelRect{0, 0, 64, 48}));
  EXPECT_EQ(f.delayMs, 120);
  EXPECT_EQ(f.disposal, Disposal::Background) << "the next frame shows alone, not over this one";
  EXPECT_EQ(pictures::ReadFrame(AnimationKind::WholeFrames, FakeMetadata(), {64, 48}).delayMs, 0);
  EXPECT_EQ(pictures::ReadCanvas(AnimationKind::WholeFrames, FakeMetadata({{MetadataItem::GifCanvasWidth, 500}}), f),
            (PixelSize{64, 48}));
}

TEST(AnimationMetadata, AGifsCanvasIsItsLogicalScreenElseAsFarAsTheFirstFrameReaches) {
  const AnimationFrame first{{4, 6, 14, 26}, 0, Disposal::Keep};
  EXPECT_EQ(pictures::ReadCanvas(
                AnimationKind::PlacedFrames,
                FakeMetadata({{MetadataItem::GifCanvasWidth, 300}, {MetadataItem::GifCanvasHeight, 200}}), first),
            (PixelSize{300, 200}));
  EXPECT_EQ(pictures::ReadCanvas(AnimationKind::PlacedFrames, FakeMetadata(), first), (PixelSize{14, 26}));
}

TEST(AnimationMetadata, TheLoopCountBecomesTheRepeatsAfterTheFirstShowing) {
  const std::string netscape = "NETSCAPE2.0";
  const auto gif = [&](std::string name, std::string data) {
    return FakeMetadata(
        {}, {{MetadataItem::GifApplication, std::move(name)}, {MetadataItem::GifApplicationData, std::move(data)}});
  };
  const auto webp = [](std::optional<std::uint32_t> loops) {
    return loops ? FakeMetadata({{MetadataItem::WebpLoopCount, *loops}}) : FakeMetadata();
  };
  struct Case {
    const char* what;
    AnimationKind kind;
    FakeMetadata file;
    int repeats;
  };
  const Case cases[] = {
      {"GIF, 0: for ever", AnimationKind::PlacedFrames, gif(netscape, std::string("\x03\x01\x00\x00", 4)),
       AnimationClock::kForever},
      {"GIF, 1: once more", AnimationKind::PlacedFrames, gif(netscape, std::string("\x03\x01\x01\x00", 4)), 1},
      {"GIF, 258, low byte first", AnimationKind::PlacedFrames, gif(netscape, std::string("\x03\x01\x02\x01", 4)), 258},
      {"GIF, the older ANIMEXTS1.0", AnimationKind::PlacedFrames,
       gif("ANIMEXTS1.0", std::string("\x03\x01\x05\x00", 4)), 5},
      {"GIF without the extension: once", AnimationKind::PlacedFrames, FakeMetadata(), AnimationClock::kOnce},
      {"GIF, another application's extension", AnimationKind::PlacedFrames,
       gif("XMP DataXMP", std::string("\x03\x01\x00\x00", 4)), AnimationClock::kOnce},
      {"GIF, a sub-block too short", AnimationKind::PlacedFrames, gif(netscape, std::string("\x03\x01\x00", 3)),
       AnimationClock::kOnce},
      {"GIF, a sub-block of another id", AnimationKind::PlacedFrames, gif(netscape, std::string("\x03\x02\x00\x00", 4)),
       AnimationClock::kOnce},
      {"WebP, 0: for ever", AnimationKind::WholeFrames, webp(0), AnimationClock::kForever},
      {"WebP, 1: played once, not for ever", AnimationKind::WholeFrames, webp(1), AnimationClock::kOnce},
      {"WebP, 3: played three times in all", AnimationKind::WholeFrames, webp(3), 2},
      {"WebP without a loop count: for ever", AnimationKind::WholeFrames, webp(std::nullopt), AnimationClock::kForever},
      {"a still picture", AnimationKind::Still, webp(0), AnimationClock::kOnce},
  };
  for (const Case& c : cases) EXPECT_EQ(pictures::ReadRepeats(c.kind, c.file), c.repeats) << c.what;
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
  HeadlessWindow& Window() { return WindowOf(PictureForm()); }
  void ShowAnimation() {
    FirstPin().SetPicturePath("C:\\spin.gif");
    ShowPictureMode(PictureForm());
    ApplyPicture(FirstPin());
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
      {1, {10, 5, 20, 15}, 100},                          // a delay of 0 shows for 100 ms
      {2, {0, 5, 40, 30}, 250},                           // frame 1 is cleared as it goes: its area changes too
      {0, {0, 0, 40, 30}, 70},                            // the second round
      {1, {10, 5, 20, 15}, 100}, {2, {0, 5, 40, 30}, 0},  // the last frame of the last round stays
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
  ShowHelpMode(PictureForm());
  EXPECT_EQ(Window().timerMs, 0);
  ShowPictureMode(PictureForm());
  EXPECT_EQ(Window().timerMs, 70);
}

TEST_F(PlayingAnimationTest, AFailedSelectionLeavesTheAnimationPlaying) {
  ShowAnimation();
  ASSERT_TRUE(Window().FireTimer());
  sys.dialog = [](const OpenFileRequest&) {
    return OpenFileAnswer{OpenFileAnswer::Outcome::Chosen, "C:\\broken.gif", 0};
  };
  MenuWindow& menu = OpenMenu();
  ClickOn(menu, menu.SelectItem.label);
  ASSERT_NE(sys.LastCall("MessageBox"), nullptr);
  EXPECT_EQ(Window().timerMs, 100) << "frame 1's time, as before the selection";
  ASSERT_TRUE(Window().FireTimer());
  EXPECT_EQ(sys.LastCall("NextFrame")->args[0], "2");
}

}  // namespace
}  // namespace corvane::testing
