// Pictures through gdk-pixbuf and whatever loaders are installed: shown 1:1, turned as their
// EXIF orientation says, drawn over the window's ground with their transparency, animated
// where the file is an animation.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <span>
#include <vector>

#include "pictures/container_walk.h"
#include "pictures/picture_extensions.h"
#include "pictures/picture_header.h"
#include "platform/gtk/gtk_internal.h"
#include "platform/gtk/settings_place.h"

namespace corvane::gtk {

namespace {

// A still picture, held in the pixel format cairo paints from (premultiplied where it has
// transparency), so that a paint copies only the pixels it covers, 1:1.
class StillPicture : public PixbufPicture {
 public:
  explicit StillPicture(ScopedSurface surface) : surface_(std::move(surface)) {}
  PixelSize Size() const override {
    return {cairo_image_surface_get_width(surface_.Get()), cairo_image_surface_get_height(surface_.Get())};
  }
  // Paints the part under the clip only, from a view of just those pixels: cairo then never
  // touches (or sends to the X server) the rest of a picture far larger than the screen.
  void Render(cairo_t* cr, int x, int y) const override {
    double left = 0, top = 0, right = 0, bottom = 0;
    cairo_clip_extents(cr, &left, &top, &right, &bottom);
    const PixelSize size = Size();
    const PixelRect shown = PixelRect{static_cast<int>(left) - x, static_cast<int>(top) - y,
                                      static_cast<int>(right + 0.999) - x, static_cast<int>(bottom + 0.999) - y}
                                .Intersect({0, 0, size.width, size.height});
    if (shown.Empty()) return;
    cairo_surface_flush(surface_.Get());
    const cairo_format_t format = cairo_image_surface_get_format(surface_.Get());
    const int stride = cairo_image_surface_get_stride(surface_.Get());
    unsigned char* first = cairo_image_surface_get_data(surface_.Get()) +
                           static_cast<std::ptrdiff_t>(shown.top) * stride +
                           static_cast<std::ptrdiff_t>(shown.left) * 4;
    const ScopedSurface view(cairo_image_surface_create_for_data(first, format, shown.Width(), shown.Height(), stride));
    cairo_set_source_surface(cr, view.Get(), x + shown.left, y + shown.top);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);  // lets the view go with its owner
  }
  void SetSource(cairo_t* cr) const override { cairo_set_source_surface(cr, surface_.Get(), 0, 0); }

 private:
  ScopedSurface surface_;
};

// An animation, played on the program's clock: each NextFrame moves the animation's own clock
// on by the delay of the frame shown, so no frame is skipped however late the call comes. The
// iterator is asked a millisecond past that moment: loaders differ on which frame shows at the
// very instant one ends (the WebP loader keeps the old one, so frames fell out), never a
// millisecond later. The offset stays one millisecond; it never adds up.
class AnimatedPicture : public PixbufPicture {
 public:
  explicit AnimatedPicture(GRef<GdkPixbufAnimation> animation) : animation_(std::move(animation)) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    iter_.Reset(gdk_pixbuf_animation_get_iter(animation_.Get(), &clock_));
    G_GNUC_END_IGNORE_DEPRECATIONS
  }

  PixelSize Size() const override {
    return {gdk_pixbuf_animation_get_width(animation_.Get()), gdk_pixbuf_animation_get_height(animation_.Get())};
  }

  int FrameDelay() const override {
    const int delay = gdk_pixbuf_animation_iter_get_delay_time(iter_.Get());
    return delay < 0 ? 0 : std::max(delay, 20);  // -1: the last frame, for good
  }

  PixelRect NextFrame() override {
    const int delay = FrameDelay();
    if (delay == 0) return {};
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    g_time_val_add(&clock_, static_cast<glong>(delay) * 1000);
    GTimeVal past = clock_;
    g_time_val_add(&past, 1000);
    gdk_pixbuf_animation_iter_advance(iter_.Get(), &past);
    G_GNUC_END_IGNORE_DEPRECATIONS
    const PixelSize size = Size();
    return {0, 0, size.width, size.height};
  }

