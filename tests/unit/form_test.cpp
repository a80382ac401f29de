// The control model: hit testing, mouse dispatch, focus, access keys, label fitting and
// painting, window geometry, modal show and unloading.
#include "controls/form.h"

#include <gtest/gtest.h>

#include "program_fixture.h"

namespace corvane::testing {
namespace {

// At 15 twips per pixel: `upper` covers pixels (20,20)-(120,60), `lower` (60,30)-(160,70);
// they overlap in (60,30)-(120,60). `rule` crosses both at y = 50.
class TestForm : public Form {
 public:
  explicit TestForm(ControlRuntime& runtime) : Form(runtime, {WindowKind::Popup, "Test", 3000, 1500, 0x123456}) {
    Add({&rule, &upper, &ghost, &lower, &two, &name, &one, &hiddenButton});
    rule.Define(0, 750, 3000, 750, 1, 0x000000);
    LabelLook opaque;
    upper.Define({300, 300, 1500, 600}, "Upper", opaque);
    lower.Define({900, 450, 1500, 600}, "Lower", opaque);
    ghost.Define({900, 450, 1500, 600}, "Ghost", opaque);
    ghost.SetVisible(false);
    name.Define({0, 1200, 600, 300}, "&Name", opaque);
    two.Define({4000, 0, 600, 300}, "&Two", FontSpec{});
    one.Define({4000, 300, 600, 300}, "&One", FontSpec{});
    hiddenButton.Define({4000, 600, 600, 300}, "&Hidden", FontSpec{});
    hiddenButton.SetVisible(false);
    two.TabIndex = 0;
    name.TabIndex = 1;
    one.TabIndex = 2;
    hiddenButton.TabIndex = 3;
    upper.TabIndex = lower.TabIndex = ghost.TabIndex = 9;
    for (Control* c : Controls()) {
      c->MouseDown = [this, c](const MouseArgs& a) { log.push_back("down " + c->Name() + " " + Describe(a)); };
      c->Click = [this, c] { log.push_back("click " + c->Name()); };
      c->DblClick = [this, c] { log.push_back("dblclick " + c->Name()); };
      c->GotFocus = [this, c] { log.push_back("focus " + c->Name()); };
    }
    MouseDown = [this](const MouseArgs& a) { log.push_back("down form " + Describe(a)); };
    DblClick = [this] { log.push_back("dblclick form"); };
  }

  static std::string Describe(const MouseArgs& a) {
    return std::to_string(a.Button) + "," + std::to_string(a.Shift) + "," + std::to_string(static_cast<int>(a.X)) +
           "," + std::to_string(static_cast<int>(a.Y));
  }

  Line rule{"rule"};
  Label upper{"upper"};
  Label ghost{"ghost"};
  Label lower{"lower"};
  CommandButton two{"two"};
  Label name{"name"};
  CommandButton one{"one"};
  CommandButton hiddenButton{"hiddenButton"};
  std::vector<std::string> log;
};

class FormTest : public ProgramTest {
 protected:
  FormTest() { form.Load(); }
  void Down(PixelPoint at, MouseButton button = MouseButton::Left, int shift = 0) {
    WindowOf(form).Events().OnMouseDown({static_cast<int>(button), shift, at});
  }
  void Up(PixelPoint at, MouseButton button = MouseButton::Left) {
    WindowOf(form).Events().OnMouseUp({static_cast<int>(button), 0, at});
  }
  TestForm form{*runtime};
};

TEST_F(FormTest, TheTopmostVisibleControlUnderThePointerIsHit) {
  struct Case {
    PixelPoint at;
    const Control* expected;
  };
  const Case cases[] = {
      {{30, 25}, &form.upper},   // upper alone
      {{90, 40}, &form.upper},   // the overlap: upper lies above lower
      {{140, 65}, &form.lower},  // lower alone; the hidden ghost above it does not count
      {{90, 50}, &form.upper},   // the line lets the mouse through to what lies beneath
      {{5, 5}, nullptr},         // bare surface
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.at.x) + "," + std::to_string(c.at.y));
    EXPECT_EQ(form.ControlAt(c.at), c.expected);
  }
}

TEST_F(FormTest, PressesReachTheControlWithButtonShiftAndTwipsFromItsCorner) {
  Down({90, 40}, MouseButton::Right, kShift);
  Down({5, 6}, MouseButton::Middle);
  EXPECT_EQ(form.log, (std::vector<std::string>{"down upper 2,1,1050,300", "down form 4,0,75,90"}));
}

