// The window's mouse and keys, handed to the form as Windows would hand them; the window
// manager's move from a left press.
#include <gdk/gdkkeysyms.h>

#include <cstdlib>
#include <optional>

#include "platform/gtk/gtk_window.h"

namespace corvane::gtk {

int ShiftState(guint state) {
  int shift = 0;
  if (state & GDK_SHIFT_MASK) shift |= kShift;
  if (state & GDK_CONTROL_MASK) shift |= kCtrl;
  if (state & GDK_MOD1_MASK) shift |= kAlt;
  return shift;
}

namespace {

int ButtonOf(guint button) {
  switch (button) {
    case 3: return static_cast<int>(MouseButton::Right);
    case 2: return static_cast<int>(MouseButton::Middle);
    default: return static_cast<int>(MouseButton::Left);
  }
}

int HeldButtons(guint state) {
  int buttons = 0;
  if (state & GDK_BUTTON1_MASK) buttons |= static_cast<int>(MouseButton::Left);
  if (state & GDK_BUTTON3_MASK) buttons |= static_cast<int>(MouseButton::Right);
  if (state & GDK_BUTTON2_MASK) buttons |= static_cast<int>(MouseButton::Middle);
  return buttons;
}

// The arrow keys, the keypad's among them; nullopt for any other key.
std::optional<Key> ArrowKey(guint keyval) {
  switch (keyval) {
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left: return Key::Left;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right: return Key::Right;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up: return Key::Up;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down: return Key::Down;
    default: return std::nullopt;
  }
}

bool IsKeyCharacter(guint32 c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

ClickRules DoubleClickRules() {
  gint time = 400;
  gint distance = 5;
  g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &time, "gtk-double-click-distance", &distance,
               nullptr);
  return {static_cast<std::uint32_t>(time), distance};
}

}  // namespace

void FormWindow::BeginMove() {
  if (!window_ || !pressed_) return;
  GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(window_.Get()));
  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_window_get_display(gdk)));
  GdkModifierType state{};
  gdk_window_get_device_position(gdk, pointer, nullptr, nullptr, &state);
  // A click already over: a move begun now would wait for a release that has happened, and
  // leave the window following the pointer.
  if ((state & GDK_BUTTON1_MASK) == 0) return;
  // The window manager takes over once the pointer leaves the press by the desktop's drag
  // threshold, as a title bar does: a click or double click never starts a move.
  moveArmed_ = true;
}

gboolean FormWindow::OnButtonPress(GtkWidget*, GdkEventButton* e, FormWindow* self) {
  // GTK's own double-click events come after a second press; Windows reports the second
  // press as the double click itself, and so does this window.
  if (e->type != GDK_BUTTON_PRESS || !self->enabled_ || e->button > 3) return TRUE;
  const MouseEvent me{ButtonOf(e->button), ShiftState(e->state), {static_cast<int>(e->x), static_cast<int>(e->y)}};
  const PixelPoint onScreen = self->ScreenPoint(e->x, e->y, e->x_root, e->y_root);
  if (self->layer_) NotePointer(onScreen);
  const bool twice = self->clicks_.Press(me.button, onScreen, e->time, DoubleClickRules());
  if (e->button == 1) {
    self->pressed_ = true;
    self->moving_ = false;
    self->moveArmed_ = false;
    self->pressX_ = onScreen.x;
    self->pressY_ = onScreen.y;
    self->pressAt_ = {static_cast<int>(e->x), static_cast<int>(e->y)};
    self->pressTime_ = e->time;
  }
  Guard([&] { twice ? self->events_.OnDoubleClick(me) : self->events_.OnMouseDown(me); });
  return TRUE;
}

gboolean FormWindow::OnButtonRelease(GtkWidget*, GdkEventButton* e, FormWindow* self) {
  if (e->button == 1) {
    self->pressed_ = false;
    self->moveArmed_ = false;
    // The release reached this window: the window manager never took the pointer, so its
    // move must not start late and glue the window to the pointer.
    if (self->layer_) {
      if (self->moving_) self->layer_->DragTo(e->x, e->y);
    } else if (self->moving_ && self->window_) {
      CancelWindowManagerMove(gtk_widget_get_window(GTK_WIDGET(self->window_.Get())));
    }
    self->moving_ = false;
  }
  if (!self->enabled_ || e->button > 3) return TRUE;
  const MouseEvent me{ButtonOf(e->button), ShiftState(e->state), {static_cast<int>(e->x), static_cast<int>(e->y)}};
  Guard([&] { self->events_.OnMouseUp(me); });
  return TRUE;
}

