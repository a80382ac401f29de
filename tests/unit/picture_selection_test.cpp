// Choosing a picture through the open-file dialog.
#include "windows/picture/picture_selection.h"

#include <gtest/gtest.h>

#include "picture_state.h"
#include "program_fixture.h"
#include "windows/maker.h"
#include "windows/menu/menu_window.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {
namespace {

using FilterPairs = std::vector<std::pair<std::string, std::string>>;
FilterPairs Pairs(const std::vector<FileFilter>& filters) {
  FilterPairs pairs;
  for (const FileFilter& f : filters) pairs.emplace_back(f.description, f.patterns);
  return pairs;
}

class PictureSelectionTest : public ProgramTest {
 protected:
  PictureSelectionTest() { EXPECT_TRUE(Start()); }

  // The dialog answers with `path` as the user's choice.
  void Choose(const std::string& path) {
    sys.dialog = [this, path](const OpenFileRequest& r) {
      lastRequest = r;
      return OpenFileAnswer{OpenFileAnswer::Outcome::Chosen, path, 0};
    };
  }

  void Select() {
    MenuWindow& menu = OpenMenu();
    ClickOn(menu, menu.SelectItem.label);
  }

  using Snapshot = PictureState;
  Snapshot Now() { return PictureStateOf(FirstPin()); }

