// JPEG pictures decoded by libjpeg straight into the pixels cairo paints from: no intermediate
// picture, no conversion pass, one buffer of the picture's size.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <type_traits>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "pictures/exif_orientation.h"
#include "platform/gtk/gtk_internal.h"

namespace corvane::gtk {

namespace {

// cairo's RGB24 pixel is a native-endian 32-bit xRGB word; libjpeg writes it byte by byte.
constexpr J_COLOR_SPACE kCairoOrder = G_BYTE_ORDER == G_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// The Exif block normally lies within the first 64 KB of the file.
constexpr std::size_t kExifWindow = 64 * 1024;

// One decompression: libjpeg's state and the jump its fatal errors take. The state is destroyed
// with the owner, also after a failure (a state never created holds nothing to destroy).
class Decompression {
 public:
  Decompression() {
    info.err = jpeg_std_error(&manager);
    manager.error_exit = OnFatal;
    manager.output_message = Quiet;
  }
  ~Decompression() { jpeg_destroy_decompress(&info); }
  Decompression(const Decompression&) = delete;
  Decompression& operator=(const Decompression&) = delete;

  jpeg_error_mgr manager{};
  jpeg_decompress_struct info{};
  std::jmp_buf jump{};

 private:
  // The error manager is the first member: its address is the decompression's.
  [[noreturn]] static void OnFatal(j_common_ptr info) {
    std::longjmp(reinterpret_cast<Decompression*>(info->err)->jump, 1);
  }
  // Warnings (a file cut short, a damaged stream libjpeg patched over) are counted, not printed.
  static void Quiet(j_common_ptr) {}
};
static_assert(std::is_standard_layout_v<Decompression>, "OnFatal finds the decompression from its error manager");

// libjpeg reports a fatal error through longjmp, which skips destructors: the two steps below
// that call it hold only plain data in their frames, and every owner lives in their caller.

// Reads the header and starts decoding into cairo's pixel order; false on any error, and for
// colour spaces other than YCbCr, RGB and grey (CMYK files go the general way, which knows
// their inversions).
bool Start(Decompression& d, std::FILE* file) {
  if (setjmp(d.jump) != 0) return false;
  jpeg_create_decompress(&d.info);
  jpeg_stdio_src(&d.info, file);
  jpeg_read_header(&d.info, TRUE);
  const J_COLOR_SPACE stored = d.info.jpeg_color_space;
  if (stored != JCS_YCbCr && stored != JCS_RGB && stored != JCS_GRAYSCALE) return false;
  d.info.out_color_space = kCairoOrder;
  jpeg_start_decompress(&d.info);
  return true;
}

// Decodes every row into `pixels`; false on any error or warning.
bool ReadRows(Decompression& d, unsigned char* pixels, std::size_t stride) {
  if (setjmp(d.jump) != 0) return false;
  while (d.info.output_scanline < d.info.output_height) {
    JSAMPROW row = pixels + stride * d.info.output_scanline;
    jpeg_read_scanlines(&d.info, &row, 1);
  }
  jpeg_finish_decompress(&d.info);
  return d.manager.num_warnings == 0;
}

pictures::Orientation OrientationOf(std::FILE* file) {
  std::vector<std::uint8_t> head(kExifWindow);
  head.resize(std::fread(head.data(), 1, head.size(), file));
  std::rewind(file);
  return pictures::ReadJpegOrientation(head);
}

// An RGB24 image surface of the size; empty when cairo cannot make one.
ScopedSurface NewSurface(int width, int height) {
  ScopedSurface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  if (cairo_surface_status(surface.Get()) != CAIRO_STATUS_SUCCESS) surface.Reset();
  return surface;
}

// Decodes the stored (unturned) picture; empty on any error or warning.
ScopedSurface DecodeStored(std::FILE* file) {
  Decompression d;
  if (!Start(d, file)) return {};
  ScopedSurface surface = NewSurface(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height));
  if (!surface) return {};
  if (!ReadRows(d, cairo_image_surface_get_data(surface.Get()),
                static_cast<std::size_t>(cairo_image_surface_get_stride(surface.Get())))) {
    return {};
  }
  cairo_surface_mark_dirty(surface.Get());
  return surface;
}

// The stored picture turned upright: a new surface (the sides exchanged where the turn says).
ScopedSurface StandUpright(cairo_surface_t* stored, pictures::Orientation orientation) {
  const int width = cairo_image_surface_get_width(stored);
  const int height = cairo_image_surface_get_height(stored);
  const bool swap = pictures::SwapsSides(orientation);
  ScopedSurface upright = NewSurface(swap ? height : width, swap ? width : height);
  if (!upright) return {};
  cairo_surface_flush(stored);
  // RGB24 rows are exactly four bytes a pixel wide, so the surfaces are tightly packed arrays.
  pictures::StandUpright(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(stored)), width, height,
                         orientation, reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(upright.Get())));
  cairo_surface_mark_dirty(upright.Get());
  return upright;
}

}  // namespace

ScopedSurface DecodeJpegSurface(const std::string& path) {
  const ScopedFile file(std::fopen(path.c_str(), "rbe"));
  if (!file) return {};
  const pictures::Orientation orientation = OrientationOf(file.Get());
  ScopedSurface surface = DecodeStored(file.Get());
  if (!surface || orientation == pictures::Orientation::Upright) return surface;
  return StandUpright(surface.Get(), orientation);
}

}  // namespace corvane::gtk
