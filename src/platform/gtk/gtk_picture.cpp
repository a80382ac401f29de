// Pictures through gdk-pixbuf and whatever loaders are installed: shown 1:1, turned as their
// EXIF orientation says, drawn over the window's ground with their transparency, animated
// where the file is an animation.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/gtk/gtk_internal.h"
#include "platform/pictures/picture_header.h"

namespace corvane::gtk {

namespace {

class StillPicture : public PixbufPicture {
 public:
  explicit StillPicture(GdkPixbuf* pixbuf) : pixbuf_(pixbuf) {}
  PixelSize Size() const override { return {gdk_pixbuf_get_width(pixbuf_.get()), gdk_pixbuf_get_height(pixbuf_.get())}; }
  void Render(cairo_t* cr, int x, int y) const override {
    gdk_cairo_set_source_pixbuf(cr, pixbuf_.get(), x, y);
    cairo_paint(cr);
  }
  GdkPixbuf* Pixels() const override { return pixbuf_.get(); }

 private:
  GRef<GdkPixbuf> pixbuf_;
};

// An animation, played on the program's clock: each NextFrame moves the animation's own clock
// on by the delay of the frame shown, so no frame is skipped however late the call comes.
class AnimatedPicture : public PixbufPicture {
 public:
  explicit AnimatedPicture(GdkPixbufAnimation* animation) : animation_(animation) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    iter_.Reset(gdk_pixbuf_animation_get_iter(animation, &clock_));
    G_GNUC_END_IGNORE_DEPRECATIONS
  }

  PixelSize Size() const override {
    return {gdk_pixbuf_animation_get_width(animation_.get()), gdk_pixbuf_animation_get_height(animation_.get())};
  }

  int FrameDelay() const override {
    const int delay = gdk_pixbuf_animation_iter_get_delay_time(iter_.get());
    return delay < 0 ? 0 : std::max(delay, 20);  // -1: the last frame, for good
  }

  PixelRect NextFrame() override {
    const int delay = FrameDelay();
    if (delay == 0) return {};
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    g_time_val_add(&clock_, static_cast<glong>(delay) * 1000);
    gdk_pixbuf_animation_iter_advance(iter_.get(), &clock_);
    G_GNUC_END_IGNORE_DEPRECATIONS
    const PixelSize size = Size();
    return {0, 0, size.width, size.height};
  }

  void Render(cairo_t* cr, int x, int y) const override {
    gdk_cairo_set_source_pixbuf(cr, gdk_pixbuf_animation_iter_get_pixbuf(iter_.get()), x, y);
    cairo_paint(cr);
  }
  GdkPixbuf* Pixels() const override { return gdk_pixbuf_animation_iter_get_pixbuf(iter_.get()); }

 private:
  GRef<GdkPixbufAnimation> animation_;
  // gdk-pixbuf's iterators take only GLib's old time value.
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  GTimeVal clock_{0, 0};
  G_GNUC_END_IGNORE_DEPRECATIONS
  GRef<GdkPixbufAnimationIter> iter_;
};

std::string NotAPicture() {
  return "The file is not a picture Corvane can show (" + PictureFormatNames() + ").";
}

}  // namespace

std::string PictureFormatNames() {
  std::string names;
  GSList* formats = gdk_pixbuf_get_formats();
  for (GSList* f = formats; f; f = f->next) {
    auto* format = static_cast<GdkPixbufFormat*>(f->data);
    if (gdk_pixbuf_format_is_disabled(format)) continue;
    gchar* name = gdk_pixbuf_format_get_name(format);
    names += (names.empty() ? "" : ", ") + std::string(name);
    g_free(name);
  }
  g_slist_free(formats);
  return names;
}

std::vector<std::string> PixbufExtensions() {
  std::vector<std::string> all;
  const auto add = [&all](const std::string& e) {
    if (std::find(all.begin(), all.end(), e) == all.end()) all.push_back(e);
  };
  std::vector<std::string> installed;
  GSList* formats = gdk_pixbuf_get_formats();
  for (GSList* f = formats; f; f = f->next) {
    auto* format = static_cast<GdkPixbufFormat*>(f->data);
    if (gdk_pixbuf_format_is_disabled(format)) continue;
    gchar** extensions = gdk_pixbuf_format_get_extensions(format);
    for (gchar** e = extensions; e && *e; ++e) installed.emplace_back(*e);
    g_strfreev(extensions);
  }
  g_slist_free(formats);
  // The common kinds first, as people look for them, then the rest in the loaders' order.
  for (const char* e : {"png", "jpg", "jpeg", "gif", "bmp", "tif", "tiff", "ico", "webp"}) {
    if (std::find(installed.begin(), installed.end(), e) != installed.end()) add(e);
  }
  for (const std::string& e : installed) add(e);
  return all;
}

std::shared_ptr<Picture> LoadPixbufPicture(const std::string& path) {
  struct stat info{};
  if (stat(path.c_str(), &info) != 0) throw Error(std::strerror(errno));
  if (!S_ISREG(info.st_mode)) throw Error("This is not a file: " + path);
  if (info.st_size == 0) throw Error("The file is empty.");
  // The size is checked before anything is decoded: a picture too large to show must not
  // first take the memory of its pixels.
  int width = 0;
  int height = 0;
  if (!gdk_pixbuf_get_file_info(path.c_str(), &width, &height)) throw Error(NotAPicture());
  if (const std::string refusal = pictures::SizeProblem(width, height); !refusal.empty()) throw Error(refusal);

  GError* error = nullptr;
  GdkPixbufAnimation* animation = gdk_pixbuf_animation_new_from_file(path.c_str(), &error);
  if (!animation) {
    const bool memory = error && error->domain == GDK_PIXBUF_ERROR && error->code == GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY;
    if (error) g_error_free(error);
    throw Error(memory ? "The picture is too large to fit in memory." : NotAPicture());
  }
  if (!gdk_pixbuf_animation_is_static_image(animation)) return std::make_shared<AnimatedPicture>(animation);
  GdkPixbuf* still = gdk_pixbuf_animation_get_static_image(animation);
  // Turned as the camera's orientation tag says; the result is a new picture (or the same
  // one with another reference).
  GdkPixbuf* turned = gdk_pixbuf_apply_embedded_orientation(still);
  g_object_unref(animation);
  if (!turned) throw Error("The picture is too large to fit in memory.");
  return std::make_shared<StillPicture>(turned);
}

}  // namespace corvane::gtk
