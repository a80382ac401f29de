// The mouse on the picture window: a left press on the ground, the picture or a help label moves
// the window with the mouse until the release; the middle button does nothing; a double click
// on the ground or the picture saves the window's place and picture and ends the program, one
// on a help label or the link label does nothing.
#include <gtest/gtest.h>

#include <vector>

#include "corvane.h"

namespace corvane::e2e {
namespace {

constexpr Point kPictureWindowPlace{200, 100};

enum class Face { HelpPanel, Picture };

// A place on the window, in twips from its top-left corner.
struct Spot {
  const char* what;
  Face face;
  int xTwips;
  int yTwips;
};

std::ostream& operator<<(std::ostream& out, const Spot& spot) { return out << spot.what; }
std::string SpotName(const testing::TestParamInfo<Spot>& info) { return CaseName(info.param.what); }

// The ground beside Label8, clear of every label.
constexpr Spot kGround{"the ground", Face::HelpPanel, 300, 2250};
// The picture, below the link label that covers its top-left corner.
constexpr Spot kPicture{"the picture", Face::Picture, 1500, 1200};

class PictureWindowMouse : public testing::Test {
 protected:
  // Starts on the help panel at its default place, or with a saved picture at
  // kPictureWindowPlace; remembers the settings file as the start left it.
  void StartOn(Face face) {
    if (face == Face::Picture) {
      const std::string picture = AddQuadrantPicture(app_);
      app_.WriteSettings(
          EncodeSettings({kPictureWindowPlace.x * kTwipsPerPixel, kPictureWindowPlace.y * kTwipsPerPixel, picture}));
    }
    app_.Start();
    ASSERT_TRUE(app_.WaitForWindow(kHelpTitle, &window_));
    const Rect expected = face == Face::Picture ? Rect{kPictureWindowPlace.x, kPictureWindowPlace.y,
                                                       kQuadrantPictureWidth, kQuadrantPictureHeight}
                                                : Rect{kDefaultPlace.x, kDefaultPlace.y, kHelpWidth, kHelpHeight};
    ASSERT_TRUE(WaitForPictureWindowAt(app_, expected, &window_));
    ASSERT_TRUE(Eventually("the settings file", [&] { return ReadSettingsRecord(app_).has_value(); }));
    settingsAtStart_ = *app_.ReadSettings();
  }

  Point At(const Spot& spot) const { return {window_.rect.x + Px(spot.xTwips), window_.rect.y + Px(spot.yTwips)}; }

  // Right-clicks `at` and waits for the menu: by then the program has handled all earlier input.
  testing::AssertionResult InputHandled(Point at) { return OpenMenu(at); }

  // The program runs, its window is where it was and the settings file is as the start left it.
  void ExpectNothingChanged() {
    EXPECT_TRUE(app_.Running());
    EXPECT_EQ(ShownPictureWindow(app_)->rect, window_.rect);
    EXPECT_EQ(app_.ReadSettings(), settingsAtStart_);
  }

