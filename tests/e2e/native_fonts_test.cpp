// The native program's text: it keeps fontconfig's answers for its faces in the user's cache
// folder, so that later starts read no font configuration (what it draws must not depend on
// where the answers came from, and answers that no longer hold must never be used), and it
// follows the desktop's font settings, as every other program on the desktop does.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "corvane.h"
#include "process.h"

namespace corvane::e2e {
namespace {

namespace fs = std::filesystem;

// A font that is no answer fontconfig gives for the layouts' face (fonts-wine installs it
// outside fontconfig's folders): drawn with it, the panel looks plainly different.
constexpr char kOtherFont[] = "/usr/share/wine/fonts/courier.ttf";

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

// `answers` with every answer's font file replaced by `file`.
std::string WithFontFile(std::string answers, const std::string& file) {
  for (std::size_t at = answers.find(":file="); at != std::string::npos; at = answers.find(":file=", at + 1)) {
    const std::size_t start = at + 6;
    const std::size_t end = answers.find_first_of(":\t\n", start);
    answers.replace(start, end - start, file);
  }
  return answers;
}

// The pixels of `shot` for which `counts` holds.
int CountPixels(const Image& shot, const std::function<bool(Point, Rgb)>& counts) {
  int n = 0;
  for (int y = shot.Area().y; y < shot.Area().Bottom(); ++y) {
    for (int x = shot.Area().x; x < shot.Area().Right(); ++x) n += counts({x, y}, shot.At({x, y})) ? 1 : 0;
  }
  return n;
}

int DifferentPixels(const Image& a, const Image& b) {
  if (a.Area() != b.Area()) return a.Area().width * a.Area().height;
  return CountPixels(a, [&](Point p, Rgb c) { return c != b.At(p); });
}

// A desktop's XSETTINGS manager: xsettingsd with a settings file of the test's own, told to
// read it again after each change.
class DesktopSettings {
 public:
  DesktopSettings(const fs::path& file, const std::string& settings) : file_(file) {
    XDisplay();  // settles which display the programs started from here open
    WriteText(file_, settings);
    daemon_ = ChildProcess::Start({"xsettingsd", "--config=" + file_.string()}, {}, file_.string() + ".log");
  }
  DesktopSettings(const DesktopSettings&) = delete;
  DesktopSettings& operator=(const DesktopSettings&) = delete;

  testing::AssertionResult WaitUntilRunning() {
    testing::AssertionResult owned =
        Eventually("xsettingsd to own the settings", [] { return SelectionHasOwner("_XSETTINGS_S0"); });
    if (!owned) owned << "\n  xsettingsd said: " << ReadText(file_.string() + ".log");
    return owned;
  }

  void Change(const std::string& settings) {
    WriteText(file_, settings);
    kill(daemon_.Pid(), SIGHUP);
  }

 private:
  fs::path file_;
  ChildProcess daemon_;  // ended with the test
};

// Pixels of text smoothed for a screen's subpixels: their red and green differ. Text smoothed in
// grey, or not at all, in white or black on the help panel's grounds has equal red and green.
int FringedPixels(const Image& shot) {
  return CountPixels(shot, [](Point, Rgb c) { return c.r != c.g; });
}

// Pixels of none of `colours`: the blends smoothed text is drawn with.
int PixelsOtherThan(const Image& shot, const std::set<std::uint32_t>& colours) {
  return CountPixels(
      shot, [&](Point, Rgb c) { return !colours.count(static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b)); });
}

class NativeFonts : public testing::Test {
 protected:
  void SetUp() override {
    if (!NativeTarget()) GTEST_SKIP() << "the native program's font answers";
    base_ = fs::temp_directory_path() / ("corvane-fonts-" + std::to_string(getpid()));
    fs::remove_all(base_);
    fs::create_directories(base_);
    cache_.emplace("XDG_CACHE_HOME", (base_ / "cache").string());
    config_.emplace("XDG_CONFIG_HOME", (base_ / "config").string());
  }

  void TearDown() override {
    cache_.reset();
    config_.reset();
    std::error_code ignored;
    fs::remove_all(base_, ignored);
  }

  fs::path AnswersFile() const { return base_ / "cache/corvane/fonts"; }

  testing::AssertionResult AnswersKept() {
    return Eventually("the font answers kept", [&] { return fs::exists(AnswersFile()); });
  }

