#include "wait.h"

#include <thread>

namespace corvane::e2e {

testing::AssertionResult PollFor(const std::string& what, const std::function<testing::AssertionResult()>& condition,
                                 Millis timeout) {
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + timeout;
  for (;;) {
    testing::AssertionResult result = condition();
    if (result) return result;
    if (std::chrono::steady_clock::now() >= deadline) {
      testing::AssertionResult failure = testing::AssertionFailure();
      failure << "timed out after " << timeout.count() << " ms waiting for " << what;
      const std::string reason = result.message();
      if (!reason.empty()) failure << ": " << reason;
      return failure;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace corvane::e2e
