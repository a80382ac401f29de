// Writes the application icon as a PNG for Linux desktops:
//   png_icon <input.ico> <output.png> [size]
// The 32-pixel drawing is scaled pixel for pixel to `size` (default 128) when that is a multiple
// of 32, so it stays sharp. Another size is drawn from a pixel-for-pixel enlargement at least
// twice as large, averaged down (for 16, 24 and 48: the desktop's smaller and odd sizes).
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>
#include <cstdlib>

namespace {

GdkPixbuf* Scaled(GdkPixbuf* icon, int size) {
  const int drawn = gdk_pixbuf_get_width(icon);
  if (size % drawn == 0) return gdk_pixbuf_scale_simple(icon, size, size, GDK_INTERP_NEAREST);
  int factor = 1;
  while (drawn * factor < 2 * size) ++factor;
  GdkPixbuf* large = gdk_pixbuf_scale_simple(icon, drawn * factor, drawn * factor, GDK_INTERP_NEAREST);
  if (!large) return nullptr;
  GdkPixbuf* result = gdk_pixbuf_scale_simple(large, size, size, GDK_INTERP_HYPER);
  g_object_unref(large);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: %s <input.ico> <output.png> [size]\n", argv[0]);
    return 2;
  }
  int size = 128;
  if (argc == 4) {
    char* end = nullptr;
    const long wanted = std::strtol(argv[3], &end, 10);
    if (*argv[3] == '\0' || *end != '\0' || wanted < 1 || wanted > 1024) {
      std::fprintf(stderr, "png_icon: the size must be a number of pixels from 1 to 1024, not %s\n", argv[3]);
      return 2;
    }
    size = static_cast<int>(wanted);
  }
  GError* error = nullptr;
  GdkPixbuf* icon = gdk_pixbuf_new_from_file(argv[1], &error);
  if (!icon) {
    std::fprintf(stderr, "png_icon: cannot read %s: %s\n", argv[1], error->message);
    return 1;
  }
  GdkPixbuf* scaled = Scaled(icon, size);
  const gboolean saved = scaled && gdk_pixbuf_save(scaled, argv[2], "png", &error, nullptr);
  if (!saved) std::fprintf(stderr, "png_icon: cannot write %s: %s\n", argv[2], error ? error->message : "no memory");
  if (scaled) g_object_unref(scaled);
  g_object_unref(icon);
  return saved ? 0 : 1;
}
