#include "platform/gtk/click_counter.h"

#include <cstdlib>

namespace corvane::gtk {

bool ClickCounter::Press(int button, PixelPoint at, std::uint32_t time, const ClickRules& rules) {
  // The clock is the X server's 32-bit millisecond count: the difference wraps correctly.
  const bool twice = armed_ && button == button_ && static_cast<std::uint32_t>(time - time_) <= rules.time &&
                     std::abs(at.x - at_.x) <= rules.distance && std::abs(at.y - at_.y) <= rules.distance;
  armed_ = !twice;
  button_ = button;
  at_ = at;
  time_ = time;
  return twice;
}

}  // namespace corvane::gtk
