// Choosing a picture: the menu's Select item opens the system's open-file dialog; a chosen
// picture replaces the help panel at its own size, a cancel or a file that is no picture leaves
// everything as it was, and the Show item switches between the picture and the help panel.
#include <gtest/gtest.h>

#include <string>

#include "corvane.h"

namespace corvane::e2e {
namespace {

constexpr int kLookInId = 1137;    // the folder combo box
constexpr int kFileTypeId = 1136;  // the filter combo box
constexpr int kFileNameId = 1148;  // the file-name box (a combo box with an edit inside)

const ControlFacts* ControlWithId(const DialogFacts& dialog, const std::string& className, int id) {
  for (const ControlFacts& c : dialog.controls) {
    if (c.className == className && c.id == id) return &c;
  }
  return nullptr;
}

// The picture's four quadrants, seen at their centres, on the window at `window`.
testing::AssertionResult ShowsThePicture(const Rect& window, const std::string& label) {
  const int width = kQuadrantPictureWidth;
  const int height = kQuadrantPictureHeight;
  return WaitForScreen(
      window, "the picture's quadrants",
      [&](const Image& shot) -> testing::AssertionResult {
        const Point centres[4] = {{window.x + width / 4, window.y + height / 4},
                                  {window.x + width * 3 / 4, window.y + height / 4},
                                  {window.x + width / 4, window.y + height * 3 / 4},
                                  {window.x + width * 3 / 4, window.y + height * 3 / 4}};
        for (int q = 0; q < 4; ++q) {
          if (!Near(shot.At(centres[q]), kQuadrantColours[q], kTolerance)) {
            return testing::AssertionFailure()
                   << "quadrant " << q << " at " << centres[q] << " is " << shot.At(centres[q]);
          }
        }
        return testing::AssertionSuccess();
      },
      label);
}

// The help panel's green ground and blue Label4 on the window at `window`.
testing::AssertionResult ShowsTheHelpPanel(const Rect& window, const std::string& label) {
  const Point ground{window.x + Px(300), window.y + Px(2250)};
  const Point label4{window.x + Px(840 + 30), window.y + Px(960 + 30)};
  return WaitForScreen(
      window, "the help panel's colours",
      [&](const Image& shot) -> testing::AssertionResult {
        if (!Near(shot.At(ground), kGroundGreen, kTolerance)) {
          return testing::AssertionFailure() << "the ground is " << shot.At(ground);
        }
        if (!Near(shot.At(label4), kBlue, kTolerance))
          return testing::AssertionFailure() << "Label4 is " << shot.At(label4);
        return testing::AssertionSuccess();
      },
      label);
}

class SelectPicture : public FirstStartWithAPicture {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(FirstStartWithAPicture::SetUp());
    settingsAtStart_ = *app_.ReadSettings();
  }

  Rect HelpPanel() const { return {window_.rect.x, window_.rect.y, kHelpWidth, kHelpHeight}; }
  Rect PictureAtSameCorner() const {
    return {window_.rect.x, window_.rect.y, kQuadrantPictureWidth, kQuadrantPictureHeight};
  }
  // A point on the window's ground in help mode, and on the picture in picture mode.
  Point OnWindow() const { return {window_.rect.x + 20, window_.rect.y + 100}; }

  // Opens the menu on the window and clicks its Select item; returns the dialog.
  DialogFacts OpenFileDialog(WindowFacts* menu = nullptr) {
    WindowFacts shown;
    EXPECT_TRUE(OpenMenu(OnWindow(), &shown));
    if (menu) *menu = shown;
    Click(MenuItemPoint(shown.rect, MenuItem::Select));
    DialogFacts dialog;
    EXPECT_TRUE(WaitForDialog(kOpenDialogTitle, &dialog));
    return dialog;
  }

  // Types a full path into the dialog's file-name box, which has the keyboard, and presses Return.
  void TypeFileName(const std::string& path) {
    TypeText(path);
    EXPECT_TRUE(Eventually("the file name typed", [&]() -> testing::AssertionResult {
      const auto dialog = ShownDialog(kOpenDialogTitle);
      if (!dialog) return testing::AssertionFailure() << "no dialog";
      const ControlFacts* edit = ControlWithId(*dialog, "Edit", kFileNameId);
      if (!edit) return testing::AssertionFailure() << "no file-name box";
      if (edit->text != path) return testing::AssertionFailure() << "it holds \"" << edit->text << "\"";
      return testing::AssertionSuccess();
    }));
    PressKey("Return");
    EXPECT_TRUE(WaitForNoDialog(kOpenDialogTitle));
  }

