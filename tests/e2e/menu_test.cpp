// The popup menu: where a right press opens it, how it looks, that it holds the picture window
// off while it shows, its items by mouse and keyboard, their tooltips and highlight, and Exit.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

namespace syscolor {
constexpr int kActiveCaption = 2;
constexpr int kInactiveCaption = 3;
constexpr int kMenu = 4;
}  // namespace syscolor

// The ground on the help panel beside Label8, in twips from the window's corner.
constexpr Point kGroundTwips{300, 2250};

class Menu : public testing::Test {
 protected:
  // Starts with these settings, or as on the first start without them.
  void Start(const std::optional<SettingsRecord>& settings = std::nullopt) {
    if (settings) app_.WriteSettings(EncodeSettings(*settings));
    app_.Start();
    ASSERT_TRUE(app_.WaitForWindow(kHelpTitle, &window_));
    // Until the start-up has placed it, the window may still be at the default place.
    if (settings) {
      ASSERT_TRUE(Eventually("the window at its saved place", [&] {
        const auto shown = ShownPictureWindow(app_);
        if (shown) window_ = *shown;
        return shown && window_.rect.x == Px(settings->left) && window_.rect.y == Px(settings->top);
      }));
    }
  }

  Point Ground() const { return {window_.rect.x + Px(kGroundTwips.x), window_.rect.y + Px(kGroundTwips.y)}; }

  // Opens the menu with a right press on the ground.
  void OpenOnGround(WindowFacts* menu = nullptr) {
    WindowFacts shown;
    ASSERT_TRUE(OpenMenu(Ground(), &shown));
    if (menu) *menu = shown;
  }

  App app_;
  XTopLevel window_;
};

// --- placement ---------------------------------------------------------------------------------

struct Placement {
  const char* what;
  Point cursor;
  Point menuCorner;  // the top-left corner the menu must have
};

std::ostream& operator<<(std::ostream& out, const Placement& p) { return out << p.what; }

class MenuPlacement : public Menu, public testing::WithParamInterface<Placement> {};

// The window starts in the screen's top-left corner, so every cursor below lies on it.
TEST_P(MenuPlacement, PutsTheMenuAtTheCursor) {
  ASSERT_NO_FATAL_FAILURE(Start(SettingsRecord{0, 0, kNoPictureMarker}));
  const Placement& p = GetParam();
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu(p.cursor, &menu));
  const Rect expected{p.menuCorner.x, p.menuCorner.y, kMenuWidth, kMenuHeight};
  // A window manager may show the window a moment before it takes its place.
  EXPECT_TRUE(Eventually("the menu at its place",
                         [&] {
                           const auto shown = ShownMenu();
                           if (shown) menu = *shown;
                           return shown && shown->rect == expected;
                         }))
      << "right-clicked at " << p.cursor << "; the menu is at " << menu.rect;
  EXPECT_EQ(menu.client, expected) << "the menu is all client area";
}

INSTANTIATE_TEST_SUITE_P(
    Cursors, MenuPlacement,
    testing::Values(Placement{"bottom right corner at the cursor", {300, 200}, {162, 30}},
                    Placement{"one pixel from the screen edge", {139, 171}, {1, 1}},
                    Placement{"too near the edge the top left corner is at the cursor", {138, 170}, {138, 170}},
                    Placement{"at the screen corner", {0, 0}, {0, 0}},
                    Placement{"near the left edge only", {60, 250}, {60, 80}},
                    Placement{"near the top edge only", {400, 50}, {262, 50}}),
    [](const auto& testCase) { return CaseName(testCase.param.what); });

// --- the window and its look -------------------------------------------------------------------

// An item's label on the screen, without the row it shares with each neighbour and clear of
// the frame on the right.
Rect ItemBand(const Rect& menu, int item) {
  const int top = menu.y + Px(kMenuItemTops[item]);
  return {menu.x + Px(30), top + 1, kMenuWidth - Px(30) - 3, Px(375) - 2};
}

