// Click-through of the picture window: Ctrl+T lets every mouse event pass through the window to
// the windows beneath, and a system-wide hot key takes the mouse back wherever the keyboard is.
// It holds for the help panel as for a picture (it is one window), and it is never saved: every
// start begins with the window taking the mouse.
#pragma once

#include <span>

#include "app/click_through_option.h"
#include "controls/form.h"

namespace corvane {

// A hot key that ends click-through, as the user reads its name.
struct WayBackKey {
  int modifiers = 0;  // ShiftMask bits
  char letter = 0;
  const char* name = "";
};

// Ctrl+Alt+T; when another program holds it, Ctrl+Alt+Shift+T.
std::span<const WayBackKey> WayBackKeys();

class ClickThroughSwitch {
 public:
  explicit ClickThroughSwitch(Form& form) : form_(form) {}

  // Ctrl+T: turns click-through on, or off again. It goes on only once a way back is
  // registered; when none can be, a message says why and the window stays as it is.
  void Toggle();
  // The way back was pressed: the window takes the mouse again.
  void WayBackPressed();
  // The command line's request (a key the desktop binds to `corvane --click-through=...`).
  void Ask(ClickThroughRequest request);
  bool On() const { return form_.ClickThrough(); }

 private:
  void Begin();
  void End();
  // Registers the first free way back; nullptr (after a message) when none can be.
  const WayBackKey* RegisterWayBack();

  Form& form_;
  bool toldOfFallBack_ = false;  // the message about a taken key comes once a run
};

}  // namespace corvane
