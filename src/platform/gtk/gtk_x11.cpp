// What GTK has no call for: cancelling the window manager's move, and system-wide hot keys
// (passive key grabs on the root window).
// The program's own header first: X's macros (ShiftMask, None) would break its names.
#include "platform/gtk/gtk_internal.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <array>
#include <functional>
#include <string>

namespace corvane::gtk {

namespace {

inline void FreeModifierMap(XModifierKeymap* map) { XFreeModifiermap(map); }
using ScopedModifierMap = Scoped<XModifierKeymap*, FreeModifierMap>;

// The modifier bit NumLock sets, Mod2 when the keyboard map does not say.
unsigned NumLockMask(Display* x) {
  unsigned mask = Mod2Mask;
  const KeyCode numLock = XKeysymToKeycode(x, XK_Num_Lock);
  const ScopedModifierMap owned(XGetModifierMapping(x));
  const XModifierKeymap* map = owned.Get();
  if (!map) return mask;
  for (int modifier = 0; modifier < 8 && numLock != 0; ++modifier) {
    for (int k = 0; k < map->max_keypermod; ++k) {
      if (map->modifiermap[modifier * map->max_keypermod + k] == numLock) mask = 1u << modifier;
    }
  }
  return mask;
}

// "Ctrl+Alt+T", for the messages about a key.
std::string KeyName(int modifiers, char letter) {
  std::string name;
  if (modifiers & kCtrl) name += "Ctrl+";
  if (modifiers & kAlt) name += "Alt+";
  if (modifiers & kShift) name += "Shift+";
  return name + static_cast<char>(g_ascii_toupper(letter));
}

// X errors of the requests made while it lives are caught rather than fatal. Pop() ends it and
// gives the first error (0 for none); one never popped ends with its errors ignored.
class ScopedErrorTrap {
 public:
  explicit ScopedErrorTrap(GdkDisplay* display) : display_(display) { gdk_x11_display_error_trap_push(display); }
  ~ScopedErrorTrap() {
    if (trapping_) gdk_x11_display_error_trap_pop_ignored(display_);
  }
  ScopedErrorTrap(const ScopedErrorTrap&) = delete;
  ScopedErrorTrap& operator=(const ScopedErrorTrap&) = delete;
  int Pop() {
    trapping_ = false;
    return gdk_x11_display_error_trap_pop(display_);
  }

 private:
  GdkDisplay* display_;
  bool trapping_ = true;
};

// One key with its modifiers grabbed on the root window, whatever the lock keys are; a filter
// on the root window hands its presses to `pressed`.
class RootKeyGrab : public HotKeyGrab {
 public:
  RootKeyGrab(GdkDisplay* display, KeyCode code, unsigned modifiers, std::function<void()> pressed)
      : display_(display), code_(code), modifiers_(modifiers), pressed_(std::move(pressed)) {
    root_ = gdk_screen_get_root_window(gdk_display_get_default_screen(display));
  }

  ~RootKeyGrab() override {
    if (filtering_) gdk_window_remove_filter(root_, Filter, this);
    if (!grabbed_) return;
    const ScopedErrorTrap ignored(display_);
    for (unsigned locks : Locks()) XUngrabKey(X(), code_, modifiers_ | locks, RootId());
  }

  // Grabs every variant; the X error when one fails (BadAccess: another client holds it).
  int Grab() {
    ScopedErrorTrap trap(display_);
    for (unsigned locks : Locks())
      XGrabKey(X(), code_, modifiers_ | locks, RootId(), False, GrabModeAsync, GrabModeAsync);
    const int error = trap.Pop();
    grabbed_ = true;  // ungrabbing a variant never grabbed does no harm
    if (error != 0) return error;
    gdk_window_add_filter(root_, Filter, this);
    filtering_ = true;
    return 0;
  }

 private:
  Display* X() const { return GDK_DISPLAY_XDISPLAY(display_); }
  ::Window RootId() const { return GDK_WINDOW_XID(root_); }
  std::array<unsigned, 4> Locks() const {
    const unsigned numLock = NumLockMask(X());
    return {0u, LockMask, numLock, LockMask | numLock};
  }

  static GdkFilterReturn Filter(GdkXEvent* native, GdkEvent*, gpointer data) {
    auto* self = static_cast<RootKeyGrab*>(data);
    const auto* event = static_cast<XEvent*>(native);
    if (event->type != KeyPress && event->type != KeyRelease) return GDK_FILTER_CONTINUE;
    if (event->xkey.keycode != self->code_) return GDK_FILTER_CONTINUE;
    if ((event->xkey.state & (ShiftMask | ControlMask | Mod1Mask)) != self->modifiers_) return GDK_FILTER_CONTINUE;
    if (event->type == KeyPress) {
      // A copy: the press may end the grab, and this object with it.
      const std::function<void()> pressed = self->pressed_;
      pressed();
    }
    return GDK_FILTER_REMOVE;
  }

  GdkDisplay* display_;
  GdkWindow* root_ = nullptr;
  KeyCode code_;
  unsigned modifiers_;
  std::function<void()> pressed_;
  bool grabbed_ = false;
  bool filtering_ = false;
};

}  // namespace

std::unique_ptr<HotKeyGrab> GrabHotKey(int modifiers, char letter, std::function<void()> pressed) {
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) throw Error("X: no X display to grab a hot key on");
  const char name[2] = {static_cast<char>(g_ascii_tolower(letter)), '\0'};
  const KeyCode code = XKeysymToKeycode(GDK_DISPLAY_XDISPLAY(display), XStringToKeysym(name));
  if (code == 0)
    throw Error("X: XKeysymToKeycode failed on " + KeyName(modifiers, letter) + ": the keyboard has no key " + letter);
  unsigned mask = 0;
  if (modifiers & kCtrl) mask |= ControlMask;
  if (modifiers & kAlt) mask |= Mod1Mask;
  if (modifiers & kShift) mask |= ShiftMask;
  auto grab = std::make_unique<RootKeyGrab>(display, code, mask, std::move(pressed));
  const int error = grab->Grab();
  if (error == BadAccess) return nullptr;
  if (error != 0) {
    throw Error("X: XGrabKey failed on " + KeyName(modifiers, letter) + " of the root window of " +
                gdk_display_get_name(display) + ": X error " + std::to_string(error));
  }
  return grab;
}

void CancelWindowManagerMove(GdkWindow* window) {
  GdkDisplay* display = gdk_window_get_display(window);
  if (!GDK_IS_X11_DISPLAY(display)) return;
  Display* x = GDK_DISPLAY_XDISPLAY(display);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = GDK_WINDOW_XID(window);
  event.xclient.message_type = XInternAtom(x, "_NET_WM_MOVERESIZE", False);
  event.xclient.format = 32;
  event.xclient.data.l[2] = 11;  // _NET_WM_MOVERESIZE_CANCEL
  event.xclient.data.l[3] = 1;   // the left button
  event.xclient.data.l[4] = 1;   // asked by a normal application
  XSendEvent(x, GDK_WINDOW_XID(gdk_screen_get_root_window(gdk_window_get_screen(window))), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(x);
}

}  // namespace corvane::gtk
