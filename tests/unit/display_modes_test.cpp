// The picture window's help panel and picture mode.
#include "windows/picture/display_modes.h"

#include <gtest/gtest.h>

#include "program_fixture.h"
#include "windows/menu/menu_window.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {
namespace {

class DisplayModesTest : public ProgramTest {
 protected:
  DisplayModesTest() {
    EXPECT_TRUE(Start());
    sys.pictureFiles["C:\\pics\\wide.bmp"] = {100, 50};
  }
  PictureWindow& form = PictureForm();

  void GivePicture() { form.PictureBox.SetPicture(sys.LoadPicture("C:\\pics\\wide.bmp")); }

  struct State {
    std::vector<bool> helpLabels;
    bool image;
    bool link;
    float width;
    float height;
    float left;
    float top;
    bool operator==(const State&) const = default;
  };
  State Now() {
    State s{{},        form.PictureBox.Visible(), form.SiteLink.Visible(), form.Width(), form.Height(), form.Left(),
            form.Top()};
    for (Label* l : form.HelpLines()) s.helpLabels.push_back(l->Visible());
    return s;
  }
};

TEST_F(DisplayModesTest, HelpModeShowsTheTenLabelsInAFixedSizeWindow) {
  GivePicture();
  ShowPictureMode(PictureForm());
  form.SetLeft(-450);
  form.SetTop(3000);
  ShowHelpMode(PictureForm());
  const State help = Now();
  EXPECT_EQ(help.helpLabels, std::vector<bool>(10, true));
  EXPECT_FALSE(help.image);
  EXPECT_FALSE(help.link);
  EXPECT_EQ(help.width, 6960.0f);
  EXPECT_EQ(help.height, 5145.0f);
  EXPECT_EQ(WindowOf(form).ClientSize(), (PixelSize{464, 343}));
  EXPECT_EQ(help.left, -450.0f);  // the top-left corner stays where it was
  EXPECT_EQ(help.top, 3000.0f);
  EXPECT_FALSE(form.PictureBox.GetPicture() == nullptr) << "hiding the picture keeps it";
}

TEST_F(DisplayModesTest, PictureModeShowsThePictureAndTheLinkSizedToTheImage) {
  GivePicture();
  form.SiteLink.SetVisible(false);  // whatever hid the link before, the picture mode shows it
  form.SetLeft(150);
  form.SetTop(75);
  ShowPictureMode(PictureForm());
  const State picture = Now();
  EXPECT_EQ(picture.helpLabels, std::vector<bool>(10, false));
  EXPECT_TRUE(picture.image);
  EXPECT_TRUE(picture.link);
  EXPECT_EQ(picture.width, 1500.0f);
  EXPECT_EQ(picture.height, 750.0f);
  EXPECT_EQ(picture.left, 150.0f);
  EXPECT_EQ(picture.top, 75.0f);
}

TEST_F(DisplayModesTest, EachModeTwiceEqualsOnceAndTheTextBoxIsNeverTouched) {
  GivePicture();
  form.PathBox.SetText("C:\\chosen.jpg");
  for (const auto mode : {&ShowHelpMode, &ShowPictureMode}) {
    mode(form);
    const State once = Now();
    mode(form);
    EXPECT_EQ(Now(), once);
    EXPECT_EQ(form.PathBox.Text(), "C:\\chosen.jpg");
    EXPECT_FALSE(form.PathBox.Visible());
  }
}

TEST_F(DisplayModesTest, TheLinkLabelLiesOverTheTopLeftCornerOfThePicture) {
  GivePicture();
  ShowPictureMode(PictureForm());
  EXPECT_EQ(form.ControlAt({1, 1}), &form.SiteLink);
  EXPECT_EQ(form.ControlAt({99, 49}), &form.PictureBox);
}

}  // namespace
}  // namespace corvane::testing

