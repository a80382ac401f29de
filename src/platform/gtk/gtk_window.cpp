// Top-level windows: their making and ending, place and size, showing, painting, the timer,
// opacity, click-through and the hot key.
#include "platform/gtk/gtk_window.h"

#include <algorithm>

namespace corvane::gtk {

namespace {

// Without a compositing manager the X server keeps nothing of a window beyond the screen's
// edges, and exposes such a part when it comes into view: only what the screen can show is
// painted (a picture window can be far larger than the screen). A compositing manager keeps
// the whole window's pixels, so there all of it is painted.
void ClipToScreen(GtkWidget* widget, cairo_t* cr) {
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

}  // namespace

FormWindow::FormWindow(const WindowLayout& layout, WindowEvents& events, const Fonts& fonts, WindowRegistry& registry)
    : kind_(layout.kind), events_(events), fonts_(fonts), registry_(registry), client_(layout.clientSize) {
  window_.Reset(GTK_WINDOW(g_object_ref_sink(gtk_window_new(GTK_WINDOW_TOPLEVEL))));
  GtkWindow* window = window_.Get();
  if (LayerShellInUse()) {
    layer_ = std::make_unique<LayerSurface>(window, kind_);
    // A visual with alpha, as a surface above the desktop takes.
    if (GdkVisual* rgba = gdk_screen_get_rgba_visual(gtk_widget_get_screen(GTK_WIDGET(window)))) {
      gtk_widget_set_visual(GTK_WIDGET(window), rgba);
    }
    gtk_widget_set_app_paintable(GTK_WIDGET(window), TRUE);
  }
  gtk_window_set_title(window, layout.title.c_str());
  area_ = gtk_drawing_area_new();
  gtk_widget_set_size_request(area_, client_.width, client_.height);
  gtk_widget_set_can_focus(area_, TRUE);
  gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                   GDK_KEY_PRESS_MASK | GDK_LEAVE_NOTIFY_MASK | GDK_SCROLL_MASK);
  gtk_widget_set_has_tooltip(area_, TRUE);
  gtk_container_add(GTK_CONTAINER(window), area_);
  if (kind_ == WindowKind::Framed) {
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_resizable(window, TRUE);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
  } else {
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_resizable(window, FALSE);
    if (kind_ == WindowKind::ToolPopup) {
      gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
      gtk_window_set_skip_taskbar_hint(window, TRUE);
      gtk_window_set_skip_pager_hint(window, TRUE);
    }
  }
  // Menu and About belong to the picture window: no window manager puts it over them.
  if (kind_ != WindowKind::Popup && !layer_) {
    if (GtkWindow* main = registry_.MainWindow()) gtk_window_set_transient_for(window, main);
  }
  gtk_window_set_gravity(window, GDK_GRAVITY_NORTH_WEST);
  // A framed window goes where the window manager puts new windows, over its owner; the
  // others start where the program places them.
  if (kind_ == WindowKind::Framed) {
    gtk_window_set_position(window, GTK_WIN_POS_CENTER_ON_PARENT);
  } else {
    gtk_window_move(window, origin_.x, origin_.y);
  }
  Connect(area_, "draw", G_CALLBACK(OnDraw));
  Connect(area_, "button-press-event", G_CALLBACK(OnButtonPress));
  Connect(area_, "button-release-event", G_CALLBACK(OnButtonRelease));
  Connect(area_, "motion-notify-event", G_CALLBACK(OnMotion));
  Connect(area_, "query-tooltip", G_CALLBACK(OnQueryTooltip));
  Connect(area_, "scroll-event", G_CALLBACK(OnScroll));
  Connect(GTK_WIDGET(window), "key-press-event", G_CALLBACK(OnKeyPress));
  Connect(GTK_WIDGET(window), "delete-event", G_CALLBACK(OnDelete));
  Connect(GTK_WIDGET(window), "configure-event", G_CALLBACK(OnConfigure));
  gtk_widget_show(area_);
}

FormWindow::~FormWindow() {
  Destroy();
  registry_.Forget(this);
}

void FormWindow::Destroy() {
  StartTimer(0);
  hotKey_.reset();
  dropIdle_.Reset();
  if (!window_) return;
  RefreshFrame();  // the last place stays known once the window has gone
  if (layer_) {
    static_cast<void>(Frame());  // keeps the surface's place
    layer_.reset();
  }
  // Taken out first: whatever runs while it is destroyed finds no window here.
  ScopedToplevel window = std::move(window_);
  area_ = nullptr;
  g_signal_handlers_disconnect_by_data(window.Get(), this);
  window.Reset();
}

PixelRect FormWindow::Frame() const {
  if (layer_) {
    // The program's own place, kept by the surface (which may have followed its output away).
    origin_ = layer_->Placed() ? layer_->Place() : origin_;
    return {origin_.x, origin_.y, origin_.x + client_.width, origin_.y + client_.height};
  }
  RefreshFrame();
  return {origin_.x, origin_.y, origin_.x + client_.width + border_.width, origin_.y + client_.height + border_.height};
}

void FormWindow::MoveTo(PixelPoint p) {
  origin_ = p;
  placed_ = true;
  userMoved_ = false;
  if (layer_) {
    layer_->MoveTo(p);
  } else if (window_) {
    gtk_window_move(window_.Get(), p.x, p.y);
  }
}

void FormWindow::SetClientSize(PixelSize size) {
  client_ = size;
  if (!window_) return;
  gtk_widget_set_size_request(area_, size.width, size.height);
  gtk_window_resize(window_.Get(), std::max(1, size.width), std::max(1, size.height));
}

void FormWindow::Show() {
  if (!window_) return;
  const bool place = (kind_ != WindowKind::Framed || placed_) && !layer_;
  if (place) gtk_window_move(window_.Get(), origin_.x, origin_.y);
  gtk_widget_show(GTK_WIDGET(window_.Get()));
  // Asked again once the window is managed: a window manager may pull a new window wholly
  // onto the screen, yet leaves a shown one where the program puts it.
  if (place) gtk_window_move(window_.Get(), origin_.x, origin_.y);
  if (opacity_ < 1.0) ApplyOpacity();
  Activate();
}

void FormWindow::Activate() {
  if (!window_) return;
  // The time of the input that asked for the window, so that focus-stealing prevention
  // lets it take the keyboard.
  gtk_window_present_with_time(window_.Get(), gtk_get_current_event_time());
  gtk_widget_grab_focus(area_);
}

void FormWindow::Hide() {
  if (window_) gtk_widget_hide(GTK_WIDGET(window_.Get()));
}

bool FormWindow::IsVisible() const { return window_ && gtk_widget_get_visible(GTK_WIDGET(window_.Get())); }

void FormWindow::Invalidate(const PixelRect& r) {
  if (area_) gtk_widget_queue_draw_area(area_, r.left, r.top, r.Width(), r.Height());
}

void FormWindow::StartTimer(int milliseconds) {
  timer_.Reset();
  if (milliseconds <= 0 || !window_) return;
  // Below input and drawing: the call waits behind the mouse and the keys.
  timer_.Reset(g_timeout_add_full(G_PRIORITY_DEFAULT_IDLE, static_cast<guint>(milliseconds), OnTimer, this, nullptr));
}

gboolean FormWindow::OnTimer(gpointer data) {
  auto* self = static_cast<FormWindow*>(data);
  static_cast<void>(self->timer_.Take());  // the source ends with this call
  Guard([&] { self->events_.OnTimer(); });
  return G_SOURCE_REMOVE;
}

// A toplevel's opacity is _NET_WM_WINDOW_OPACITY on its X window, which a compositing
// manager applies.
// Kept and applied again once the window is shown: a window not yet realized has no X
// window to carry it.
void FormWindow::SetOpacity(int percent) {
  opacity_ = percent / 100.0;
  ApplyOpacity();
}

void FormWindow::ApplyOpacity() {
  if (!window_) return;
  // Wayland has no window opacity, and drawing a layer surface through its own alpha is not
  // done yet: there the window stays opaque.
  if (layer_) return;
  gtk_widget_set_opacity(GTK_WIDGET(window_.Get()), opacity_);
  if (GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(window_.Get()))) gdk_window_set_opacity(gdk, opacity_);
}

