// The program's top-level window: a GtkWindow holding one drawing area that paints the form,
// routes mouse and keys to it (gtk_window_input.cpp), takes dropped files
// (gtk_window_drop.cpp) and asks it for tooltips (gtk_window_tooltip.cpp).
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/gtk/click_counter.h"
#include "platform/gtk/gtk_internal.h"
#include "platform/gtk/gtk_layer.h"

namespace corvane::gtk {

class FormWindow : public GtkNativeWindow {
 public:
  FormWindow(const WindowLayout& layout, WindowEvents& events, const Fonts& fonts, WindowRegistry& registry);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  void Destroy() override;
  GtkWindow* Widget() const override { return window_.Get(); }
  WindowKind Kind() const override { return kind_; }
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(window_.Get()); }

  PixelRect Frame() const override;
  PixelSize ClientSize() const override { return client_; }
  void MoveTo(PixelPoint p) override;
  void SetClientSize(PixelSize size) override;
  void Show() override;
  void Activate() override;
  void Hide() override;
  bool IsVisible() const override;
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  void Invalidate(const PixelRect& r) override;
  void RefreshTooltip() override;
  void StartTimer(int milliseconds) override;
  void SetOpacity(int percent) override;
  void SetClickThrough(bool on) override;
  bool RegisterHotKey(int modifiers, char letter) override;
  void UnregisterHotKey() override { hotKey_.reset(); }
  void AcceptFileDrops() override;
  void BeginMove() override;

 private:
  void Connect(GtkWidget* widget, const char* signal, GCallback callback) {
    g_signal_connect(widget, signal, callback, this);
  }
  void ApplyOpacity();
  // The frame is asked of the X server when its place is wanted, not at every configure event:
  // its extents take three round trips, and a new window has several configure events before
  // its first paint.
  void RefreshFrame() const;

  static gboolean OnTimer(gpointer data);
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, FormWindow* self);
  static gboolean OnDelete(GtkWidget*, GdkEvent*, FormWindow* self);
  static gboolean OnConfigure(GtkWidget*, GdkEventConfigure*, FormWindow* self);
  // gtk_window_input.cpp
  static gboolean OnButtonPress(GtkWidget*, GdkEventButton* e, FormWindow* self);
  static gboolean OnButtonRelease(GtkWidget*, GdkEventButton* e, FormWindow* self);
  static gboolean OnMotion(GtkWidget*, GdkEventMotion* e, FormWindow* self);
  static gboolean OnKeyPress(GtkWidget*, GdkEventKey* e, FormWindow* self);
  static gboolean OnScroll(GtkWidget*, GdkEventScroll* e, FormWindow* self);
  bool PastDragThreshold(const GdkEventMotion* e) const;
  // An event's point in screen (global layout) pixels; a layer surface's events carry only
  // points of the surface.
  PixelPoint ScreenPoint(double x, double y, double xRoot, double yRoot) const;
  // gtk_window_drop.cpp
  static void OnDragDataReceived(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* data, guint, guint,
                                 FormWindow* self);
  static gboolean OnDropIdle(gpointer data);
  // gtk_window_tooltip.cpp
  static gboolean OnQueryTooltip(GtkWidget*, gint x, gint y, gboolean keyboard, GtkTooltip* tooltip, FormWindow* self);

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
  ScopedToplevel window_;
  std::unique_ptr<LayerSurface> layer_;  // under a Wayland compositor with layer surfaces
  GtkWidget* area_ = nullptr;            // the window's child
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
  PixelPoint pressAt_{0, 0};  // a left press's point in the window, for a layer surface's drag
  int pressX_ = 0;
  int pressY_ = 0;
  guint32 pressTime_ = 0;
  ScopedSource timer_;
  double scrolled_ = 0;  // smooth scrolling not yet a whole notch
  double opacity_ = 1.0;
  std::unique_ptr<HotKeyGrab> hotKey_;
  FileDrop dropped_;  // a drop, until the idle call hands it on
  ScopedSource dropIdle_;
};

// The ShiftMask bits of a GDK modifier state (gtk_window_input.cpp).
int ShiftState(guint state);

}  // namespace corvane::gtk
