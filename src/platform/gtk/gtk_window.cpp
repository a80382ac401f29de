// Top-level windows: a GtkWindow holding one drawing area that paints the form, routes mouse
// and keys to it and asks it for tooltips; the window manager's move from a press.
#include <gdk/gdkkeysyms.h>

#include <cstdlib>

#include "platform/gtk/click_counter.h"
#include "platform/gtk/gtk_internal.h"
#include "platform/gtk/uri_list.h"

namespace corvane::gtk {

namespace {

int ShiftState(guint state) {
  int shift = 0;
  if (state & GDK_SHIFT_MASK) shift |= kShift;
  if (state & GDK_CONTROL_MASK) shift |= kCtrl;
  if (state & GDK_MOD1_MASK) shift |= kAlt;
  return shift;
}

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

bool IsKeyCharacter(guint32 c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

class Window : public GtkNativeWindow {
 public:
  Window(const WindowLayout& layout, WindowEvents& events, const Fonts& fonts, WindowRegistry& registry)
      : kind_(layout.kind), events_(events), fonts_(fonts), registry_(registry), client_(layout.clientSize) {
    window_ = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    g_object_ref_sink(window_);
    gtk_window_set_title(window_, layout.title.c_str());
    area_ = gtk_drawing_area_new();
    gtk_widget_set_size_request(area_, client_.width, client_.height);
    gtk_widget_set_can_focus(area_, TRUE);
    gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                     GDK_KEY_PRESS_MASK | GDK_LEAVE_NOTIFY_MASK | GDK_SCROLL_MASK);
    gtk_widget_set_has_tooltip(area_, TRUE);
    gtk_container_add(GTK_CONTAINER(window_), area_);
    if (kind_ == WindowKind::Framed) {
      gtk_window_set_type_hint(window_, GDK_WINDOW_TYPE_HINT_DIALOG);
      gtk_window_set_resizable(window_, TRUE);
      gtk_window_set_skip_taskbar_hint(window_, TRUE);
    } else {
      gtk_window_set_decorated(window_, FALSE);
      gtk_window_set_resizable(window_, FALSE);
      if (kind_ == WindowKind::ToolPopup) {
        gtk_window_set_type_hint(window_, GDK_WINDOW_TYPE_HINT_DIALOG);
        gtk_window_set_skip_taskbar_hint(window_, TRUE);
        gtk_window_set_skip_pager_hint(window_, TRUE);
      }
    }
    // Menu and About belong to the picture window: no window manager puts it over them.
    if (kind_ != WindowKind::Popup) {
      if (GtkWindow* main = registry_.MainWindow()) gtk_window_set_transient_for(window_, main);
    }
    gtk_window_set_gravity(window_, GDK_GRAVITY_NORTH_WEST);
    // A framed window goes where the window manager puts new windows, over its owner; the
    // others start where the program places them.
    if (kind_ == WindowKind::Framed) {
      gtk_window_set_position(window_, GTK_WIN_POS_CENTER_ON_PARENT);
    } else {
      gtk_window_move(window_, origin_.x, origin_.y);
    }
    Connect(area_, "draw", G_CALLBACK(OnDraw));
    Connect(area_, "button-press-event", G_CALLBACK(OnButtonPress));
    Connect(area_, "button-release-event", G_CALLBACK(OnButtonRelease));
    Connect(area_, "motion-notify-event", G_CALLBACK(OnMotion));
    Connect(area_, "query-tooltip", G_CALLBACK(OnQueryTooltip));
    Connect(area_, "scroll-event", G_CALLBACK(OnScroll));
    Connect(GTK_WIDGET(window_), "key-press-event", G_CALLBACK(OnKeyPress));
    Connect(GTK_WIDGET(window_), "delete-event", G_CALLBACK(OnDelete));
    Connect(GTK_WIDGET(window_), "configure-event", G_CALLBACK(OnConfigure));
    gtk_widget_show(area_);
  }

  ~Window() override {
    Destroy();
    registry_.Forget(this);
  }

  void Destroy() override {
    StartTimer(0);
    hotKey_.reset();
    if (dropIdle_) g_source_remove(dropIdle_);
    dropIdle_ = 0;
    if (!window_) return;
    RefreshFrame();  // the last place stays known once the window has gone
    GtkWindow* window = window_;
    window_ = nullptr;
    area_ = nullptr;
    g_signal_handlers_disconnect_by_data(window, this);
    gtk_widget_destroy(GTK_WIDGET(window));
    g_object_unref(window);
  }

  GtkWindow* Widget() const override { return window_; }
  WindowKind Kind() const override { return kind_; }
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(window_); }