gboolean FormWindow::OnMotion(GtkWidget*, GdkEventMotion* e, FormWindow* self) {
  if (self->layer_) {
    // A layer surface has no compositor's move: the program moves it by its margins, keeping
    // the point pressed under the pointer.
    NotePointer(self->ScreenPoint(e->x, e->y, e->x_root, e->y_root));
    if (self->moveArmed_ && (e->state & GDK_BUTTON1_MASK) && self->PastDragThreshold(e)) {
      self->moveArmed_ = false;
      self->moving_ = true;
      self->layer_->BeginDrag(self->pressAt_);
    }
    if (self->moving_) {
      self->layer_->DragTo(e->x, e->y);
      return TRUE;
    }
  }
  if (self->moveArmed_ && (e->state & GDK_BUTTON1_MASK) && self->window_ && self->PastDragThreshold(e)) {
    self->moveArmed_ = false;
    self->moving_ = true;
    self->userMoved_ = true;
    // From the press: the window keeps the pointer where it was pressed.
    gtk_window_begin_move_drag(self->window_.Get(), 1, self->pressX_, self->pressY_, e->time);
    return TRUE;
  }
  if (!self->enabled_) return TRUE;
  const MouseEvent me{HeldButtons(e->state), ShiftState(e->state), {static_cast<int>(e->x), static_cast<int>(e->y)}};
  Guard([&] { self->events_.OnMouseMove(me); });
  return TRUE;
}

gboolean FormWindow::OnKeyPress(GtkWidget*, GdkEventKey* e, FormWindow* self) {
  if (!self->enabled_) return FALSE;
  const int shift = ShiftState(e->state);
  bool handled = false;
  if (e->keyval == GDK_KEY_Tab || e->keyval == GDK_KEY_ISO_Left_Tab || e->keyval == GDK_KEY_KP_Tab) {
    Guard([&] { self->events_.OnKey({Key::Tab, shift, 0}); });
    return TRUE;
  }
  if (const std::optional<Key> arrow = ArrowKey(e->keyval)) {
    Guard([&] { handled = self->events_.OnKey({*arrow, shift, 0}); });
    return handled;
  }
  // Ctrl+V and Shift+Insert, the desktop's paste keys. Ctrl+Shift+V is a shortcut of its own.
  if (((e->keyval == GDK_KEY_v || e->keyval == GDK_KEY_V) && shift == kCtrl) ||
      ((e->keyval == GDK_KEY_Insert || e->keyval == GDK_KEY_KP_Insert) && shift == kShift)) {
    Guard([&] { self->events_.OnKey({Key::Paste, shift, 0}); });
    return TRUE;
  }
  const guint32 c = gdk_keyval_to_unicode(e->keyval);
  if (IsKeyCharacter(c) && (shift & kCtrl) && !(shift & kAlt)) {
    const auto upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    Guard([&] { handled = self->events_.OnKey({Key::Shortcut, shift, upper}); });
    return handled;
  }
  if (!IsKeyCharacter(c) || (shift & kCtrl)) return FALSE;
  const Key key = (shift & kAlt) ? Key::AccessKey : Key::Character;
  Guard([&] { handled = self->events_.OnKey({key, shift, static_cast<char>(c)}); });
  return key == Key::Character || handled;
}

// Whole notches up or down; a smooth scroll's deltas add up to notches.
gboolean FormWindow::OnScroll(GtkWidget*, GdkEventScroll* e, FormWindow* self) {
  if (!self->enabled_) return TRUE;
  int notches = 0;
  if (e->direction == GDK_SCROLL_UP) notches = 1;
  if (e->direction == GDK_SCROLL_DOWN) notches = -1;
  if (e->direction == GDK_SCROLL_SMOOTH) {
    self->scrolled_ -= e->delta_y;
    notches = static_cast<int>(self->scrolled_);
    self->scrolled_ -= notches;
  }
  if (notches == 0) return TRUE;
  // From the screen point and the place the program gave the window: a scroll queued before
  // the X server moved the window (as the steps before it asked) carries coordinates
  // relative to where the window was.
  const PixelRect frame = self->Frame();
  const PixelPoint onScreen = self->ScreenPoint(e->x, e->y, e->x_root, e->y_root);
  const PixelPoint pos{onScreen.x - frame.left, onScreen.y - frame.top};
  const WheelEvent we{notches, ShiftState(e->state), pos};
  Guard([&] { self->events_.OnWheel(we); });
  return TRUE;
}

PixelPoint FormWindow::ScreenPoint(double x, double y, double xRoot, double yRoot) const {
  if (layer_) return layer_->Global(x, y);
  return {static_cast<int>(xRoot), static_cast<int>(yRoot)};
}

bool FormWindow::PastDragThreshold(const GdkEventMotion* e) const {
  const PixelPoint at = ScreenPoint(e->x, e->y, e->x_root, e->y_root);
  gint threshold = 8;
  g_object_get(gtk_settings_get_default(), "gtk-dnd-drag-threshold", &threshold, nullptr);
  return std::abs(at.x - pressX_) >= threshold || std::abs(at.y - pressY_) >= threshold;
}

}  // namespace corvane::gtk
