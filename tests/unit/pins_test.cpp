// Several pins at once: opening them (Ctrl+N, Ctrl+Shift+V), closing them (Ctrl+W, the
// system's close), the limit, where a new one goes, and all of them saved and brought back.
#include <gtest/gtest.h>

#include "app/hand_over.h"
#include "app/pin_placement.h"
#include "program_fixture.h"
#include "windows/maker.h"
#include "windows/picture/display_modes.h"

namespace corvane::testing {
namespace {

class PinsTest : public ProgramTest {
 protected:
  PinsTest() {
    sys.pictureFiles["C:\\ads\\leaderboard.png"] = {728, 90};
    sys.pictureFiles["C:\\ads\\box.png"] = {300, 250};
    sys.pictureFiles["C:\\ads\\sky.png"] = {160, 600};
  }

  // The dialog answers `path` (or a cancel), and Ctrl+N is typed on `pin`.
  void CtrlN(Pin& pin, const std::string& path) {
    sys.dialog = [path](const OpenFileRequest&) {
      OpenFileAnswer answer;
      answer.outcome = path.empty() ? OpenFileAnswer::Outcome::Cancelled : OpenFileAnswer::Outcome::Chosen;
      answer.path = path;
      return answer;
    };
    Type(pin.Window(), Key::Shortcut, 'N', kCtrl);
  }
  Pin& PinAt(std::size_t n) { return *App().Pins().at(n); }
  PixelRect FrameOf(Pin& pin) { return WindowOf(pin.Window()).Frame(); }
  std::size_t PinCount() { return App().Pins().size(); }
  int Messages() { return sys.CountCalls("MessageBox"); }
};

TEST_F(PinsTest, CtrlNOpensTheChosenPictureInANewPinBesideTheOneItCameFrom) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ads\\box.png", {300, 250});
  CtrlN(FirstPin(), "");
  EXPECT_EQ(PinCount(), 1u) << "a cancelled dialog opens nothing";

  CtrlN(FirstPin(), "C:\\ads\\sky.png");
  ASSERT_EQ(PinCount(), 2u);
  Pin& second = PinAt(1);
  EXPECT_EQ(second.PicturePath(), "C:\\ads\\sky.png");
  EXPECT_TRUE(second.Window().Visible());
  EXPECT_TRUE(second.Window().PictureBox.Visible());
  const PixelRect first = FrameOf(FirstPin());
  EXPECT_EQ(FrameOf(second), (PixelRect{first.left + 24, first.top + 24, first.left + 24 + 160, first.top + 24 + 600}));
  EXPECT_EQ(FirstPin().PicturePath(), "C:\\ads\\box.png") << "the first pin keeps its picture";

