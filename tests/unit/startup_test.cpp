// Start-up with its single-instance rule and its one recovery; save-and-exit; the plain end.
#include "app/application.h"

#include <gtest/gtest.h>

#include "program_fixture.h"
#include "windows/maker.h"
#include "windows/menu/menu_window.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {
namespace {

const std::string kSettings = "C:\\Corvane\\corvane.ini";
const PixelPoint kCreationPlace{100, 80};  // where the headless system puts a new window

class StartupTest : public ProgramTest {
 protected:
  PixelRect Frame() { return WindowOf(PictureForm()).Frame(); }
  bool HelpPanel() {
    PictureWindow& f = PictureForm();
    return !f.PictureBox.Visible() && f.Title.Visible() && f.Width() == 6960 && f.Height() == 5145;
  }
};

TEST_F(StartupTest, TheFirstRunCreatesTheDefaultsAndShowsTheHelpPanelThere) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(SettingsBytes().size(), 31u);
  EXPECT_EQ(App().Settings(), DefaultSettings());
  EXPECT_EQ(FirstPin().PicturePath(), NoPictureMarker);
  EXPECT_EQ(Frame().left, 23);  // 350 twips
  EXPECT_EQ(Frame().top, 7);    // 100 twips
  EXPECT_TRUE(HelpPanel());
  EXPECT_TRUE(WindowOf(PictureForm()).IsVisible());
  EXPECT_TRUE(WindowOf(PictureForm()).topMost);
}

TEST_F(StartupTest, TheStepsRunInOrderTopMostFirstThenTheFile) {
  ASSERT_TRUE(Start());
  std::vector<std::string> order;
  for (const RecordedCall& c : sys.calls) {
    if (c.name == "MakeTopMost" || c.name == "FindFileName" || c.name == "OpenFile") order.push_back(c.name);
  }
  // Made, then read: the record, then the monitors the pins were saved on.
  EXPECT_EQ(order, (std::vector<std::string>{"MakeTopMost", "FindFileName", "OpenFile", "OpenFile", "OpenFile"}));
  EXPECT_EQ(sys.LastCall("MakeTopMost")->args,
            (std::vector<std::string>{HeadlessPlatform::HandleText(PictureForm().hWnd()), "kept"}));
}

TEST_F(StartupTest, ASecondInstanceEndsAtOnceShowingNothingAndTouchingNoFile) {
  sys.prevInstance = true;
  PutSettings(1500, 1500, NoPictureMarker);
  const std::string before = SettingsBytes();
  EXPECT_FALSE(Start());
  EXPECT_TRUE(sys.ended);
  EXPECT_EQ(sys.CountCalls("MakeTopMost"), 0);
  EXPECT_EQ(sys.CountCalls("FindFileName"), 0);
  EXPECT_EQ(sys.CountCalls("OpenFile"), 0);
  EXPECT_EQ(SettingsBytes(), before);
  for (HeadlessWindow* w : sys.windows) EXPECT_FALSE(w->IsVisible());
}

TEST_F(StartupTest, ASavedPictureOpensAtTheSavedPlaceAtItsOwnSize) {
  sys.pictureFiles["C:\\pics\\cat.jpg"] = {640, 480};
  PutSettings(-450, 1500, "C:\\pics\\cat.jpg");
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame(), (PixelRect{-30, 100, -30 + 640, 100 + 480}));
  EXPECT_TRUE(PictureForm().PictureBox.Visible());
  EXPECT_EQ(FirstPin().PicturePath(), "C:\\pics\\cat.jpg");
}

struct RecoveryCase {
  const char* name;
  std::function<void(StartupTest&)> arrange;
  bool atSavedPlace;
};

std::string RecoveryName(const ::testing::TestParamInfo<RecoveryCase>& param) { return param.param.name; }

class StartupRecoveryTest : public StartupTest, public ::testing::WithParamInterface<RecoveryCase> {};

