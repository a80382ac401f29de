// Tells a double click from two single ones, as Windows does: the second press of the same
// button within the double-click time and distance of the first is the double click, and the
// press after a double click starts afresh.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace corvane::gtk {

struct ClickRules {
  std::uint32_t time = 400;  // milliseconds
  int distance = 5;          // pixels either way
};

class ClickCounter {
 public:
  // A press of `button` at `at` (screen pixels: a window the window manager moves between the
  // two presses of a still pointer still gets its double click) at `time` (milliseconds); true
  // when it completes a double click.
  bool Press(int button, PixelPoint at, std::uint32_t time, const ClickRules& rules);

 private:
  bool armed_ = false;
  int button_ = 0;
  PixelPoint at_;
  std::uint32_t time_ = 0;
};

}  // namespace corvane::gtk
