// Click-through of the picture window: Ctrl+T, the system-wide way back and its fall-back, the
// outline and the silent tooltip meanwhile, and a start that never brings it back.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/application.h"
#include "program_fixture.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {
namespace {

class ClickThroughTest : public ProgramTest {
 protected:
  ClickThroughTest() { EXPECT_TRUE(Start()); }
  PictureWindow& Form() { return PictureForm(); }
  HeadlessWindow& Window() { return WindowOf(Form()); }
  void CtrlT() { Type(Form(), Key::Shortcut, 'T', kCtrl); }
  void PressWayBack() {
    Deliver([&] { EXPECT_TRUE(Window().PressHotKey()) << "the window holds no hot key"; });
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const RecordedCall& c : sys.calls) {
      if (c.name == "MessageBox") texts.push_back(c.args[1]);
    }
    return texts;
  }
  // The colours painted on the window's outermost ring of pixels, from its top-left corner.
  std::vector<Color> EdgeColours() {
    std::vector<Color> colours;
    for (const DrawOp& op : Window().Render()) {
      if (op.kind == DrawOp::Fill && op.rect.left == 0 && op.rect.top == 0 && op.rect.Height() == 1) {
        colours.push_back(op.color);
      }
    }
    return colours;
  }
  // True when the whole window is one state: the system's, the form's and the outline agree.
  void ExpectClickThrough(bool on) {
    EXPECT_EQ(Window().clickThrough, on);
    EXPECT_EQ(Form().ClickThrough(), on);
    const std::vector<Color> edge = EdgeColours();
    EXPECT_EQ(std::count(edge.begin(), edge.end(), Color{0x0000FF}), on ? 1 : 0) << "the red outer ring";
    EXPECT_EQ(Window().hotKey.empty(), !on) << "the way back is held exactly while click-through";
  }
};

TEST_F(ClickThroughTest, CtrlTTurnsItOnWithTheWayBackHeldAndCtrlTAgainTurnsItOff) {
  ShowPicture("C:\\p.bmp", {300, 200});
  const PixelPoint onPicture = PointOn(Form(), Form().PictureBox);
  const std::string tip = Form().Events().TooltipAt(onPicture);
  ASSERT_FALSE(tip.empty());
  ExpectClickThrough(false);

  CtrlT();
  ExpectClickThrough(true);
  EXPECT_EQ(Window().hotKey, "Ctrl+Alt+T");
  EXPECT_TRUE(Window().IsVisible());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Form().Events().TooltipAt(onPicture), "") << "no tooltip while click-through";

  CtrlT();
  ExpectClickThrough(false);
  EXPECT_EQ(Form().Events().TooltipAt(onPicture), tip);
  EXPECT_EQ(sys.CountCalls("UnregisterHotKey"), 1);
}