  void Render(cairo_t* cr, int x, int y) const override {
    gdk_cairo_set_source_pixbuf(cr, gdk_pixbuf_animation_iter_get_pixbuf(iter_.Get()), x, y);
    cairo_paint(cr);
  }
  void SetSource(cairo_t* cr) const override {
    gdk_cairo_set_source_pixbuf(cr, gdk_pixbuf_animation_iter_get_pixbuf(iter_.Get()), 0, 0);
  }

 private:
  GRef<GdkPixbufAnimation> animation_;
  // gdk-pixbuf's iterators take only GLib's old time value.
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  GTimeVal clock_{0, 0};
  G_GNUC_END_IGNORE_DEPRECATIONS
  GRef<GdkPixbufAnimationIter> iter_;
};

// What gdk-pixbuf hands out as a new string or string array, as the program's own.
std::string Owned(ScopedString text) { return text ? text.Get() : ""; }
std::vector<std::string> Owned(ScopedStrings strings) {
  std::vector<std::string> all;
  for (gchar** s = strings.Get(); s && *s; ++s) all.emplace_back(*s);
  return all;
}

std::string FormatName(GdkPixbufFormat* format) { return Owned(ScopedString(gdk_pixbuf_format_get_name(format))); }

std::string TooLarge() { return "The picture is too large to fit in memory."; }

// Reads the file's bytes at `offset` into `into`; fewer where it ends or cannot be read.
std::size_t ReadAt(int fd, std::uint64_t offset, std::span<std::uint8_t> into) {
  std::size_t done = 0;
  while (done < into.size()) {
    const ssize_t n = pread(fd, into.data() + done, into.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

// The file's first and last bytes and its container's lengths, judged before any decoder
// sees it (pictures/container_walk.h).
pictures::PictureFileCheck CheckFile(const std::string& path, std::uint64_t size) {
  const ScopedFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) throw SystemCallFailed("open", path, errno);
  std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(size, pictures::kHeadBytes)));
  std::vector<std::uint8_t> tail(static_cast<std::size_t>(std::min<std::uint64_t>(size, pictures::kTailBytes)));
  head.resize(ReadAt(fd.Get(), 0, head));
  tail.resize(ReadAt(fd.Get(), size - tail.size(), tail));
  const pictures::ReadBytesAt read = [&fd](std::uint64_t offset, std::span<std::uint8_t> into) {
    return ReadAt(fd.Get(), offset, into);
  };
  return pictures::CheckPictureFile(head, tail, size, read);
}

// A GIF that ends where its trailer should be, read with the trailer put back: gdk-pixbuf
// refuses it as it is ("missing some data"), where browsers and the Windows decoder show it.
// Fed in pieces, as a file is read, which the GIF loader digests in linear time.
GRef<GdkPixbufAnimation> GifWithTrailer(const std::string& path, std::uint64_t end, GError** error) {
  const ScopedFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) throw SystemCallFailed("open", path, errno);
  ScopedPixbufLoader loader;
  std::vector<std::uint8_t> piece(64 * 1024);
  for (std::uint64_t at = 0; at < end;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), end - at));
    const std::size_t got = ReadAt(fd.Get(), at, std::span<std::uint8_t>(piece).first(want));
    if (got == 0) throw SystemCallFailed("pread", path, errno ? errno : EIO);
    if (!gdk_pixbuf_loader_write(loader.Get(), piece.data(), got, error)) return GRef<GdkPixbufAnimation>();
    at += got;
  }
  const guchar trailer = ';';
  if (!gdk_pixbuf_loader_write(loader.Get(), &trailer, 1, error) || !loader.Close(error))
    return GRef<GdkPixbufAnimation>();
  GdkPixbufAnimation* animation = gdk_pixbuf_loader_get_animation(loader.Get());  // the loader's own
  if (animation) g_object_ref(animation);
  return GRef<GdkPixbufAnimation>(animation);
}

std::string NotAPicture() { return "The file is not a picture Corvane can show (" + PictureFormatNames() + ")."; }

}  // namespace

