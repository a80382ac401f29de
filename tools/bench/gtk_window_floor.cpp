// gtk_window_floor: the least a GTK 3 program does to put an undecorated window of one colour
// above the others at a place, the floor the native help panel start is held against.
//
//   gtk_window_floor LEFT TOP WIDTH HEIGHT RRGGBB      place and size in screen pixels
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct Colour {
  double red = 0;
  double green = 0;
  double blue = 0;
};

gboolean Draw(GtkWidget*, cairo_t* cairo, gpointer data) {
  const auto* colour = static_cast<const Colour*>(data);
  cairo_set_source_rgb(cairo, colour->red, colour->green, colour->blue);
  cairo_paint(cairo);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  // Placing a window and keeping it above others takes X11; under Wayland this runs on XWayland.
  gdk_set_allowed_backends("x11");
  gtk_init(&argc, &argv);
  if (argc != 6) {
    std::fprintf(stderr, "usage: gtk_window_floor LEFT TOP WIDTH HEIGHT RRGGBB\n");
    return 2;
  }
  const unsigned long rgb = std::strtoul(argv[5], nullptr, 16);
  Colour colour{static_cast<double>((rgb >> 16) & 0xFF) / 255.0, static_cast<double>((rgb >> 8) & 0xFF) / 255.0,
                static_cast<double>(rgb & 0xFF) / 255.0};

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
  gtk_window_set_keep_above(GTK_WINDOW(window), TRUE);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_widget_set_size_request(window, std::atoi(argv[3]), std::atoi(argv[4]));
  gtk_window_move(GTK_WINDOW(window), std::atoi(argv[1]), std::atoi(argv[2]));
  gtk_widget_set_app_paintable(window, TRUE);
  g_signal_connect(window, "draw", G_CALLBACK(Draw), &colour);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show(window);
  gtk_main();
  return 0;
}
