// The Linux program as a native Wayland client on headless sway: its windows are layer surfaces
// on the overlay layer, placed where the settings say, above ordinary windows, moved by a drag,
// with the menu above the picture window taking the keys, click-through and the command that
// ends it, and a second output.
#include <signal.h>
#include <sys/wait.h>

#include <memory>
#include <thread>

#include "session.h"

namespace corvane::wayland_e2e {
namespace {

constexpr Rgb kGroundGreen = Rgb::Hex(0x00C000);
constexpr Rgb kMenuGround = Rgb::Hex(0xF0F0F0);
constexpr Rgb kOutlineRed = Rgb::Hex(0xFF0000);
constexpr int kHelpWidth = 464;   // 6960 twips
constexpr int kHelpHeight = 343;  // 5145 twips
constexpr int kMenuWidth = 138;   // 2070 twips
constexpr int kMenuHeight = 170;  // 2550 twips

class Wayland : public testing::Test {
 protected:
  void SetUp() override {
    compositor_ = Compositor::Get();
    ASSERT_NE(compositor_, nullptr) << "no compositor: scripts/test.sh -L e2e-wayland starts one";
    pointer_ = std::make_unique<Pointer>(*compositor_);
    program_ = std::make_unique<Program>(*compositor_);
  }

  void TearDown() override {
    if (program_) program_->Stop();
    if (foot_ > 0) {
      kill(foot_, SIGTERM);
      waitpid(foot_, nullptr, 0);
    }
  }

  // Starts on the help panel at `place` and waits until its green ground is shown there.
  void StartAt(int x, int y, const std::vector<std::string>& args = {}) {
    program_->WriteSettings(x, y);
    program_->Start(args);
    ASSERT_TRUE(PanelAt({x, y, kHelpWidth, kHelpHeight}, "start"));
  }

  // Looked for on the output that holds the expected place: sway 1.7 leaves stale pixels on a
  // second headless output now and then.
  testing::AssertionResult PanelAt(const Rect& expected, const std::string& what) {
    Rect output{0, 0, 0, 0};
    for (const Compositor::Output& o : compositor_->Outputs()) {
      if (expected.x >= o.rect.x && expected.x < o.rect.Right() && expected.y >= o.rect.y &&
          expected.y < o.rect.Bottom()) {
        output = o.rect;
      }
    }
    return Saved(Eventually("the help panel at " + testing::PrintToString(expected) + " (" + what + ")", [&] {
      const std::optional<Rect> shown = compositor_->Capture().BoundsOf(kGroundGreen, output);
      if (shown == expected) return testing::AssertionSuccess();
      return testing::AssertionFailure() << "its green ground is at "
                                         << (shown ? testing::PrintToString(*shown) : std::string("no place"));
    }));
  }

  // A failure leaves a screenshot behind, named after the test, for people to look at.
  testing::AssertionResult Saved(testing::AssertionResult result) {
    if (!result) {
      const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
      compositor_->Capture(std::string(test->name()) + "-failed");
    }
    return result;
  }

  // A foot terminal, which sway tiles over the whole first output (with a command of its own:
  // the tests' user has no login shell).
  testing::AssertionResult StartFoot() {
    compositor_->Sway({"focus", "output", compositor_->Outputs().at(0).name});
    foot_ = compositor_->SpawnAsUser({"foot", "--app-id=corvane-test-foot", "sleep", "600"}, program_->Folder());
    return Eventually("foot's window", [&] {
      if (compositor_->Sway({"-t", "get_tree"}).find("corvane-test-foot") != std::string::npos) {
        return testing::AssertionSuccess();
      }
      return testing::AssertionFailure() << "not in sway's tree";
    });
  }

  // The bare green ground left of the Step labels, a press there drags the panel.
  static std::pair<int, int> Ground(int x, int y) { return {x + 20, y + 150}; }