TEST_F(FormTest, AClickNeedsTheLeftPressAndReleaseOnTheSameControl) {
  Down({30, 25});
  Up({31, 26});  // same control
  Down({30, 25});
  Up({140, 65});  // released over another control
  Down({30, 25}, MouseButton::Right);
  Up({30, 25}, MouseButton::Right);  // the right button never clicks
  std::erase_if(form.log, [](const std::string& s) { return s.rfind("down", 0) == 0; });
  EXPECT_EQ(form.log, (std::vector<std::string>{"click upper"}));
}

TEST_F(FormTest, ADoubleClickRaisesDblClickInsteadOfASecondPress) {
  HeadlessWindow& w = WindowOf(form);
  w.Events().OnDoubleClick({1, 0, {30, 25}});
  w.Events().OnMouseUp({1, 0, {30, 25}});  // the release after a double click is no click
  w.Events().OnDoubleClick({1, 0, {5, 5}});
  w.Events().OnDoubleClick({2, 0, {30, 25}});  // the right button just presses again
  EXPECT_EQ(form.log, (std::vector<std::string>{"dblclick upper", "dblclick form", "down upper 2,0,150,75"}));
}

TEST_F(FormTest, ShowGivesTheFocusToTheFirstControlInTabOrderThatCanTakeIt) {
  form.Show();
  EXPECT_EQ(form.FocusedControl(), &form.two);
  form.Show();  // the focus is already there: no second GotFocus
  EXPECT_EQ(form.log, (std::vector<std::string>{"focus two"}));
}

TEST_F(FormTest, TabSkipsLabelsAndHiddenControlsAndWrapsAround) {
  form.Show();
  HeadlessWindow& w = WindowOf(form);
  w.Events().OnKey({Key::Tab, 0, 0});
  w.Events().OnKey({Key::Tab, 0, 0});
  w.Events().OnKey({Key::Tab, kShift, 0});
  EXPECT_EQ(form.log, (std::vector<std::string>{"focus two", "focus one", "focus two", "focus one"}));
}

TEST_F(FormTest, AccessKeysMoveTheFocus) {
  form.Show();
  HeadlessWindow& w = WindowOf(form);
  form.log.clear();
  EXPECT_TRUE(w.Events().OnKey({Key::AccessKey, kAlt, 'o'}));  // a button takes the focus itself
  EXPECT_TRUE(w.Events().OnKey({Key::AccessKey, kAlt, 'T'}));
  EXPECT_TRUE(w.Events().OnKey({Key::AccessKey, kAlt, 'n'}));   // a label passes it to the next that can take it
  EXPECT_FALSE(w.Events().OnKey({Key::AccessKey, kAlt, 'h'}));  // hidden controls have no access key
  EXPECT_FALSE(w.Events().OnKey({Key::AccessKey, kAlt, 'z'}));
  EXPECT_EQ(form.log, (std::vector<std::string>{"focus one", "focus two", "focus one"}));
}

TEST_F(FormTest, APlainLetterIsAnAccessKeyWhileAButtonHasTheFocus) {
  form.Show();
  EXPECT_TRUE(WindowOf(form).Events().OnKey({Key::Character, 0, 'o'}));
  EXPECT_EQ(form.FocusedControl(), &form.one);
}

TEST_F(FormTest, ControlsSharingAnAccessKeyTakeTurnsFromTheFocusedOne) {
  form.one.SetCaption("&Twin");
  form.Show();  // "two" has the focus; its key T is shared with "one"
  HeadlessWindow& w = WindowOf(form);
  w.Events().OnKey({Key::AccessKey, kAlt, 't'});
  EXPECT_EQ(form.FocusedControl(), &form.one);
  w.Events().OnKey({Key::AccessKey, kAlt, 't'});
  EXPECT_EQ(form.FocusedControl(), &form.two);
}

TEST_F(FormTest, SettingAPositionTakesTheNearestPixelAndReadsBackWhatTheWindowHas) {
  struct Case {
    float twips;
    int pixel;
  };
  const Case cases[] = {{350, 23}, {100, 7}, {337.5f, 22}, {352.5f, 24}, {-7.5f, 0}, {-22.5f, -2}, {-350, -23}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.twips);
    form.SetLeft(c.twips);
    form.SetTop(c.twips);
    EXPECT_EQ(WindowOf(form).Frame().left, c.pixel);
    EXPECT_EQ(WindowOf(form).Frame().top, c.pixel);
    EXPECT_EQ(form.Left(), static_cast<float>(c.pixel) * 15);
  }
  form.SetWidth(6960);
  form.SetHeight(5145);
  EXPECT_EQ(WindowOf(form).ClientSize(), (PixelSize{464, 343}));
  EXPECT_EQ(form.Width(), 6960.0f);
  EXPECT_EQ(form.Height(), 5145.0f);
}

