// Cairo drawing for the paint pass, and the Pango layouts of the one face.
#include <algorithm>
#include <cstring>
#include <string_view>
#include <system_error>

#include "platform/gtk/font_map.h"
#include "platform/gtk/gtk_internal.h"
#include "platform/pictures/picture_scale.h"

namespace corvane::gtk {

namespace {

void SetColor(cairo_t* cr, Color rgb) {
  cairo_set_source_rgb(cr, (rgb & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, ((rgb >> 16) & 0xFF) / 255.0);
}

void Clip(cairo_t* cr, const PixelRect& clip) {
  cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
  cairo_clip(cr);
}

}  // namespace

Fonts::Fonts(double dpi)
    : dpi_(dpi), map_(pango_cairo_font_map_new()), context_(pango_font_map_create_context(map_.get())) {
  // As GTK makes a screen's context: the desktop's antialiasing and hinting, the screen's
  // resolution.
  pango_cairo_context_set_font_options(context_.get(), gdk_screen_get_font_options(gdk_screen_get_default()));
  pango_cairo_context_set_resolution(context_.get(), dpi_);
  try {
    loading_ = std::thread([this] { LoadLayoutFonts(); });
  } catch (const std::system_error&) {
    // No thread to spare: the fonts load when the first text needs them.
  }
}

Fonts::~Fonts() { TakeContext(); }

void Fonts::TakeContext() const {
  if (!loading_.joinable()) return;
  stop_ = true;
  loading_.join();
}

// Looking a font up, loading it and measuring the glyphs of a line of text: the slowest steps
// before the first text is shown.
void Fonts::LoadLayoutFonts() const {
  static constexpr std::string_view kSample =
      " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";
  for (const FontSpec& font : kLayoutFonts) {
    if (stop_) return;
    const GRef<PangoLayout> layout = NewLayout(font, kSample);
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
  }
}

GRef<PangoLayout> Fonts::Layout(const FontSpec& font, std::string_view text) const {
  TakeContext();
  std::string key(sizeof font.points + 2, '\0');
  std::memcpy(key.data(), &font.points, sizeof font.points);
  key[sizeof font.points] = font.bold ? 'b' : '-';
  key[sizeof font.points + 1] = font.underline ? 'u' : '-';
  key.append(text);
  auto found = layouts_.find(key);
  if (found == layouts_.end()) {
    if (layouts_.size() >= kCachedLayouts) layouts_.clear();
    found = layouts_.emplace(std::move(key), NewLayout(font, text)).first;
  }
  return GRef<PangoLayout>(PANGO_LAYOUT(g_object_ref(found->second.get())));
}

GRef<PangoLayout> Fonts::NewLayout(const FontSpec& font, std::string_view text) const {
  const FaceChoice face = ChooseFace(font, dpi_);
  PangoFontDescription* description = pango_font_description_from_string(face.families.c_str());
  pango_font_description_set_absolute_size(description, face.pixelSize * PANGO_SCALE);
  pango_font_description_set_weight(description, face.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  GRef<PangoLayout> layout(pango_layout_new(context_.get()));
  pango_layout_set_font_description(layout.get(), description);
  pango_font_description_free(description);
  if (face.underline) {
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    pango_layout_set_attributes(layout.get(), attributes);
    pango_attr_list_unref(attributes);
  }
  pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
  return layout;
}

void CairoCanvas::FillRect(const PixelRect& r, Color rgb) {
  if (r.Empty()) return;
  SetColor(cr_, rgb);
  cairo_rectangle(cr_, r.left, r.top, r.Width(), r.Height());
  cairo_fill(cr_);
}

void CairoCanvas::DrawString(int x, int y, std::string_view text, const FontSpec& font, Color rgb, const PixelRect& clip) {
  if (text.empty() || clip.Empty()) return;
  cairo_save(cr_);
  Clip(cr_, clip);
  SetColor(cr_, rgb);
  const GRef<PangoLayout> layout = fonts_.Layout(font, text);
  cairo_move_to(cr_, x, y);
  pango_cairo_show_layout(cr_, layout.get());
  cairo_restore(cr_);
}

void CairoCanvas::DrawPicture(const Picture& picture, int x, int y, const PixelRect& clip) {
  if (clip.Empty()) return;
  cairo_save(cr_);
  Clip(cr_, clip);
  static_cast<const PixbufPicture&>(picture).Render(cr_, x, y);
  cairo_restore(cr_);
}

void CairoCanvas::DrawPictureScaled(const Picture& picture, const PixelRect& shown, const PixelRect& clip) {
  const PixelSize natural = picture.Size();
  if (clip.Empty() || shown.Empty() || natural.width <= 0 || natural.height <= 0) return;
  cairo_save(cr_);
  Clip(cr_, clip.Intersect(shown));
  cairo_translate(cr_, shown.left, shown.top);
  cairo_scale(cr_, static_cast<double>(shown.Width()) / natural.width, static_cast<double>(shown.Height()) / natural.height);
  static_cast<const PixbufPicture&>(picture).SetSource(cr_);
  cairo_pattern_t* source = cairo_get_source(cr_);
  // Whole-number enlargements keep square, sharp pixels; anything else is filtered (cairo's
  // good filter averages the pixels a shrunk picture loses). The edges repeat outwards, so the
  // filter does not fade them into the ground.
  const bool whole = pictures::IsWholeEnlargement(natural, {shown.Width(), shown.Height()});
  cairo_pattern_set_filter(source, whole ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(source, CAIRO_EXTEND_PAD);
  cairo_rectangle(cr_, 0, 0, natural.width, natural.height);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::DrawLine(PixelPoint from, PixelPoint to, int width, Color rgb, const PixelRect& clip) {
  if (const std::optional<PixelRect> band = StraightLineBand(from, to, width)) {
    FillRect(band->Intersect(clip), rgb);
    return;
  }
  cairo_save(cr_);
  Clip(cr_, clip);
  SetColor(cr_, rgb);
  cairo_set_line_width(cr_, width);
  cairo_move_to(cr_, from.x + 0.5, from.y + 0.5);
  cairo_line_to(cr_, to.x + 0.5, to.y + 0.5);
  cairo_stroke(cr_);
  cairo_restore(cr_);
}

}  // namespace corvane::gtk
