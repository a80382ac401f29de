// The picture window's help panel and picture mode.
#include "windows/picture/display_modes.h"

#include <gtest/gtest.h>

#include "program_fixture.h"
#include "windows/picture/corvane_form1.h"

namespace corvane::testing {
namespace {

class DisplayModesTest : public ProgramTest {
 protected:
  DisplayModesTest() {
    EXPECT_TRUE(Start());
    sys.pictureFiles["C:\\pics\\wide.bmp"] = {100, 50};
  }
  CorvaneForm1& form = PictureWindow();

  void GivePicture() { form.Image1.SetPicture(Sys().LoadPicture("C:\\pics\\wide.bmp")); }

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
    State s{{}, form.Image1.Visible(), form.Labelmy2.Visible(), form.Width(), form.Height(), form.Left(), form.Top()};
    for (Label* l : form.HelpLabels()) s.helpLabels.push_back(l->Visible());
    return s;
  }
};

TEST_F(DisplayModesTest, HelpModeShowsTheTenLabelsInAFixedSizeWindow) {
  GivePicture();
  ShowPictureMode();
  form.SetLeft(-450);
  form.SetTop(3000);
  ShowHelpMode();
  const State help = Now();
  EXPECT_EQ(help.helpLabels, std::vector<bool>(10, true));
  EXPECT_FALSE(help.image);
  EXPECT_FALSE(help.link);
  EXPECT_EQ(help.width, 6960.0f);
  EXPECT_EQ(help.height, 5145.0f);
  EXPECT_EQ(WindowOf(form).ClientSize(), (PixelSize{464, 343}));
  EXPECT_EQ(help.left, -450.0f);  // the top-left corner stays where it was
  EXPECT_EQ(help.top, 3000.0f);
  EXPECT_FALSE(form.Image1.GetPicture() == nullptr) << "hiding the picture keeps it";
}

TEST_F(DisplayModesTest, PictureModeShowsThePictureAndTheLinkSizedToTheImage) {
  GivePicture();
  form.Labelmy2.SetVisible(false);  // whatever hid the link before, the picture mode shows it
  form.SetLeft(150);
  form.SetTop(75);
  ShowPictureMode();
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
  form.Text100.SetText("C:\\chosen.jpg");
  for (const auto mode : {&ShowHelpMode, &ShowPictureMode}) {
    mode();
    const State once = Now();
    mode();
    EXPECT_EQ(Now(), once);
    EXPECT_EQ(form.Text100.Text(), "C:\\chosen.jpg");
    EXPECT_FALSE(form.Text100.Visible());
  }
}

TEST_F(DisplayModesTest, TheLinkLabelLiesOverTheTopLeftCornerOfThePicture) {
  GivePicture();
  ShowPictureMode();
  EXPECT_EQ(form.ControlAt({1, 1}), &form.Labelmy2);
  EXPECT_EQ(form.ControlAt({99, 49}), &form.Image1);
}

}  // namespace
}  // namespace corvane::testing