TEST_F(ClickThroughTest, TheWayBackEndsItOnThePictureAsOnTheHelpPanel) {
  for (bool picture : {false, true}) {
    SCOPED_TRACE(picture ? "picture" : "help panel");
    if (picture) ShowPicture("C:\\p.bmp", {300, 200});
    CtrlT();
    ExpectClickThrough(true);
    PressWayBack();
    ExpectClickThrough(false);
    EXPECT_TRUE(Window().IsVisible());
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ClickThroughTest, OtherKeysLeaveItAlone) {
  Type(Form(), Key::Shortcut, 'X', kCtrl);
  Type(Form(), Key::Shortcut, 'T', kCtrl | kShift);
  Type(Form(), Key::Character, 't');
  Type(Form(), Key::Character, 'T', kShift);
  Type(Form(), Key::AccessKey, 't', kAlt);
  EXPECT_EQ(sys.CountCalls("RegisterHotKey"), 0);
  EXPECT_EQ(sys.CountCalls("SetClickThrough"), 0);
  ExpectClickThrough(false);
}

struct WayBackCase {
  std::string name;
  std::vector<std::string> taken;
  bool refused;         // the system refuses every hot key outright
  std::string key;      // the way back registered; empty: click-through refused
  std::string message;  // a part of the one message shown; empty: none
  friend void PrintTo(const WayBackCase& c, std::ostream* out) { *out << c.name; }
};

class ClickThroughWayBack : public ClickThroughTest, public ::testing::WithParamInterface<WayBackCase> {};

TEST_P(ClickThroughWayBack, IsTheFirstFreeKeyOrNoneAndThenItStaysOff) {
  const WayBackCase& c = GetParam();
  sys.takenHotKeys = c.taken;
  sys.hotKeysFail = c.refused;
  // Two rounds: a message about the fall-back comes once a run, a refusal every time.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    sys.calls.clear();
    CtrlT();
    ExpectClickThrough(!c.key.empty());
    EXPECT_EQ(Window().hotKey, c.key);
    const std::vector<std::string> messages = Messages();
    const bool told = !c.message.empty() && (round == 0 || c.key.empty());
    ASSERT_EQ(messages.size(), told ? 1u : 0u);
    if (told) {
      EXPECT_NE(messages[0].find(c.message), std::string::npos) << messages[0];
    }
    if (!c.key.empty()) {
      PressWayBack();
      ExpectClickThrough(false);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClickThroughWayBack,
    ::testing::Values(
        WayBackCase{"Free", {}, false, "Ctrl+Alt+T", ""},
        WayBackCase{"TakenFallsBack",
                    {"Ctrl+Alt+T"},
                    false,
                    "Ctrl+Alt+Shift+T",
                    "Ctrl+Alt+T is taken by another program.\n\nWhile the mouse passes through the Corvane window, "
                    "press Ctrl+Alt+Shift+T"},
        WayBackCase{"FallBackTakenToo",
                    {"Ctrl+Alt+T", "Ctrl+Alt+Shift+T"},
                    false,
                    "",
                    "The mouse cannot pass through the Corvane window: both Ctrl+Alt+T and Ctrl+Alt+Shift+T are taken"},
        WayBackCase{"SystemRefuses",
                    {},
                    true,
                    "",
                    "The mouse cannot pass through the Corvane window: no key to take the mouse back could be "
                    "registered.\n\nHeadless: RegisterHotKey failed: refused"}),
    [](const ::testing::TestParamInfo<WayBackCase>& param) { return param.param.name; });

TEST_F(ClickThroughTest, ASystemThatWillNotLetTheMouseThroughIsToldAndTheWayBackIsFreed) {
  sys.clickThroughFails = true;
  CtrlT();
  EXPECT_FALSE(ended) << "the program goes on";
  ExpectClickThrough(false);
  EXPECT_EQ(sys.CountCalls("UnregisterHotKey"), 1);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"The mouse cannot pass through the Corvane window.\n\n"
                                                  "Headless: SetWindowLongPtr failed: refused"}));
}

TEST_F(ClickThroughTest, IsNeitherSavedNorBroughtBackAtTheNextStart) {
  Deliver([this] { App().SaveAndExit(ExitFrom::PictureWindow); });
  ASSERT_TRUE(ended);
  const std::string plain = SettingsBytes();

  NewRun();
  ASSERT_TRUE(Start());
  CtrlT();
  ASSERT_TRUE(Form().ClickThrough());
  Deliver([this] { App().SaveAndExit(ExitFrom::PictureWindow); });
  ASSERT_TRUE(ended);
  EXPECT_EQ(SettingsBytes(), plain) << "click-through leaves no trace in the settings file";

  NewRun();
  sys.calls.clear();
  ASSERT_TRUE(Start());
  EXPECT_FALSE(Form().ClickThrough());
  EXPECT_FALSE(Window().clickThrough);
  EXPECT_EQ(sys.CountCalls("SetClickThrough"), 0);
  EXPECT_EQ(sys.CountCalls("RegisterHotKey"), 0);
}

}  // namespace
}  // namespace corvane::testing
