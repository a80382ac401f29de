// Pictures through gdk-pixbuf and whatever loaders are installed: shown 1:1, turned as their
// EXIF orientation says, drawn over the window's ground with their transparency, animated
// where the file is an animation.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <set>

#include "platform/gtk/gtk_internal.h"
#include "platform/gtk/picture_limits.h"

namespace corvane::gtk {

namespace {

class StillPicture : public PixbufPicture {
 public:
  explicit StillPicture(GdkPixbuf* pixbuf) : pixbuf_(pixbuf) {}
  PixelSize Size() const override { return {gdk_pixbuf_get_width(pixbuf_.get()), gdk_pixbuf_get_height(pixbuf_.get())}; }
  void Render(cairo_t* cr, GtkWidget*, int x, int y) const override {
    gdk_cairo_set_source_pixbuf(cr, pixbuf_.get(), x, y);
    cairo_paint(cr);
  }

 private:
  GRef<GdkPixbuf> pixbuf_;
};

// An animation: each drawing shows the frame due now and asks to be drawn again when the
// next one is due.
class AnimatedPicture : public PixbufPicture {
 public:
  explicit AnimatedPicture(GdkPixbufAnimation* animation)
      : animation_(animation), iter_(gdk_pixbuf_animation_get_iter(animation, nullptr)) {}
  ~AnimatedPicture() override {
    if (timer_) g_source_remove(timer_);
    for (GtkWidget* w : widgets_) g_object_weak_unref(G_OBJECT(w), OnWidgetGone, const_cast<AnimatedPicture*>(this));
  }
  AnimatedPicture(const AnimatedPicture&) = delete;
  AnimatedPicture& operator=(const AnimatedPicture&) = delete;

  PixelSize Size() const override {
    return {gdk_pixbuf_animation_get_width(animation_.get()), gdk_pixbuf_animation_get_height(animation_.get())};
  }

  void Render(cairo_t* cr, GtkWidget* widget, int x, int y) const override {
    if (widgets_.insert(widget).second) g_object_weak_ref(G_OBJECT(widget), OnWidgetGone, const_cast<AnimatedPicture*>(this));
    gdk_pixbuf_animation_iter_advance(iter_.get(), nullptr);
    gdk_cairo_set_source_pixbuf(cr, gdk_pixbuf_animation_iter_get_pixbuf(iter_.get()), x, y);
    cairo_paint(cr);
    const int delay = gdk_pixbuf_animation_iter_get_delay_time(iter_.get());
    if (delay >= 0 && !timer_) {
      timer_ = g_timeout_add(static_cast<guint>(std::max(delay, 20)), OnFrameDue, const_cast<AnimatedPicture*>(this));
    }
  }

 private:
  static gboolean OnFrameDue(gpointer data) {
    auto* self = static_cast<AnimatedPicture*>(data);
    self->timer_ = 0;
    for (GtkWidget* w : self->widgets_) gtk_widget_queue_draw(w);
    return G_SOURCE_REMOVE;
  }

  static void OnWidgetGone(gpointer data, GObject* widget) {
    static_cast<AnimatedPicture*>(data)->widgets_.erase(reinterpret_cast<GtkWidget*>(widget));
  }

  GRef<GdkPixbufAnimation> animation_;
  GRef<GdkPixbufAnimationIter> iter_;
  mutable std::set<GtkWidget*> widgets_;
  mutable guint timer_ = 0;
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

std::vector<std::string> PictureExtensions() {
  std::vector<std::string> extensions;
  GSList* formats = gdk_pixbuf_get_formats();
  for (GSList* f = formats; f; f = f->next) {
    auto* format = static_cast<GdkPixbufFormat*>(f->data);
    if (gdk_pixbuf_format_is_disabled(format)) continue;
    gchar** names = gdk_pixbuf_format_get_extensions(format);
    for (gchar** name = names; name && *name; ++name) {
      std::string extension(*name);
      for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) extensions.push_back(extension);
    }
    g_strfreev(names);
  }
  g_slist_free(formats);
  return extensions;
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
  if (const std::string refusal = RefuseSize({width, height}); !refusal.empty()) throw Error(refusal);

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