  void ChoosePicture() {
    OpenFileDialog();
    TypeFileName(picturePath_);
    ASSERT_TRUE(WaitForPictureWindowAt(app_, PictureAtSameCorner()));
  }

  std::vector<std::uint8_t> settingsAtStart_;
};

// First start, the picture chosen in the dialog, moved, saved with a double click, and back at
// the next start.
TEST_F(SelectPicture, AChosenPictureIsShownMovedSavedAndBackAtTheNextStart) {
  const DialogFacts dialog = OpenFileDialog();
  EXPECT_FALSE(ShownWindowOfClass(kMenuClass).has_value()) << "the menu stays over the dialog";
  const auto picture = ProbeWindow(kHelpTitle);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(dialog.owner, picture->hwnd) << "the dialog belongs to the picture window";
  const ControlFacts* lookIn = ControlWithId(dialog, "ComboBox", kLookInId);
  ASSERT_NE(lookIn, nullptr);
  EXPECT_EQ(lookIn->text, "app") << "the dialog opens in the program's folder";
  const ControlFacts* fileType = ControlWithId(dialog, "ComboBox", kFileTypeId);
  ASSERT_NE(fileType, nullptr);
  // Every kind of picture the system reads, the common ones first, under one entry.
  EXPECT_EQ(fileType->text.rfind("Pictures (bmp;gif;jpg;jpeg;png;", 0), 0u) << fileType->text;
  for (const char* kind : {";tif;", ";jfif;", ";wmf;", ";emf;", ";cur)"}) {
    EXPECT_NE(fileType->text.find(kind), std::string::npos) << kind << " missing from " << fileType->text;
  }

  TypeFileName(picturePath_);
  ASSERT_TRUE(WaitForPictureWindowAt(app_, PictureAtSameCorner()));
  EXPECT_TRUE(ShowsThePicture(PictureAtSameCorner(), "chosen"));
  EXPECT_FALSE(ShownWindowOfClass(kMenuClass).has_value());
  EXPECT_TRUE(WaitForPictureWindowEnabled());

  const Point grab{window_.rect.x + 100, window_.rect.y + 100};
  const Point drop{grab.x + 250, grab.y + 180};
  Drag(grab, drop);
  const Rect moved{window_.rect.x + 250, window_.rect.y + 180, kQuadrantPictureWidth, kQuadrantPictureHeight};
  ASSERT_TRUE(WaitForPictureWindowAt(app_, moved));
  DoubleClick(drop);
  ASSERT_TRUE(app_.WaitForExit());
  EXPECT_EQ(app_.Exit()->code, 0) << app_.Exit()->Describe();
  EXPECT_EQ(ReadSettingsRecord(app_),
            (SettingsRecord{moved.x * kTwipsPerPixel, moved.y * kTwipsPerPixel, picturePath_}));

  // The next start: the same settings file beside a fresh copy of the program.
  App next;
  next.WriteSettings(*app_.ReadSettings());
  next.Start();
  ASSERT_TRUE(next.WaitForWindow(kHelpTitle, nullptr));
  ASSERT_TRUE(WaitForPictureWindowAt(next, moved));
  EXPECT_TRUE(ShowsThePicture(moved, "next-start"));
}

TEST_F(SelectPicture, CancelLeavesEverythingAndTheMenuReturnsAtItsPlace) {
  WindowFacts menu;
  OpenFileDialog(&menu);
  ProbeClickButton(kOpenDialogTitle, "Cancel");
  ASSERT_TRUE(WaitForNoDialog(kOpenDialogTitle));
  EXPECT_TRUE(WaitForPictureWindowEnabled());
  EXPECT_FALSE(ShownWindowOfClass(kMenuClass).has_value());
  EXPECT_EQ(ShownPictureWindow(app_)->rect, HelpPanel());
  EXPECT_TRUE(ShowsTheHelpPanel(HelpPanel(), "after-cancel"));
  EXPECT_EQ(app_.ReadSettings(), settingsAtStart_);

  // A right press elsewhere shows the same menu at its earlier place.
  WindowFacts again;
  ASSERT_TRUE(OpenMenu({OnWindow().x + 200, OnWindow().y + 150}, &again));
  EXPECT_EQ(again.rect, menu.rect);
}

struct NotAPicture {
  const char* what;
  const char* name;
  const char* content;
};

std::ostream& operator<<(std::ostream& out, const NotAPicture& n) { return out << n.name; }

class SelectNotAPicture : public SelectPicture, public testing::WithParamInterface<NotAPicture> {};

TEST_P(SelectNotAPicture, SaysWhyAndLeavesTheHelpPanel) {
  const std::string path = AddFile(app_, GetParam().name, GetParam().content);
  OpenFileDialog();
  TypeFileName(path);

  DialogFacts box;
  std::string message;
  ASSERT_TRUE(WaitForOneLineMessage(&box, &message));
  const std::size_t named = message.find(path);
  ASSERT_NE(named, std::string::npos) << "the message does not name the file: " << message;
  EXPECT_NE(message.find_first_not_of(" \n", named + path.size()), std::string::npos)
      << "the message gives no reason after the file's name: " << message;
  ASSERT_TRUE(DismissMessage(box));

  EXPECT_TRUE(WaitForPictureWindowEnabled());
  EXPECT_TRUE(app_.Running());
  EXPECT_EQ(ShownPictureWindow(app_)->rect, HelpPanel());
  EXPECT_TRUE(ShowsTheHelpPanel(HelpPanel(), "after-message"));
  EXPECT_EQ(app_.ReadSettings(), settingsAtStart_);
  // The window takes input again.
  EXPECT_TRUE(OpenMenu(OnWindow()));
}

INSTANTIATE_TEST_SUITE_P(Files, SelectNotAPicture,
                         testing::Values(NotAPicture{"text", "text.jpg", "just some text, not a picture\n"},
                                         NotAPicture{"empty", "empty.bmp", ""}),
                         [](const auto& testCase) { return CaseName(testCase.param.what); });

TEST_F(SelectPicture, ShowWithoutAPictureSaysSoAndTheMenuStays) {
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu(OnWindow(), &menu));
  Click(MenuItemPoint(menu.rect, MenuItem::Show));
  DialogFacts box;
  ASSERT_TRUE(WaitForDialog(kMessageTitle, &box));
  EXPECT_EQ(MessageTexts(box),
            std::vector<std::string>{"You have not selected any picture file, please Select a picture file "});
  ASSERT_TRUE(DismissMessage(box));