  PixelRect Frame() const override {
    RefreshFrame();
    return {origin_.x, origin_.y, origin_.x + client_.width + border_.width, origin_.y + client_.height + border_.height};
  }

  PixelSize ClientSize() const override { return client_; }

  void MoveTo(PixelPoint p) override {
    origin_ = p;
    placed_ = true;
    userMoved_ = false;
    if (window_) gtk_window_move(window_, p.x, p.y);
  }

  void SetClientSize(PixelSize size) override {
    client_ = size;
    if (!window_) return;
    gtk_widget_set_size_request(area_, size.width, size.height);
    gtk_window_resize(window_, std::max(1, size.width), std::max(1, size.height));
  }

  void Show() override {
    if (!window_) return;
    const bool place = kind_ != WindowKind::Framed || placed_;
    if (place) gtk_window_move(window_, origin_.x, origin_.y);
    gtk_widget_show(GTK_WIDGET(window_));
    // Asked again once the window is managed: a window manager may pull a new window wholly
    // onto the screen, yet leaves a shown one where the program puts it.
    if (place) gtk_window_move(window_, origin_.x, origin_.y);
    if (opacity_ < 1.0) ApplyOpacity();
    Activate();
  }

  void Activate() override {
    if (!window_) return;
    // The time of the input that asked for the window, so that focus-stealing prevention
    // lets it take the keyboard.
    gtk_window_present_with_time(window_, gtk_get_current_event_time());
    gtk_widget_grab_focus(area_);
  }

  void Hide() override {
    if (window_) gtk_widget_hide(GTK_WIDGET(window_));
  }

  bool IsVisible() const override { return window_ && gtk_widget_get_visible(GTK_WIDGET(window_)); }

  void SetEnabled(bool enabled) override { enabled_ = enabled; }

  void Invalidate(const PixelRect& r) override {
    if (area_) gtk_widget_queue_draw_area(area_, r.left, r.top, r.Width(), r.Height());
  }

  // Only a shown window can have a tooltip to bring up to date; asking costs a server grab and a
  // round trip to find the window under the pointer.
  void RefreshTooltip() override {
    if (area_ && gtk_widget_get_mapped(area_)) gtk_widget_trigger_tooltip_query(area_);
  }

  void StartTimer(int milliseconds) override {
    if (timer_) g_source_remove(timer_);
    timer_ = 0;
    if (milliseconds <= 0 || !window_) return;
    // Below input and drawing: the call waits behind the mouse and the keys.
    timer_ = g_timeout_add_full(G_PRIORITY_DEFAULT_IDLE, static_cast<guint>(milliseconds), OnTimer, this, nullptr);
  }

  // A toplevel's opacity is _NET_WM_WINDOW_OPACITY on its X window, which a compositing
  // manager applies.
  // Kept and applied again once the window is shown: a window not yet realized has no X
  // window to carry it.
  void SetOpacity(int percent) override {
    opacity_ = percent / 100.0;
    ApplyOpacity();
  }

  void ApplyOpacity() {
    if (!window_) return;
    gtk_widget_set_opacity(GTK_WIDGET(window_), opacity_);
    if (GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(window_))) gdk_window_set_opacity(gdk, opacity_);
  }

  // An empty input shape: X hands every pointer event to the windows beneath. No shape gives
  // the window its whole area back.
  void SetClickThrough(bool on) override {
    if (!window_) return;
    cairo_region_t* nothing = on ? cairo_region_create() : nullptr;
    gtk_widget_input_shape_combine_region(GTK_WIDGET(window_), nothing);
    if (nothing) cairo_region_destroy(nothing);
  }

