// The processor between frames: an animation leaves the program asleep until its next frame is
// due, and a still picture leaves it asleep for good. The program's own use is read from /proc:
// its processor time and how often its threads woke (voluntary context switches; the program
// under Wine is the wine process itself). The bounds are loose on purpose, as a busy machine
// slows the program but does not make it wake more often: a busy loop, or a timer that fires
// every few milliseconds, breaks them many times over.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include "corvane.h"

namespace corvane::e2e {
namespace {

using Clock = std::chrono::steady_clock;

// What a program at rest may use of the time measured. A frame a second costs the program
// under Wine about a dozen wake-ups (its server calls while painting), the Linux program two.
struct Bounds {
  double cpuShare;
  double wakeupsPerSecond;
};
constexpr Bounds kBetweenFrames{0.10, 40};
constexpr Bounds kStill{0.05, 5};

testing::AssertionResult Rested(const ProcessUsage& before, const ProcessUsage& after, Clock::duration elapsed,
                                const Bounds& bounds) {
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const double cpuShare = static_cast<double>((after.cpu - before.cpu).count()) / 1000.0 / seconds;
  const double wakeups = static_cast<double>(after.wakeups - before.wakeups) / seconds;
  std::ostringstream facts;
  facts << "over " << seconds << " s: " << (after.cpu - before.cpu).count() << " ms of processor time ("
        << cpuShare * 100 << "%, at most " << bounds.cpuShare * 100 << "%), " << wakeups
        << " wake-ups a second (at most " << bounds.wakeupsPerSecond << ")";
  if (cpuShare <= bounds.cpuShare && wakeups <= bounds.wakeupsPerSecond)
    return testing::AssertionSuccess() << facts.str();
  return testing::AssertionFailure() << facts.str();
}

testing::AssertionResult StartShowing(App& app, Point place, const std::string& path) {
  return StartWithSettings(app, EncodeSettings({place.x * kTwipsPerPixel, place.y * kTwipsPerPixel, Cp1252(path)}));
}

TEST(Resting, AnAnimationSleepsBetweenItsFrames) {
  App app;
  const Point place{220, 220};
  // Two whole frames, red then green, a second each, for ever.
  const std::string slow = AddConvertedPicture(
      app, {"-loop", "0", "-delay", "100", "-size", "200x100", "xc:red", "xc:lime"}, "slow200x100.gif");
  ASSERT_TRUE(StartShowing(app, place, slow));
  const Rect window{place.x, place.y, 200, 100};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  const auto frame = [&](Rgb colour, const std::string& what) {
    return WaitForScreen(
        window, what,
        [&](const Image& shot) {
          return SpotsHold(shot, {{what, {place.x + 100, place.y + 50}, colour, 8}});
        },
        "resting-animation", 5s);
  };
  ASSERT_TRUE(frame(kRed, "the red frame"));
  ASSERT_TRUE(frame(Rgb::FromHex(0x00FF00), "the green frame"));

  // Two more frames, about two seconds, measured from one change of frame to another.
  const Clock::time_point start = Clock::now();
  const std::optional<ProcessUsage> before = ReadProcessUsage(app.Pid());
  ASSERT_TRUE(before.has_value());
  ASSERT_TRUE(frame(kRed, "the red frame again"));
  ASSERT_TRUE(frame(Rgb::FromHex(0x00FF00), "the green frame again"));
  const std::optional<ProcessUsage> after = ReadProcessUsage(app.Pid());
  ASSERT_TRUE(after.has_value());
  EXPECT_TRUE(Rested(*before, *after, Clock::now() - start, kBetweenFrames));
}

TEST(Resting, AStillPictureLeavesTheProgramAsleep) {
  App app;
  const Point place{240, 240};
  ASSERT_TRUE(StartShowing(app, place, AddFixture(app, "png48x36.png")));
  const Rect window{place.x, place.y, 48, 36};
  ASSERT_TRUE(WaitForPictureWindowAt(app, window));
  ASSERT_TRUE(WaitForScreen(window, "the picture", [&](const Image& shot) {
    return SpotsHold(shot, {{"its blue block", {place.x + 10, place.y + 20}, kBlue, 4}});
  }));
  // Once the start has settled, whole seconds pass without the program waking: no timer runs.
  // Each try measures one second of the program's life.
  ASSERT_TRUE(Eventually(
      "a second in which the program sleeps",
      [&]() -> testing::AssertionResult {
        const Clock::time_point start = Clock::now();
        const std::optional<ProcessUsage> before = ReadProcessUsage(app.Pid());
        std::this_thread::sleep_for(1s);
        const std::optional<ProcessUsage> after = ReadProcessUsage(app.Pid());
        if (!before || !after) return testing::AssertionFailure() << "the program ended";
        return Rested(*before, *after, Clock::now() - start, kStill);
      },
      15s));
}

}  // namespace
}  // namespace corvane::e2e