  OpenFileRequest lastRequest;
};

TEST_F(PictureSelectionTest, TheDialogIsAskedForPicturesInTheProgramsFolder) {
  Choose("C:\\x.bmp");
  sys.pictureFiles["C:\\x.bmp"] = {10, 10};
  Select();
  const OpenFileRequest& r = lastRequest;
  EXPECT_EQ(r.owner, PictureForm().hWnd());
  EXPECT_EQ(Pairs(r.filters),
            (FilterPairs{{"Pictures (bmp;gif;jpg;jpeg;png;wmf)", "*.bmp;*.gif;*.jpg;*.jpeg;*.png;*.wmf"},
                         {"All files", "*.*"}}))
      << "every extension the system reads, then all files";
  EXPECT_EQ(r.initialFolder, "C:\\Corvane");
  EXPECT_EQ(r.title, "Select a picture file please");
}

TEST_F(PictureSelectionTest, AChosenFileIsShownAtOnceAndTheMenuCloses) {
  sys.pictureFiles["C:\\pics\\cat.jpg"] = {640, 480};
  Choose("  C:\\pics\\cat.jpg ");  // blanks around the path are dropped
  bool menuHiddenDuringDialog = false;
  const auto answer = sys.dialog;
  sys.dialog = [&](const OpenFileRequest& r) {
    menuHiddenDuringDialog = FirstPin().MenuLoaded() && !MenuForm().Visible();
    return answer(r);
  };
  Select();
  EXPECT_TRUE(menuHiddenDuringDialog);
  EXPECT_FALSE(FirstPin().MenuLoaded());
  EXPECT_EQ(
      Now(),
      (Snapshot{
          true, 9600, 7200,
          "640X480,C:\\pics\\cat.jpg,Right-click to open menu, Double-click to exit, Ctrl+wheel to scale (Ctrl+0: "
          "100%), Shift+wheel for opacity, Ctrl+T to click through (Ctrl+Alt+T: back), drop a file or Ctrl+V to show "
          "another, Ctrl+N or Ctrl+drop or Ctrl+Shift+V for one more picture, Ctrl+W to close it, arrows to nudge",
          "C:\\pics\\cat.jpg", "C:\\pics\\cat.jpg"}));
  EXPECT_TRUE(SettingsBytes().find("cat.jpg") == std::string::npos) << "nothing is saved until exit";
  EXPECT_EQ(OpenMenu().ShowItem.label.Caption(), kShowHelpCaption);
}

TEST_F(PictureSelectionTest, ACancelChangesNothingAndTheMenuReappearsWhereItWasWithoutRunningAnItem) {
  const Snapshot before = Now();
  MenuWindow& menu = OpenMenu(600, 400);
  Type(menu, Key::AccessKey, 's', kAlt);  // the focus is now on the Select item's button
  EXPECT_EQ(Now(), before);
  EXPECT_TRUE(FirstPin().MenuLoaded());
  EXPECT_FALSE(menu.Visible());
  const PixelRect place = WindowOf(menu).Frame();

  sys.calls.clear();
  MenuWindow& again = OpenMenu(100, 100);
  EXPECT_EQ(&again, &menu) << "the same window, not a fresh one";
  EXPECT_EQ(WindowOf(again).Frame(), place);
  EXPECT_TRUE(again.Visible());
  EXPECT_EQ(again.FocusedControl(), &again.RestingButton);
  EXPECT_EQ(sys.CountCalls("ChooseFileToOpen"), 0);
}

TEST_F(PictureSelectionTest, ADialogFailureIsReportedNotTakenForACancel) {
  sys.dialog = [](const OpenFileRequest&) { return OpenFileAnswer{OpenFileAnswer::Outcome::Failed, "", 0x3003}; };
  const Snapshot before = Now();
  Select();
  const RecordedCall* message = sys.LastCall("MessageBox");
  ASSERT_NE(message, nullptr);
  EXPECT_NE(message->args[1].find("12291"), std::string::npos) << message->args[1];
  EXPECT_EQ(Now(), before);
  EXPECT_FALSE(ended);
}

TEST_F(PictureSelectionTest, AFileThatCannotBeShownIsReportedAndEverythingStaysAsItWas) {
  ShowPicture("C:\\first.bmp", {50, 40});
  PictureForm().PathBox.SetText("C:\\first.bmp");
  for (const bool helpMode : {false, true}) {
    SCOPED_TRACE(helpMode ? "help mode" : "picture mode");
    if (helpMode) ShowHelpMode(PictureForm());
    const Snapshot before = Now();
    const std::string settings = SettingsBytes();
    Choose("C:\\notes.txt");
    Select();
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(PictureForm().PictureBox.GetPicture()->Size(), (PixelSize{50, 40}));
    EXPECT_EQ(PictureForm().Title.Visible(), helpMode);
    EXPECT_EQ(SettingsBytes(), settings);
    EXPECT_FALSE(ended);
    const RecordedCall* message = sys.LastCall("MessageBox");
    ASSERT_NE(message, nullptr);
    EXPECT_NE(message->args[1].find("C:\\notes.txt"), std::string::npos);
    EXPECT_NE(message->args[1].find("File not found"), std::string::npos);
    EXPECT_EQ(message->args[2], kAppTitle);
  }
}

TEST(PictureFilters, NameEachExtensionOnceInLowerCaseInTheOrderGiven) {
  EXPECT_EQ(Pairs(PictureFilters({"PNG", "jpg", "Jpg", "", "heic", "png", "jfif"})),
            (FilterPairs{{"Pictures (png;jpg;heic;jfif)", "*.png;*.jpg;*.heic;*.jfif"}, {"All files", "*.*"}}));
}

TEST_F(PictureSelectionTest, APictureWithNoAreaIsRefusedWithTheReasonAndTheOldPictureStays) {
  ShowPicture("C:\\first.bmp", {50, 40});
  PictureForm().PathBox.SetText("C:\\first.bmp");
  const Snapshot before = Now();
  sys.pictureFiles["C:\\empty.emf"] = {0, 0};
  Choose("C:\\empty.emf");
  Select();
  EXPECT_EQ(Now(), before);
  EXPECT_EQ(PictureForm().PictureBox.GetPicture()->Size(), (PixelSize{50, 40}));
  const RecordedCall* message = sys.LastCall("MessageBox");
  ASSERT_NE(message, nullptr);
  EXPECT_NE(message->args[1].find("C:\\empty.emf"), std::string::npos) << message->args[1];
  EXPECT_NE(message->args[1].find("0 x 0 pixels"), std::string::npos) << message->args[1];
  EXPECT_FALSE(ended);
}

TEST_F(PictureSelectionTest, ANameTheCodePageCannotHoldIsStoredByItsShortPathOrRefused) {
  const std::string longName = "C:\\pics\\\xE4\xB8\xAD\xE6\x96\x87.jpg";  // two Chinese characters
  sys.shortPaths[longName] = "C:\\pics\\3E7A~1.JPG";
  sys.pictureFiles["C:\\pics\\3E7A~1.JPG"] = {20, 20};
  Choose(longName);
  Select();
  EXPECT_EQ(FirstPin().PicturePath(), "C:\\pics\\3E7A~1.JPG");
  EXPECT_EQ(PictureForm().PathBox.Text(), "C:\\pics\\3E7A~1.JPG");
  DoubleClickOn(PictureForm(), &PictureForm().PictureBox);
  EXPECT_NE(SettingsBytes().find("3E7A~1.JPG"), std::string::npos);

  NewRun();
  ASSERT_TRUE(Start());
  const Snapshot before = Now();
  Choose("C:\\pics\\\xE6\x97\xA5.jpg");  // no short name to fall back on
  Select();
  EXPECT_EQ(Now(), before);
  const RecordedCall* message = sys.LastCall("MessageBox");
  ASSERT_NE(message, nullptr);
  EXPECT_NE(message->args[1].find("cannot remember"), std::string::npos);
}

}  // namespace
}  // namespace corvane::testing