  bool RegisterHotKey(int modifiers, char letter) override {
    hotKey_.reset();
    hotKey_ = GrabHotKey(modifiers, letter, [this] { Guard([&] { events_.OnHotKey(); }); });
    return hotKey_ != nullptr;
  }

  void UnregisterHotKey() override { hotKey_.reset(); }

  // XDND through GTK: a drop of files (text/uri-list) onto the window's surface. The one target
  // is named here rather than taken from gtk_drag_dest_add_uri_targets, which adds the document
  // portal's file-transfer type too: making that one connects to the session bus there and then,
  // a blocking round trip at start (and a dbus-launch where no bus runs), for a type this
  // handler does not read.
  void AcceptFileDrops() override {
    if (!area_) return;
    static const GtkTargetEntry kUriList[] = {{const_cast<gchar*>("text/uri-list"), 0, 0}};
    gtk_drag_dest_set(area_, GTK_DEST_DEFAULT_ALL, kUriList, 1, GDK_ACTION_COPY);
    Connect(area_, "drag-data-received", G_CALLBACK(OnDragDataReceived));
  }

  void BeginMove() override {
    if (!window_ || !pressed_) return;
    GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(window_));
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

 private:
  void Connect(GtkWidget* widget, const char* signal, GCallback callback) {
    g_signal_connect(widget, signal, callback, this);
  }

  static gboolean OnTimer(gpointer data) {
    auto* self = static_cast<Window*>(data);
    self->timer_ = 0;
    Guard([&] { self->events_.OnTimer(); });
    return G_SOURCE_REMOVE;
  }

