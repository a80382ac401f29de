// One Corvane per session: a second start leaves at once and the first goes on.
#include <gtest/gtest.h>

#include <filesystem>

#include "corvane.h"

namespace corvane::e2e {
namespace {

int ShownWindowsNamed(const std::string& name) {
  int count = 0;
  for (const XTopLevel& window : TopLevelWindows()) count += window.mapped && window.name == name;
  return count;
}

TEST(SingleInstance, ASecondStartEndsAtOnceAndLeavesTheFirstRunning) {
  App first;
  first.Start();
  ASSERT_TRUE(first.WaitForWindow(kHelpTitle, nullptr));

  App second;  // a copy in another folder: the rule is per session, not per folder
  second.Start();
  ASSERT_TRUE(second.WaitForExit(10s));
  EXPECT_TRUE(second.Exit()->Exited()) << second.Exit()->Describe();
  EXPECT_FALSE(second.ReadSettings().has_value()) << "the second start wrote " << kSettingsFileName;

  EXPECT_TRUE(first.Running());
  EXPECT_EQ(ShownWindowsNamed(kHelpTitle), 1);
}

TEST(SingleInstance, ASecondStartFromTheSameFolderLeavesTheSettingsFileAlone) {
  App first;
  first.Start();
  ASSERT_TRUE(first.WaitForWindow(kHelpTitle, nullptr));
  // A record the second start would show (a picture at another place) if it went on, with a
  // modification time it would change if it wrote the file at all.
  const std::vector<std::uint8_t> record = EncodeSettings({4500, 3000, AddFixture(first, "bmp40x30.bmp")});
  first.WriteSettings(record);
  const auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(first.SettingsFile(), stamp);

  ChildProcess second = ChildProcess::Start(first.Command(), first.Folder());
  ASSERT_TRUE(second.Wait(10s).has_value()) << "the second Corvane still runs";
  EXPECT_TRUE(second.Status()->Exited()) << second.Status()->Describe();

  EXPECT_EQ(first.ReadSettings(), record);
  EXPECT_EQ(std::filesystem::last_write_time(first.SettingsFile()), stamp);
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(ShownWindowsNamed(kHelpTitle), 1);
}

}  // namespace
}  // namespace corvane::e2e