// An empty input shape: X hands every pointer event to the windows beneath. No shape gives
// the window its whole area back.
void FormWindow::SetClickThrough(bool on) {
  if (!window_) return;
  const ScopedRegion nothing(on ? cairo_region_create() : nullptr);
  gtk_widget_input_shape_combine_region(GTK_WIDGET(window_.Get()), nothing.Get());
}

bool FormWindow::RegisterHotKey(int modifiers, char letter) {
  hotKey_.reset();
  // Wayland gives no program a system-wide key: the way back from click-through is
  // `corvane --click-through=off`, which users bind to a key in their compositor.
  if (layer_) return true;
  hotKey_ = GrabHotKey(modifiers, letter, [this] { Guard([&] { events_.OnHotKey(); }); });
  return hotKey_ != nullptr;
}

gboolean FormWindow::OnDraw(GtkWidget* widget, cairo_t* cr, FormWindow* self) {
  ClipToScreen(widget, cr);
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
  const PixelRect dirty{static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2 + 0.999),
                        static_cast<int>(y2 + 0.999)};
  CairoCanvas canvas(cr, self->fonts_);
  Guard([&] { self->events_.OnPaint(canvas, dirty); });
  return TRUE;
}

gboolean FormWindow::OnDelete(GtkWidget*, GdkEvent*, FormWindow* self) {
  Guard([&] { self->events_.OnCloseRequest(); });
  return TRUE;  // the form decides; the window stays until it is destroyed
}

gboolean FormWindow::OnConfigure(GtkWidget*, GdkEventConfigure*, FormWindow* self) {
  GdkWindow* gdk = self->window_ ? gtk_widget_get_window(GTK_WIDGET(self->window_.Get())) : nullptr;
  if (!gdk) return FALSE;
  self->frameStale_ = true;
  if (self->kind_ == WindowKind::Framed) self->client_ = {gdk_window_get_width(gdk), gdk_window_get_height(gdk)};
  return FALSE;
}

void FormWindow::RefreshFrame() const {
  GdkWindow* gdk = frameStale_ && window_ ? gtk_widget_get_window(GTK_WIDGET(window_.Get())) : nullptr;
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

std::unique_ptr<GtkNativeWindow> CreateGtkWindow(const WindowLayout& layout, WindowEvents& events, const Fonts& fonts,
                                                 WindowRegistry& registry) {
  return std::make_unique<FormWindow>(layout, events, fonts, registry);
}

}  // namespace corvane::gtk