TEST_P(StartupRecoveryTest, FallsBackToTheHelpPanelAndForgetsThePicture) {
  GetParam().arrange(*this);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(HelpPanel());
  EXPECT_EQ(FirstPin().PicturePath(), NoPictureMarker);
  const PixelPoint place = GetParam().atSavedPlace ? PixelPoint{60, 40} : kCreationPlace;
  EXPECT_EQ(Frame().left, place.x);
  EXPECT_EQ(Frame().top, place.y);
  EXPECT_EQ(sys.CountCalls("MessageBox"), 0) << "the recovery is silent";
  EXPECT_TRUE(WindowOf(PictureForm()).IsVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Causes, StartupRecoveryTest,
    ::testing::Values(
        RecoveryCase{"PictureGone", [](StartupTest& fixture) { fixture.PutSettings(900, 600, "C:\\gone.jpg"); }, true},
        RecoveryCase{"PictureWithNoArea",
                     [](StartupTest& fixture) {
                       fixture.PutSettings(900, 600, "C:\\empty.emf");
                       fixture.sys.pictureFiles["C:\\empty.emf"] = {0, 48};
                     },
                     true},
        RecoveryCase{"PictureWithInvertedFrame",
                     [](StartupTest& fixture) {
                       fixture.PutSettings(900, 600, "C:\\inverted.wmf");
                       fixture.sys.pictureFiles["C:\\inverted.wmf"] = {96, -48};
                     },
                     true},
        RecoveryCase{"NotAPicture",
                     [](StartupTest& fixture) {
                       fixture.PutSettings(900, 600, "C:\\notes.txt");
                       fixture.sys.PutFile("C:\\notes.txt", "hello");
                     },
                     true},
        RecoveryCase{"ReadOnlyFolder", [](StartupTest& fixture) { fixture.sys.folderReadOnly = true; }, false},
        RecoveryCase{"SettingsShorterThanTheHeader",
                     [](StartupTest& fixture) {
                       fixture.sys.PutFile(kSettings, EncodeSettingsRecord(900, 600, "C:\\x.jpg").substr(0, 9));
                     },
                     true},
        RecoveryCase{"SettingsFolderInPlaceOfTheFile",
                     [](StartupTest& fixture) {
                       fixture.PutSettings(900, 600, NoPictureMarker);
                       fixture.sys.FindFile(kSettings)->directory = true;
                     },
                     false},
        RecoveryCase{"PathCutShort",
                     [](StartupTest& fixture) {
                       fixture.sys.PutFile(kSettings, EncodeSettingsRecord(900, 600, "C:\\x.jpg").substr(0, 12));
                     },
                     true},
        RecoveryCase{"EmptyPath", [](StartupTest& fixture) { fixture.PutSettings(900, 600, ""); }, true}),
    RecoveryName);

// A record cut within its header keeps each whole number it holds, the default place standing
// for the rest, and the save at the end writes the place the window had.
TEST_F(StartupTest, ARecordCutWithinItsHeaderKeepsItsWholeNumbersAndSavesThePlace) {
  const std::string record = EncodeSettingsRecord(900, 600, "C:\\x.jpg");
  for (std::size_t size = 1; size <= 9; ++size) {
    SCOPED_TRACE(size);
    NewRun();
    sys.PutFile(kSettings, record.substr(0, size));
    ASSERT_TRUE(Start());
    EXPECT_TRUE(HelpPanel());
    EXPECT_EQ(Frame().left, size >= 4 ? 60 : 23);  // 900 twips, or the default 350
    EXPECT_EQ(Frame().top, size >= 8 ? 40 : 7);    // 600 twips, or the default 100
    DoubleClickOn(PictureForm(), nullptr);
    EXPECT_TRUE(ended);
    EXPECT_EQ(SettingsBytes(), EncodeSettingsRecord(size >= 4 ? 900 : 345, size >= 8 ? 600 : 105, NoPictureMarker));
  }
}

TEST_F(StartupTest, AMissingPictureIsForgottenAtTheNextSave) {
  PutSettings(900, 600, "C:\\gone.jpg");
  ASSERT_TRUE(Start());
  DoubleClickOn(PictureForm(), nullptr);
  EXPECT_TRUE(ended);
  EXPECT_EQ(SettingsBytes().substr(0, 31), EncodeSettingsRecord(900, 600, NoPictureMarker));
}

TEST_F(StartupTest, ADamagedPathKeepsTheSavedPlaceThroughTheNextSave) {
  sys.pictureFiles["C:\\x.jpg"] = {640, 480};
  const std::string record = EncodeSettingsRecord(-450, 1500, "C:\\x.jpg");
  sys.PutFile(kSettings, record.substr(0, record.size() - 2));
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().left, -30);
  EXPECT_EQ(Frame().top, 100);
  EXPECT_TRUE(HelpPanel());
  EXPECT_EQ(sys.CountCalls("LoadPicture"), 0) << "no part of a cut path is taken for a file";
  DoubleClickOn(PictureForm(), nullptr);
  EXPECT_TRUE(ended);
  EXPECT_EQ(SettingsBytes(), EncodeSettingsRecord(-450, 1500, NoPictureMarker));
}

TEST_F(StartupTest, NegativeAndPartlyOffScreenPositionsComeBackExactly) {
  PutSettings(-3000, -150, NoPictureMarker);  // 200 pixels off the left, 10 above the top
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().left, -200);
  EXPECT_EQ(Frame().top, -10);
  DoubleClickOn(PictureForm(), nullptr);
  EXPECT_EQ(SettingsBytes().substr(0, 10), Bytes("48 F4 FF FF 6A FF FF FF 15 00"));
}

