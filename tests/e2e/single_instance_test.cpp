// One Corvane per session: a second start leaves at once and the first goes on.
#include <gtest/gtest.h>

#include "e2e.h"

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

}  // namespace
}  // namespace corvane::e2e
