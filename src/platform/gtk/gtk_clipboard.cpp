// The clipboard's picture: copied files (text/uri-list) are named as they are; a picture in a
// format gdk-pixbuf reads (image/png first) is checked against the picture ceiling from its
// header, decoded, and written by gdk-pixbuf as a PNG file.
#include <span>

#include "platform/gtk/gtk_internal.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/settings_place.h"
#include "platform/gtk/uri_list.h"
#include "pictures/clipboard_bitmap.h"
#include "pictures/picture_header.h"

namespace corvane::gtk {

namespace {

class PixbufClipboardImage : public ClipboardImage {
 public:
  explicit PixbufClipboardImage(GRef<GdkPixbuf> pixbuf) : pixbuf_(std::move(pixbuf)) {}

  void SavePng(const std::string& path) const override {
    gchar* buffer = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!gdk_pixbuf_save_to_buffer(pixbuf_.get(), &buffer, &length, "png", &error, nullptr)) {
      throw CallFailed("gdk_pixbuf_save_to_buffer", error);
    }
    const std::unique_ptr<gchar, decltype(&g_free)> owned(buffer, g_free);
    WriteNewFile(path, {buffer, length}, 0644);
  }

 private:
  GRef<GdkPixbuf> pixbuf_;
};

// A target's contents, or nothing when the owner gives none.
class Contents {
 public:
  explicit Contents(GtkSelectionData* data) : data_(data) {}
  ~Contents() {
    if (data_) gtk_selection_data_free(data_);
  }
  Contents(const Contents&) = delete;
  Contents& operator=(const Contents&) = delete;
  std::span<const std::uint8_t> Bytes() const {
    const gint length = data_ ? gtk_selection_data_get_length(data_) : -1;
    if (length <= 0) return {};
    return {gtk_selection_data_get_data(data_), static_cast<std::size_t>(length)};
  }

 private:
  GtkSelectionData* data_;
};

// The MIME types gdk-pixbuf's loaders read, image/png first.
std::vector<std::string> ReadableMimeTypes() {
  std::vector<std::string> types{"image/png"};
  GSList* formats = gdk_pixbuf_get_formats();
  for (GSList* f = formats; f; f = f->next) {
    auto* format = static_cast<GdkPixbufFormat*>(f->data);
    if (gdk_pixbuf_format_is_disabled(format)) continue;
    gchar** mimes = gdk_pixbuf_format_get_mime_types(format);
    for (gchar** m = mimes; m && *m; ++m) types.emplace_back(*m);
    g_strfreev(mimes);
  }
  g_slist_free(formats);
  return types;
}

std::unique_ptr<ClipboardImage> DecodePicture(std::span<const std::uint8_t> bytes) {
  const pictures::ClipboardPictureBytes checked = pictures::CheckedPictureFile(bytes);
  if (!checked.problem.empty()) throw Error(checked.problem);
  GRef<GdkPixbufLoader> loader(gdk_pixbuf_loader_new());
  GError* error = nullptr;
  if (!gdk_pixbuf_loader_write(loader.get(), checked.file.data(), checked.file.size(), &error)) {
    gdk_pixbuf_loader_close(loader.get(), nullptr);
    throw CallFailed("gdk_pixbuf_loader_write", error);
  }
  if (!gdk_pixbuf_loader_close(loader.get(), &error)) throw CallFailed("gdk_pixbuf_loader_close", error);
  GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
  if (!pixbuf) throw Error("The picture on the clipboard could not be read.");
  const std::string problem = pictures::SizeProblem(gdk_pixbuf_get_width(pixbuf), gdk_pixbuf_get_height(pixbuf));
  if (!problem.empty()) throw Error(problem);
  // Turned as its camera says, as a picture file is shown.
  return std::make_unique<PixbufClipboardImage>(GRef<GdkPixbuf>(gdk_pixbuf_apply_embedded_orientation(pixbuf)));
}

}  // namespace

ClipboardPicture GtkPlatform::ReadClipboardPicture() {
  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  GdkAtom* targets = nullptr;
  gint count = 0;
  ClipboardPicture pasted;
  if (!gtk_clipboard_wait_for_targets(clipboard, &targets, &count)) return pasted;
  const std::unique_ptr<GdkAtom, decltype(&g_free)> ownedTargets(targets, g_free);
  const auto offered = [&](const std::string& type) -> GdkAtom {
    for (gint i = 0; i < count; ++i) {
      gchar* name = gdk_atom_name(targets[i]);
      const bool same = type == name;
      g_free(name);
      if (same) return targets[i];
    }
    return GDK_NONE;
  };

  if (const GdkAtom uris = offered("text/uri-list"); uris != GDK_NONE) {
    const Contents list(gtk_clipboard_wait_for_contents(clipboard, uris));
    const auto bytes = list.Bytes();
    const std::vector<std::string> paths =
        LocalPathsOfUriList({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, g_get_host_name());
    if (!paths.empty()) {
      pasted.file = paths.front();
      return pasted;
    }
  }
  for (const std::string& type : ReadableMimeTypes()) {
    const GdkAtom target = offered(type);
    if (target == GDK_NONE) continue;
    const Contents picture(gtk_clipboard_wait_for_contents(clipboard, target));
    if (picture.Bytes().empty()) continue;
    pasted.image = DecodePicture(picture.Bytes());
    break;
  }
  return pasted;
}

LocalTime GtkPlatform::Now() const {
  GDateTime* now = g_date_time_new_now_local();
  const LocalTime t{g_date_time_get_year(now),         g_date_time_get_month(now),  g_date_time_get_day_of_month(now),
                    g_date_time_get_hour(now),         g_date_time_get_minute(now), g_date_time_get_second(now)};
  g_date_time_unref(now);
  return t;
}

}  // namespace corvane::gtk
