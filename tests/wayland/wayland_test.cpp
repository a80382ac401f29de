// The Linux program as a native Wayland client on headless sway: its windows are layer surfaces
// on the overlay layer, placed where the settings say, above ordinary windows, moved by a drag,
// with the menu above the picture window taking the keys, click-through and the command that
// ends it, and pins that follow an output that goes away.
#include <signal.h>
#include <sys/wait.h>

#include <memory>
#include <thread>

#include "session.h"

namespace corvane::wayland_e2e {
namespace {

constexpr Rgb kGroundGreen = Rgb::Hex(0x00C000);
constexpr Rgb kMenuWhite = Rgb::Hex(0xFFFFFF);
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

  testing::AssertionResult PanelAt(const Rect& expected, const std::string& what) {
    return Saved(Eventually("the help panel at " + testing::PrintToString(expected) + " (" + what + ")", [&] {
      const std::optional<Rect> shown = compositor_->Capture().BoundsOf(kGroundGreen);
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

  // A foot terminal, which sway tiles over the whole output.
  testing::AssertionResult StartFoot() {
    foot_ = compositor_->SpawnAsUser({"foot", "--app-id=corvane-test-foot"}, program_->Folder());
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
  pointer_->Click(420, 330, Pointer::kRight);
  ASSERT_TRUE(Saved(Eventually("the menu", [&] {
    const Screenshot shot = compositor_->Capture();
    // The menu's white ground covers the panel's green right of and below the pointer.
    for (const auto& [dx, dy] : {std::pair{4, 4}, {kMenuWidth - 4, 4}, {4, kMenuHeight - 4}}) {
      if (!Near(shot.At(420 + dx, 330 + dy), kMenuWhite, 4)) {
        return testing::AssertionFailure() << "at +" << dx << ",+" << dy << ": " << shot.At(420 + dx, 330 + dy);
      }
    }
    return testing::AssertionSuccess();
  })));
  compositor_->Capture("menu");
  // Its access key closes it: the keyboard is the menu's.
  compositor_->Keys({"-M", "alt", "c", "-m", "alt"});
  EXPECT_TRUE(Eventually("the menu closed", [&] {
    const Rgb under = compositor_->Capture().At(420 + 4, 330 + 4);
    if (Near(under, kGroundGreen, 4)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the panel shows " << under << " there";
  }));
  EXPECT_TRUE(program_->Running());
}

TEST_F(Wayland, AnOutputThatGoesAwayTakesItsPanelToTheNearestOne) {
  const std::vector<Compositor::Output> before = compositor_->Outputs();
  ASSERT_EQ(before.size(), 1u);
  ASSERT_FALSE(compositor_->Sway({"create_output"}).empty());
  std::vector<Compositor::Output> outputs;
  ASSERT_TRUE(Eventually("a second output", [&] {
    outputs = compositor_->Outputs();
    return outputs.size() == 2 ? testing::AssertionSuccess() : testing::AssertionFailure();
  }));
  const Compositor::Output second = outputs[0].name == before[0].name ? outputs[1] : outputs[0];
  const Rect& first = before[0].rect;
  ASSERT_NO_FATAL_FAILURE(StartAt(second.rect.x + 100, 120));
  compositor_->Capture("second-output");
  compositor_->Sway({"output", second.name, "disable"});
  EXPECT_TRUE(PanelAt({first.Right() - kHelpWidth, 120, kHelpWidth, kHelpHeight}, "after its output went away"));
  EXPECT_TRUE(program_->Running());
}

}  // namespace
}  // namespace corvane::wayland_e2e