  // A picture that cannot be shown opens no pin, after the Select item's message.
  const int before = Messages();
  CtrlN(second, "C:\\ads\\missing.png");
  EXPECT_EQ(PinCount(), 2u);
  EXPECT_EQ(Messages(), before + 1);
}

TEST_F(PinsTest, EachPinHasItsOwnMenuAndItsSelectReplacesOnlyItsPicture) {
  ASSERT_TRUE(Start());
  CtrlN(FirstPin(), "C:\\ads\\box.png");
  Pin& second = PinAt(1);
  sys.cursor = {700, 500};
  Press(second.Window(), &second.Window().PictureBox, MouseButton::Right);
  ASSERT_TRUE(second.MenuLoaded());
  EXPECT_FALSE(FirstPin().MenuLoaded());
  EXPECT_EQ(WindowOf(second.Menu()).Layout().owner, second.Window().hWnd());
  sys.dialog = [](const OpenFileRequest&) {
    return OpenFileAnswer{OpenFileAnswer::Outcome::Chosen, "C:\\ads\\sky.png", 0};
  };
  ClickOn(second.Menu(), second.Menu().SelectItem.label);
  EXPECT_EQ(second.PicturePath(), "C:\\ads\\sky.png");
  EXPECT_EQ(FirstPin().PicturePath(), NoPictureMarker);
}

TEST_F(PinsTest, CtrlWAndTheSystemsCloseCloseOnePinUntilOneIsLeft) {
  ASSERT_TRUE(Start());
  CtrlN(FirstPin(), "C:\\ads\\box.png");
  CtrlN(PinAt(1), "C:\\ads\\sky.png");
  ASSERT_EQ(PinCount(), 3u);
  Type(PinAt(1).Window(), Key::Shortcut, 'W', kCtrl);
  ASSERT_EQ(PinCount(), 2u);
  EXPECT_EQ(PinAt(1).PicturePath(), "C:\\ads\\sky.png");

  Deliver([&] { WindowOf(PinAt(1).Window()).Events().OnCloseRequest(); });
  EXPECT_FALSE(ended);
  ASSERT_EQ(PinCount(), 1u);
  Type(FirstPin().Window(), Key::Shortcut, 'W', kCtrl);
  EXPECT_EQ(PinCount(), 1u) << "Ctrl+W leaves the last pin";
  EXPECT_FALSE(ended);

  const std::string settings = SettingsBytes();
  Deliver([&] { WindowOf(FirstPin().Window()).Events().OnCloseRequest(); });
  EXPECT_TRUE(ended) << "closing the last pin ends the program";
  EXPECT_EQ(SettingsBytes(), settings) << "without saving";
}

TEST_F(PinsTest, EveryPinIsSavedWithItsLookAndComesBackInOrder) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ads\\leaderboard.png", {728, 90});
  CtrlN(FirstPin(), "C:\\ads\\box.png");
  CtrlN(PinAt(1), "C:\\ads\\sky.png");
  PinAt(1).Window().SetOpacity(40);
  ScalePicture(PinAt(2), 1'210'000, std::nullopt);
  WindowOf(PinAt(2).Window()).MoveTo({900, 100});
  const std::vector<PixelRect> frames{FrameOf(PinAt(0)), FrameOf(PinAt(1)), FrameOf(PinAt(2))};
  DoubleClickOn(PinAt(1).Window(), &PinAt(1).Window().PictureBox);
  ASSERT_TRUE(ended);

  // An older program reads the first pin as it always has.
  EXPECT_EQ(DecodeSettingsRecord(SettingsBytes()).ansiPath, "C:\\ads\\leaderboard.png");

  NewRun();
  ASSERT_TRUE(Start());
  ASSERT_EQ(PinCount(), 3u);
  const char* paths[] = {"C:\\ads\\leaderboard.png", "C:\\ads\\box.png", "C:\\ads\\sky.png"};
  for (std::size_t n = 0; n < 3; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(PinAt(n).PicturePath(), paths[n]);
    EXPECT_EQ(FrameOf(PinAt(n)), frames[n]);
    EXPECT_TRUE(PinAt(n).Window().Visible());
  }
  EXPECT_EQ(PinAt(1).Window().Opacity(), 40);
  EXPECT_EQ(PinAt(2).Window().PictureBox.Scale(), 1'210'000);
  EXPECT_EQ(PinAt(0).Window().Opacity(), 100);
}

TEST_F(PinsTest, APinWhosePictureIsGoneIsNotBroughtBackAndTheOthersAre) {
  ASSERT_TRUE(Start());
  CtrlN(FirstPin(), "C:\\ads\\box.png");
  CtrlN(FirstPin(), "C:\\ads\\sky.png");
  Deliver([&] { App().SaveAndExit(ExitFrom::PictureWindow); });
  sys.pictureFiles.erase("C:\\ads\\box.png");
  NewRun();
  ASSERT_TRUE(Start());
  ASSERT_EQ(PinCount(), 2u);
  EXPECT_EQ(PinAt(1).PicturePath(), "C:\\ads\\sky.png");
}