namespace corvane::testing {
namespace {

// A window partly off the top-left corner that becomes smaller can end up wholly off the
// screen: once the change is done, it comes back to the default place, as at start-up. The
// sizes a change passes through on its way are never judged.
struct ReachCase {
  const char* name;
  PixelPoint start;          // the saved place, in pixels
  const char* startPicture;  // saved with the place; none: the help panel
  const char* action;        // "help": the Show item; "select <path>": a picture chosen
  PixelPoint expected;
};

class WindowWithinReachTest : public ProgramTest {
 protected:
  WindowWithinReachTest() {
    sys.pictureFiles["C:\\big.bmp"] = {640, 480};
    sys.pictureFiles["C:\\small.bmp"] = {100, 100};
    sys.pictureFiles["C:\\wide.bmp"] = {620, 420};
    sys.pictureFiles["C:\\huge.bmp"] = {800, 600};
  }
  PixelPoint Place() {
    const PixelRect frame = WindowOf(PictureForm()).Frame();
    return {frame.left, frame.top};
  }
};

TEST_F(WindowWithinReachTest, AfterAChangeOfSizeAWindowOffEveryMonitorComesBackToTheDefaultPlace) {
  const PixelPoint home{23, 7};  // 350, 100 twips
  const ReachCase cases[] = {
      {"a smaller picture", {-600, -400}, "C:\\big.bmp", "select C:\\small.bmp", home},
      {"the help panel over a picture", {-600, -400}, "C:\\big.bmp", "help", home},
      {"a small picture over the help panel", {-400, -300}, nullptr, "select C:\\small.bmp", home},
      {"the help panel still partly on the screen", {-400, -300}, "C:\\big.bmp", "help", {-400, -300}},
      {"a smaller picture still partly on the screen",
       {-600, -400},
       "C:\\big.bmp",
       "select C:\\wide.bmp",
       {-600, -400}},
      {"a larger picture", {-600, -400}, "C:\\big.bmp", "select C:\\huge.bmp", {-600, -400}},
      {"a picture that cannot be shown", {-600, -400}, "C:\\big.bmp", "select C:\\gone.bmp", {-600, -400}},
  };
  for (const ReachCase& c : cases) {
    SCOPED_TRACE(c.name);
    NewRun();
    sys.files.clear();
    PutSettings(c.start.x * 15, c.start.y * 15, c.startPicture ? c.startPicture : NoPictureMarker);
    ASSERT_TRUE(Start());
    ASSERT_EQ(Place(), c.start) << "a saved place partly on the screen is kept at start-up";
    const std::string action = c.action;
    MenuWindow& menu = OpenMenu();
    if (action == "help") {
      ClickOn(menu, menu.ShowItem.label);
    } else {
      const std::string path = action.substr(7);
      sys.dialog = [path](const OpenFileRequest&) { return OpenFileAnswer{OpenFileAnswer::Outcome::Chosen, path, 0}; };
      ClickOn(menu, menu.SelectItem.label);
    }
    EXPECT_FALSE(ended);
    EXPECT_EQ(Place(), c.expected);
    EXPECT_TRUE(sys.IsOnAnyMonitor(WindowOf(PictureForm()).Frame()));
  }
}

TEST_F(WindowWithinReachTest, OnlyTheSizeAHandlerLeavesIsJudged) {
  ASSERT_TRUE(Start());
  PictureWindow& form = PictureForm();
  WindowOf(form).MoveTo({-400, -300});
  Deliver([&] {
    runtime->RunHandler([&] {
      form.SetWidth(100 * 15);  // wholly off the screen for a moment
      form.SetWidth(6960);
    });
  });
  EXPECT_EQ(Place(), (PixelPoint{-400, -300}));
  Deliver([&] { runtime->RunHandler([&] { form.SetWidth(100 * 15); }); });
  EXPECT_EQ(Place(), (PixelPoint{23, 7}));
}

}  // namespace
}  // namespace corvane::testing
