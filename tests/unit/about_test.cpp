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

}  // namespace
}  // namespace corvane::testing