TEST_F(PinsTest, The65thPinIsRefusedWithAMessage) {
  ASSERT_TRUE(Start());
  for (std::size_t n = 1; n < Application::kMostPins; ++n) CtrlN(PinAt(n - 1), "C:\\ads\\box.png");
  ASSERT_EQ(PinCount(), 64u);
  int dialogs = 0;
  sys.dialog = [&](const OpenFileRequest&) {
    ++dialogs;
    return OpenFileAnswer{OpenFileAnswer::Outcome::Chosen, "C:\\ads\\box.png", 0};
  };
  Type(PinAt(63).Window(), Key::Shortcut, 'N', kCtrl);
  EXPECT_EQ(PinCount(), 64u);
  EXPECT_EQ(dialogs, 0) << "no dialog for a pin that cannot open";
  const RecordedCall* message = sys.LastCall("MessageBox");
  ASSERT_NE(message, nullptr);
  EXPECT_NE(message->args[1].find("at most 64 pictures"), std::string::npos) << message->args[1];
}

TEST_F(PinsTest, CtrlShiftVPastesIntoANewPin) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ads\\box.png", {300, 250});
  sys.clipboardFile = "C:\\ads\\sky.png";
  Type(FirstPin().Window(), Key::Shortcut, 'V', kCtrl | kShift);
  ASSERT_EQ(PinCount(), 2u);
  EXPECT_EQ(PinAt(1).PicturePath(), "C:\\ads\\sky.png");
  EXPECT_EQ(FirstPin().PicturePath(), "C:\\ads\\box.png");
  sys.clipboardFile.clear();
  const int before = Messages();
  Type(FirstPin().Window(), Key::Shortcut, 'V', kCtrl | kShift);
  EXPECT_EQ(PinCount(), 2u) << "an empty clipboard opens nothing";
  EXPECT_EQ(Messages(), before + 1);
}

TEST_F(PinsTest, AFileDroppedWithCtrlOpensAsANewPinAtTheDropPoint) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ads\\box.png", {300, 250});
  HeadlessWindow& first = WindowOf(FirstPin().Window());
  Deliver([&] { first.Events().OnFilesDropped({{"C:\\ads\\sky.png"}, {600, 300}, kCtrl}); });
  ASSERT_EQ(PinCount(), 2u);
  EXPECT_EQ(FrameOf(PinAt(1)), (PixelRect{600, 300, 760, 900}));
  EXPECT_EQ(FirstPin().PicturePath(), "C:\\ads\\box.png");
  // Without Ctrl the drop replaces the pin's own picture, as always.
  Deliver([&] { first.Events().OnFilesDropped({{"C:\\ads\\leaderboard.png"}, {600, 300}, 0}); });
  EXPECT_EQ(PinCount(), 2u);
  EXPECT_EQ(FirstPin().PicturePath(), "C:\\ads\\leaderboard.png");
}

TEST_F(PinsTest, TheArrowKeysNudgeTheFocusedPinAndTheNudgedPlaceIsSaved) {
  ASSERT_TRUE(Start());
  WindowOf(PictureForm()).MoveTo({100, 100});
  Type(PictureForm(), Key::Right, 0, 0);
  Type(PictureForm(), Key::Down, 0, kShift);
  EXPECT_EQ(FrameOf(FirstPin()).left, 101);
  EXPECT_EQ(FrameOf(FirstPin()).top, 110);
  Type(PictureForm(), Key::Up, 0, kCtrl);
  EXPECT_EQ(FrameOf(FirstPin()).top, 110) << "Ctrl+arrow means nothing";
  WindowOf(PictureForm()).MoveTo({3, 100});
  Type(PictureForm(), Key::Left, 0, kShift);
  EXPECT_EQ(FrameOf(FirstPin()).left, 0) << "kept on the monitor";
  Deliver([&] { App().SaveAndExit(ExitFrom::PictureWindow); });
  EXPECT_EQ(DecodeSettingsRecord(SettingsBytes()).left, 0);
  EXPECT_EQ(DecodeSettingsRecord(SettingsBytes()).top, 1500);
}