bool HasDarkPixels(const Image& shot, const Rect& area) {
  for (int y = area.y; y < area.Bottom(); ++y) {
    for (int x = area.x; x < area.Right(); ++x) {
      if (Near(shot.At({x, y}), Rgb{}, 0x40)) return true;
    }
  }
  return false;
}

TEST_F(Menu, IsABorderlessTopmostToolWindowDrawnAsAMenu) {
  ASSERT_NO_FATAL_FAILURE(Start());
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu({300, 200}, &menu));

  EXPECT_EQ(menu.title, "");
  EXPECT_TRUE(menu.topmost);
  EXPECT_EQ(menu.rect, (Rect{162, 30, kMenuWidth, kMenuHeight}));
  if (NativeTarget()) {
    // Undecorated, and owned by the picture window: no window manager stacks that over it.
    EXPECT_EQ(menu.client, menu.rect) << "the window manager's frame adds nothing";
    const auto picture = ShownPictureWindow(app_);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(menu.owner, picture->id) << "WM_TRANSIENT_FOR";
  } else {
    EXPECT_EQ(menu.className, kMenuClass);
    EXPECT_EQ(menu.style & (win::kCaption | win::kThickFrame | win::kBorder | win::kDlgFrame | win::kSysMenu), 0u)
        << std::hex << "style 0x" << menu.style;
    EXPECT_TRUE(menu.exStyle & win::kExToolWindow) << std::hex << "exstyle 0x" << menu.exStyle;
  }

  // X shows it where Windows has it, above the picture window. Wine moves the X window a moment
  // after Windows has placed it, so the X side is polled.
  std::vector<XTopLevel> windows;
  const XTopLevel* menuX = nullptr;
  const XTopLevel* pictureX = nullptr;
  ASSERT_TRUE(Eventually("an X window of Corvane where Windows has the menu",
                         [&] {
                           windows = TopLevelWindows();
                           menuX = pictureX = nullptr;
                           for (const XTopLevel& w : windows) {
                             if (!w.mapped || w.pid != app_.Pid()) continue;
                             if (w.rect == menu.rect) menuX = &w;
                             if (w.name == kHelpTitle) pictureX = &w;
                           }
                           return menuX != nullptr && pictureX != nullptr;
                         }))
      << "no X window of Corvane at " << menu.rect;
  EXPECT_EQ(menuX->name, "");
  EXPECT_GT(menuX->stackIndex, pictureX->stackIndex) << "the menu is under the picture window";

  // A white window with a thin frame and the seven items, each with its text.
  const std::vector<Rgb> system =
      SystemColours({syscolor::kActiveCaption, syscolor::kInactiveCaption, syscolor::kMenu});
  const Rect r = menu.rect;
  const struct {
    const char* what;
    Rect area;
    Rgb colour;
  } frame[] = {
      {"right edge, 2 pixels", {r.Right() - 2, r.y, 2, r.height}, system[1]},
      {"bottom edge, 2 pixels", {r.x, r.Bottom() - 2, r.width - 2, 2}, system[0]},
      {"top edge", {r.x, r.y, r.width - 2, 1}, system[2]},
      {"left edge", {r.x, r.y, 1, r.height - 2}, system[2]},
      {"ground left of the items", {r.x + 1, r.y + 1, 1, r.height - 3}, kWhite},
  };
  const auto drawn = [&](const Image& shot) -> testing::AssertionResult {
    for (const auto& part : frame) {
      if (!shot.AllNear(part.area, part.colour, kTolerance)) {
        return testing::AssertionFailure() << part.what << " at " << part.area << " is not all " << part.colour;
      }
    }
    for (int item = 0; item < 7; ++item) {
      if (!HasDarkPixels(shot, ItemBand(r, item)))
        return testing::AssertionFailure() << "item " << item + 1 << " has no text";
    }
    return testing::AssertionSuccess();
  };
  EXPECT_TRUE(WaitForScreen(r, "the menu drawn", drawn, {}, 5s));
}