  Compositor* compositor_ = nullptr;
  std::unique_ptr<Pointer> pointer_;
  std::unique_ptr<Program> program_;
  pid_t foot_ = -1;
};

TEST_F(Wayland, StartsAtItsSavedPlaceAboveAWindowFillingTheOutput) {
  ASSERT_TRUE(StartFoot());
  ASSERT_NO_FATAL_FAILURE(StartAt(300, 200));
  // The terminal has the focus and the click, and the panel stays whole above it.
  compositor_->Sway({"[app_id=corvane-test-foot] focus"});
  pointer_->Click(1000, 800);
  EXPECT_TRUE(PanelAt({300, 200, kHelpWidth, kHelpHeight}, "after a click on the terminal"));
  const Screenshot shot = compositor_->Capture("above-foot");
  EXPECT_FALSE(Near(shot.At(1000, 800), Rgb::Hex(0x404040), 4)) << "the terminal does not fill the output";
}

TEST_F(Wayland, ADragMovesThePanelAndADoubleClickSavesTheNewPlace) {
  ASSERT_NO_FATAL_FAILURE(StartAt(300, 200));
  const auto [x, y] = Ground(300, 200);
  pointer_->Drag(x, y, x + 200, y + 130);
  ASSERT_TRUE(PanelAt({500, 330, kHelpWidth, kHelpHeight}, "after the drag"));
  compositor_->Capture("dragged");
  pointer_->DoubleClick(x + 200, y + 130);
  int status = -1;
  ASSERT_TRUE(program_->WaitForExit(10s, &status));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(program_->SavedPlace(), std::make_pair(500, 330));
}

TEST_F(Wayland, AQuickClickNeverDrags) {
  ASSERT_NO_FATAL_FAILURE(StartAt(300, 200));
  const auto [x, y] = Ground(300, 200);
  pointer_->Click(x, y);
  // A small wobble with the button down stays a click (after the double-click time: a second
  // click at once would be a double click, which saves and exits).
  std::this_thread::sleep_for(800ms);
  pointer_->Press();
  pointer_->MoveTo(x + 2, y + 1);
  pointer_->Release();
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(PanelAt({300, 200, kHelpWidth, kHelpHeight}, "after the clicks"));
  EXPECT_TRUE(program_->Running());
}

TEST_F(Wayland, TheMenuOpensAtThePointerAboveThePanelAndTakesTheKeys) {
  ASSERT_NO_FATAL_FAILURE(StartAt(300, 200));
  const int x = 420, y = 330;
  pointer_->Click(x, y, Pointer::kRight);
  // Its bottom-right corner at the pointer, as on X11 and Windows; right of the Exit and About
  // items its ground covers the panel's labels.
  const Rect menu{x - kMenuWidth, y - kMenuHeight, kMenuWidth, kMenuHeight};
  const std::vector<std::pair<int, int>> ground{{menu.x + 120, menu.y + 60}, {menu.x + 120, menu.y + 105}};
  const auto menuShown = [&](bool shown) {
    const Screenshot shot = compositor_->Capture();
    for (const auto& [px, py] : ground) {
      if (Near(shot.At(px, py), kMenuGround, 4) != shown) {
        return testing::AssertionFailure() << "at (" << px << ", " << py << "): " << shot.At(px, py);
      }
    }
    return testing::AssertionSuccess();
  };
  ASSERT_TRUE(Saved(Eventually("the menu above the panel", [&] { return menuShown(true); })));
  compositor_->Capture("menu");
  // Its access key closes it: the keyboard is the menu's.
  compositor_->Keys({"-M", "alt", "c", "-m", "alt"});
  EXPECT_TRUE(Saved(Eventually("the menu closed", [&] { return menuShown(false); })));
  EXPECT_TRUE(PanelAt({300, 200, kHelpWidth, kHelpHeight}, "after the menu"));
  EXPECT_TRUE(program_->Running());
}

TEST_F(Wayland, ClickThroughLetsClicksPassBetweenTheCommandsThatBeginAndEndIt) {
  ASSERT_NO_FATAL_FAILURE(StartAt(300, 200));
  const auto [x, y] = Ground(300, 200);
  // The command lets the mouse through, the red outline says so.
  EXPECT_EQ(program_->SecondStart({"--click-through=on"}), 0);
  const auto outlined = [&](bool shown) {
    return Saved(Eventually(shown ? "the outline" : "no outline", [&] {
      const Rgb corner = compositor_->Capture().At(300 + kHelpWidth - 1, 200 + kHelpHeight - 1);
      if (Near(corner, kOutlineRed, 8) == shown) return testing::AssertionSuccess();
      return testing::AssertionFailure() << "the bottom-right corner is " << corner;
    }));
  };
  ASSERT_TRUE(outlined(true));
  compositor_->Capture("click-through");
  // A double click and a drag pass through: the panel neither ends nor moves.
  std::this_thread::sleep_for(600ms);
  pointer_->DoubleClick(x, y);
  pointer_->Drag(x, y, x + 100, y + 100);
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(program_->Running());
  // Within the two-pixel outline.
  EXPECT_EQ(compositor_->Capture().BoundsOf(kGroundGreen, {0, 0, 1280, 1024}),
            (Rect{302, 202, kHelpWidth - 4, kHelpHeight - 4}));
  // The command a desktop binds to a key gives the mouse back.
  EXPECT_EQ(program_->SecondStart({"--click-through=off"}), 0);
  ASSERT_TRUE(outlined(false));
  std::this_thread::sleep_for(600ms);
  pointer_->DoubleClick(x, y);
  EXPECT_TRUE(program_->WaitForExit(10s));
}

// sway 1.7's headless outputs cannot be disabled (the commit fails), so an output going away is
// not tested here; a second one stays for the rest of the session, and the other tests keep to
// the first.
TEST_F(Wayland, APanelStartsOnTheOutputHoldingItsPlaceAndSavesItInTheLayout) {
  std::vector<Compositor::Output> outputs = compositor_->Outputs();
  ASSERT_FALSE(outputs.empty());
  const std::string first = outputs[0].name;
  if (outputs.size() < 2) {
    ASSERT_FALSE(compositor_->Sway({"create_output"}).empty());
    ASSERT_TRUE(Eventually("a second output", [&] {
      outputs = compositor_->Outputs();
      return outputs.size() == 2 ? testing::AssertionSuccess() : testing::AssertionFailure();
    }));
  }
  const Rect second = (outputs[0].name == first ? outputs[1] : outputs[0]).rect;
  compositor_->Sway({"focus", "output", first});
  ASSERT_GE(second.x, 1280) << "the second output is expected right of the first";
  ASSERT_NO_FATAL_FAILURE(StartAt(second.x + 100, second.y + 120));
  compositor_->Capture("second-output");
  const auto [x, y] = Ground(second.x + 100, second.y + 120);
  pointer_->DoubleClick(x, y);
  ASSERT_TRUE(program_->WaitForExit(10s));
  EXPECT_EQ(program_->SavedPlace(), std::make_pair(second.x + 100, second.y + 120));
}

}  // namespace
}  // namespace corvane::wayland_e2e