std::vector<PixbufFormatFacts> EnabledPixbufFormats() {
  std::vector<PixbufFormatFacts> enabled;
  const ScopedList formats(gdk_pixbuf_get_formats());
  for (GSList* f = formats.Get(); f; f = f->next) {
    auto* format = static_cast<GdkPixbufFormat*>(f->data);  // gdk-pixbuf's own
    if (gdk_pixbuf_format_is_disabled(format)) continue;
    enabled.push_back({FormatName(format), Owned(ScopedStrings(gdk_pixbuf_format_get_extensions(format))),
                       Owned(ScopedStrings(gdk_pixbuf_format_get_mime_types(format)))});
  }
  return enabled;
}

std::string PictureFormatNames() {
  std::string names;
  for (const PixbufFormatFacts& format : EnabledPixbufFormats()) names += (names.empty() ? "" : ", ") + format.name;
  return names;
}

std::vector<std::string> PixbufExtensions() {
  std::vector<std::string> installed;
  for (const PixbufFormatFacts& format : EnabledPixbufFormats()) {
    installed.insert(installed.end(), format.extensions.begin(), format.extensions.end());
  }
  return pictures::CommonExtensionsFirst(installed);
}

std::vector<std::string> PixbufMimeTypes() {
  std::vector<std::string> types{"image/png"};
  for (const PixbufFormatFacts& format : EnabledPixbufFormats()) {
    types.insert(types.end(), format.mimeTypes.begin(), format.mimeTypes.end());
  }
  return types;
}

std::shared_ptr<Picture> LoadPixbufPicture(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) throw SystemCallFailed("stat", path, errno);
  if (!S_ISREG(info.st_mode)) throw Error("This is not a file: " + path);
  // Refused before anything is read: a picture followed by gigabytes would otherwise be read
  // to its end by the loader.
  if (const std::string problem = pictures::FileSizeProblem(static_cast<std::uint64_t>(info.st_size)); !problem.empty())
    throw Error(problem);
  if (info.st_size == 0) throw Error("The file is empty.");
  const pictures::PictureFileCheck check = CheckFile(path, static_cast<std::uint64_t>(info.st_size));
  if (!check.problem.empty()) throw Error(check.problem);
  // The size is checked before anything is decoded: a picture too large to show must not
  // first take the memory of its pixels.
  int width = 0;
  int height = 0;
  GdkPixbufFormat* format = gdk_pixbuf_get_file_info(path.c_str(), &width, &height);
  if (!format) throw Error(NotAPicture());
  if (const std::string refusal = pictures::SizeProblem(width, height); !refusal.empty()) throw Error(refusal);
  // A JPEG goes straight into cairo's pixels; one libjpeg will not decode cleanly (damaged, cut
  // short, CMYK) takes the general way below, which decides what can be shown of it.
  if (FormatName(format) == "jpeg") {
    if (ScopedSurface surface = DecodeJpegSurface(path)) return std::make_shared<StillPicture>(std::move(surface));
  }

  ScopedError error;
  GRef<GdkPixbufAnimation> animation =
      check.walk.gifTrailerMissing
          ? GifWithTrailer(path, check.walk.end, error.Put())
          : GRef<GdkPixbufAnimation>(gdk_pixbuf_animation_new_from_file(path.c_str(), error.Put()));
  if (!animation) {
    const GError* e = error.Get();
    const bool memory = e && e->domain == GDK_PIXBUF_ERROR && e->code == GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY;
    throw Error(memory ? TooLarge() : NotAPicture());
  }
  if (!gdk_pixbuf_animation_is_static_image(animation.Get())) {
    return std::make_shared<AnimatedPicture>(std::move(animation));
  }
  // Turned as the camera's orientation tag says; the result is a new picture (or the same
  // one with another reference).
  GRef<GdkPixbuf> turned(gdk_pixbuf_apply_embedded_orientation(gdk_pixbuf_animation_get_static_image(animation.Get())));
  animation.Reset();
  if (!turned) throw Error(TooLarge());
  // Converted once here, not at every paint; the decoded copy goes at once.
  ScopedSurface surface(gdk_cairo_surface_create_from_pixbuf(turned.Get(), 1, nullptr));
  turned.Reset();
  if (cairo_surface_status(surface.Get()) != CAIRO_STATUS_SUCCESS) throw Error(TooLarge());
  return std::make_shared<StillPicture>(std::move(surface));
}

}  // namespace corvane::gtk
