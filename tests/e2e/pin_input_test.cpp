// What moves or opens a pin from the keyboard and a drop: the arrow keys nudge the picture
// window a pixel, ten with Shift; a file dropped with Ctrl held opens as a new pin at the drop
// point and leaves the window it was dropped on as it was.
#include <gtest/gtest.h>

#include <algorithm>

#include "corvane.h"
#include "input.h"
#include "xdnd.h"

namespace corvane::e2e {
namespace {

class PinInput : public testing::Test {
 protected:
  void SetUp() override {
    app_.Start();
    ASSERT_TRUE(app_.WaitForWindow(kHelpTitle, &window_));
  }

  App app_;
  XTopLevel window_;
};

TEST_F(PinInput, TheArrowKeysMoveTheWindowAPixelOrTenWithShift) {
  struct Case {
    const char* chord;
    int dx;
    int dy;
  };
  const Case cases[] = {
      {"Left", -1, 0}, {"Right", 1, 0}, {"Up", 0, -1}, {"Down", 0, 1}, {"Shift+Right", 10, 0}, {"Shift+Down", 0, 10},
  };
  // Away from the screen's edges, where the window is kept on its monitor.
  Drag({window_.rect.x + 20, window_.rect.y + 60}, {window_.rect.x + 220, window_.rect.y + 260});
  Rect at = window_.rect;
  at.x += 200;
  at.y += 200;
  ASSERT_TRUE(WaitForPictureWindowAt(app_, at));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chord);
    // The keyboard follows the pointer on a display without a window manager.
    MoveTo({at.x + 20, at.y + 60});
    PressKey(c.chord);
    at.x += c.dx;
    at.y += c.dy;
    ASSERT_TRUE(WaitForPictureWindowAt(app_, at));
  }
}

TEST_F(PinInput, AFileDroppedWithCtrlOpensAsANewPinAtTheDropPoint) {
  AddFixture(app_, "bmp40x30.bmp");
  const Point at{window_.rect.x + 150, window_.rect.y + 100};
  {
    const HeldModifiers ctrl({"Ctrl"});
    ASSERT_TRUE(DropUriList(window_.id, at, FileUri(app_.Folder() / "bmp40x30.bmp") + "\r\n"));
  }
  ASSERT_TRUE(Eventually("a second pin", [&] { return ShownPins(app_).size() == 2; }));
  const std::vector<XTopLevel> pins = ShownPins(app_);
  const auto same = [&](const XTopLevel& pin) { return pin.id == window_.id; };
  const auto dropped = std::find_if(pins.begin(), pins.end(), same);
  const auto added = std::find_if_not(pins.begin(), pins.end(), same);
  ASSERT_NE(dropped, pins.end());
  ASSERT_NE(added, pins.end());
  EXPECT_EQ(dropped->rect, window_.rect) << "the window dropped on changed";
  EXPECT_EQ(added->rect, (Rect{at.x, at.y, 40, 30}));
}

}  // namespace
}  // namespace corvane::e2e