  // Starts the program on its help panel and returns the panel once it is painted.
  Image HelpPanel(const std::string& label) {
    App app;
    app.Start();
    const Rect place{kDefaultPlace.x, kDefaultPlace.y, kHelpWidth, kHelpHeight};
    EXPECT_TRUE(WaitForPictureWindowAt(app, place));
    Image shot;
    EXPECT_TRUE(WaitForScreen(
        place, "the help panel painted",
        [&](const Image& s) {
          shot = s;
          return SpotsHold(
              s, {{"the ground", {place.x + 2, place.y + 2}, kGroundGreen},
                  {"the blue label", {place.x + Px(840 + 30), place.y + Px(960 + 30)}, Rgb::FromHex(0x0000FF)}});
        },
        label));
    return shot;
  }

  fs::path base_;
  std::optional<ScopedEnvironment> cache_;
  std::optional<ScopedEnvironment> config_;
};

TEST_F(NativeFonts, TheFirstStartKeepsTheAnswersAndLaterStartsDrawTheSamePanelWithThem) {
  ASSERT_FALSE(fs::exists(AnswersFile()));
  const Image first = HelpPanel("first");
  ASSERT_TRUE(AnswersKept());
  const std::string kept = ReadText(AnswersFile());
  EXPECT_NE(kept.find("LiberationSans-Bold.ttf"), std::string::npos) << kept;

  EXPECT_EQ(DifferentPixels(first, HelpPanel("later")), 0);
  EXPECT_EQ(ReadText(AnswersFile()), kept) << "answers that hold are not written again";

  struct Case {
    const char* what;
    std::string answers;
  };
  const Case cases[] = {
      {"a file cut short", kept.substr(0, kept.size() / 2)},
      {"a file of something else", "[fonts]\nface=Arial\n"},
      {"answers naming a font file that is gone", WithFontFile(kept, "/nonexistent/corvane-font.ttf")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteText(AnswersFile(), c.answers);
    EXPECT_EQ(DifferentPixels(first, HelpPanel(c.what)), 0) << "drawn as fontconfig answers";
    EXPECT_TRUE(Eventually("the answers kept again", [&] { return ReadText(AnswersFile()) == kept; }));
  }
}

TEST_F(NativeFonts, KeptAnswersAreUsedWhileWhatTheyCameFromHoldsAndNeverAfter) {
  ASSERT_TRUE(fs::exists(kOtherFont)) << "fonts-wine is not installed";
  const Image first = HelpPanel("first");
  ASSERT_TRUE(AnswersKept());
  const std::string kept = ReadText(AnswersFile());

  // As if fontconfig had answered with another font: while nothing it read has changed, that
  // is the font the program draws with.
  WriteText(AnswersFile(), WithFontFile(kept, kOtherFont));
  const Image other = HelpPanel("kept answers used");
  EXPECT_GT(DifferentPixels(first, other), 500) << "the kept answers were not used";

  // A user's font configuration folder made: the answers no longer hold.
  fs::create_directories(base_ / "config/fontconfig");
  EXPECT_EQ(DifferentPixels(first, HelpPanel("configuration changed")), 0);
  EXPECT_TRUE(Eventually("fontconfig's answers kept", [&] {
    const std::string now = ReadText(AnswersFile());
    return now.find(kOtherFont) == std::string::npos && now.find("LiberationSans-Bold.ttf") != std::string::npos;
  }));
}

TEST_F(NativeFonts, TextFollowsTheDesktopsFontSettingsAndTheirChanges) {
  DesktopSettings desktop(base_ / "xsettings", "Xft/Antialias 1\nXft/RGBA \"rgb\"\n");
  ASSERT_TRUE(desktop.WaitUntilRunning());
  App app;
  app.Start();
  const Rect place{kDefaultPlace.x, kDefaultPlace.y, kHelpWidth, kHelpHeight};
  ASSERT_TRUE(WaitForPictureWindowAt(app, place));
  // "The most important usage:", white on blue.
  const Rect label{place.x + Px(1920), place.y + Px(600), Px(3210), Px(300)};

  EXPECT_TRUE(WaitForScreen(
      label, "text smoothed for the screen's subpixels, as the desktop asks",
      [](const Image& shot) {
        const int fringed = FringedPixels(shot);
        return fringed > 100 ? testing::AssertionSuccess()
                             : testing::AssertionFailure() << fringed << " fringed pixels";
      },
      "subpixels"));

  desktop.Change("Xft/Antialias 0\n");
  EXPECT_TRUE(WaitForScreen(
      label, "text drawn again without smoothing",
      [](const Image& shot) {
        // The label's blue and white, and the panel's green around the label.
        const int blends = PixelsOtherThan(shot, {0x0000FF, 0xFFFFFF, 0x00C000});
        return blends == 0 ? testing::AssertionSuccess() : testing::AssertionFailure() << blends << " blended pixels";
      },
      "no smoothing"));
}

}  // namespace
}  // namespace corvane::e2e
