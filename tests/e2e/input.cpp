#include "input.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <thread>

#include "target.h"
#include "x11.h"

// After every header that includes GoogleTest: Xlib's macros clash with it.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace corvane::e2e {

namespace {

Display* InputDisplay() {
  Display* display = XDisplay();
  static const bool hasXTest = [display] {
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    return XTestQueryExtension(display, &event, &error, &major, &minor) == True;
  }();
  if (!hasXTest) throw std::runtime_error("the X server has no XTEST extension");
  return display;
}

// Hands the events to the server and waits until it has handled them.
void Sync() { XSync(InputDisplay(), False); }

// Whether the server's pointer has button `number` (1 to 5) down now.
bool ButtonDown(unsigned number) {
  Display* display = InputDisplay();
  Window root = 0;
  Window child = 0;
  int rootX = 0;
  int rootY = 0;
  int x = 0;
  int y = 0;
  unsigned state = 0;
  XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &state);
  return (state & (Button1Mask << (number - 1))) != 0;
}

// A window manager takes each press on a Wine window first, with the pointer held still (a
// synchronous grab) until it has handled the press and passed it on to the window. Events sent
// meanwhile queue up in the server, and there the second click of a quick double click can be
// lost. A hand is never that quick: for the Windows program under a window manager each button
// event waits until the server's pointer shows it, or a deadline. The Linux program's events go
// as they come, the timing its tests are made for: with the wait, the menu its right press
// opens was seen at the screen's corner before it stood at its place.
void FakeButton(Button button, bool down) {
  const auto number = static_cast<unsigned>(button);
  XTestFakeButtonEvent(InputDisplay(), number, down ? True : False, CurrentTime);
  Sync();
  if (NativeTarget() || !UnderWindowManager()) return;
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (ButtonDown(number) != down && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
}

KeyCode CodeFor(KeySym sym, const std::string& name) {
  const KeyCode code = XKeysymToKeycode(InputDisplay(), sym);
  if (sym == NoSymbol || code == 0) throw std::invalid_argument("the keyboard has no key \"" + name + "\"");
  return code;
}

void FakeKey(KeyCode code, bool down) {
  XTestFakeKeyEvent(InputDisplay(), code, down ? True : False, CurrentTime);
  Sync();
}

KeySym ModifierSym(const std::string& name) {
  if (name == "Shift") return XK_Shift_L;
  if (name == "Ctrl" || name == "Control") return XK_Control_L;
  if (name == "Alt") return XK_Alt_L;
  return NoSymbol;
}

void PressWithModifiers(const std::vector<KeyCode>& modifiers, KeyCode key) {
  for (KeyCode m : modifiers) FakeKey(m, true);
  FakeKey(key, true);
  FakeKey(key, false);
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) FakeKey(*m, false);
}

}  // namespace

void MoveTo(Point p) {
  Display* display = InputDisplay();
  XTestFakeMotionEvent(display, DefaultScreen(display), p.x, p.y, CurrentTime);
  Sync();
}

void Press(Button button) { FakeButton(button, true); }

HeldModifiers::HeldModifiers(const std::vector<std::string>& modifiers) {
  for (const std::string& name : modifiers) held_.push_back(CodeFor(ModifierSym(name), name));
  for (KeyCode m : held_) FakeKey(m, true);
}

HeldModifiers::~HeldModifiers() {
  for (auto m = held_.rbegin(); m != held_.rend(); ++m) FakeKey(*m, false);
}

void Wheel(int notches, const std::vector<std::string>& modifiers) {
  const HeldModifiers held(modifiers);
  const auto button = static_cast<Button>(notches > 0 ? 4 : 5);
  for (int i = 0; i < std::abs(notches); ++i) {
    FakeButton(button, true);
    FakeButton(button, false);
  }
}

void Release(Button button) { FakeButton(button, false); }

