// Cairo drawing for the paint pass.
#include <algorithm>
#include <string_view>

#include "pictures/picture_scale.h"
#include "platform/gtk/gtk_internal.h"

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

void CairoCanvas::FillRect(const PixelRect& r, Color rgb) {
  if (r.Empty()) return;
  SetColor(cr_, rgb);
  cairo_rectangle(cr_, r.left, r.top, r.Width(), r.Height());
  cairo_fill(cr_);
}

void CairoCanvas::DrawString(int x, int y, std::string_view text, const FontSpec& font, Color rgb,
                             const PixelRect& clip) {
  if (text.empty() || clip.Empty()) return;
  const ScopedCairoState saved(cr_);
  Clip(cr_, clip);
  SetColor(cr_, rgb);
  fonts_.Draw(cr_, x, y, font, text);
}

void CairoCanvas::DrawPicture(const Picture& picture, int x, int y, const PixelRect& clip) {
  if (clip.Empty()) return;
  const ScopedCairoState saved(cr_);
  Clip(cr_, clip);
  static_cast<const PixbufPicture&>(picture).Render(cr_, x, y);
}

void CairoCanvas::DrawPictureScaled(const Picture& picture, const PixelRect& shown, const PixelRect& clip) {
  const PixelSize natural = picture.Size();
  if (clip.Empty() || shown.Empty() || natural.width <= 0 || natural.height <= 0) return;
  const ScopedCairoState saved(cr_);
  Clip(cr_, clip.Intersect(shown));
  cairo_translate(cr_, shown.left, shown.top);
  cairo_scale(cr_, static_cast<double>(shown.Width()) / natural.width,
              static_cast<double>(shown.Height()) / natural.height);
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
}

void CairoCanvas::DrawLine(PixelPoint from, PixelPoint to, int width, Color rgb, const PixelRect& clip) {
  if (const std::optional<PixelRect> band = StraightLineBand(from, to, width)) {
    FillRect(band->Intersect(clip), rgb);
    return;
  }
  const ScopedCairoState saved(cr_);
  Clip(cr_, clip);
  SetColor(cr_, rgb);
  cairo_set_line_width(cr_, width);
  cairo_move_to(cr_, from.x + 0.5, from.y + 0.5);
  cairo_line_to(cr_, to.x + 0.5, to.y + 0.5);
  cairo_stroke(cr_);
}

}  // namespace corvane::gtk
