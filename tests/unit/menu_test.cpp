// The popup menu: placement, focus, highlight and the seven items.
#include "windows/menu/menu_window.h"

#include <gtest/gtest.h>

#include "program_fixture.h"
#include "windows/about/about_window.h"
#include "windows/maker.h"
#include "windows/picture/display_modes.h"
#include "windows/picture/picture_window.h"

namespace corvane::testing {
namespace {

class MenuTest : public ProgramTest {
 protected:
  MenuTest() { EXPECT_TRUE(Start()); }

  void ShowPicture() { ProgramTest::ShowPicture("C:\\p.bmp", {300, 200}); }

  // What the program asked of the system, in order, in a few words each.
  std::vector<std::string> Story() {
    std::vector<std::string> story;
    for (const RecordedCall& c : sys.calls) {
      if (c.name == "OpenDocument") story.push_back("open " + c.args[1] + " " + c.args[2]);
      if (c.name == "DestroyWindow") story.push_back(c.args[1].empty() ? "close menu" : "close " + c.args[1]);
      if (c.name == "CreateWindow") story.push_back("create " + c.args[0]);
      if (c.name == "MessageBox") story.push_back("message");
      if (c.name == "ChooseFileToOpen") story.push_back("dialog");
      if (c.name == "EndProgram") story.push_back("end");
      if (c.name == "OpenFile") story.push_back("write");
    }
    return story;
  }
};

TEST_F(MenuTest, AFreshMenuIsTheLaidOutSizeWithNoButtonInSight) {
  MenuWindow& menu = OpenMenu();
  EXPECT_EQ(WindowOf(menu).ClientSize(), (PixelSize{138, 170}));
  EXPECT_EQ(WindowOf(menu).Layout().kind, WindowKind::ToolPopup);
  EXPECT_TRUE(WindowOf(menu).topMost);
  for (const Control* c : menu.Controls()) {
    if (dynamic_cast<const CommandButton*>(c)) {
      EXPECT_GE(c->PixelBounds().left, 138) << c->Name();
    }
  }
  const std::array<Label*, 7> items = menu.ItemLabels();
  for (std::size_t n = 1; n < 7; ++n) EXPECT_GT(items[n]->Top(), items[n - 1]->Top());
  EXPECT_EQ(menu.CloseItem.label.Caption(), "&Close this menu");
  EXPECT_EQ(menu.CloseItem.button.Caption(), "&Close menu");
}

TEST_F(MenuTest, TheMenusCornerComesToTheCursorOrItsNearCornerNearTheScreenEdge) {
  struct Case {
    float twipsPerPixel;
    CursorPoint cursor;
    PixelPoint topLeft;
  };
  const Case cases[] = {
      {15, {138, 170}, {138, 170}},  // computed 0: the window starts at the cursor
      {15, {139, 171}, {1, 1}},      // computed 15 twips: the bottom-right corner at the cursor
      {15, {0, 0}, {0, 0}},         {15, {600, 400}, {462, 230}},
      {15, {-20, 50}, {-20, 50}},  // left of a second monitor: the near corner still at the cursor
      {12, {173, 500}, {1, 288}},  // 2070 by 2550 twips are 172 by 212 pixels at 12 twips a pixel
      {12, {172, 171}, {172, 171}}, {10, {100, 2000}, {100, 1745}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.twipsPerPixel) + " " + std::to_string(c.cursor.x) + "," + std::to_string(c.cursor.y));
    NewRun();
    sys.twipsPerPixel = c.twipsPerPixel;
    ASSERT_TRUE(Start());
    MenuWindow& menu = OpenMenu(c.cursor.x, c.cursor.y);
    const PixelRect frame = WindowOf(menu).Frame();
    EXPECT_EQ(frame.left, c.topLeft.x);
    EXPECT_EQ(frame.top, c.topLeft.y);
  }
}

TEST_F(MenuTest, TheMenuOpensWithTheFocusOnItsSpareButtonAndRunsNoItem) {
  MenuWindow& menu = OpenMenu();
  EXPECT_EQ(menu.FocusedControl(), &menu.RestingButton);
  EXPECT_TRUE(menu.Visible());
  EXPECT_EQ(Story(), std::vector<std::string>{});
}

TEST_F(MenuTest, TabGoesFromTheSpareButtonToGetProfessionalAndShiftTabToHomepage) {
  MenuWindow& menu = OpenMenu();
  Type(menu, Key::Tab);
  EXPECT_EQ(Story(),
            (std::vector<std::string>{"close menu", std::string("open ") + maker::kProfessionalPage + " minimized"}));
  MenuWindow& again = OpenMenu();
  Type(again, Key::Tab, 0, kShift);
  EXPECT_EQ(Story(), (std::vector<std::string>{std::string("open ") + maker::kHomePage + " minimized", "close menu"}));
}

TEST_F(MenuTest, LabelsNeverTakeTheFocus) {
  MenuWindow& menu = OpenMenu();
  for (Control* c : menu.TabOrder()) {
    if (dynamic_cast<Label*>(c)) {
      EXPECT_FALSE(c->CanTakeFocus()) << c->Name();
    }
  }
  MoveOver(menu, &menu.ShowItem.label);
  EXPECT_EQ(menu.FocusedControl(), &menu.RestingButton);
}

struct ItemCase {
  const char* name;
  char accessKey;
  std::vector<std::string> byLabel;
  std::vector<std::string> byKey;
};

class MenuItemTest : public MenuTest, public ::testing::WithParamInterface<ItemCase> {
 protected:
  Label& LabelFor(MenuWindow& menu) {
    for (Label* l : menu.ItemLabels()) {
      if (l->AccessKey() == GetParam().accessKey) return *l;
    }
    throw std::runtime_error("no such item");
  }
};

TEST_P(MenuItemTest, ByItsLabel) {
  ShowPicture();
  MenuWindow& menu = OpenMenu();
  ClickOn(menu, LabelFor(menu));
  EXPECT_EQ(Story(), GetParam().byLabel);
}

TEST_P(MenuItemTest, ByItsAccessKey) {
  ShowPicture();
  MenuWindow& menu = OpenMenu();
  Type(menu, Key::AccessKey, static_cast<char>(std::tolower(GetParam().accessKey)), kAlt);
  EXPECT_EQ(Story(), GetParam().byKey);
}

const std::string kOpenHome = std::string("open ") + maker::kHomePage + " minimized";
const std::string kOpenPro = std::string("open ") + maker::kProfessionalPage + " minimized";

INSTANTIATE_TEST_SUITE_P(
    Items, MenuItemTest,
    ::testing::Values(ItemCase{"Homepage", 'H', {kOpenHome, "close menu"}, {kOpenHome, "close menu"}},
                      ItemCase{"GetProfessional", 'P', {"close menu", kOpenPro}, {"close menu", kOpenPro}},
                      ItemCase{"Exit",
                               'E',
                               {"write", "close Corvane Standard  v0.02", "close menu", "end"},
                               {"write", "close Corvane Standard  v0.02", "close menu", "end"}},
                      ItemCase{"ShowHelpText", 'W', {"close menu"}, {"close menu"}},
                      ItemCase{"About", 'A', {"close menu", "create About Corvane"}, {"close menu"}},
                      ItemCase{"Close", 'C', {"close menu"}, {"close menu"}},
                      ItemCase{"Select", 'S', {"dialog"}, {"dialog"}}),
    [](const ::testing::TestParamInfo<ItemCase>& param) { return std::string(param.param.name); });

TEST_F(MenuTest, ExitFromTheMenuSavesThePlaceAndPicture) {
  ShowPicture();
  WindowOf(PictureForm()).MoveTo({40, 50});
  MenuWindow& menu = OpenMenu();
  ClickOn(menu, menu.ExitItem.label);
  EXPECT_TRUE(ended);
  EXPECT_EQ(SettingsBytes().substr(0, 18), EncodeSettingsRecord(600, 750, "C:\\p.bmp"));
}

TEST_F(MenuTest, TheShowItemSwitchesToTheHelpPanelAndBack) {
  ShowPicture();
  MenuWindow& menu = OpenMenu();
  EXPECT_EQ(menu.ShowItem.label.Caption(), kShowHelpCaption);
  EXPECT_EQ(menu.ShowItem.button.Caption(), kShowHelpCaption);
  ClickOn(menu, menu.ShowItem.label);
  EXPECT_FALSE(PictureForm().PictureBox.Visible());
  EXPECT_FALSE(FirstPin().MenuLoaded());

  MenuWindow& next = OpenMenu();
  EXPECT_EQ(next.ShowItem.label.Caption(), kShowPictureCaption);
  EXPECT_EQ(next.ShowItem.button.Caption(), kShowPictureCaption);
  ClickOn(next, next.ShowItem.label);
  EXPECT_TRUE(PictureForm().PictureBox.Visible());
  EXPECT_EQ(PictureForm().Width(), 300 * 15.0f);
  EXPECT_EQ(sys.CountCalls("LoadPicture"), 0) << "the picture already held comes back";
  EXPECT_FALSE(FirstPin().MenuLoaded());
}

TEST_F(MenuTest, TheShowItemWithoutAPictureSaysSoAndTheMenuStaysOpen) {
  MenuWindow& menu = OpenMenu();
  EXPECT_EQ(menu.ShowItem.label.Caption(), kShowPictureCaption);
  ClickOn(menu, menu.ShowItem.label);
  const RecordedCall* message = sys.LastCall("MessageBox");
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->args, (std::vector<std::string>{
                               HeadlessPlatform::HandleText(menu.hWnd()),
                               "You have not selected any picture file, please Select a picture file ", kAppTitle}));
  EXPECT_TRUE(menu.Visible());
  EXPECT_EQ(menu.ShowItem.label.Caption(), kShowPictureCaption);
  EXPECT_FALSE(PictureForm().PictureBox.Visible());
}