TEST_F(FormTest, AFramedWindowsSizeCountsItsFrame) {
  class Framed : public Form {
   public:
    explicit Framed(ControlRuntime& runtime) : Form(runtime, {WindowKind::Framed, "Framed", 4890, 2520, 0}) {}
  } framed{*runtime};
  framed.Load();
  const int across = 326 + 2 * HeadlessWindow::kBorder;
  const int down = 168 + HeadlessWindow::kTitleBar + HeadlessWindow::kBorder;
  EXPECT_EQ(WindowOf(framed).ClientSize(), (PixelSize{326, 168}));
  EXPECT_EQ(framed.Width(), static_cast<float>(across * 15));
  framed.SetHeight(static_cast<float>(down + 10) * 15);
  EXPECT_EQ(WindowOf(framed).ClientSize(), (PixelSize{326, 178}));
}

TEST_F(FormTest, AFittingLabelTakesItsMeasuredTextSizeAndKeepsItsCorner) {
  LabelLook fits;
  fits.autoSize = true;
  fits.font = {12, false, false};  // the headless metric: 20 pixels high, 10 per character
  form.upper.Define({300, 300, 9999, 9999}, "&Upper", fits);
  form.upper.Fit();
  EXPECT_EQ(form.upper.Width(), 5 * 10 * 15.0f);  // the "&" is not drawn, so not measured
  EXPECT_EQ(form.upper.Height(), 20 * 15.0f);
  form.upper.SetCaption("Up");
  EXPECT_EQ(form.upper.Width(), 2 * 10 * 15.0f);
  EXPECT_EQ(form.upper.Left(), 300.0f);
  EXPECT_EQ(form.upper.Top(), 300.0f);
}

TEST_F(FormTest, PaintingGoesBackToFrontAndTransparentLabelsLeaveTheGround) {
  form.upper.SetGround(Ground::Transparent);
  form.lower.SetBackColor(kButtonFaceColor);
  const std::vector<DrawOp> ops = WindowOf(form).Render();
  std::vector<std::string> order;
  for (const DrawOp& op : ops) {
    if (op.kind == DrawOp::Fill) order.push_back("fill " + std::to_string(op.color));
    if (op.kind == DrawOp::Text) order.push_back("text " + op.text);
    if (op.kind == DrawOp::LineOp) order.push_back("line");
  }
  const std::string face = std::to_string(sys.SystemColor(15));
  // The ground, then from the bottom of the list up: the name label, lower, upper without a
  // fill of its own, and the line over everything. The buttons lie outside the window.
  const std::vector<std::string> expected = {"fill 1193046", "fill " + face, "text N",     "text ame",
                                             "fill " + face, "text Lower",   "text Upper", "line"};
  EXPECT_EQ(order, expected);
}

TEST_F(FormTest, TheAccessKeyLetterIsDrawnUnderlined) {
  std::vector<std::pair<std::string, bool>> runs;
  for (const DrawOp& op : WindowOf(form).Render()) {
    if (op.kind == DrawOp::Text && op.rect == form.name.PixelBounds()) runs.emplace_back(op.text, op.font.underline);
  }
  EXPECT_EQ(runs, (std::vector<std::pair<std::string, bool>>{{"N", true}, {"ame", false}}));
}

}  // namespace
}  // namespace corvane::testing

namespace corvane::testing {
namespace {

TEST_F(FormTest, ModalShowReturnsOnHideOrUnloadAndTheOtherWindowsTakeNoInputMeanwhile) {
  form.Show();
  for (const bool unload : {false, true}) {
    SCOPED_TRACE(unload ? "unload" : "hide");
    TestForm dialog{*runtime};
    bool othersBlocked = false;
    sys.modalActions = {[&] { othersBlocked = !WindowOf(form).Enabled(); },
                        [&] { unload ? dialog.Unload() : dialog.Hide(); },
                        [&] { ADD_FAILURE() << "the modal loop ran on after its window closed"; }};
    sys.calls.clear();
    dialog.ShowModal();
    EXPECT_TRUE(othersBlocked);
    EXPECT_TRUE(WindowOf(form).Enabled());
    EXPECT_EQ(sys.modalActions.size(), 1u);
    ASSERT_NE(sys.LastCall("Activate"), nullptr) << "the keyboard goes back to the window beneath";
    EXPECT_EQ(sys.LastCall("Activate")->args[0], "Test");
  }
}

TEST_F(FormTest, NestedModalWindowsReleaseTheOthersOnlyWhenTheLastCloses) {
  form.Show();
  TestForm outer{*runtime};
  TestForm inner{*runtime};
  bool blockedAfterInner = false;
  sys.modalActions = {[&] {
                        sys.modalActions.push_front([&] { inner.Unload(); });
                        inner.ShowModal();
                        blockedAfterInner = !WindowOf(form).Enabled();
                      },
                      [&] { outer.Unload(); }};
  outer.ShowModal();
  EXPECT_TRUE(blockedAfterInner);
  EXPECT_TRUE(WindowOf(form).Enabled());
}

TEST_F(FormTest, AnUnloadedWindowOutlivesTheHandlerThatUnloadedItAndTheNextReferenceIsFresh) {
  FormSlot<TestForm> slot([this] { return std::make_unique<TestForm>(*runtime); });
  TestForm* first = &slot();
  std::string captionAfterUnload;
  TestForm* second = nullptr;
  first->upper.Click = [&] {
    first->Unload();
    second = &slot();
    captionAfterUnload = first->upper.Caption();  // the object is still there
  };
  HeadlessWindow& w = WindowOf(*first);
  Deliver([&] {
    w.Events().OnMouseDown({1, 0, {30, 25}});
    w.Events().OnMouseUp({1, 0, {30, 25}});
  });
  EXPECT_EQ(captionAfterUnload, "Upper");
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_TRUE(second->Loaded());
  EXPECT_TRUE(slot.Loaded());
}

}  // namespace
}  // namespace corvane::testing