  App app_;
  XTopLevel window_;
  std::vector<std::uint8_t> settingsAtStart_;
};

// --- dragging ----------------------------------------------------------------------------------

class LeftDrag : public PictureWindowMouse, public testing::WithParamInterface<Spot> {};

TEST_P(LeftDrag, MovesTheWindowWithTheMouseUntilTheRelease) {
  const Spot& grab = GetParam();
  ASSERT_NO_FATAL_FAILURE(StartOn(grab.face));
  const Rect start = window_.rect;
  const Point from = At(grab);

  MoveTo(from);
  Press(Button::Left);
  // The window follows each step of the path (right, then back left and down) at once.
  for (const Point offset : {Point{60, 40}, Point{210, 50}, Point{150, 170}}) {
    MoveTo({from.x + offset.x, from.y + offset.y});
    const Rect expected{start.x + offset.x, start.y + offset.y, start.width, start.height};
    EXPECT_TRUE(WaitForPictureWindowAt(app_, expected, nullptr, 5s))
        << "pressed on " << grab.what << ", the mouse moved by " << offset;
  }
  Release(Button::Left);
  const Rect moved{start.x + 150, start.y + 170, start.width, start.height};

  // After the release the window stays when the mouse moves on (here clear of the link label).
  const Point elsewhere{moved.x + 60, moved.y + 60};
  ASSERT_TRUE(InputHandled(elsewhere));
  EXPECT_EQ(ShownPictureWindow(app_)->rect, moved);
  const auto facts = ProbeWindow(kHelpTitle);
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->rect, moved) << "where Windows has the window";
}

INSTANTIATE_TEST_SUITE_P(ByWhatIsPressed, LeftDrag,
                         testing::Values(kGround,
                                         Spot{"Label1, the transparent title", Face::HelpPanel, 1560 + 450, 120 + 180},
                                         Spot{"Label4", Face::HelpPanel, 840 + 2400, 960 + 300},
                                         Spot{"Label5", Face::HelpPanel, 120 + 300, 3120 + 150}, kPicture),
                         SpotName);

// --- the middle button -------------------------------------------------------------------------

enum class MiddleAction { Click, DoubleClick, Drag };

std::string MiddleActionName(MiddleAction action) {
  switch (action) {
    case MiddleAction::Click: return "Click";
    case MiddleAction::DoubleClick: return "DoubleClick";
    case MiddleAction::Drag: return "Drag";
  }
  return "?";
}
std::ostream& operator<<(std::ostream& out, MiddleAction action) { return out << MiddleActionName(action); }

class MiddleButton : public PictureWindowMouse, public testing::WithParamInterface<MiddleAction> {};

TEST_P(MiddleButton, ChangesNothing) {
  ASSERT_NO_FATAL_FAILURE(StartOn(Face::HelpPanel));
  const Point ground = At(kGround);
  switch (GetParam()) {
    case MiddleAction::Click: Click(ground, Button::Middle); break;
    case MiddleAction::DoubleClick: DoubleClick(ground, Button::Middle); break;
    case MiddleAction::Drag: Drag(ground, {ground.x + 120, ground.y + 80}, 8, Button::Middle); break;
  }
  ASSERT_TRUE(InputHandled(ground));
  ExpectNothingChanged();
}

INSTANTIATE_TEST_SUITE_P(Actions, MiddleButton,
                         testing::Values(MiddleAction::Click, MiddleAction::DoubleClick, MiddleAction::Drag),
                         [](const auto& testCase) { return MiddleActionName(testCase.param); });

// --- double clicks -----------------------------------------------------------------------------

class DoubleClickOnALabel : public PictureWindowMouse, public testing::WithParamInterface<Spot> {};

TEST_P(DoubleClickOnALabel, KeepsTheProgramRunning) {
  const Spot& label = GetParam();
  ASSERT_NO_FATAL_FAILURE(StartOn(label.face));
  DoubleClick(At(label));
  ASSERT_TRUE(InputHandled(At(label.face == Face::Picture ? kPicture : kGround)));
  ExpectNothingChanged();
}

INSTANTIATE_TEST_SUITE_P(Labels, DoubleClickOnALabel,
                         testing::Values(Spot{"Label2", Face::HelpPanel, 960 + 600, 3120 + 150},
                                         Spot{"Label8", Face::HelpPanel, 840 + 2400, 2040 + 300},
                                         Spot{"Label10", Face::HelpPanel, 2280 + 300, 2760 + 150},
                                         Spot{"the link label", Face::Picture, 45, 45}),
                         SpotName);

class DragThenDoubleClick : public PictureWindowMouse, public testing::WithParamInterface<Spot> {};

TEST_P(DragThenDoubleClick, SavesTheNewPlaceAndEnds) {
  const Spot& grab = GetParam();
  ASSERT_NO_FATAL_FAILURE(StartOn(grab.face));
  const std::string pathAtStart = ReadSettingsRecord(app_)->path;
  const Point from = At(grab);
  const Point to{from.x + 137, from.y + 91};
  Drag(from, to);
  const Rect moved{window_.rect.x + 137, window_.rect.y + 91, window_.rect.width, window_.rect.height};
  ASSERT_TRUE(WaitForPictureWindowAt(app_, moved));

  DoubleClick(to);
  ASSERT_TRUE(app_.WaitForExit());
  EXPECT_TRUE(app_.Exit()->Exited() && app_.Exit()->code == 0) << app_.Exit()->Describe();
  EXPECT_EQ(ReadSettingsRecord(app_),
            (SettingsRecord{moved.x * kTwipsPerPixel, moved.y * kTwipsPerPixel, pathAtStart}));
}

INSTANTIATE_TEST_SUITE_P(OnTheGroundAndThePicture, DragThenDoubleClick, testing::Values(kGround, kPicture), SpotName);

}  // namespace
}  // namespace corvane::e2e
