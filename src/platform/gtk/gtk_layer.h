// The program's windows as wlr-layer-shell surfaces, for Wayland compositors that offer the
// protocol (sway, Hyprland, river, Wayfire, KDE Plasma). An ordinary Wayland window can neither
// choose its place nor stay above others; a surface on the overlay layer, anchored to an
// output's top-left corner with its place as margins, does both. Where the compositor lacks the
// protocol (GNOME) the program talks to XWayland instead, as under any X session.
#pragma once

#include "platform/gtk/gtk_internal.h"

namespace corvane::gtk {

// Picks the display backend before GTK opens one: Wayland with layer surfaces when
// WAYLAND_DISPLAY names a compositor that offers zwlr_layer_shell_v1, else X11 (XWayland under
// a Wayland session). CORVANE_BACKEND=x11 forces X11.
void ChooseDisplayBackend();
// Once GTK is up: whether the windows are layer surfaces.
bool LayerShellInUse();

// One window as a layer surface on the overlay layer of the output that holds its place. Made
// before the window is realized; lives as long as the window.
class LayerSurface {
 public:
  LayerSurface(GtkWindow* window, WindowKind kind);
  ~LayerSurface();
  LayerSurface(const LayerSurface&) = delete;
  LayerSurface& operator=(const LayerSurface&) = delete;

  // The surface's top-left corner in the compositor's global layout: the output that holds it
  // (the nearest one when none does), and the margins from that output's top-left corner.
  void MoveTo(PixelPoint place);
  PixelPoint Place() const { return place_; }
  bool Placed() const { return placed_; }
  // A point of the surface in the global layout.
  PixelPoint Global(double x, double y) const;
  // Moves the surface onto an output again after the one holding it went away.
  void FollowOutputs();

  // The program's own move, by the margins: a layer surface has no compositor's move. Begins
  // at a left press with the point of the surface under the pointer, which the moves keep there.
  void BeginDrag(PixelPoint held);
  // The pointer at a point of the surface while the button is held. While a button is held the
  // compositor (sway, as wlroots' implicit grab) reports points relative to where the surface
  // was at the press, however it has moved since: the pointer's place is that place plus the
  // point, without a race with the moves still on their way.
  void DragTo(double x, double y);

 private:
  // Compositors stack surfaces of one layer as they like (sway puts the newest lowest): while
  // the menu or the About window is shown, the picture windows step down to the top layer
  // (still above ordinary windows), so that nothing of theirs covers it.
  static void OnMapChanged(GtkWidget*, LayerSurface* self);
  static void StackPictureWindows();

  GtkWindow* window_;
  WindowKind kind_;
  bool mapped_ = false;
  PixelPoint place_{0, 0};
  bool placed_ = false;
  PixelPoint held_{0, 0};
  PixelPoint pressPlace_{0, 0};
};

// The pointer's last point over one of the program's surfaces, in the global layout: a Wayland
// client learns where the pointer is only from the events its own surfaces receive.
void NotePointer(PixelPoint p);
PixelPoint LastPointer();

}  // namespace corvane::gtk
