// Waiting for conditions: poll with a deadline, never sleep a fixed time and hope. A wait that
// fails says what it waited for and, when the condition can tell, why it last did not hold.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <type_traits>

namespace corvane::e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// Long enough for a Wine start on a busy two-core machine, short enough to fail in time.
constexpr Millis kDefaultTimeout = 20s;
constexpr Millis kPollInterval = 25ms;

// Polls condition until it holds or timeout has passed. The result names `what` on failure,
// with the last failure message of the condition when it returns an AssertionResult.
testing::AssertionResult PollFor(const std::string& what, const std::function<testing::AssertionResult()>& condition,
                                 Millis timeout = kDefaultTimeout);

// As PollFor, for a condition that returns bool or testing::AssertionResult:
//   ASSERT_TRUE(Eventually("the window to close", [&] { return !app.Running(); }));
template <class Condition>
testing::AssertionResult Eventually(const std::string& what, Condition&& condition, Millis timeout = kDefaultTimeout) {
  return PollFor(
      what,
      [&]() -> testing::AssertionResult {
        if constexpr (std::is_same_v<std::decay_t<decltype(condition())>, testing::AssertionResult>) {
          return condition();
        } else {
          return condition() ? testing::AssertionSuccess() : testing::AssertionFailure();
        }
      },
      timeout);
}

}  // namespace corvane::e2e
