// Writes the application icon as a PNG for Linux desktops: png_icon <input.ico> <output.png>
// The 32-pixel drawing is scaled up 4 times pixel for pixel, so it stays sharp.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <input.ico> <output.png>\n", argv[0]);
    return 2;
  }
  GError* error = nullptr;
  GdkPixbuf* icon = gdk_pixbuf_new_from_file(argv[1], &error);
  if (!icon) {
    std::fprintf(stderr, "png_icon: cannot read %s: %s\n", argv[1], error->message);
    return 1;
  }
  GdkPixbuf* large = gdk_pixbuf_scale_simple(icon, gdk_pixbuf_get_width(icon) * 4, gdk_pixbuf_get_height(icon) * 4,
                                             GDK_INTERP_NEAREST);
  const gboolean saved = large && gdk_pixbuf_save(large, argv[2], "png", &error, nullptr);
  if (!saved) std::fprintf(stderr, "png_icon: cannot write %s: %s\n", argv[2], error ? error->message : "no memory");
  if (large) g_object_unref(large);
  g_object_unref(icon);
  return saved ? 0 : 1;
}