namespace {

// The shown top-level window under `at`, topmost first.
std::optional<XTopLevel> WindowAt(Point at) {
  std::optional<XTopLevel> found;
  for (const XTopLevel& w : TopLevelWindows()) {
    if (w.mapped && at.x >= w.rect.x && at.y >= w.rect.y && at.x < w.rect.x + w.rect.width &&
        at.y < w.rect.y + w.rect.height) {
      found = w;
    }
  }
  return found;
}

// A GTK tooltip is a window of its own that takes clicks. A hand that comes onto the place a
// tooltip covers makes it go (the pointer leaves the window the tooltip belongs to) before it
// can click; a pointer put there in one jump clicks at once, into the tooltip. So a click waits,
// a moment at most, for a tooltip under the pointer to go. (A Windows tooltip lets clicks
// through to the window beneath by itself.)
void AwaitNoTooltipAt(Point at) {
  if (!NativeTarget()) return;
  (void)Eventually(
      "no tooltip under the pointer",
      [&] {
        const std::optional<XTopLevel> top = WindowAt(at);
        return !top || WindowType(top->id) != "_NET_WM_WINDOW_TYPE_TOOLTIP";
      },
      2s);
}

// Under a window manager a left press hands the move to the manager (the native program does,
// and Wine for the Windows one), which follows the pointer only once it has taken it; a hand's
// drag waits until the window follows. The pointer goes to the first point of the path, then
// wiggles a pixel beside it until the window stands where the pointer has taken it: the program
// may put it at the first point itself, only the manager follows the wiggle. (Or, for a press
// that moves nothing, until a short deadline.)
void AwaitWindowManagerMove(Point from, Point first) {
  const std::optional<XTopLevel> window = WindowAt(from);
  if (!window) return;
  MoveTo(first);
  int wiggle = 0;
  (void)Eventually(
      "the window manager's move",
      [&] {
        const Point aside{first.x + 1, first.y};
        const Point below{first.x, first.y + 1};
        MoveTo(wiggle++ % 2 == 0 ? aside : below);
        for (const XTopLevel& w : TopLevelWindows()) {
          if (w.id != window->id) continue;
          // A manager that has the move may lag a step behind: either point will do.
          const Point moved{w.rect.x - window->rect.x, w.rect.y - window->rect.y};
          return moved == Point{aside.x - from.x, aside.y - from.y} ||
                 moved == Point{below.x - from.x, below.y - from.y};
        }
        return true;  // gone: nothing to wait for
      },
      5s);
}

}  // namespace

void Click(Point p, Button button) {
  MoveTo(p);
  AwaitNoTooltipAt(p);
  Press(button);
  Release(button);
}

void DoubleClick(Point p, Button button) {
  Click(p, button);
  Click(p, button);
}

void DragPath(const std::vector<Point>& path, Button button) {
  if (path.empty()) throw std::invalid_argument("a drag needs at least one point");
  MoveTo(path.front());
  Press(button);
  size_t next = 1;
  if (WindowManagerPlaces() && button == Button::Left) {
    // The manager's move starts once the pointer is past the desktop's drag threshold (GTK's
    // is 8 pixels, Windows' 4): the first point of the path that far from the press is where it
    // is awaited.
    while (next < path.size() && std::abs(path[next].x - path[0].x) < 10 && std::abs(path[next].y - path[0].y) < 10) {
      MoveTo(path[next++]);
    }
    if (next < path.size()) AwaitWindowManagerMove(path[0], path[next++]);
  }
  for (size_t i = next; i < path.size(); ++i) MoveTo(path[i]);
  Release(button);
}

void Drag(Point from, Point to, int steps, Button button) {
  if (steps < 1) throw std::invalid_argument("a drag needs at least one step");
  std::vector<Point> path{from};
  for (int i = 1; i <= steps; ++i) {
    path.push_back({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  }
  DragPath(path, button);
}

void PressKey(const std::string& chord) {
  std::vector<KeyCode> modifiers;
  std::string rest = chord;
  for (size_t plus = rest.find('+'); plus != std::string::npos && plus + 1 < rest.size(); plus = rest.find('+')) {
    const std::string name = rest.substr(0, plus);
    const KeySym sym = ModifierSym(name);
    if (sym == NoSymbol) throw std::invalid_argument("unknown modifier \"" + name + "\" in \"" + chord + "\"");
    modifiers.push_back(CodeFor(sym, name));
    rest = rest.substr(plus + 1);
  }
  PressWithModifiers(modifiers, CodeFor(XStringToKeysym(rest.c_str()), rest));
}

void TypeText(const std::string& text) {
  Display* display = InputDisplay();
  const KeyCode shift = CodeFor(XK_Shift_L, "Shift");
  for (unsigned char c : text) {
    const std::string name(1, static_cast<char>(c));
    // Latin-1 characters are their own keysyms; line ends and tabs have keys of their own.
    const KeySym sym = c == '\n' ? XK_Return : c == '\t' ? XK_Tab : static_cast<KeySym>(c);
    if (c >= 0x80) throw std::invalid_argument("TypeText handles ASCII only");
    const KeyCode code = CodeFor(sym, name);
    const bool shifted = XkbKeycodeToKeysym(display, code, 0, 0) != sym &&
                         XkbKeycodeToKeysym(display, code, 0, 1) == sym;
    PressWithModifiers(shifted ? std::vector<KeyCode>{shift} : std::vector<KeyCode>{}, code);
  }
}

}  // namespace corvane::e2e