TEST_F(MenuTest, TheAboutLabelClosesTheMenuThenShowsTheAboutWindowModally) {
  bool menuGoneWhileAboutShows = false;
  bool pictureBlocked = false;
  MenuWindow& menu = OpenMenu();
  sys.modalActions = {[&] {
    menuGoneWhileAboutShows = !FirstPin().MenuLoaded() && AboutForm().Visible();
    pictureBlocked = !WindowOf(PictureForm()).Enabled();
    AboutForm().Events().OnCloseRequest();
  }};
  ClickOn(menu, menu.AboutItem.label);
  EXPECT_TRUE(menuGoneWhileAboutShows);
  EXPECT_TRUE(pictureBlocked);
  EXPECT_FALSE(FirstPin().AboutLoaded());
  EXPECT_TRUE(WindowOf(PictureForm()).Enabled());
}

// Owned by the picture window, the menu and the About window stay above it under any window
// manager, whatever is clicked.
TEST_F(MenuTest, TheMenuAndTheAboutWindowAreOwnedByThePictureWindow) {
  const std::uintptr_t picture = PictureForm().hWnd();
  MenuWindow& menu = OpenMenu();
  EXPECT_EQ(WindowOf(menu).Layout().owner, picture);
  std::uintptr_t aboutOwner = 0;
  sys.modalActions = {[&] {
    aboutOwner = WindowOf(AboutForm()).Layout().owner;
    AboutForm().Events().OnCloseRequest();
  }};
  ClickOn(menu, menu.AboutItem.label);
  EXPECT_EQ(aboutOwner, picture);
  EXPECT_EQ(WindowOf(PictureForm()).Layout().owner, 0u) << "the picture window belongs to no other";
}

