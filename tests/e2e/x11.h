// The X side of the end-to-end tests: one connection to $DISPLAY, the top-level windows Wine
// makes (without a window manager they are direct children of the root window, placed exactly
// where Windows places them, named by their Windows title; under one, the windows it manages
// sit in its frames), and screenshots.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image.h"
#include "wait.h"

// Xlib's own headers stay in the .cpp files: their macros (None, Bool, Status) break GoogleTest.
typedef struct _XDisplay Display;

namespace corvane::e2e {

using XWindowId = unsigned long;

// True when the tests run on the display with a window manager (openbox) and Wine's managed
// windows, false on the bare display with Wine's unmanaged windows.
bool UnderWindowManager();
// Whether a window manager places and moves the program's windows: the native program always
// runs under one (openbox), the Windows program on the window-manager display.
bool WindowManagerPlaces();

// A window's place, taken once it has stayed put for a moment. A window manager takes a new
// window on in steps (reparents it, pulls it onto the screen, the program puts it back), so a
// place read on the way may not be the one the window is shown at. Without a window manager a
// place holds at once.
class SettledPlace {
 public:
  // Notes `rect` as seen now; true once the same place has been seen for a moment.
  bool Holds(const Rect& rect);
  // The window is not to be seen now.
  void Forget() { since_.reset(); }

 private:
  Rect rect_;
  std::optional<std::chrono::steady_clock::time_point> since_;
};

// The connection, opened from $DISPLAY on first use. Throws std::runtime_error if it cannot be.
Display* XDisplay();

struct XTopLevel {
  XWindowId id = 0;     // the program's window
  XWindowId frame = 0;  // the root's child holding it: the window manager's frame, or id itself
  std::string name;     // _NET_WM_NAME, else WM_NAME
  Rect rect;            // on the screen; X's size, without any border
  Rect frameRect;       // the frame on the screen, the window manager's decorations included
  bool mapped = false;  // shown
  pid_t pid = 0;        // _NET_WM_PID, the Unix process; 0 when not set
  int stackIndex = 0;   // 0 is the bottom of the stacking order
};

// The root's children, bottom to top, as they are now; a window manager's frame stands for the
// window it holds.
std::vector<XTopLevel> TopLevelWindows();

// The topmost shown window named exactly `name`.
std::optional<XTopLevel> FindShownWindow(const std::string& name);

// Waits for a shown window named `name`; on success *found describes it.
testing::AssertionResult WaitForShownWindow(const std::string& name, XTopLevel* found,
                                            Millis timeout = kDefaultTimeout);
// Waits until no shown window is named `name`.
testing::AssertionResult WaitForNoShownWindow(const std::string& name, Millis timeout = kDefaultTimeout);

// One image of _NET_WM_ICON: pixels row by row, 0xAARRGGBB.
struct XIcon {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

// The icons Wine hands the X window (_NET_WM_ICON). Wine makes them inside the program from the
// window's big icon (WM_GETICON), else its class icon (GCLP_HICON), else Wine's own default
// logo, followed by the small icon if the window or class has one. Empty if there is none.
std::vector<XIcon> WindowIcons(XWindowId window);

// _NET_WM_WINDOW_OPACITY of the window (0 transparent to 0xFFFFFFFF opaque), or nothing when
// it has none (fully opaque).
std::optional<std::uint32_t> WindowOpacity(XWindowId window);

// The names of the atoms in the window's _NET_WM_STATE ("_NET_WM_STATE_ABOVE", ...).
std::vector<std::string> WindowStates(XWindowId window);
// The window's first _NET_WM_WINDOW_TYPE ("_NET_WM_WINDOW_TYPE_TOOLTIP", ...), or "".
std::string WindowType(XWindowId window);
// WM_TRANSIENT_FOR: the window this one belongs to, or 0.
XWindowId TransientFor(XWindowId window);

// Whether the X keyboard focus is on the window (or inside it, or on its frame).
bool HasInputFocus(const XTopLevel& window);

Rect ScreenRect();

// The root's child that X hands the pointer's input to now (a window manager's frame for the
// window it holds), honouring input shapes; 0 for the root itself.
XWindowId WindowUnderPointer();

// Whether a client owns the selection named `name` (e.g. _XSETTINGS_S0, held by the desktop's
// settings manager).
bool SelectionHasOwner(const std::string& name);

// A plain window of the tests' own, under every other window and left alone by any window
// manager, that notes the left presses X hands it.
class XClickTarget {
 public:
  explicit XClickTarget(const Rect& area);
  ~XClickTarget();
  XClickTarget(const XClickTarget&) = delete;
  XClickTarget& operator=(const XClickTarget&) = delete;
  // Where each left press so far was, in the window's own pixels.
  std::vector<Point> Presses();

 private:
  XWindowId id_ = 0;
  std::vector<Point> presses_;
};

// The tests' own passive grab of a key on the root window, as another program would hold a
// hot key: a key name as PressKey takes it ("Ctrl+Alt+t"), without lock keys.
class XKeyGrab {
 public:
  explicit XKeyGrab(const std::string& chord);  // throws std::runtime_error when X refuses
  ~XKeyGrab();
  XKeyGrab(const XKeyGrab&) = delete;
  XKeyGrab& operator=(const XKeyGrab&) = delete;

 private:
  unsigned code_ = 0;
  unsigned modifiers_ = 0;
};

// Screenshots of the root window: a rectangle (clipped to the screen) or all of it.
Image Capture(const Rect& area);
Image CaptureScreen();

}  // namespace corvane::e2e
