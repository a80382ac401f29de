// JPEG pictures decoded by libjpeg straight into the pixels cairo paints from: no intermediate
// picture, no conversion pass, one buffer of the picture's size.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "platform/gtk/gtk_internal.h"
#include "pictures/exif_orientation.h"

namespace corvane::gtk {

namespace {

// cairo's RGB24 pixel is a native-endian 32-bit xRGB word; libjpeg writes it byte by byte.
constexpr J_COLOR_SPACE kCairoOrder = G_BYTE_ORDER == G_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// The Exif block normally lies within the first 64 KB of the file.
constexpr std::size_t kExifWindow = 64 * 1024;

struct Failure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void OnFatal(j_common_ptr info) { std::longjmp(reinterpret_cast<Failure*>(info->err)->jump, 1); }

// Warnings (a file cut short, a damaged stream libjpeg patched over) are counted, not printed.
void Quiet(j_common_ptr) {}

pictures::Orientation OrientationOf(std::FILE* file) {
  std::vector<std::uint8_t> head(kExifWindow);
  head.resize(std::fread(head.data(), 1, head.size(), file));
  std::rewind(file);
  return pictures::ReadJpegOrientation(head);
}

// Decodes the stored (unturned) picture; null on any error or warning, and for colour spaces
// other than YCbCr, RGB and grey (CMYK files go the general way, which knows their inversions).
// Only plain data lives in this frame: a fatal error comes back through longjmp.
cairo_surface_t* DecodeStored(std::FILE* file) {
  jpeg_decompress_struct info{};
  Failure failure{};
  cairo_surface_t* volatile surface = nullptr;
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = OnFatal;
  failure.manager.output_message = Quiet;
  if (setjmp(failure.jump) != 0) {
    jpeg_destroy_decompress(&info);
    if (surface) cairo_surface_destroy(surface);
    return nullptr;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  const J_COLOR_SPACE stored = info.jpeg_color_space;
  if (stored != JCS_YCbCr && stored != JCS_RGB && stored != JCS_GRAYSCALE) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  info.out_color_space = kCairoOrder;
  jpeg_start_decompress(&info);
  surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(info.output_width),
                                       static_cast<int>(info.output_height));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) std::longjmp(failure.jump, 1);
  unsigned char* pixels = cairo_image_surface_get_data(surface);
  const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels + stride * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  const long warnings = failure.manager.num_warnings;
  jpeg_destroy_decompress(&info);
  if (warnings != 0) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

// The stored picture turned upright: a new surface (the sides exchanged where the turn says).
cairo_surface_t* StandUpright(cairo_surface_t* stored, pictures::Orientation orientation) {
  const int width = cairo_image_surface_get_width(stored);
  const int height = cairo_image_surface_get_height(stored);
  const bool swap = pictures::SwapsSides(orientation);
  cairo_surface_t* upright = cairo_image_surface_create(CAIRO_FORMAT_RGB24, swap ? height : width, swap ? width : height);
  if (cairo_surface_status(upright) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(upright);
    return nullptr;
  }
  cairo_surface_flush(stored);
  // RGB24 rows are exactly four bytes a pixel wide, so the surfaces are tightly packed arrays.
  pictures::StandUpright(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(stored)), width, height,
                         orientation, reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(upright)));
  cairo_surface_mark_dirty(upright);
  return upright;
}

}  // namespace

cairo_surface_t* DecodeJpegSurface(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rbe");
  if (!file) return nullptr;
  const pictures::Orientation orientation = OrientationOf(file);
  cairo_surface_t* surface = DecodeStored(file);
  std::fclose(file);
  if (!surface || orientation == pictures::Orientation::Upright) return surface;
  cairo_surface_t* upright = StandUpright(surface, orientation);
  cairo_surface_destroy(surface);
  return upright;
}

}  // namespace corvane::gtk
