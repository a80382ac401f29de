// The About window: its frame, its links lighting up, and the requests they make.
#include "windows/about/corvane_about.h"

#include <gtest/gtest.h>

#include "app/maker.h"
#include "program_fixture.h"

namespace corvane::testing {
namespace {

class AboutTest : public ProgramTest {
 protected:
  AboutTest() {
    EXPECT_TRUE(Start());
    about.Show();
  }
  CorvaneAbout& about = AboutWindow();
  std::pair<bool, bool> Lit() { return {about.Label2.BackColor() == kLinkLit, about.Label3.BackColor() == kLinkLit}; }
};

TEST_F(AboutTest, ItOpensFramedTopMostAtItsClientSizeWithBothLinksAtRest) {
  EXPECT_EQ(WindowOf(about).Layout().kind, WindowKind::Framed);
  EXPECT_EQ(WindowOf(about).Layout().title, "About Corvane");
  EXPECT_EQ(WindowOf(about).ClientSize(), (PixelSize{326, 168}));
  EXPECT_TRUE(WindowOf(about).topMost);
  EXPECT_EQ(about.Label2.BackColor(), kLinkAtRest);
  EXPECT_EQ(about.Label3.BackColor(), kLinkAtRest);
}

TEST_F(AboutTest, TheLinkUnderThePointerLightsUpUntilTheBareWindowOrTheOtherLink) {
  struct Step {
    const Control* over;  // nullptr: the bare window
    std::pair<bool, bool> lit;
  };
  const Step steps[] = {
      {&about.Label2, {true, false}},
      {&about.Label3, {false, true}},
      {&about.Label4, {false, true}},  // "Homepage:" changes nothing
      {&about.Label8, {false, true}},  // nor the date
      {nullptr, {false, false}},
      {&about.Label2, {true, false}},
      {&about.Label6, {true, false}},
      {&about.Label1, {true, false}},
      {nullptr, {false, false}},
  };
  for (const Step& s : steps) {
    MoveOver(about, s.over);
    EXPECT_EQ(Lit(), s.lit) << (s.over ? s.over->Name() : "window");
  }
}

TEST_F(AboutTest, TheLinksOpenMailAndTheHomePage) {
  ClickOn(about, about.Label2);
  ClickOn(about, about.Label3);
  std::vector<std::vector<std::string>> requests;
  for (const RecordedCall& c : sys.calls) {
    if (c.name == "OpenDocument") requests.push_back(c.args);
  }
  const std::string hwnd = HeadlessPlatform::HandleText(about.hWnd());
  EXPECT_EQ(requests, (std::vector<std::vector<std::string>>{
                          {hwnd, std::string("mailto:") + maker::kEmail, "normal"},
                          {hwnd, maker::kHomeAddress, "minimized"}}));
  EXPECT_TRUE(about.Visible()) << "a link click leaves the window open";
}

TEST_F(AboutTest, ALinkThatCannotBeOpenedChangesNothing) {
  sys.shellThrows = true;
  ClickOn(about, about.Label2);
  ClickOn(about, about.Label3);
  EXPECT_FALSE(ended);
  EXPECT_EQ(sys.CountCalls("MessageBox"), 0);
  EXPECT_TRUE(about.Visible());
}

TEST_F(AboutTest, ResizingTheWindowMovesNoLabel) {
  const PixelRect before = about.Label3.PixelBounds();
  about.SetWidth(about.Width() * 2);
  about.SetHeight(about.Height() * 2);
  EXPECT_EQ(about.Label3.PixelBounds(), before);
}

}  // namespace
}  // namespace corvane::testing