TEST_F(PinsTest, TheCommandLinesFirstPictureTakesAnEmptyHelpPanelAndTheOthersOpenAsPins) {
  App().OpenAtStart({sys.FullPath("box.png"), "C:\\ads\\sky.png", "C:\\ads\\missing.png", "C:\\ads\\leaderboard.png"});
  sys.pictureFiles["C:\\Users\\me\\box.png"] = {300, 250};
  ASSERT_TRUE(Start());
  ASSERT_EQ(PinCount(), 3u) << "the picture that cannot be shown is told of, and the others still open";
  EXPECT_EQ(PinAt(0).PicturePath(), "C:\\Users\\me\\box.png") << "a relative path, against the working folder";
  EXPECT_EQ(PinAt(1).PicturePath(), "C:\\ads\\sky.png");
  EXPECT_EQ(PinAt(2).PicturePath(), "C:\\ads\\leaderboard.png");
  EXPECT_EQ(Messages(), 1);
}

TEST_F(PinsTest, TheCommandLinesPicturesOpenBesideTheSavedPins) {
  ASSERT_TRUE(Start());
  ShowPicture("C:\\ads\\box.png", {300, 250});
  Deliver([&] { App().SaveAndExit(ExitFrom::PictureWindow); });
  NewRun();
  App().OpenAtStart({"C:\\ads\\sky.png"});
  ASSERT_TRUE(Start());
  ASSERT_EQ(PinCount(), 2u);
  EXPECT_EQ(PinAt(0).PicturePath(), "C:\\ads\\box.png");
  EXPECT_EQ(PinAt(1).PicturePath(), "C:\\ads\\sky.png");
}

TEST_F(PinsTest, ASecondStartHandsItsPicturesOverAndEndsWithoutAWindow) {
  sys.prevInstance = true;
  App().OpenAtStart({"C:\\ads\\sky.png", "C:\\ads\\box.png"});
  EXPECT_FALSE(Start());
  ASSERT_EQ(sys.handedOver.size(), 1u);
  EXPECT_EQ(DecodeHandOver(sys.handedOver[0]), (HandOver{kOpenVerb, {"C:\\ads\\sky.png", "C:\\ads\\box.png"}}));
  EXPECT_EQ(SettingsBytes(), "") << "the settings are left alone";

  NewRun();
  EXPECT_FALSE(Start());
  EXPECT_EQ(sys.handedOver.size(), 1u) << "a second start without pictures hands nothing over";
}

TEST_F(PinsTest, ASecondStartHandsItsClickThroughRequestOverAndEveryPinFollowsIt) {
  sys.prevInstance = true;
  App().ClickThroughAtStart(ClickThroughRequest::Off);
  EXPECT_FALSE(Start());
  ASSERT_EQ(sys.handedOver.size(), 1u);
  EXPECT_EQ(DecodeHandOver(sys.handedOver[0]), (HandOver{kClickThroughVerb, {"off"}}));

  NewRun();
  sys.prevInstance = false;
  ASSERT_TRUE(Start());
  CtrlN(FirstPin(), "C:\\ads\\box.png");
  ASSERT_EQ(PinCount(), 2u);
  Type(FirstPin().Window(), Key::Shortcut, 'T', kCtrl);
  ASSERT_TRUE(FirstPin().Window().ClickThrough());
  ASSERT_FALSE(PinAt(1).Window().ClickThrough());
  const auto ask = [&](const char* word) {
    Deliver([&] { sys.handOverReceiver(EncodeHandOver({kClickThroughVerb, {word}})); });
  };
  ask("toggle");
  EXPECT_FALSE(FirstPin().Window().ClickThrough());
  EXPECT_TRUE(PinAt(1).Window().ClickThrough());
  ask("on");
  EXPECT_TRUE(FirstPin().Window().ClickThrough());
  EXPECT_TRUE(PinAt(1).Window().ClickThrough());
  ask("off");
  EXPECT_FALSE(FirstPin().Window().ClickThrough());
  EXPECT_FALSE(PinAt(1).Window().ClickThrough());
}

TEST_F(PinsTest, AFirstStartWithAClickThroughRequestDoesItOnceStarted) {
  App().ClickThroughAtStart(ClickThroughRequest::On);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(FirstPin().Window().ClickThrough());
  EXPECT_TRUE(sys.handedOver.empty());
}