  const auto still = ShownWindowOfClass(kMenuClass);
  ASSERT_TRUE(still.has_value()) << "the menu closed";
  EXPECT_EQ(still->rect, menu.rect);
  EXPECT_EQ(ShownPictureWindow(app_)->rect, HelpPanel());
  // It still takes the keyboard.
  PressKey("Alt+c");
  EXPECT_TRUE(WaitForNoMenu());
}

TEST_F(SelectPicture, ShowSwitchesToTheHelpPanelAndBack) {
  ASSERT_NO_FATAL_FAILURE(ChoosePicture());
  ASSERT_TRUE(ShowsThePicture(PictureAtSameCorner(), "picture"));

  WindowFacts menu;
  ASSERT_TRUE(OpenMenu(OnWindow(), &menu));
  Click(MenuItemPoint(menu.rect, MenuItem::Show));
  ASSERT_TRUE(WaitForNoMenu());
  ASSERT_TRUE(WaitForPictureWindowAt(app_, HelpPanel()));
  EXPECT_TRUE(ShowsTheHelpPanel(HelpPanel(), "help"));

  ASSERT_TRUE(OpenMenu(OnWindow(), &menu));
  Click(MenuItemPoint(menu.rect, MenuItem::Show));
  ASSERT_TRUE(WaitForNoMenu());
  ASSERT_TRUE(WaitForPictureWindowAt(app_, PictureAtSameCorner()));
  EXPECT_TRUE(ShowsThePicture(PictureAtSameCorner(), "picture-again"));
}

// With the help panel shown over a chosen picture, the exit still keeps the picture.
TEST_F(SelectPicture, TheHelpPanelShownOverAPictureKeepsItForTheNextStart) {
  ASSERT_NO_FATAL_FAILURE(ChoosePicture());
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu(OnWindow(), &menu));
  Click(MenuItemPoint(menu.rect, MenuItem::Show));
  ASSERT_TRUE(WaitForPictureWindowAt(app_, HelpPanel()));
  ASSERT_TRUE(WaitForNoMenu());
  DoubleClick(OnWindow());
  ASSERT_TRUE(app_.WaitForExit());
  EXPECT_EQ(ReadSettingsRecord(app_),
            (SettingsRecord{window_.rect.x * kTwipsPerPixel, window_.rect.y * kTwipsPerPixel, picturePath_}));
}

}  // namespace
}  // namespace corvane::e2e
