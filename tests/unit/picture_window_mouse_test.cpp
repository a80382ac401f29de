// Working the picture window with the mouse: drag, menu, double click, the link label.
#include <gtest/gtest.h>

#include "program_fixture.h"
#include "windows/menu/menu_window.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {
namespace {

class PictureWindowMouseTest : public ProgramTest {
 protected:
  PictureWindowMouseTest() { EXPECT_TRUE(Start()); }
  PictureWindow& Form() { return PictureForm(); }
  void ShowPicture(PixelSize size) { ProgramTest::ShowPicture("C:\\p.bmp", size); }
  std::vector<std::string> Requests() {
    std::vector<std::string> names;
    for (const RecordedCall& c : sys.calls) {
      if (c.name != "FindFileName" && c.name != "OpenFile" && c.name != "CloseFile") names.push_back(c.name);
    }
    return names;
  }
};

TEST_F(PictureWindowMouseTest, ALeftPressAnywhereButTheLinkHandsTheMoveToTheSystem) {
  sys.dragOffset = {40, -5};
  std::vector<const Control*> places = {nullptr};  // the bare surface
  for (Label* l : Form().HelpLines()) places.push_back(l);
  for (const Control* place : places) {
    SCOPED_TRACE(place ? place->Name() : "surface");
    sys.calls.clear();
    const PixelRect before = WindowOf(Form()).Frame();
    Press(Form(), place, MouseButton::Left);
    EXPECT_EQ(Requests(), (std::vector<std::string>{"BeginSystemMove"}));
    EXPECT_EQ(sys.LastCall("BeginSystemMove")->args,
              (std::vector<std::string>{HeadlessPlatform::HandleText(Form().hWnd())}));
    EXPECT_EQ(WindowOf(Form()).Frame().left, before.left + 40);
    EXPECT_EQ(WindowOf(Form()).Frame().top, before.top - 5);
  }
  ShowPicture({200, 100});
  sys.calls.clear();
  Press(Form(), &Form().PictureBox, MouseButton::Left);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"BeginSystemMove"}));
}

TEST_F(PictureWindowMouseTest, ARightPressStoresTheCursorAndOpensTheMenuModally) {
  sys.cursor = {700, 500};
  bool pictureBlocked = false;
  sys.modalActions = {[&] { pictureBlocked = !WindowOf(Form()).Enabled(); }};
  Press(Form(), &Form().Step2Text, MouseButton::Right);
  EXPECT_EQ(FirstPin().MenuAnchor().x, 700);
  EXPECT_EQ(FirstPin().MenuAnchor().y, 500);
  ASSERT_TRUE(FirstPin().MenuLoaded());
  EXPECT_TRUE(MenuForm().Visible());
  EXPECT_TRUE(pictureBlocked);
  const PixelRect menu = WindowOf(MenuForm()).Frame();
  EXPECT_EQ(menu.right, 700);  // its bottom-right corner at the cursor
  EXPECT_EQ(menu.bottom, 500);
}

TEST_F(PictureWindowMouseTest, EachRightPressTakesAFreshCursorPosition) {
  sys.cursor = {700, 500};
  Press(Form(), nullptr, MouseButton::Right);
  ClickOn(MenuForm(), MenuForm().CloseItem.label);  // Close
  sys.cursor = {300, 200};
  Press(Form(), nullptr, MouseButton::Right);
  EXPECT_EQ(WindowOf(MenuForm()).Frame().right, 300);
  EXPECT_EQ(WindowOf(MenuForm()).Frame().bottom, 200);
}

TEST_F(PictureWindowMouseTest, AMiddlePressAndPressesOnTheLinkDoNothing) {
  sys.calls.clear();
  Press(Form(), nullptr, MouseButton::Middle);  // the help panel's bare surface
  Press(Form(), &Form().PreviewUsage, MouseButton::Middle);
  ShowPicture({200, 100});
  Press(Form(), &Form().PictureBox, MouseButton::Middle);
  Press(Form(), &Form().SiteLink, MouseButton::Left);
  Press(Form(), &Form().SiteLink, MouseButton::Right);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"LoadPicture"}));
  EXPECT_FALSE(FirstPin().MenuLoaded());
}

