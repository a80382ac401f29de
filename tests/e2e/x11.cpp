#include "x11.h"

#include "target.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <utility>

// After x11.h, which includes GoogleTest: Xlib's macros clash with it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace corvane::e2e {

namespace {

// Windows may vanish between listing and asking about them; X errors are remembered, not fatal.
int lastXError = 0;

int RememberError(Display*, XErrorEvent* event) {
  lastXError = event->error_code;
  return 0;
}

template <class T>
struct XFreeDeleter {
  void operator()(T* p) const {
    if (p) XFree(p);
  }
};

// A window's property of this type and format (8 or 32 bits), up to `length` 32-bit units, as
// Xlib hands it over (32-bit items as longs); nothing when the window has no such property.
struct Property {
  std::unique_ptr<unsigned char, XFreeDeleter<unsigned char>> data;
  unsigned long count = 0;  // items
};

std::optional<Property> GetProperty(Window window, Atom property, Atom type, int format, long length) {
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(XDisplay(), window, property, 0, length, False, type, &actualType, &actualFormat, &count,
                         &remaining, &data) != Success) {
    return std::nullopt;
  }
  Property owned{std::unique_ptr<unsigned char, XFreeDeleter<unsigned char>>(data), count};
  if (actualType != type || actualFormat != format || !data) return std::nullopt;
  return owned;
}

std::optional<std::string> TextProperty(Window window, Atom property, Atom type) {
  const auto text = GetProperty(window, property, type, 8, 4096);
  if (!text) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(text->data.get()), text->count);
}

std::string WindowName(Window window) {
  Display* display = XDisplay();
  if (auto name = TextProperty(window, XInternAtom(display, "_NET_WM_NAME", False),
                               XInternAtom(display, "UTF8_STRING", False))) {
    return *name;
  }
  return TextProperty(window, XA_WM_NAME, XA_STRING).value_or("");
}

pid_t WindowPid(Window window) {
  const auto pid = GetProperty(window, XInternAtom(XDisplay(), "_NET_WM_PID", False), XA_CARDINAL, 32, 1);
  if (!pid || pid->count != 1) return 0;
  return static_cast<pid_t>(*reinterpret_cast<const unsigned long*>(pid->data.get()));
}

}  // namespace

std::optional<std::uint32_t> WindowOpacity(XWindowId window) {
  const auto opacity =
      GetProperty(window, XInternAtom(XDisplay(), "_NET_WM_WINDOW_OPACITY", False), XA_CARDINAL, 32, 1);
  if (!opacity || opacity->count != 1) return std::nullopt;
  return static_cast<std::uint32_t>(*reinterpret_cast<const unsigned long*>(opacity->data.get()));
}

namespace {

bool HasWmState(Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  const Atom wmState = XInternAtom(XDisplay(), "WM_STATE", False);
  const bool found = XGetWindowProperty(XDisplay(), window, wmState, 0, 0, False, AnyPropertyType, &type, &format,
                                        &count, &remaining, &data) == Success &&
                     type != None;
  if (data) XFree(data);
  return found;
}

// Under a reparenting window manager the root's child is the manager's frame: the program's
// window is the one below it that carries WM_STATE. Without a manager it is the child itself.
Window ClientOf(Window top, int depth = 0) {
  if (HasWmState(top) || depth > 3) return depth == 0 || HasWmState(top) ? top : 0;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(XDisplay(), top, &root, &parent, &children, &count)) return depth == 0 ? top : 0;
  std::unique_ptr<Window, XFreeDeleter<Window>> owned(children);
  for (unsigned int i = 0; i < count; ++i) {
    if (const Window client = ClientOf(children[i], depth + 1)) return client;
  }
  return depth == 0 ? top : 0;
}

int MaskShift(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

// The suites labelled for a window manager run with CORVANE_E2E_WM=1 on the display with a
// window manager and the Wine prefix of managed windows that scripts/test.sh made for them,
// named by CORVANE_WM_DISPLAY and CORVANE_WM_WINEPREFIX. They become DISPLAY and WINEPREFIX
// before any connection is opened or any Wine process started.
bool ChooseDesktop() {
  const char* wanted = std::getenv("CORVANE_E2E_WM");
  if (!wanted || std::string(wanted) != "1") return false;
  const char* display = std::getenv("CORVANE_WM_DISPLAY");
  const char* prefix = std::getenv("CORVANE_WM_WINEPREFIX");
  if (!display || !*display || !prefix || !*prefix) {
    std::fprintf(stderr,
                 "CORVANE_E2E_WM=1 needs CORVANE_WM_DISPLAY and CORVANE_WM_WINEPREFIX: run the tests through "
                 "scripts/test.sh\n");
    std::exit(2);
  }
  setenv("DISPLAY", display, 1);
  setenv("WINEPREFIX", prefix, 1);
  return true;
}

const bool underWindowManager = ChooseDesktop();

}  // namespace

bool UnderWindowManager() { return underWindowManager; }

bool WindowManagerPlaces() { return underWindowManager || NativeTarget(); }

