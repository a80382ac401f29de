// The one face at the layouts' sizes: found by fontconfig, measured and drawn by cairo.
#include <cairo-ft.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <system_error>

#include "platform/gtk/font_map.h"
#include "platform/gtk/gtk_internal.h"

namespace corvane::gtk {

namespace {

int FaceKey(const FaceChoice& face) { return face.pixelSize * 2 + (face.bold ? 1 : 0); }

// The font options of the surfaces GTK draws windows on (the X screen's antialiasing, hinting
// and subpixel order), with the desktop's own settings over them. cairo merges a surface's
// options under those of the font drawn on it: given in full, the font drawn is the very one
// that was measured and loaded ahead.
cairo_font_options_t* ScreenFontOptions() {
  cairo_font_options_t* options = cairo_font_options_create();
  if (GdkWindow* root = gdk_get_default_root_window()) {
    cairo_surface_t* surface = gdk_window_create_similar_surface(root, CAIRO_CONTENT_COLOR, 1, 1);
    cairo_surface_get_font_options(surface, options);
    cairo_surface_destroy(surface);
  }
  if (const cairo_font_options_t* desktop = gdk_screen_get_font_options(gdk_screen_get_default())) {
    cairo_font_options_merge(options, desktop);
  }
  // Whole-pixel advances and line metrics, as the layouts were made for.
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  return options;
}

}  // namespace

Fonts::Fonts(double dpi) : dpi_(dpi), options_(ScreenFontOptions()) {
  try {
    loading_ = std::thread([this] { LoadLayoutFonts(); });
  } catch (const std::system_error&) {
    // No thread to spare: the fonts load when the first text needs them.
  }
}

Fonts::~Fonts() {
  TakeFonts();
  for (auto& [key, face] : faces_) {
    if (face.font) cairo_scaled_font_destroy(face.font);
  }
  cairo_font_options_destroy(options_);
}

void Fonts::TakeFonts() const {
  if (!loading_.joinable()) return;
  stop_ = true;
  loading_.join();
}

// Reading fontconfig's configuration, finding the face and loading it: the slowest steps before
// the first text is measured. The glyphs are left to the text that uses them.
void Fonts::LoadLayoutFonts() const {
  for (const FontSpec& font : kLayoutFonts) {
    if (stop_) return;
    FaceOf(font);
  }
}

const Fonts::Face& Fonts::FaceOf(const FontSpec& font) const {
  const int key = FaceKey(ChooseFace(font, dpi_));
  auto found = faces_.find(key);
  if (found == faces_.end()) found = faces_.emplace(key, LoadFace(font)).first;
  return found->second;
}

Fonts::Face Fonts::LoadFace(const FontSpec& font) const {
  const FaceChoice choice = ChooseFace(font, dpi_);
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(choice.families.c_str()));
  if (!pattern) return {};
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, choice.pixelSize);
  FcPatternAddInteger(pattern, FC_WEIGHT, choice.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  cairo_ft_font_options_substitute(options_, pattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return {};
  cairo_font_face_t* fontFace = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match);
  cairo_matrix_t size;
  cairo_matrix_t identity;
  cairo_matrix_init_scale(&size, choice.pixelSize, choice.pixelSize);
  cairo_matrix_init_identity(&identity);
  Face face;
  face.font = cairo_scaled_font_create(fontFace, &size, &identity, options_);
  cairo_font_face_destroy(fontFace);
  if (cairo_scaled_font_status(face.font) != CAIRO_STATUS_SUCCESS) {
    cairo_scaled_font_destroy(face.font);
    return {};
  }
  cairo_font_extents_t extents;
  cairo_scaled_font_extents(face.font, &extents);
  face.ascent = static_cast<int>(std::lround(extents.ascent));
  face.descent = static_cast<int>(std::lround(extents.descent));
  // The face's own underline: its centre line and thickness, in font units.
  face.underlineTop = face.descent > 1 ? face.descent / 2 : 1;
  if (FT_Face ft = cairo_ft_scaled_font_lock_face(face.font)) {
    if (ft->units_per_EM > 0 && ft->underline_thickness > 0) {
      const double scale = static_cast<double>(choice.pixelSize) / ft->units_per_EM;
      const double thickness = ft->underline_thickness * scale;
      face.underlineHeight = std::max(1, static_cast<int>(std::lround(thickness)));
      face.underlineTop = static_cast<int>(std::lround(-ft->underline_position * scale - thickness / 2));
    }
    cairo_ft_scaled_font_unlock_face(face.font);
  }
  return face;
}

const Fonts::Run& Fonts::RunOf(const FontSpec& font, const Face& face, std::string_view text) const {
  const int faceKey = FaceKey(ChooseFace(font, dpi_));
  std::string key(sizeof faceKey, '\0');
  std::memcpy(key.data(), &faceKey, sizeof faceKey);
  key.append(text);
  auto found = runs_.find(key);
  if (found != runs_.end()) return found->second;
  Run run;
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  if (face.font && cairo_scaled_font_text_to_glyphs(face.font, 0, 0, text.data(), static_cast<int>(text.size()), &glyphs,
                                                    &count, nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS) {
    run.glyphs.assign(glyphs, glyphs + count);
    cairo_text_extents_t extents;
    cairo_scaled_font_glyph_extents(face.font, glyphs, count, &extents);
    run.width = static_cast<int>(std::lround(extents.x_advance));
  }
  cairo_glyph_free(glyphs);
  if (runs_.size() >= kCachedRuns) runs_.clear();
  return runs_.emplace(std::move(key), std::move(run)).first->second;
}

FontMetrics Fonts::Metrics(const FontSpec& font) const {
  TakeFonts();
  const Face& face = FaceOf(font);
  return {face.ascent + face.descent, face.ascent};
}

int Fonts::Width(const FontSpec& font, std::string_view text) const {
  TakeFonts();
  return text.empty() ? 0 : RunOf(font, FaceOf(font), text).width;
}

void Fonts::Draw(cairo_t* cr, int x, int y, const FontSpec& font, std::string_view text) const {
  TakeFonts();
  const Face& face = FaceOf(font);
  if (!face.font || text.empty()) return;
  const Run& run = RunOf(font, face, text);
  cairo_save(cr);
  cairo_translate(cr, x, y + face.ascent);
  cairo_set_scaled_font(cr, face.font);
  cairo_show_glyphs(cr, run.glyphs.data(), static_cast<int>(run.glyphs.size()));
  if (font.underline) {
    cairo_rectangle(cr, 0, face.underlineTop, run.width, face.underlineHeight);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

}  // namespace corvane::gtk