TEST_F(Menu, HoldsThePictureWindowOffWhileItShows) {
  ASSERT_NO_FATAL_FAILURE(Start());
  OpenOnGround();
  if (!NativeTarget()) {
    const auto held = ProbeWindow(kHelpTitle);
    ASSERT_TRUE(held.has_value());
    EXPECT_FALSE(held->enabled);
  }

  // A drag on the picture window, clear of the menu, is lost; so is a right press.
  const Point free{window_.rect.x + 300, window_.rect.y + 250};
  Drag(free, {free.x + 100, free.y + 60});
  Click(free, Button::Right);
  PressKey("Alt+c");
  ASSERT_TRUE(WaitForNoMenu());
  if (!NativeTarget()) {
    ASSERT_TRUE(WaitForPictureWindowEnabled());
  }
  EXPECT_EQ(ShownPictureWindow(app_)->rect, window_.rect);

  // Now the window takes the mouse again (so the lost right press opened no menu later on). The
  // press lands away from the lost one, which Wine would pair with it as a double click.
  const Point grab{free.x - 60, free.y - 40};
  Drag(grab, {grab.x + 100, grab.y + 60});
  EXPECT_TRUE(WaitForPictureWindowAt(app_, {window_.rect.x + 100, window_.rect.y + 60, kHelpWidth, kHelpHeight}));
  EXPECT_FALSE(ShownMenu().has_value());
}

// --- items ---------------------------------------------------------------------------------------

// Close, by its label or its access key, unloads the menu: the next right press makes a new one
// at the new cursor.
struct CloseWay {
  const char* what;
  const char* key;  // nullptr: click the label
};

std::ostream& operator<<(std::ostream& out, const CloseWay& c) { return out << c.what; }

class MenuClose : public Menu, public testing::WithParamInterface<CloseWay> {};

TEST_P(MenuClose, ClosesTheMenuAndGivesTheWindowItsInputBack) {
  ASSERT_NO_FATAL_FAILURE(Start());
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu({300, 200}, &menu));
  if (GetParam().key) {
    PressKey(GetParam().key);
  } else {
    Click(MenuItemPoint(menu.rect, MenuItem::Close));
  }
  ASSERT_TRUE(WaitForNoMenu());
  EXPECT_TRUE(app_.Running());
  WindowFacts next;
  ASSERT_TRUE(OpenMenu({400, 300}, &next));
  EXPECT_EQ(next.rect, (Rect{262, 130, kMenuWidth, kMenuHeight}));
}

INSTANTIATE_TEST_SUITE_P(Ways, MenuClose,
                         testing::Values(CloseWay{"click", nullptr}, CloseWay{"Alt+C", "Alt+c"},
                                         CloseWay{"plain C", "c"}),
                         [](const auto& testCase) { return CaseName(testCase.param.what); });

// What a key does while the menu has just opened with the picture window on the help panel.
enum class Outcome { Closes, Exits, NoPictureMessage, OpenFileDialog, Nothing };

struct KeyCase {
  const char* key;
  Outcome outcome;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& k) { return out << k.key; }

class MenuKey : public Menu, public testing::WithParamInterface<KeyCase> {};