  static void OnDragDataReceived(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* data, guint, guint,
                                 Window* self) {
    const guchar* bytes = gtk_selection_data_get_data(data);
    const gint length = gtk_selection_data_get_length(data);
    const std::string list = bytes && length > 0 ? std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length)) : std::string();
    self->dropped_ = LocalPathsOfUriList(list, g_get_host_name());
    // Handed on once the drop has finished, so the source is not kept waiting while a message
    // about the file is shown.
    if (!self->dropIdle_) self->dropIdle_ = g_idle_add(OnDropIdle, self);
  }

  static gboolean OnDropIdle(gpointer data) {
    auto* self = static_cast<Window*>(data);
    self->dropIdle_ = 0;
    const std::vector<std::string> paths = std::move(self->dropped_);
    self->dropped_.clear();
    if (self->enabled_) Guard([&] { self->events_.OnFilesDropped(paths); });
    return G_SOURCE_REMOVE;
  }

  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, Window* self) {
    ClipToScreen(widget, cr);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    const PixelRect dirty{static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2 + 0.999), static_cast<int>(y2 + 0.999)};
    CairoCanvas canvas(cr, self->fonts_);
    Guard([&] { self->events_.OnPaint(canvas, dirty); });
    return TRUE;
  }

  // Without a compositing manager the X server keeps nothing of a window beyond the screen's
  // edges, and exposes such a part when it comes into view: only what the screen can show is
  // painted (a picture window can be far larger than the screen). A compositing manager keeps
  // the whole window's pixels, so there all of it is painted.
  static void ClipToScreen(GtkWidget* widget, cairo_t* cr) {
    GdkScreen* screen = gtk_widget_get_screen(widget);
    GdkWindow* window = gtk_widget_get_window(widget);
    if (!window || gdk_screen_is_composited(screen)) return;
    GdkWindow* root = gdk_screen_get_root_window(screen);
    // A window the screen could hold whole is painted whole: what lies beyond an edge costs
    // little to paint, while finding the window's place is a round trip to the X server.
    if (gdk_window_get_width(window) <= gdk_window_get_width(root) &&
        gdk_window_get_height(window) <= gdk_window_get_height(root)) {
      return;
    }
    int x = 0;
    int y = 0;
    gdk_window_get_origin(window, &x, &y);
    cairo_rectangle(cr, -x, -y, gdk_window_get_width(root), gdk_window_get_height(root));
    cairo_clip(cr);
  }

  static gboolean OnButtonPress(GtkWidget*, GdkEventButton* e, Window* self) {
    // GTK's own double-click events come after a second press; Windows reports the second
    // press as the double click itself, and so does this window.
    if (e->type != GDK_BUTTON_PRESS || !self->enabled_ || e->button > 3) return TRUE;
    const MouseEvent me{ButtonOf(e->button), ShiftState(e->state), {static_cast<int>(e->x), static_cast<int>(e->y)}};
    const PixelPoint onScreen{static_cast<int>(e->x_root), static_cast<int>(e->y_root)};
    const bool twice = self->clicks_.Press(me.button, onScreen, e->time, DoubleClickRules());
    if (e->button == 1) {
      self->pressed_ = true;
      self->moving_ = false;
      self->moveArmed_ = false;
      self->pressX_ = static_cast<int>(e->x_root);
      self->pressY_ = static_cast<int>(e->y_root);
      self->pressTime_ = e->time;
    }
    Guard([&] { twice ? self->events_.OnDoubleClick(me) : self->events_.OnMouseDown(me); });
    return TRUE;
  }

  static gboolean OnButtonRelease(GtkWidget*, GdkEventButton* e, Window* self) {
    if (e->button == 1) {
      self->pressed_ = false;
      self->moveArmed_ = false;
      // The release reached this window: the window manager never took the pointer, so its
      // move must not start late and glue the window to the pointer.
      if (self->moving_ && self->window_) CancelWindowManagerMove(gtk_widget_get_window(GTK_WIDGET(self->window_)));
      self->moving_ = false;
    }
    if (!self->enabled_ || e->button > 3) return TRUE;
    const MouseEvent me{ButtonOf(e->button), ShiftState(e->state), {static_cast<int>(e->x), static_cast<int>(e->y)}};
    Guard([&] { self->events_.OnMouseUp(me); });
    return TRUE;
  }

  static gboolean OnMotion(GtkWidget*, GdkEventMotion* e, Window* self) {
    if (self->moveArmed_ && (e->state & GDK_BUTTON1_MASK) && self->window_ && PastDragThreshold(self, e)) {
      self->moveArmed_ = false;
      self->moving_ = true;
      self->userMoved_ = true;
      // From the press: the window keeps the pointer where it was pressed.
      gtk_window_begin_move_drag(self->window_, 1, self->pressX_, self->pressY_, e->time);
      return TRUE;
    }
    if (!self->enabled_) return TRUE;
    const MouseEvent me{HeldButtons(e->state), ShiftState(e->state), {static_cast<int>(e->x), static_cast<int>(e->y)}};
    Guard([&] { self->events_.OnMouseMove(me); });
    return TRUE;
  }

  static gboolean OnKeyPress(GtkWidget*, GdkEventKey* e, Window* self) {
    if (!self->enabled_) return FALSE;
    const int shift = ShiftState(e->state);
    bool handled = false;
    if (e->keyval == GDK_KEY_Tab || e->keyval == GDK_KEY_ISO_Left_Tab || e->keyval == GDK_KEY_KP_Tab) {
      Guard([&] { self->events_.OnKey({Key::Tab, shift, 0}); });
      return TRUE;
    }
    // Ctrl+V and Shift+Insert, the desktop's paste keys.
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
  static gboolean OnScroll(GtkWidget*, GdkEventScroll* e, Window* self) {
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
    const PixelPoint pos{static_cast<int>(e->x_root) - frame.left, static_cast<int>(e->y_root) - frame.top};
    const WheelEvent we{notches, ShiftState(e->state), pos};
    Guard([&] { self->events_.OnWheel(we); });
    return TRUE;
  }

  static gboolean OnDelete(GtkWidget*, GdkEvent*, Window* self) {
    Guard([&] { self->events_.OnCloseRequest(); });
    return TRUE;  // the form decides; the window stays until it is destroyed
  }

  static gboolean OnConfigure(GtkWidget*, GdkEventConfigure*, Window* self) {
    GdkWindow* gdk = self->window_ ? gtk_widget_get_window(GTK_WIDGET(self->window_)) : nullptr;
    if (!gdk) return FALSE;
    self->frameStale_ = true;
    if (self->kind_ == WindowKind::Framed) self->client_ = {gdk_window_get_width(gdk), gdk_window_get_height(gdk)};
    return FALSE;
  }

  // The frame is asked of the X server when its place is wanted, not at every configure event:
  // its extents take three round trips, and a new window has several configure events before
  // its first paint.
  void RefreshFrame() const {
    GdkWindow* gdk = frameStale_ && window_ ? gtk_widget_get_window(GTK_WIDGET(window_)) : nullptr;
    if (!gdk) return;
    frameStale_ = false;
    GdkRectangle frame{};
    gdk_window_get_frame_extents(gdk, &frame);
    // The window's place is the program's, or where the user moved it: a window manager that
    // nudges a window on its own (away from a screen edge, say) does not change the place the
    // program keeps and saves.
    if (userMoved_ || (kind_ == WindowKind::Framed && !placed_)) origin_ = {frame.x, frame.y};
    border_ = {std::max(0, frame.width - gdk_window_get_width(gdk)),
               std::max(0, frame.height - gdk_window_get_height(gdk))};
  }

  static gboolean OnQueryTooltip(GtkWidget*, gint x, gint y, gboolean keyboard, GtkTooltip* tooltip, Window* self) {
    if (keyboard) return FALSE;
    std::string text;
    Guard([&] { text = self->events_.TooltipAt({x, y}); });
    if (text.empty()) return FALSE;
    gtk_tooltip_set_text(tooltip, text.c_str());
    return TRUE;
  }

  static bool PastDragThreshold(const Window* self, const GdkEventMotion* e) {
    gint threshold = 8;
    g_object_get(gtk_settings_get_default(), "gtk-dnd-drag-threshold", &threshold, nullptr);
    return std::abs(static_cast<int>(e->x_root) - self->pressX_) >= threshold ||
           std::abs(static_cast<int>(e->y_root) - self->pressY_) >= threshold;
  }

  static ClickRules DoubleClickRules() {
    gint time = 400;
    gint distance = 5;
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &time, "gtk-double-click-distance", &distance,
                 nullptr);
    return {static_cast<std::uint32_t>(time), distance};
  }

  // The form's handlers contain their own failures; nothing may unwind through GTK.
  template <typename F>
  static void Guard(F&& f) {
    try {
      f();
    } catch (const std::exception& e) {
      g_warning("Corvane: %s", e.what());
    }
  }

  WindowKind kind_;
  WindowEvents& events_;
  const Fonts& fonts_;
  WindowRegistry& registry_;
  GtkWindow* window_ = nullptr;
  GtkWidget* area_ = nullptr;
  // The place and the frame's size, brought up to date by RefreshFrame when asked for.
  mutable PixelPoint origin_{0, 0};
  PixelSize client_;
  mutable PixelSize border_{0, 0};  // the window manager's frame, once it has one
  mutable bool frameStale_ = true;  // configured since the frame was last asked
  bool enabled_ = true;
  bool placed_ = false;     // the program has placed the window itself
  bool userMoved_ = false;  // the user has moved it since (through the window manager)
  ClickCounter clicks_;
  bool pressed_ = false;
  bool moveArmed_ = false;  // a left press may become the window manager's move
  bool moving_ = false;
  int pressX_ = 0;
  int pressY_ = 0;
  guint32 pressTime_ = 0;
  guint timer_ = 0;
  double scrolled_ = 0;  // smooth scrolling not yet a whole notch
  double opacity_ = 1.0;
  std::unique_ptr<HotKeyGrab> hotKey_;
  std::vector<std::string> dropped_;  // the paths of a drop, until the idle call hands them on
  guint dropIdle_ = 0;
};

}  // namespace

std::unique_ptr<GtkNativeWindow> CreateGtkWindow(const WindowLayout& layout, WindowEvents& events, const Fonts& fonts,
                                                 WindowRegistry& registry) {
  return std::make_unique<Window>(layout, events, fonts, registry);
}

}  // namespace corvane::gtk
