// Pins come back on the monitor they were saved on; when that monitor has gone, on the nearest
// one left at the same relative place.
#include <gtest/gtest.h>

#include "app/monitors_block.h"
#include "app/pin_placement.h"
#include "program_fixture.h"

namespace corvane::testing {
namespace {

TEST(ReturnedPlace, KeepsThePlaceOnAMonitorStillThereAndTheRelativePlaceOnTheNearestOtherwise) {
  const PixelRect left{0, 0, 1280, 1024};
  const PixelRect right{1280, 0, 3200, 1080};  // 1920 x 1080
  const PixelRect above{0, -768, 1024, 0};
  struct Case {
    const char* what;
    PixelRect window;
    PixelRect savedOn;
    std::vector<PixelRect> monitors;
    PixelPoint expected;
  };
  const Case cases[] = {
      {"its monitor is there: kept, even partly off it", {3000, 900, 3300, 1150}, right, {left, right}, {3000, 900}},
      {"its monitor is there: kept, though another moved",
       {100, 100, 400, 350},
       left,
       {left, {1280, 200, 2560, 1224}},
       {100, 100}},
      // 1920 - 300 = 1620 pixels free across, 1080 - 250 = 830 down; 1280 - 300 = 980 and 774 on the left.
      {"gone: against the far edges it stays against them", {2900, 830, 3200, 1080}, right, {left}, {980, 774}},
      {"gone: at its top-left corner it stays there", {1280, 0, 1580, 250}, right, {left}, {0, 0}},
      {"gone: centred it stays centred", {2090, 415, 2390, 665}, right, {left}, {490, 387}},
      {"gone: the nearest is the one beside it, not the primary",
       {1500, 50, 1800, 300},
       right,
       {above, left},
       {133, 47}},
      {"gone: partly off its monitor, it comes back wholly on", {3100, -40, 3400, 210}, right, {left}, {980, 0}},
      {"gone: larger than the one left, its top-left corner on it", {1300, 0, 3000, 1070}, right, {above}, {0, -768}},
      {"the same monitor at a new size: the same relative place",
       {2900, 830, 3200, 1080},
       right,
       {left, {1280, 0, 2560, 1024}},
       {2260, 774}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReturnedPlace(c.window, c.savedOn, c.monitors), c.expected);
  }
}

TEST(MonitorsBlock, OnlyAWholeCurrentBlockIsTrusted) {
  const std::string before = EncodeSettingsRecord(15, 30, "C:\\b.png");
  const std::vector<PixelRect> monitors{{0, 0, 1280, 1024}, {-1920, -200, 0, 880}};
  const std::string block = EncodeMonitorsBlock(before, monitors);
  EXPECT_EQ(DecodeMonitorsBlock(before + block + "leftovers", before.size()), monitors);

  std::string otherRecord = before;
  otherRecord[0] = 16;
  std::string flipped = before + block;
  flipped[before.size() + 10] ^= 1;
  std::string empty = before + EncodeMonitorsBlock(before, {{5, 5, 5, 9}});
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"cut short", before + block.substr(0, block.size() - 1)},
      {"left behind by a record rewritten since", otherRecord + block},
      {"a changed byte", flipped},
      {"an empty monitor", empty},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeMonitorsBlock(c.bytes, before.size()), std::nullopt);
  }
}

class SavedMonitorTest : public ProgramTest {
 protected:
  SavedMonitorTest() {
    sys.pictureFiles["C:\\ads\\box.png"] = {300, 250};
    sys.pictureFiles["C:\\ads\\sky.png"] = {160, 600};
  }
  PixelRect FrameOf(std::size_t n) { return WindowOf(App().Pins().at(n)->Window()).Frame(); }
  void Exit() {
    DoubleClickOn(PictureForm(), &PictureForm().PictureBox);
    ASSERT_TRUE(ended);
  }
};

constexpr PixelRect kLeftMonitor{0, 0, 1280, 1024};
constexpr PixelRect kRightMonitor{1280, 0, 3200, 1080};

TEST_F(SavedMonitorTest, PinsComeBackOnTheirMonitorAndWhenItHasGoneOnTheNearestAtTheSameRelativePlace) {
  sys.monitors = {kLeftMonitor, kRightMonitor};
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ads\\box.png", {300, 250});
  WindowOf(PictureForm()).MoveTo({2900, 830});  // the right monitor's bottom-right corner
  App().OpenPin(FirstPin(), "C:\\ads\\sky.png", PixelPoint{1600, 100});
  ASSERT_EQ(App().Pins().size(), 2u);
  Exit();

  NewRun();
  ASSERT_TRUE(Start());
  ASSERT_EQ(App().Pins().size(), 2u);
  EXPECT_EQ(FrameOf(0), (PixelRect{2900, 830, 3200, 1080})) << "back on the right monitor, where it was";
  EXPECT_EQ(FrameOf(1), (PixelRect{1600, 100, 1760, 700}));
  Exit();

  // The right monitor is unplugged: both come back on the left one, at the same relative place
  // (the first in its bottom-right corner; the second 320 of 1760 free pixels across, 100 of 480 down).
  sys.monitors = {kLeftMonitor};
  NewRun();
  ASSERT_TRUE(Start());
  EXPECT_EQ(FrameOf(0), (PixelRect{980, 774, 1280, 1024}));
  EXPECT_EQ(FrameOf(1), (PixelRect{204, 88, 364, 688}));
}

TEST_F(SavedMonitorTest, WithOneMonitorTheFileStaysAsBeforeAndAWindowOffEveryMonitorTakesTheDefaultPlace) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ads\\box.png", {300, 250});
  WindowOf(PictureForm()).MoveTo({100, 120});
  Exit();
  const std::string record = EncodeSettingsRecord(1500, 1800, "C:\\ads\\box.png");
  EXPECT_EQ(SettingsBytes().substr(0, record.size()), record);
  EXPECT_EQ(SettingsBytes().find(kMonitorsSignature), std::string::npos);

  // Saved with two monitors, restarted with one: without the block (an older file) the pin
  // would take the default place; with it, it keeps its relative place.
  sys.monitors = {kLeftMonitor, kRightMonitor};
  NewRun();
  ASSERT_TRUE(Start());
  WindowOf(PictureForm()).MoveTo({1280, 0});
  Exit();
  const std::string withBlock = SettingsBytes();
  sys.monitors = {kLeftMonitor};
  NewRun();
  ASSERT_TRUE(Start());
  EXPECT_EQ(FrameOf(0).left, 0);
  EXPECT_EQ(FrameOf(0).top, 0);

  std::string damaged = withBlock;
  damaged.back() ^= 1;
  sys.PutFile(SettingsFilePath(sys), damaged);
  NewRun();
  ASSERT_TRUE(Start());
  EXPECT_EQ(FrameOf(0).left, 23) << "a damaged block is not trusted: the default place, as before";
}

}  // namespace
}  // namespace corvane::testing