TEST_P(MenuKey, RunsTheItemWithThatKey) {
  ASSERT_NO_FATAL_FAILURE(Start());
  OpenOnGround();
  PressKey(GetParam().key);
  switch (GetParam().outcome) {
    case Outcome::Closes:
      ASSERT_TRUE(WaitForNoMenu());
      // Nothing else opened (not even the About window): the picture window takes input.
      EXPECT_TRUE(OpenMenu(Ground()));
      EXPECT_FALSE(FindShownWindow(kAboutTitle).has_value());
      EXPECT_TRUE(app_.Running());
      break;
    case Outcome::Exits:
      ASSERT_TRUE(app_.WaitForExit());
      EXPECT_EQ(app_.Exit()->code, 0) << app_.Exit()->Describe();
      // The first start stored 350, 100 twips; the exit stores the window's pixels.
      EXPECT_EQ(ReadSettingsRecord(app_),
                (SettingsRecord{kDefaultPlace.x * kTwipsPerPixel, kDefaultPlace.y * kTwipsPerPixel, kNoPictureMarker}));
      break;
    case Outcome::NoPictureMessage: EXPECT_TRUE(WaitForDialog(kMessageTitle)); break;
    case Outcome::OpenFileDialog:
      EXPECT_TRUE(WaitForDialog(kOpenDialogTitle));
      EXPECT_FALSE(ShownMenu().has_value()) << "the menu stays over the dialog";
      break;
    case Outcome::Nothing:
      // The Show item's message comes while the menu is still up: the key before it did nothing.
      PressKey("Alt+w");
      ASSERT_TRUE(WaitForDialog(kMessageTitle));
      EXPECT_TRUE(ShownMenu().has_value());
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Keys, MenuKey,
                         testing::Values(KeyCase{"Tab", Outcome::Closes},        // to Get Professional's button
                                         KeyCase{"Shift+Tab", Outcome::Closes},  // to Homepage's button
                                         KeyCase{"Alt+h", Outcome::Closes}, KeyCase{"Alt+p", Outcome::Closes},
                                         KeyCase{"Alt+e", Outcome::Exits}, KeyCase{"e", Outcome::Exits},
                                         KeyCase{"Alt+w", Outcome::NoPictureMessage},
                                         KeyCase{"Alt+a", Outcome::Closes},  // only a click on the label opens About
                                         KeyCase{"a", Outcome::Closes}, KeyCase{"Alt+s", Outcome::OpenFileDialog},
                                         KeyCase{"s", Outcome::OpenFileDialog}, KeyCase{"x", Outcome::Nothing},
                                         KeyCase{"Return", Outcome::Nothing}, KeyCase{"space", Outcome::Nothing}),
                         [](const auto& testCase) { return CaseName(testCase.param.key); });

// Two captures of the same size showing the same pixels, wherever they were taken.
bool SameLook(const Image& a, const Image& b) {
  const Rect ra = a.Area();
  const Rect rb = b.Area();
  if (ra.width != rb.width || ra.height != rb.height) return false;
  for (int y = 0; y < ra.height; ++y) {
    for (int x = 0; x < ra.width; ++x) {
      if (!(a.At({ra.x + x, ra.y + y}) == b.At({rb.x + x, rb.y + y}))) return false;
    }
  }
  return true;
}

// Every item's tooltip, one after the other as the pointer moves down the menu. The native
// program's tooltip texts cannot be read from outside: there each item must bring up a tooltip
// of its own just below the pointer, unlike the one before it.
TEST_F(Menu, EachItemHasItsTooltip) {
  ASSERT_NO_FATAL_FAILURE(Start());
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu({300, 200}, &menu));
  const std::pair<MenuItem, const char*> tips[] = {
      {MenuItem::Homepage, "http://www.corvane.com/index.htm"},
      {MenuItem::GetProfessional, "Download a full a professional version"},
      {MenuItem::Exit, "Exit Corvane"},
      {MenuItem::Show, "Get more information"},
      {MenuItem::About, "Made by Corvane Software"},
      {MenuItem::Close, "Close this menu"},
      {MenuItem::Select, "Select a picture file you which want to float"},
  };
  std::optional<Image> before;
  for (const auto& [item, text] : tips) {
    const Point pointer = MenuItemPoint(menu.rect, item);
    MoveTo(pointer);
    EXPECT_TRUE(Eventually(
        "the tooltip \"" + std::string(text) + "\"",
        [&]() -> testing::AssertionResult {
          const auto shown = ShownTooltips();
          if (!TooltipTextsKnown() && shown.size() == 1) {
            const Rect tip = shown[0].rect;
            if (tip.y < pointer.y || tip.y - pointer.y > 40) {
              return testing::AssertionFailure()
                     << "a tooltip at " << tip << ", not just below the pointer at " << pointer;
            }
            const Image seen = Capture(tip);
            if (before && SameLook(*before, seen))
              return testing::AssertionFailure() << "the tooltip of the item before, still";
            before = seen;
            return testing::AssertionSuccess();
          }
          if (shown.size() == 1 && shown[0].text == text) return testing::AssertionSuccess();
          testing::AssertionResult failure = testing::AssertionFailure() << shown.size() << " shown";
          for (const TooltipFacts& tip : shown) failure << ", \"" << tip.text << "\"";
          return failure;
        },
        10s));
  }
}