TEST_F(PictureWindowMouseTest, DoubleClicksOnTheSurfaceOrPictureSaveAndEndOnLabelsNothing) {
  struct Case {
    const char* place;
    bool picture;
    bool ends;
  };
  const Case cases[] = {
      {"surface", false, true}, {"PictureBox", true, true}, {"SiteLink", true, false}, {"Step1Heading", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.place);
    NewRun();
    sys.files.clear();
    ASSERT_TRUE(Start());
    if (c.picture) ShowPicture({200, 100});
    WindowOf(Form()).MoveTo({10, 20});
    const std::string place = c.place;
    const Control* control = place == "PictureBox"     ? static_cast<const Control*>(&Form().PictureBox)
                             : place == "SiteLink"     ? &Form().SiteLink
                             : place == "Step1Heading" ? &Form().Step1Heading
                                                       : nullptr;
    DoubleClickOn(Form(), control);
    EXPECT_EQ(ended, c.ends);
    EXPECT_EQ(SettingsBytes().substr(0, 8) == Bytes("96 00 00 00 2C 01 00 00"), c.ends);
  }
}

TEST_F(PictureWindowMouseTest, TheLinkLabelTurnsOpaqueOverItselfTransparentOverThePictureAndHidesWhenTooTall) {
  // Heights in pixels; the label is 16 pixels high, so twice its height is 32.
  struct Step {
    bool overLabel;
    bool visible;
    Ground ground;
  };
  constexpr Ground kOpaque = Ground::Opaque;
  constexpr Ground kClear = Ground::Transparent;
  struct Case {
    int windowHeight;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {100,
       {{true, true, kOpaque},
        {false, true, kClear},
        {true, true, kOpaque}}},                             // tall: opaque over it, transparent off it
      {32, {{false, false, kOpaque}}},                       // exactly twice: hidden by the picture's rule
      {33, {{true, true, kOpaque}, {false, true, kClear}}},  // one pixel taller
      {31, {{false, true, kClear}, {true, false, kClear}}},  // shorter: transparent, then gone over itself
      {20, {{true, false, kOpaque}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.windowHeight);
    ShowPicture({200, c.windowHeight});
    if (c.windowHeight == 32) ShowPictureMode(PictureForm());  // the label shows again, then the hover rule hides it
    Form().SiteLink.SetGround(Ground::Opaque);
    for (const Step& step : c.steps) {
      MoveOver(Form(), step.overLabel ? static_cast<const Control*>(&Form().SiteLink) : &Form().PictureBox);
      EXPECT_EQ(Form().SiteLink.Visible(), step.visible);
      EXPECT_EQ(Form().SiteLink.GroundStyle(), step.ground);
    }
  }
}

TEST_F(PictureWindowMouseTest, AHiddenLinkReturnsOnlyWithThePictureMode) {
  ShowPicture({200, 31});
  MoveOver(Form(), &Form().SiteLink);
  ASSERT_FALSE(Form().SiteLink.Visible());
  MoveOver(Form(), &Form().PictureBox);
  EXPECT_FALSE(Form().SiteLink.Visible());
  ShowPictureMode(PictureForm());
  EXPECT_TRUE(Form().SiteLink.Visible());
}

TEST_F(PictureWindowMouseTest, ClickingTheLinkOpensItsTextMinimizedAndFailsQuietly) {
  ShowPicture({200, 100});
  ClickOn(Form(), Form().SiteLink);
  const RecordedCall* open = sys.LastCall("OpenDocument");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->args,
            (std::vector<std::string>{HeadlessPlatform::HandleText(Form().hWnd()), "www.corvane.com", "minimized"}));

  sys.shellThrows = true;
  ClickOn(Form(), Form().SiteLink);
  EXPECT_FALSE(ended);
  EXPECT_EQ(sys.CountCalls("MessageBox"), 0);
}

}  // namespace
}  // namespace corvane::testing