namespace corvane::testing {
namespace {

TEST_F(FormTest, TextWhoseColourResolvesToItsOwnGroundTakesTheContrastingColour) {
  struct Case {
    Color fore;
    Color back;
    Color drawn;
  };
  ASSERT_EQ(sys.SystemColor(0x12), 0x131313u);  // the headless button-text colour is dark
  const Case cases[] = {
      {0x000000, 0x000000, 0xFFFFFF},
      {0xFFFFFF, 0xFFFFFF, 0x000000},
      {kButtonTextColor, kButtonTextColor, 0xFFFFFF},
      {0x0000FF, 0xFFFFFF, 0x0000FF},  // readable colours are kept
  };
  for (const Case& c : cases) {
    LabelLook look;
    look.foreColor = c.fore;
    look.backColor = c.back;
    form.upper.Define({300, 300, 1500, 600}, "Upper", look);
    Color drawn = 0x123;
    for (const DrawOp& op : WindowOf(form).Render()) {
      if (op.kind == DrawOp::Text && op.text == "Upper") drawn = op.color;
    }
    EXPECT_EQ(drawn, c.drawn);
  }
}

}  // namespace
}  // namespace corvane::testing

namespace corvane::testing {
namespace {

// A drawing surface that fails at the first fill, as a lost device context would.
class FailingCanvas : public Canvas {
 public:
  void FillRect(const PixelRect&, Color) override { throw Error("Win32: FillRect failed: the device is gone"); }
  void DrawString(int, int, std::string_view, const FontSpec&, Color, const PixelRect&) override {}
  void DrawPicture(const Picture&, int, int, const PixelRect&) override {}
  void DrawPictureScaled(const Picture&, const PixelRect&, const PixelRect&) override {}
  void DrawLine(PixelPoint, PixelPoint, int, Color, const PixelRect&) override {}
};

TEST_F(FormTest, AFailureWhilePaintingIsReportedAndEndsTheProgram) {
  form.Show();
  FailingCanvas canvas;
  Deliver([&] { WindowOf(form).Events().OnPaint(canvas, {0, 0, 10, 10}); });
  EXPECT_TRUE(ended);
  const RecordedCall* message = sys.LastCall("MessageBox");
  ASSERT_NE(message, nullptr) << "the failure is not swallowed";
  EXPECT_NE(message->args[1].find("FillRect failed: the device is gone"), std::string::npos) << message->args[1];
}

// Lines of the layouts are drawn as filled bands; both backends take the band from here.
TEST(StraightLineBand, CoversBothEndsCentredOnTheSegment) {
  const struct {
    const char* what;
    PixelPoint from, to;
    int width;
    std::optional<PixelRect> band;
  } cases[] = {
      {"horizontal, one pixel", {10, 5}, {20, 5}, 1, PixelRect{10, 5, 21, 6}},
      {"horizontal, drawn right to left", {20, 5}, {10, 5}, 1, PixelRect{10, 5, 21, 6}},
      {"vertical, two pixels: one above the centre", {7, 3}, {7, 9}, 2, PixelRect{6, 3, 8, 10}},
      {"vertical, three pixels", {7, 9}, {7, 3}, 3, PixelRect{6, 3, 9, 10}},
      {"a single point", {4, 4}, {4, 4}, 1, PixelRect{4, 4, 5, 5}},
      {"slanting", {0, 0}, {5, 3}, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(StraightLineBand(c.from, c.to, c.width), c.band);
  }
}

}  // namespace
}  // namespace corvane::testing
