#include "platform/controls/text_layout.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(ParseCaption, Placeholder) { EXPECT_EQ(ParseCaption("&Exit").AccessKey(), 'E'); }

}  // namespace
}  // namespace corvane