TEST_F(StartupTest, AWindowNoMonitorShowsStartsAtTheDefaultPlace) {
  sys.monitors = {{0, 0, 1280, 1024}, {1280, 0, 2560, 1024}};
  struct Case {
    std::int32_t left, top;
    PixelPoint expected;
  };
  const Case cases[] = {
      {30000, 1500, {2000, 100}},    // on the second monitor: kept
      {45000, 1500, {23, 7}},        // beyond every monitor
      {-7000, 1500, {23, 7}},        // wholly left of the first (464 pixels wide)
      {-6945, -5130, {-463, -342}},  // one pixel still on screen: kept
      {1500, 16000, {23, 7}},        // below the monitors
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.left);
    NewRun();
    PutSettings(c.left, c.top, NoPictureMarker);
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame().left, c.expected.x);
    EXPECT_EQ(Frame().top, c.expected.y);
  }
}

TEST_F(StartupTest, SaveAndExitStoresThePositionAndPathThenUnloadsAndEnds) {
  sys.pictureFiles["C:\\pics\\cat.jpg"] = {64, 48};
  PutSettings(0, 0, "C:\\pics\\cat.jpg");
  ASSERT_TRUE(Start());
  WindowOf(PictureForm()).MoveTo({-17, 250});
  DoubleClickOn(PictureForm(), &PictureForm().PictureBox);
  EXPECT_TRUE(ended);
  EXPECT_EQ(SettingsBytes(), EncodeSettingsRecord(-255, 3750, "C:\\pics\\cat.jpg"));
  const std::vector<std::string> names = sys.CallNames();
  const auto write = std::find(names.begin(), names.end(), "OpenFile");
  const auto unload = std::find(names.begin(), names.end(), "DestroyWindow");
  EXPECT_LT(std::find(write + 1, names.end(), "OpenFile"), unload) << "written before the window goes";
  EXPECT_EQ(names.back(), "EndProgram");
  EXPECT_EQ(sys.CountCalls("MessageBox"), 0);
}

TEST_F(StartupTest, SaveAndExitRoundsNonWholeTwipsHalvesToEven) {
  sys.twipsPerPixel = 1440.0f / 192;  // 7.5 twips per pixel
  struct Case {
    int pixel;
    std::int32_t twips;
  };
  const Case cases[] = {{3, 22}, {5, 38}, {-3, -22}, {1, 8}};  // 22.5, 37.5, -22.5, 7.5
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pixel);
    NewRun();
    sys.files.clear();
    ASSERT_TRUE(Start());
    WindowOf(PictureForm()).MoveTo({c.pixel, c.pixel});
    DoubleClickOn(PictureForm(), nullptr);
    const SettingsHeader saved = DecodeSettingsHeader(SettingsBytes()).value();
    EXPECT_EQ(saved.left, c.twips);
    EXPECT_EQ(saved.top, c.twips);
  }
}

// A file no one may write is read all the same: the saved place and picture come back, and
// only the save at the end says that it cannot write there, keeping the file as it was.
TEST_F(StartupTest, AReadOnlyFileIsReadAndTheSaveSaysWhyItCannotWriteAndKeepsIt) {
  sys.pictureFiles["C:\\pics\\cat.jpg"] = {64, 48};
  PutSettings(900, 600, "C:\\pics\\cat.jpg");
  sys.FindFile(kSettings)->readOnly = true;
  const std::string before = SettingsBytes();
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame(), (PixelRect{60, 40, 60 + 64, 40 + 48}));
  EXPECT_EQ(FirstPin().PicturePath(), "C:\\pics\\cat.jpg");
  EXPECT_EQ(sys.CountCalls("MessageBox"), 0) << "the start says nothing";
  WindowOf(PictureForm()).MoveTo({300, 300});
  DoubleClickOn(PictureForm(), &PictureForm().PictureBox);
  EXPECT_TRUE(ended);
  EXPECT_EQ(SettingsBytes(), before);
  const RecordedCall* message = sys.LastCall("MessageBox");
  ASSERT_NE(message, nullptr);
  EXPECT_NE(message->args[1].find(kSettings), std::string::npos) << message->args[1];
  EXPECT_NE(message->args[1].find("Access is denied."), std::string::npos) << message->args[1];
  EXPECT_EQ(message->args[2], kAppTitle);
}

TEST_F(StartupTest, ClosingThePictureWindowOtherwiseEndsWithoutSaving) {
  PutSettings(1500, 1500, NoPictureMarker);
  ASSERT_TRUE(Start());
  const std::string before = SettingsBytes();
  WindowOf(PictureForm()).MoveTo({300, 300});
  HeadlessWindow& w = WindowOf(PictureForm());
  Deliver([&] { w.Events().OnCloseRequest(); });
  EXPECT_TRUE(ended);
  EXPECT_EQ(SettingsBytes(), before);
}

}  // namespace
}  // namespace corvane::testing