// The item under the pointer turns white and the others take the menu colour. At rest the items
// show the button face, so the change is visible even where the menu colour is white, as under
// Wine. The pointer rests far right on its item, so that its tooltip, which opens below and
// right of it, covers nothing of the items left of it, where their colours are read.
TEST_F(Menu, LightsTheItemUnderThePointer) {
  ASSERT_NO_FATAL_FAILURE(Start());
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu({300, 200}, &menu));
  const Rgb menuColour = SystemColours({syscolor::kMenu}).front();
  const int lit = static_cast<int>(MenuItem::Close);
  const Point pointer{menu.rect.x + 110, MenuItemPoint(menu.rect, MenuItem::Close).y};
  MoveTo(pointer);
  const auto onlyCloseLit = [&](const Image& shot) -> testing::AssertionResult {
    for (int item = 0; item < 7; ++item) {
      const Rgb expected = item == lit ? kWhite : menuColour;
      Rect band = ItemBand(menu.rect, item);
      band.width = pointer.x - 2 - band.x;
      const Rgb seen = DominantColour(shot, band);
      if (!Near(seen, expected, kTolerance)) {
        return testing::AssertionFailure() << "item " << item + 1 << " is " << seen << ", not " << expected;
      }
    }
    return testing::AssertionSuccess();
  };
  EXPECT_TRUE(WaitForScreen(menu.rect, "only the Close item lit", onlyCloseLit, {}, 5s));
}

// --- Exit ----------------------------------------------------------------------------------------

struct ExitCase {
  const char* what;
  bool withPicture;
};

std::ostream& operator<<(std::ostream& out, const ExitCase& e) { return out << e.what; }

class MenuExit : public Menu, public testing::WithParamInterface<ExitCase> {};

// Saved at 1507, 908 twips, the window starts at pixel (100, 61); the exit stores those pixels.
TEST_P(MenuExit, StoresTheWindowsPixelsAndPictureAndEnds) {
  const std::string path = GetParam().withPicture ? AddQuadrantPicture(app_) : kNoPictureMarker;
  ASSERT_NO_FATAL_FAILURE(Start(SettingsRecord{1507, 908, path}));
  WindowFacts menu;
  ASSERT_TRUE(OpenMenu({window_.rect.x + 150, window_.rect.y + 100}, &menu));
  Click(MenuItemPoint(menu.rect, MenuItem::Exit));
  ASSERT_TRUE(app_.WaitForExit());
  EXPECT_EQ(app_.Exit()->code, 0) << app_.Exit()->Describe();
  EXPECT_EQ(ReadSettingsRecord(app_), (SettingsRecord{100 * kTwipsPerPixel, 61 * kTwipsPerPixel, path}));
  EXPECT_FALSE(FindShownWindow(kHelpTitle).has_value());
}

INSTANTIATE_TEST_SUITE_P(Faces, MenuExit, testing::Values(ExitCase{"help panel", false}, ExitCase{"picture", true}),
                         [](const auto& testCase) { return CaseName(testCase.param.what); });

}  // namespace
}  // namespace corvane::e2e
