// Working the picture window with the mouse: drag, menu, double click, the link label.
#include <gtest/gtest.h>

#include "program_fixture.h"
#include "windows/menu/corvane_menu.h"
#include "windows/picture/corvane_form1.h"
#include "windows/picture/display_modes.h"

namespace corvane::testing {
namespace {

class PictureWindowMouseTest : public ProgramTest {
 protected:
  PictureWindowMouseTest() { EXPECT_TRUE(Start()); }
  CorvaneForm1& Form() { return PictureWindow(); }
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
  for (Label* l : Form().HelpLabels()) places.push_back(l);
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
  Press(Form(), &Form().Image1, MouseButton::Left);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"BeginSystemMove"}));
}

TEST_F(PictureWindowMouseTest, ARightPressStoresTheCursorAndOpensTheMenuModally) {
  sys.cursor = {700, 500};
  bool pictureBlocked = false;
  sys.modalActions = {[&] { pictureBlocked = !WindowOf(Form()).Enabled(); }};
  Press(Form(), &Form().Label3, MouseButton::Right);
  EXPECT_EQ(MenuAnchor.x, 700);
  EXPECT_EQ(MenuAnchor.y, 500);
  ASSERT_TRUE(MenuWindowLoaded());
  EXPECT_TRUE(MenuWindow().Visible());
  EXPECT_TRUE(pictureBlocked);
  const PixelRect menu = WindowOf(MenuWindow()).Frame();
  EXPECT_EQ(menu.right, 700);  // its bottom-right corner at the cursor
  EXPECT_EQ(menu.bottom, 500);
}

TEST_F(PictureWindowMouseTest, EachRightPressTakesAFreshCursorPosition) {
  sys.cursor = {700, 500};
  Press(Form(), nullptr, MouseButton::Right);
  ClickOn(MenuWindow(), MenuWindow().Label6);  // Close
  sys.cursor = {300, 200};
  Press(Form(), nullptr, MouseButton::Right);
  EXPECT_EQ(WindowOf(MenuWindow()).Frame().right, 300);
  EXPECT_EQ(WindowOf(MenuWindow()).Frame().bottom, 200);
}

TEST_F(PictureWindowMouseTest, AMiddlePressAndPressesOnTheLinkDoNothing) {
  sys.calls.clear();
  Press(Form(), nullptr, MouseButton::Middle);  // the help panel's bare surface
  Press(Form(), &Form().Label4, MouseButton::Middle);
  ShowPicture({200, 100});
  Press(Form(), &Form().Image1, MouseButton::Middle);
  Press(Form(), &Form().Labelmy2, MouseButton::Left);
  Press(Form(), &Form().Labelmy2, MouseButton::Right);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"LoadPicture"}));
  EXPECT_FALSE(MenuWindowLoaded());
}

TEST_F(PictureWindowMouseTest, DoubleClicksOnTheSurfaceOrPictureSaveAndEndOnLabelsNothing) {
  struct Case {
    const char* place;
    bool picture;
    bool ends;
  };
  const Case cases[] = {
      {"surface", false, true}, {"Image1", true, true}, {"Labelmy2", true, false}, {"Label5", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.place);
    ResetProgramState();
    sys.files.clear();
    ASSERT_TRUE(Start());
    if (c.picture) ShowPicture({200, 100});
    WindowOf(Form()).MoveTo({10, 20});
    const std::string place = c.place;
    const Control* control = place == "Image1" ? static_cast<const Control*>(&Form().Image1)
                             : place == "Labelmy2" ? &Form().Labelmy2
                             : place == "Label5"   ? &Form().Label5
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
    int backStyle;
  };
  struct Case {
    int windowHeight;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {100, {{true, true, 1}, {false, true, 0}, {true, true, 1}}},  // tall: opaque over it, transparent off it
      {32, {{false, false, 1}}},                                    // exactly twice: hidden by the picture's rule
      {33, {{true, true, 1}, {false, true, 0}}},                    // one pixel taller
      {31, {{false, true, 0}, {true, false, 0}}},                   // shorter: transparent, then gone over itself
      {20, {{true, false, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.windowHeight);
    ShowPicture({200, c.windowHeight});
    if (c.windowHeight == 32) ShowPictureMode();  // the label shows again, then the hover rule hides it
    Form().Labelmy2.SetBackStyle(1);
    for (const Step& step : c.steps) {
      MoveOver(Form(), step.overLabel ? static_cast<const Control*>(&Form().Labelmy2) : &Form().Image1);
      EXPECT_EQ(Form().Labelmy2.Visible(), step.visible);
      EXPECT_EQ(Form().Labelmy2.BackStyle(), step.backStyle);
    }
  }
}

TEST_F(PictureWindowMouseTest, AHiddenLinkReturnsOnlyWithThePictureMode) {
  ShowPicture({200, 31});
  MoveOver(Form(), &Form().Labelmy2);
  ASSERT_FALSE(Form().Labelmy2.Visible());
  MoveOver(Form(), &Form().Image1);
  EXPECT_FALSE(Form().Labelmy2.Visible());
  ShowPictureMode();
  EXPECT_TRUE(Form().Labelmy2.Visible());
}

TEST_F(PictureWindowMouseTest, ClickingTheLinkOpensItsTextMinimizedAndFailsQuietly) {
  ShowPicture({200, 100});
  ClickOn(Form(), Form().Labelmy2);
  const RecordedCall* open = sys.LastCall("OpenDocument");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->args,
            (std::vector<std::string>{HeadlessPlatform::HandleText(Form().hWnd()), "www.corvane.com", "minimized"}));

  sys.shellThrows = true;
  ClickOn(Form(), Form().Labelmy2);
  EXPECT_FALSE(ended);
  EXPECT_EQ(sys.CountCalls("MessageBox"), 0);
}

}  // namespace
}  // namespace corvane::testing
