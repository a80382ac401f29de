// The clipboard's picture: copied files (text/uri-list) are named as they are; a picture in a
// format gdk-pixbuf reads (image/png first) is checked against the picture ceiling from its
// header, decoded, and written by gdk-pixbuf as a PNG file, or, when it is an animation, kept
// as the bytes it came in.
#include <algorithm>
#include <span>
#include <vector>

#include "pictures/clipboard_bitmap.h"
#include "pictures/picture_header.h"
#include "platform/gtk/gtk_internal.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/settings_place.h"
#include "platform/gtk/uri_list.h"

namespace corvane::gtk {

namespace {

class PixbufClipboardImage : public ClipboardImage {
 public:
  explicit PixbufClipboardImage(GRef<GdkPixbuf> pixbuf) : pixbuf_(std::move(pixbuf)) {}

  void Save(const std::string& path) const override {
    ScopedString buffer;
    gsize length = 0;
    ScopedError error;
    if (!gdk_pixbuf_save_to_buffer(pixbuf_.Get(), buffer.Put(), &length, "png", error.Put(), nullptr)) {
      throw CallFailed("gdk_pixbuf_save_to_buffer", "the PNG picture for " + path, error.Get());
    }
    WriteNewFile(path, {buffer.Get(), length}, 0644);
  }

 private:
  GRef<GdkPixbuf> pixbuf_;
};

// An animation, kept as the bytes it came in (a PNG would hold its first frame only), in a file
// of its own kind.
class AnimationClipboardImage : public ClipboardImage {
 public:
  AnimationClipboardImage(std::vector<std::uint8_t> bytes, std::string extension)
      : bytes_(std::move(bytes)), extension_(std::move(extension)) {}

  std::string Extension() const override { return extension_; }
  void Save(const std::string& path) const override {
    WriteNewFile(path, {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()}, 0644);
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::string extension_;
};

// The loader's format's usual extension ("gif"); empty when it names none.
std::string FormatExtension(GdkPixbufLoader* loader) {
  GdkPixbufFormat* format = gdk_pixbuf_loader_get_format(loader);  // gdk-pixbuf's own
  if (!format) return {};
  const ScopedStrings extensions(gdk_pixbuf_format_get_extensions(format));
  return extensions.Get() && extensions.Get()[0] ? extensions.Get()[0] : "";
}

// A target's contents; empty when the owner gives none.
std::span<const std::uint8_t> Bytes(const ScopedSelectionData& data) {
  const gint length = data ? gtk_selection_data_get_length(data.Get()) : -1;
  if (length <= 0) return {};
  return {gtk_selection_data_get_data(data.Get()), static_cast<std::size_t>(length)};
}

std::unique_ptr<ClipboardImage> DecodePicture(std::span<const std::uint8_t> bytes) {
  pictures::ClipboardPictureBytes checked = pictures::CheckedPictureFile(bytes);
  if (!checked.problem.empty()) throw Error(checked.problem);
  ScopedPixbufLoader loader;
  ScopedError error;
  // Handed over a piece at a time, as a file is read: some loaders (GIF's) keep what they have
  // not yet parsed in one buffer and move it down after each block, which for a whole file at
  // once costs time in the square of its length.
  constexpr std::size_t kPiece = 64 * 1024;
  for (std::size_t at = 0; at < checked.file.size(); at += kPiece) {
    const std::size_t length = std::min(kPiece, checked.file.size() - at);
    if (!gdk_pixbuf_loader_write(loader.Get(), checked.file.data() + at, length, error.Put()))
      throw CallFailed("gdk_pixbuf_loader_write", "the picture on the clipboard", error.Get());
  }
  if (!loader.Close(error.Put()))
    throw CallFailed("gdk_pixbuf_loader_close", "the picture on the clipboard", error.Get());
  GdkPixbufAnimation* animation = gdk_pixbuf_loader_get_animation(loader.Get());  // the loader's own
  if (animation && !gdk_pixbuf_animation_is_static_image(animation)) {
    const std::string problem =
        pictures::SizeProblem(gdk_pixbuf_animation_get_width(animation), gdk_pixbuf_animation_get_height(animation));
    if (!problem.empty()) throw Error(problem);
    if (std::string extension = FormatExtension(loader.Get()); !extension.empty())
      return std::make_unique<AnimationClipboardImage>(std::move(checked.file), std::move(extension));
  }
  GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.Get());  // the loader's own
  if (!pixbuf) throw Error("The picture on the clipboard could not be read: gdk_pixbuf_loader_get_pixbuf gave none.");
  const std::string problem = pictures::SizeProblem(gdk_pixbuf_get_width(pixbuf), gdk_pixbuf_get_height(pixbuf));
  if (!problem.empty()) throw Error(problem);
  // Turned as its camera says, as a picture file is shown.
  return std::make_unique<PixbufClipboardImage>(GRef<GdkPixbuf>(gdk_pixbuf_apply_embedded_orientation(pixbuf)));
}

}  // namespace

ClipboardPicture GtkPlatform::ReadClipboardPicture() {
  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  ScopedGMemory<GdkAtom> targets;
  gint count = 0;
  ClipboardPicture pasted;
  if (!gtk_clipboard_wait_for_targets(clipboard, targets.Put(), &count)) return pasted;
  const auto offered = [&](const std::string& type) -> GdkAtom {
    for (gint i = 0; i < count; ++i) {
      if (type == ScopedString(gdk_atom_name(targets.Get()[i])).Get()) return targets.Get()[i];
    }
    return GDK_NONE;
  };

  if (const GdkAtom uris = offered("text/uri-list"); uris != GDK_NONE) {
    const ScopedSelectionData list(gtk_clipboard_wait_for_contents(clipboard, uris));
    const auto bytes = Bytes(list);
    const std::vector<std::string> paths =
        LocalPathsOfUriList({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, g_get_host_name());
    if (!paths.empty()) {
      pasted.file = paths.front();
      return pasted;
    }
  }
  for (const std::string& type : PixbufMimeTypes()) {
    const GdkAtom target = offered(type);
    if (target == GDK_NONE) continue;
    const ScopedSelectionData picture(gtk_clipboard_wait_for_contents(clipboard, target));
    if (Bytes(picture).empty()) continue;
    pasted.image = DecodePicture(Bytes(picture));
    break;
  }
  return pasted;
}

LocalTime GtkPlatform::Now() const {
  const ScopedDateTime owned(g_date_time_new_now_local());
  GDateTime* now = owned.Get();
  return {g_date_time_get_year(now), g_date_time_get_month(now),  g_date_time_get_day_of_month(now),
          g_date_time_get_hour(now), g_date_time_get_minute(now), g_date_time_get_second(now)};
}

}  // namespace corvane::gtk
