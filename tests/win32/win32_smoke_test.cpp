#include <gtest/gtest.h>

#include "platform/win32/win32_internal.h"

namespace corvane::win32 {
namespace {

TEST(Win32Text, WidenAndNarrowRoundTrip) {
  const std::string text = "C:\\Bilder\\caf\xC3\xA9.jpg";
  EXPECT_EQ(Narrow(Widen(text)), text);
}

}  // namespace
}  // namespace corvane::win32