bool SettledPlace::Holds(const Rect& rect) {
  if (!WindowManagerPlaces()) return true;
  const auto now = std::chrono::steady_clock::now();
  if (!since_ || rect != rect_) {
    rect_ = rect;
    since_ = now;
  }
  return now - *since_ >= std::chrono::milliseconds(300);
}

Display* XDisplay() {
  static Display* display = [] {
    const std::string chosen = TargetDisplay();
    const char* name = chosen.c_str();
    if (!*name) {
      throw std::runtime_error("DISPLAY is not set: run the end-to-end tests through scripts/test.sh");
    }
    // A busy server may turn a connection away for a moment: try again until a deadline.
    Display* opened = nullptr;
    const testing::AssertionResult connected =
        Eventually(std::string("a connection to the X display ") + name, [&] { return (opened = XOpenDisplay(name)); });
    if (!connected) throw std::runtime_error(connected.message());
    XSetErrorHandler(RememberError);
    return opened;
  }();
  return display;
}

std::vector<XTopLevel> TopLevelWindows() {
  Display* display = XDisplay();
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  std::vector<XTopLevel> windows;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return windows;
  std::unique_ptr<Window, XFreeDeleter<Window>> owned(children);
  for (unsigned int i = 0; i < count; ++i) {
    lastXError = 0;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, children[i], &attributes)) continue;
    XTopLevel window;
    const Window client = ClientOf(children[i]);
    window.id = client;
    window.frame = children[i];
    window.name = WindowName(client);
    window.rect = {attributes.x + attributes.border_width, attributes.y + attributes.border_width, attributes.width,
                   attributes.height};
    window.mapped = attributes.map_state == IsViewable;
    window.frameRect = window.rect;
    if (client != children[i]) {
      // A managed window: where the program's own window lies inside the frame.
      XWindowAttributes inner{};
      Window ignored = 0;
      int x = 0;
      int y = 0;
      if (XGetWindowAttributes(display, client, &inner) &&
          XTranslateCoordinates(display, client, DefaultRootWindow(display), 0, 0, &x, &y, &ignored)) {
        window.rect = {x, y, inner.width, inner.height};
        window.mapped = window.mapped && inner.map_state == IsViewable;
      }
    }
    window.pid = WindowPid(client);
    window.stackIndex = static_cast<int>(i);
    XSync(display, False);
    if (lastXError == 0) windows.push_back(window);
  }
  return windows;
}

std::optional<XTopLevel> FindShownWindow(const std::string& name) {
  std::optional<XTopLevel> found;
  for (const XTopLevel& window : TopLevelWindows()) {
    if (window.mapped && window.name == name) found = window;
  }
  return found;
}

testing::AssertionResult WaitForShownWindow(const std::string& name, XTopLevel* found, Millis timeout) {
  return Eventually(
      "a shown X window named \"" + name + "\"",
      [&] {
        const auto window = FindShownWindow(name);
        if (window && found) *found = *window;
        return window.has_value();
      },
      timeout);
}

testing::AssertionResult WaitForNoShownWindow(const std::string& name, Millis timeout) {
  return Eventually(
      "no shown X window named \"" + name + "\"", [&] { return !FindShownWindow(name); }, timeout);
}

std::vector<XIcon> WindowIcons(XWindowId window) {
  std::vector<XIcon> icons;
  lastXError = 0;
  const auto property = GetProperty(window, XInternAtom(XDisplay(), "_NET_WM_ICON", False), XA_CARDINAL, 32, 1 << 22);
  if (!property) return icons;
  // Xlib hands 32-bit items over as longs. Each image: width, height, then its pixels.
  const unsigned long* items = reinterpret_cast<const unsigned long*>(property->data.get());
  const unsigned long count = property->count;
  for (unsigned long at = 0; at + 2 <= count;) {
    XIcon icon;
    icon.width = static_cast<int>(items[at]);
    icon.height = static_cast<int>(items[at + 1]);
    const unsigned long pixels = static_cast<unsigned long>(icon.width) * static_cast<unsigned long>(icon.height);
    at += 2;
    if (icon.width <= 0 || icon.height <= 0 || at + pixels > count) break;
    for (unsigned long i = 0; i < pixels; ++i) icon.argb.push_back(static_cast<std::uint32_t>(items[at + i]));
    at += pixels;
    icons.push_back(std::move(icon));
  }
  return icons;
}

namespace {

std::vector<std::string> AtomNames(XWindowId window, const char* property) {
  std::vector<std::string> names;
  const auto atoms = GetProperty(window, XInternAtom(XDisplay(), property, False), XA_ATOM, 32, 64);
  if (!atoms) return names;
  const auto* list = reinterpret_cast<const Atom*>(atoms->data.get());
  for (unsigned long i = 0; i < atoms->count; ++i) {
    std::unique_ptr<char, XFreeDeleter<char>> name(XGetAtomName(XDisplay(), list[i]));
    if (name) names.emplace_back(name.get());
  }
  return names;
}

}  // namespace

