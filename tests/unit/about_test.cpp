// The About window: its frame, its links lighting up, and the requests they make.
#include "windows/about/about_window.h"

#include <gtest/gtest.h>

#include "program_fixture.h"
#include "windows/maker.h"

namespace corvane::testing {
namespace {

class AboutTest : public ProgramTest {
 protected:
  AboutTest() {
    EXPECT_TRUE(Start());
    about.Show();
  }
  AboutWindow& about = AboutForm();
  std::pair<bool, bool> Lit() {
    return {about.EmailLink.BackColor() == kLinkLit, about.HomepageLink.BackColor() == kLinkLit};
  }
};

TEST_F(AboutTest, ItOpensFramedTopMostAtItsClientSizeWithBothLinksAtRest) {
  EXPECT_EQ(WindowOf(about).Layout().kind, WindowKind::Framed);
  EXPECT_EQ(WindowOf(about).Layout().title, "About Corvane");
  EXPECT_EQ(WindowOf(about).ClientSize(), (PixelSize{326, 168}));
  EXPECT_TRUE(WindowOf(about).topMost);
  EXPECT_EQ(about.EmailLink.BackColor(), kLinkAtRest);
  EXPECT_EQ(about.HomepageLink.BackColor(), kLinkAtRest);
}

TEST_F(AboutTest, TheLinkUnderThePointerLightsUpUntilTheBareWindowOrTheOtherLink) {
  struct Step {
    const Control* over;  // nullptr: the bare window
    std::pair<bool, bool> lit;
  };
  const Step steps[] = {
      {&about.EmailLink, {true, false}},
      {&about.HomepageLink, {false, true}},
      {&about.HomepageCaption, {false, true}},  // "Homepage:" changes nothing
      {&about.FooterDate, {false, true}},       // nor the date
      {nullptr, {false, false}},
      {&about.EmailLink, {true, false}},
      {&about.EmailCaption, {true, false}},
      {&about.ProductLine, {true, false}},
      {nullptr, {false, false}},
  };
  for (const Step& s : steps) {
    MoveOver(about, s.over);
    EXPECT_EQ(Lit(), s.lit) << (s.over ? s.over->Name() : "window");
  }
}

TEST_F(AboutTest, TheLinksOpenMailAndTheHomePage) {
  ClickOn(about, about.EmailLink);
  ClickOn(about, about.HomepageLink);
  std::vector<std::vector<std::string>> requests;
  for (const RecordedCall& c : sys.calls) {
    if (c.name == "OpenDocument") requests.push_back(c.args);
  }
  const std::string hwnd = HeadlessPlatform::HandleText(about.hWnd());
  EXPECT_EQ(requests, (std::vector<std::vector<std::string>>{{hwnd, std::string("mailto:") + maker::kEmail, "normal"},
                                                             {hwnd, maker::kHomeAddress, "minimized"}}));
  EXPECT_TRUE(about.Visible()) << "a link click leaves the window open";
}

TEST_F(AboutTest, ALinkThatCannotBeOpenedChangesNothing) {
  sys.shellThrows = true;
  ClickOn(about, about.EmailLink);
  ClickOn(about, about.HomepageLink);
  EXPECT_FALSE(ended);
  EXPECT_EQ(sys.CountCalls("MessageBox"), 0);
  EXPECT_TRUE(about.Visible());
}

TEST_F(AboutTest, ResizingTheWindowMovesNoLabel) {
  const PixelRect before = about.HomepageLink.PixelBounds();
  about.SetWidth(about.Width() * 2);
  about.SetHeight(about.Height() * 2);
  EXPECT_EQ(about.HomepageLink.PixelBounds(), before);
}

// About opens over the middle of the pin it came from, kept on that pin's monitor.
TEST_F(AboutTest, ItOpensCentredOnThePictureWindowAndOnItsMonitor) {
  // About's frame around its 326 by 168 pixels; the picture window is 464 by 343.
  constexpr int w = 326 + 2 * HeadlessWindow::kBorder;
  constexpr int h = 168 + HeadlessWindow::kTitleBar + HeadlessWindow::kBorder;
  struct Case {
    PixelPoint picture;  // the picture window's top-left corner
    PixelPoint about;    // About's top-left corner
  };
  const Case cases[] = {
      {{300, 200}, {300 + (464 - w) / 2, 200 + (343 - h) / 2}},
      {{1100, 900}, {1280 - w, 1024 - h}},  // the middle would reach off the monitor
      {{-100, -50}, {0, -50 + (343 - h) / 2}},
  };
  for (const Case& c : cases) {
    NewRun();
    ASSERT_TRUE(Start());
    WindowOf(PictureForm()).MoveTo(c.picture);
    ASSERT_EQ(WindowOf(PictureForm()).Frame().Width(), 464);
    AboutWindow& opened = AboutForm();
    opened.Show();
    EXPECT_EQ(WindowOf(opened).Frame().left, c.about.x);
    EXPECT_EQ(WindowOf(opened).Frame().top, c.about.y);
  }
}

TEST_F(AboutTest, EscapeAndEnterCloseItAndOtherKeysDoNot) {
  const Key keys[] = {Key::Escape, Key::Enter};
  for (const Key key : keys) {
    NewRun();
    ASSERT_TRUE(Start());
    AboutWindow& opened = AboutForm();
    opened.Show();
    Type(opened, Key::Space);
    Type(opened, Key::Tab);
    EXPECT_TRUE(FirstPin().AboutLoaded());
    Type(opened, key);
    EXPECT_FALSE(FirstPin().AboutLoaded());
  }
}

}  // namespace
}  // namespace corvane::testing
