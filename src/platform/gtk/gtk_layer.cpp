// Layer surfaces: the backend's choice, places as an output and margins, outputs that go away.
#include "platform/gtk/gtk_layer.h"

#include <gtk-layer-shell/gtk-layer-shell.h>
#include <wayland-client.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace corvane::gtk {

namespace {

bool layerShell = false;
PixelPoint lastPointer{0, 0};
std::vector<LayerSurface*> surfaces;
gulong monitorRemoved = 0;

// One round trip to the compositor: whether its globals include zwlr_layer_shell_v1. Asked
// before GTK opens a display, so that GTK opens the one the program will use.
bool CompositorOffersLayerShell() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return false;
  bool offered = false;
  static const wl_registry_listener listener{[](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
                                               if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0)
                                                 *static_cast<bool*>(data) = true;
                                             },
                                             [](void*, wl_registry*, uint32_t) {}};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &offered);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return offered;
}

PixelRect Geometry(GdkMonitor* monitor) {
  GdkRectangle g{};
  gdk_monitor_get_geometry(monitor, &g);
  return {g.x, g.y, g.x + g.width, g.y + g.height};
}

// How far `p` lies outside `r` (0 inside), in the larger of the two directions' distances.
long long DistanceOutside(PixelPoint p, const PixelRect& r) {
  const long long dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
  const long long dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
  return dx * dx + dy * dy;
}

// The monitor holding `p`, else the nearest one; null when there is none.
GdkMonitor* MonitorFor(PixelPoint p) {
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* best = nullptr;
  long long bestDistance = LLONG_MAX;
  for (int n = 0; n < gdk_display_get_n_monitors(display); ++n) {
    GdkMonitor* monitor = gdk_display_get_monitor(display, n);
    const long long distance = DistanceOutside(p, Geometry(monitor));
    if (distance < bestDistance) {
      best = monitor;
      bestDistance = distance;
    }
  }
  return best;
}

void OnMonitorRemoved(GdkDisplay*, GdkMonitor*, gpointer) {
  for (LayerSurface* surface : surfaces) surface->FollowOutputs();
}

}  // namespace

void ChooseDisplayBackend() {
  const char* forced = std::getenv("CORVANE_BACKEND");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  layerShell = !(forced && std::strcmp(forced, "x11") == 0) && wayland && *wayland && CompositorOffersLayerShell();
  gdk_set_allowed_backends(layerShell ? "wayland" : "x11");
}

bool LayerShellInUse() {
  // Asked of GTK too: the display it opened must be the compositor that was asked.
  static const bool inUse = layerShell && gtk_layer_is_supported();
  return inUse;
}

LayerSurface::LayerSurface(GtkWindow* window, WindowKind kind) : window_(window), kind_(kind) {
  gtk_layer_init_for_window(window);
  gtk_layer_set_namespace(window, "corvane");
  gtk_layer_set_layer(window, GTK_LAYER_SHELL_LAYER_OVERLAY);
  // Margins from the output's own edges, never pushed aside by the zones panels reserve: the
  // place is the same whatever bars the desktop shows.
  gtk_layer_set_exclusive_zone(window, -1);
  // The menu takes the keyboard while it is open; the others when clicked.
  gtk_layer_set_keyboard_mode(window, kind == WindowKind::ToolPopup ? GTK_LAYER_SHELL_KEYBOARD_MODE_EXCLUSIVE
                                                                    : GTK_LAYER_SHELL_KEYBOARD_MODE_ON_DEMAND);
  // Until the program places it (the About window, which goes where new windows go), the
  // surface is anchored to no edge: the compositor centres it on the output. MoveTo anchors it.
  if (monitorRemoved == 0) {
    monitorRemoved =
        g_signal_connect(gdk_display_get_default(), "monitor-removed", G_CALLBACK(OnMonitorRemoved), nullptr);
  }
  surfaces.push_back(this);
  g_signal_connect(window, "map", G_CALLBACK(OnMapChanged), this);
  g_signal_connect(window, "unmap", G_CALLBACK(OnMapChanged), this);
}

void LayerSurface::OnMapChanged(GtkWidget* widget, LayerSurface* self) {
  self->mapped_ = gtk_widget_get_mapped(widget);
  if (self->kind_ != WindowKind::Popup) StackPictureWindows();
}

void LayerSurface::StackPictureWindows() {
  const bool above = std::none_of(surfaces.begin(), surfaces.end(),
                                  [](const LayerSurface* s) { return s->kind_ != WindowKind::Popup && s->mapped_; });
  for (LayerSurface* s : surfaces) {
    if (s->kind_ != WindowKind::Popup) continue;
    const GtkLayerShellLayer layer = above ? GTK_LAYER_SHELL_LAYER_OVERLAY : GTK_LAYER_SHELL_LAYER_TOP;
    if (gtk_layer_get_layer(s->window_) != layer) gtk_layer_set_layer(s->window_, layer);
  }
}

LayerSurface::~LayerSurface() {
  g_signal_handlers_disconnect_by_data(window_, this);
  std::erase(surfaces, this);
  if (kind_ != WindowKind::Popup && mapped_) {
    mapped_ = false;
    StackPictureWindows();
  }
}

void LayerSurface::BeginDrag(PixelPoint held) {
  held_ = held;
  pressPlace_ = place_;
}

void LayerSurface::DragTo(double x, double y) {
  const PixelPoint to{pressPlace_.x + static_cast<int>(x) - held_.x, pressPlace_.y + static_cast<int>(y) - held_.y};
  if (to != place_) MoveTo(to);
}

void LayerSurface::MoveTo(PixelPoint place) {
  place_ = place;
  if (!placed_) {
    placed_ = true;
    gtk_layer_set_anchor(window_, GTK_LAYER_SHELL_EDGE_LEFT, TRUE);
    gtk_layer_set_anchor(window_, GTK_LAYER_SHELL_EDGE_TOP, TRUE);
  }
  GdkMonitor* monitor = MonitorFor(place);
  if (!monitor) return;
  const PixelRect output = Geometry(monitor);
  if (gtk_layer_get_monitor(window_) != monitor) gtk_layer_set_monitor(window_, monitor);
  gtk_layer_set_margin(window_, GTK_LAYER_SHELL_EDGE_LEFT, place.x - output.left);
  gtk_layer_set_margin(window_, GTK_LAYER_SHELL_EDGE_TOP, place.y - output.top);
}

PixelPoint LayerSurface::Global(double x, double y) const {
  return {place_.x + static_cast<int>(x), place_.y + static_cast<int>(y)};
}

void LayerSurface::FollowOutputs() {
  if (!placed_) return;
  GdkMonitor* monitor = MonitorFor(place_);
  if (!monitor) return;
  const PixelRect output = Geometry(monitor);
  if (!output.Intersect({place_.x, place_.y, place_.x + 1, place_.y + 1}).Empty()) {
    MoveTo(place_);
    return;
  }
  // Wholly onto the nearest output where it fits, else its top-left corner on it.
  int width = 0;
  int height = 0;
  gtk_window_get_size(window_, &width, &height);
  const int x = std::max(output.left, std::min(place_.x, output.right - width));
  const int y = std::max(output.top, std::min(place_.y, output.bottom - height));
  MoveTo({x, y});
}

void NotePointer(PixelPoint p) { lastPointer = p; }

PixelPoint LastPointer() { return lastPointer; }

}  // namespace corvane::gtk