std::vector<std::string> WindowStates(XWindowId window) { return AtomNames(window, "_NET_WM_STATE"); }

std::string WindowType(XWindowId window) {
  const std::vector<std::string> types = AtomNames(window, "_NET_WM_WINDOW_TYPE");
  return types.empty() ? std::string() : types.front();
}

XWindowId TransientFor(XWindowId window) {
  Window owner = 0;
  if (!XGetTransientForHint(XDisplay(), window, &owner)) return 0;
  return owner;
}

bool HasInputFocus(const XTopLevel& window) {
  Display* display = XDisplay();
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  // The focus may rest on the window, its frame or a window inside it.
  for (int depth = 0; focus != 0 && focus != PointerRoot && depth < 16; ++depth) {
    if (focus == window.id || focus == window.frame) return true;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, focus, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    if (parent == root) return false;
    focus = parent;
  }
  return false;
}

Rect ScreenRect() {
  Display* display = XDisplay();
  const int screen = DefaultScreen(display);
  return {0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

Image Capture(const Rect& wanted) {
  Display* display = XDisplay();
  const Rect screen = ScreenRect();
  Rect area;
  area.x = std::max(wanted.x, 0);
  area.y = std::max(wanted.y, 0);
  area.width = std::min(wanted.Right(), screen.Right()) - area.x;
  area.height = std::min(wanted.Bottom(), screen.Bottom()) - area.y;
  if (area.width <= 0 || area.height <= 0) {
    std::ostringstream message;
    message << "nothing of " << wanted << " is on the screen";
    throw std::runtime_error(message.str());
  }
  XImage* image = XGetImage(display, DefaultRootWindow(display), area.x, area.y, static_cast<unsigned>(area.width),
                            static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
  if (!image) throw std::runtime_error("XGetImage failed");
  const int redShift = MaskShift(image->red_mask);
  const int greenShift = MaskShift(image->green_mask);
  const int blueShift = MaskShift(image->blue_mask);
  std::vector<Rgb> pixels;
  pixels.reserve(static_cast<size_t>(area.width) * static_cast<size_t>(area.height));
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      pixels.push_back({static_cast<std::uint8_t>((pixel & image->red_mask) >> redShift),
                        static_cast<std::uint8_t>((pixel & image->green_mask) >> greenShift),
                        static_cast<std::uint8_t>((pixel & image->blue_mask) >> blueShift)});
    }
  }
  XDestroyImage(image);
  return Image(area, std::move(pixels));
}

Image CaptureScreen() { return Capture(ScreenRect()); }

XWindowId WindowUnderPointer() {
  Display* display = XDisplay();
  ::Window root = 0;
  ::Window child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned mask = 0;
  XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask);
  return child;
}

bool SelectionHasOwner(const std::string& name) {
  Display* display = XDisplay();
  return XGetSelectionOwner(display, XInternAtom(display, name.c_str(), False)) != None;
}

XClickTarget::XClickTarget(const Rect& area) {
  Display* display = XDisplay();
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = 0x808080;
  attributes.event_mask = ButtonPressMask;
  id_ = XCreateWindow(display, DefaultRootWindow(display), area.x, area.y, static_cast<unsigned>(area.width),
                      static_cast<unsigned>(area.height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
  XMapWindow(display, id_);
  XLowerWindow(display, id_);
  XSync(display, False);
}

XClickTarget::~XClickTarget() {
  XDestroyWindow(XDisplay(), id_);
  XSync(XDisplay(), False);
}

std::vector<Point> XClickTarget::Presses() {
  Display* display = XDisplay();
  XSync(display, False);
  XEvent event;
  while (XCheckWindowEvent(display, id_, ButtonPressMask, &event)) {
    if (event.xbutton.button == Button1) presses_.push_back({event.xbutton.x, event.xbutton.y});
  }
  return presses_;
}

XKeyGrab::XKeyGrab(const std::string& chord) {
  Display* display = XDisplay();
  std::string rest = chord;
  for (const auto& [name, mask] :
       {std::pair<std::string, unsigned>{"Ctrl+", ControlMask}, {"Alt+", Mod1Mask}, {"Shift+", ShiftMask}}) {
    if (const auto at = rest.find(name); at != std::string::npos) {
      modifiers_ |= mask;
      rest.erase(at, name.size());
    }
  }
  const KeySym sym = XStringToKeysym(rest.c_str());
  code_ = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
  if (code_ == 0) throw std::runtime_error("no key " + rest + " to grab");
  lastXError = 0;
  XGrabKey(display, static_cast<int>(code_), modifiers_, DefaultRootWindow(display), False, GrabModeAsync,
           GrabModeAsync);
  XSync(display, False);
  if (lastXError != 0) throw std::runtime_error("X refused to grab " + chord + ": error " + std::to_string(lastXError));
}

XKeyGrab::~XKeyGrab() {
  Display* display = XDisplay();
  XUngrabKey(display, static_cast<int>(code_), modifiers_, DefaultRootWindow(display));
  XSync(display, False);
}

}  // namespace corvane::e2e
