// A file dropped on the picture window, and a picture pasted into it, take the Select item's
// path: the same checks, messages and saved path.
#include "windows/picture/drop_and_paste.h"

#include <gtest/gtest.h>

#include "picture_state.h"
#include "program_fixture.h"
#include "windows/menu/menu_window.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/picture_selection.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {
namespace {

class DropAndPasteTest : public ProgramTest {
 protected:
  DropAndPasteTest() { EXPECT_TRUE(Start()); }

  void Drop(const std::vector<std::string>& paths) {
    HeadlessWindow& w = WindowOf(PictureForm());
    Deliver([&] { w.Events().OnFilesDropped({paths, {}, 0}); });
  }

  void Paste() { Type(PictureForm(), Key::Paste, 0, kCtrl); }

  // The message last shown, or "" when none was.
  std::string Message() const {
    const RecordedCall* message = sys.LastCall("MessageBox");
    return message ? message->args[1] : std::string();
  }

  using Snapshot = PictureState;
  Snapshot Now() { return PictureStateOf(FirstPin()); }
};

TEST(PastedFileName, CarriesTheLocalTimeAndASuffixForATakenName) {
  const LocalTime t{2026, 3, 7, 9, 5, 1};
  EXPECT_EQ(PastedFileName(t, 1), "pasted-20260307-090501.png");
  EXPECT_EQ(PastedFileName(t, 2), "pasted-20260307-090501-2.png");
  EXPECT_EQ(PastedFileName({2026, 12, 31, 23, 59, 59}, 17), "pasted-20261231-235959-17.png");
  EXPECT_EQ(PastedFileName(t, 2, "gif"), "pasted-20260307-090501-2.gif");
}

TEST_F(DropAndPasteTest, OnlyThePictureWindowTakesDroppedFiles) {
  OpenMenu();
  ASSERT_TRUE(FirstPin().MenuLoaded());
  EXPECT_TRUE(WindowOf(PictureForm()).acceptsDrops);
  EXPECT_FALSE(WindowOf(MenuForm()).acceptsDrops);
}

TEST_F(DropAndPasteTest, TheFirstDroppedFileIsShownOnTheHelpPanelOrThePictureAndSavedAtExit) {
  sys.pictureFiles["C:\\pics\\cat.jpg"] = {640, 480};
  sys.pictureFiles["C:\\pics\\dog.png"] = {30, 20};
  Drop({"C:\\pics\\cat.jpg", "C:\\pics\\dog.png"});
  const Snapshot shown = Now();
  EXPECT_EQ(shown.tip.rfind("640X480,C:\\pics\\cat.jpg,", 0), 0u) << shown.tip;
  EXPECT_EQ(shown, (Snapshot{true, 9600, 7200, shown.tip, "C:\\pics\\cat.jpg", "C:\\pics\\cat.jpg"}));
  EXPECT_EQ(Message(), "");

  Drop({"C:\\pics\\dog.png"});  // onto the picture this time
  EXPECT_EQ(FirstPin().PicturePath(), "C:\\pics\\dog.png");
  EXPECT_EQ(PictureForm().Width(), 30 * 15);
  DoubleClickOn(PictureForm(), &PictureForm().PictureBox);
  EXPECT_TRUE(ended);
  EXPECT_NE(SettingsBytes().find("C:\\pics\\dog.png"), std::string::npos);
}

TEST_F(DropAndPasteTest, ADroppedFileThatCannotBeShownGetsTheSelectItemsMessageAndChangesNothing) {
  struct Case {
    const char* what;
    std::string path;
  };
  const std::string unspellable = "C:\\pics\\\xE6\x97\xA5.jpg";  // no short name to fall back on
  for (const Case& c : {Case{"not a picture", "C:\\notes.txt"}, Case{"a folder", "C:\\pics"},
                        Case{"a name the code page cannot hold", unspellable}}) {
    SCOPED_TRACE(c.what);
    NewRun();
    ASSERT_TRUE(Start());
    sys.dialog = [&](const OpenFileRequest&) { return OpenFileAnswer{OpenFileAnswer::Outcome::Chosen, c.path, 0}; };
    MenuWindow& menu = OpenMenu();
    ClickOn(menu, menu.SelectItem.label);
    const std::string throughSelect = Message();
    ASSERT_NE(throughSelect, "");
    sys.calls.clear();

    const Snapshot before = Now();
    const std::string settings = SettingsBytes();
    Drop({c.path});
    EXPECT_EQ(Message(), throughSelect);
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(SettingsBytes(), settings);
    EXPECT_FALSE(ended);
  }
}

TEST_F(DropAndPasteTest, AMenuLeftHiddenByACancelledDialogGoesOnceADropShowsThePicture) {
  sys.pictureFiles["C:\\pics\\cat.jpg"] = {640, 480};
  MenuWindow& menu = OpenMenu();
  ClickOn(menu, menu.SelectItem.label);  // the dialog is cancelled: the menu stays loaded and hidden
  ASSERT_TRUE(FirstPin().MenuLoaded());
  Drop({"C:\\pics\\cat.jpg"});
  EXPECT_FALSE(FirstPin().MenuLoaded());
  EXPECT_EQ(OpenMenu().ShowItem.label.Caption(), kShowHelpCaption);
}

TEST_F(DropAndPasteTest, ADropOfNoLocalFileIsExplainedAndChangesNothing) {
  const Snapshot before = Now();
  Drop({});
  EXPECT_NE(Message().find("only a picture file on this computer"), std::string::npos) << Message();
  EXPECT_EQ(Now(), before);
}

TEST_F(DropAndPasteTest, ADropWhileTheMenuIsOpenIsIgnored) {
  sys.pictureFiles["C:\\pics\\cat.jpg"] = {640, 480};
  const Snapshot before = Now();
  sys.modalActions.push_back([&] { Drop({"C:\\pics\\cat.jpg"}); });
  OpenMenu();
  EXPECT_EQ(sys.CountCalls("LoadPicture"), 0);
  EXPECT_EQ(Now(), before);
}

TEST_F(DropAndPasteTest, APastedPictureIsSavedBesideTheSettingsUnderAFreeNameShownAndSavedAtExit) {
  sys.clipboardImage = PixelSize{120, 90};
  sys.PutFile("C:\\Corvane\\pasted-20261210-164305.png", "taken");
  Paste();
  const std::string saved = "C:\\Corvane\\pasted-20261210-164305-2.png";
  const RecordedCall* save = sys.LastCall("Save");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->args[0], saved);
  EXPECT_EQ(sys.FindFile("C:\\Corvane\\pasted-20261210-164305.png")->bytes, "taken") << "never overwritten";
  EXPECT_EQ(FirstPin().PicturePath(), saved);
  EXPECT_EQ(PictureForm().Width(), 120 * 15);
  EXPECT_EQ(Message(), "");
  DoubleClickOn(PictureForm(), &PictureForm().PictureBox);
  EXPECT_NE(SettingsBytes().find(saved), std::string::npos);
}