TEST_F(PinsTest, PicturesHandedOverOpenAsNewPinsBesideTheLastActiveOneAndAnythingElseIsIgnored) {
  ASSERT_TRUE(Start());
  CtrlN(FirstPin(), "C:\\ads\\box.png");
  Press(FirstPin().Window(), nullptr, MouseButton::Middle);  // the first pin is the last used
  ASSERT_TRUE(sys.handOverReceiver);
  Deliver([&] { sys.handOverReceiver(EncodeHandOver({kOpenVerb, {"C:\\ads\\sky.png"}})); });
  ASSERT_EQ(PinCount(), 3u);
  const PixelRect first = FrameOf(FirstPin());
  EXPECT_EQ(FrameOf(PinAt(2)).left, first.left + 24);
  for (const std::string& junk :
       {std::string("open C:\\ads\\sky.png"), std::string("corvane\0close\0", 14), std::string()}) {
    Deliver([&] { sys.handOverReceiver(junk); });
  }
  EXPECT_EQ(PinCount(), 3u);

  // While a dialog is open the pictures wait, and open once it closes.
  bool openedMeanwhile = true;
  sys.dialog = [&](const OpenFileRequest&) {
    sys.handOverReceiver(EncodeHandOver({kOpenVerb, {"C:\\ads\\leaderboard.png"}}));
    openedMeanwhile = PinCount() == 4;
    return OpenFileAnswer{};
  };
  Type(FirstPin().Window(), Key::Shortcut, 'N', kCtrl);
  EXPECT_FALSE(openedMeanwhile);
  Deliver([&] { App().FreeClosed(); });
  EXPECT_EQ(PinCount(), 4u);
}

TEST(PinPlacement, ANewPinGoesBesideItsPinAndStaysWhollyOnThatMonitor) {
  const std::vector<PixelRect> monitors{{0, 0, 1280, 1024}, {1280, 0, 2560, 1024}};
  struct Case {
    const char* what;
    PixelRect from;
    PixelSize size;
    PixelPoint expected;
  };
  const Case cases[] = {
      {"beside, room to spare", {100, 100, 400, 350}, {300, 250}, {124, 124}},
      {"at the right edge", {1000, 100, 1280, 350}, {300, 250}, {980, 124}},
      {"at the bottom edge", {100, 800, 400, 1024}, {300, 250}, {124, 774}},
      {"on the second monitor's left edge", {1300, 0, 1500, 100}, {300, 250}, {1324, 24}},
      {"on the second monitor's right edge", {2400, 900, 2560, 1024}, {300, 250}, {2260, 774}},
      {"larger than the monitor: its corner on it", {100, 100, 200, 200}, {1500, 1100}, {0, 0}},
      {"mostly on the second monitor", {1200, 100, 1500, 350}, {300, 250}, {1280, 124}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PlaceBeside(c.from, c.size, MonitorHolding(c.from, monitors)), c.expected);
  }
  EXPECT_EQ(MonitorHolding({3000, 100, 3100, 200}, monitors), monitors[1]) << "off every monitor: the nearest";
}

TEST(PinPlacement, NudgingStopsAtTheMonitorsEdgeAndNeverJumpsBack) {
  const PixelRect monitor{0, 0, 1280, 1024};
  struct Case {
    PixelRect window;
    PixelPoint by;
    PixelPoint expected;
  };
  const Case cases[] = {
      {{100, 100, 400, 350}, {1, 0}, {101, 100}},    {{100, 100, 400, 350}, {0, -10}, {100, 90}},
      {{975, 100, 1275, 350}, {10, 0}, {980, 100}},  {{0, 5, 300, 255}, {-1, -10}, {0, 0}},
      {{1100, 100, 1400, 350}, {1, 0}, {1100, 100}}, {{1100, 100, 1400, 350}, {-10, 0}, {1090, 100}},
  };
  for (const Case& c : cases) EXPECT_EQ(NudgedOnto(c.window, c.by, monitor), c.expected);
}

}  // namespace
}  // namespace corvane::testing
