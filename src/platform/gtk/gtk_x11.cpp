// The one request GTK has no call for: cancelling the window manager's move.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

namespace corvane::gtk {

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