TEST_F(DropAndPasteTest, APastedAnimationIsKeptAsItsOwnKindOfFile) {
  sys.clipboardImage = PixelSize{30, 20};
  sys.clipboardImageExtension = "gif";
  Paste();
  const std::string saved = "C:\\Corvane\\pasted-20261210-164305.gif";
  const RecordedCall* save = sys.LastCall("Save");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->args[0], saved);
  EXPECT_EQ(FirstPin().PicturePath(), saved);
}

TEST_F(DropAndPasteTest, APastedFileIsShownWhereItIsWithoutACopy) {
  sys.pictureFiles["C:\\pics\\cat.jpg"] = {640, 480};
  sys.clipboardFile = "C:\\pics\\cat.jpg";
  sys.clipboardImage = PixelSize{10, 10};  // a copied file comes first
  Paste();
  EXPECT_EQ(FirstPin().PicturePath(), "C:\\pics\\cat.jpg");
  EXPECT_EQ(sys.CountCalls("Save"), 0);
}

TEST_F(DropAndPasteTest, NothingToPasteOrAPictureThatCannotBeKeptIsExplainedAndThePictureStays) {
  ShowPicture("C:\\first.bmp", {50, 40});
  struct Case {
    const char* what;
    std::function<void(HeadlessPlatform&)> arrange;
    const char* said;
  };
  const Case cases[] = {
      {"an empty clipboard", [](HeadlessPlatform&) {}, "holds no picture"},
      {"a clipboard picture beyond the size ceiling",
       [](HeadlessPlatform& s) { s.clipboardError = "The picture is 20000 x 20000 pixels."; }, "20000 x 20000"},
      {"a folder that cannot be written",
       [](HeadlessPlatform& s) {
         s.clipboardImage = PixelSize{10, 10};
         s.folderReadOnly = true;
       },
       "C:\\Corvane\\pasted-20261210-164305.png\n\nAccess is denied."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sys.clipboardImage.reset();
    sys.clipboardError.clear();
    sys.folderReadOnly = false;
    c.arrange(sys);
    sys.calls.clear();
    const Snapshot before = Now();
    Paste();
    EXPECT_NE(Message().find(c.said), std::string::npos) << Message();
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(sys.CountCalls("LoadPicture"), 0);
    EXPECT_FALSE(ended);
  }
}

}  // namespace
}  // namespace corvane::testing