TEST_F(MenuTest, TheItemUnderThePointerIsWhiteAndStaysSoOffTheItems) {
  MenuWindow& menu = OpenMenu();
  const std::array<Label*, 7> items = menu.ItemLabels();
  for (Label* l : items) EXPECT_EQ(l->BackColor(), kButtonFaceColor) << "before the first hover";
  const auto whites = [&] {
    std::vector<std::string> names;
    for (Label* l : items) {
      if (l->BackColor() == 0xFFFFFF) {
        names.push_back(l->Name());
      } else {
        EXPECT_EQ(l->BackColor(), kMenuColor) << l->Name();
      }
    }
    return names;
  };
  MoveOver(menu, &menu.ProfessionalItem.label);
  EXPECT_EQ(whites(), std::vector<std::string>{"ProfessionalLabel"});
  MoveOver(menu, &menu.CloseItem.label);
  EXPECT_EQ(whites(), std::vector<std::string>{"CloseLabel"});
  Deliver([&] { WindowOf(menu).Events().OnMouseMove({0, 0, {1, 100}}); });  // left of the items
  EXPECT_EQ(whites(), std::vector<std::string>{"CloseLabel"});
}

TEST_F(MenuTest, TheHigherItemIsDrawnOverTheOneAboveIt) {
  MenuWindow& menu = OpenMenu();
  // The Homepage label (2..27) and the Professional label (26..51) share row 26, where the
  // Professional label lies on top.
  EXPECT_EQ(menu.ControlAt({50, 26}), &menu.ProfessionalItem.label);
  EXPECT_EQ(menu.ControlAt({50, 25}), &menu.HomepageItem.label);
}

}  // namespace
}  // namespace corvane::testing
