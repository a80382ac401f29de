// GDI drawing for the paint pass.
#include <algorithm>

#include "pictures/picture_scale.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

namespace {
RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }
}  // namespace

ScopedMemoryDC CompatibleMemoryDC(HDC dc) {
  ScopedMemoryDC memory(CreateCompatibleDC(dc));
  if (!memory) throw CallFailed("CreateCompatibleDC");
  return memory;
}

void GdiCanvas::FillRect(const PixelRect& r, Color rgb) {
  if (r.Empty()) return;
  const RECT rect = ToRect(r);
  SetDCBrushColor(dc_, rgb);
  if (!::FillRect(dc_, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)))) throw CallFailed("FillRect");
}

void GdiCanvas::DrawString(int x, int y, std::string_view text, const FontSpec& font, Color rgb,
                           const PixelRect& clip) {
  if (text.empty()) return;
  const std::wstring wide = Widen(text);
  const RECT rect = ToRect(clip);
  const ScopedSelect selected(dc_, fonts_.Get(font));
  if (!selected) throw CallFailedOn("SelectObject", FontName(font));
  SetTextColor(dc_, rgb);
  SetBkMode(dc_, TRANSPARENT);
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  if (!ExtTextOutW(dc_, x, y, ETO_CLIPPED, &rect, wide.c_str(), static_cast<UINT>(wide.size()), nullptr))
    throw CallFailedOn("ExtTextOut", FontName(font));
}

void GdiCanvas::DrawPicture(const Picture& picture, int x, int y, const PixelRect& clip) {
  static_cast<const GdiPicture&>(picture).Render(dc_, x, y, ToRect(clip));
}

void GdiCanvas::DrawPictureScaled(const Picture& picture, const PixelRect& shown, const PixelRect& clip) {
  static_cast<const GdiPicture&>(picture).RenderScaled(dc_, ToRect(shown), ToRect(clip));
}

BitmapSource::BitmapSource(HDC dc, HBITMAP bitmap) : memory_(CompatibleMemoryDC(dc)), selected_(memory_.Get(), bitmap) {
  if (!selected_) throw CallFailed("SelectObject");
}

void StretchPicture(HDC dc, const RECT& shown, const RECT& part, HDC source, PixelSize size) {
  const int width = shown.right - shown.left;
  const int height = shown.bottom - shown.top;
  const ScopedClip clipped(dc, part);
  if (!clipped) throw CallFailed("IntersectClipRect");
  const bool sharp = pictures::IsWholeEnlargement(size, {width, height});
  SetStretchBltMode(dc, sharp ? COLORONCOLOR : HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);  // HALFTONE asks for the brush origin to be set after it
  if (!StretchBlt(dc, shown.left, shown.top, width, height, source, 0, 0, size.width, size.height, SRCCOPY))
    throw CallFailed("StretchBlt");
}

void BlendPictureScaled(LateBound& late, HDC dc, const RECT& shown, const RECT& part, HDC source, PixelSize size) {
  const ScopedClip clipped(dc, part);
  if (!clipped) throw CallFailed("IntersectClipRect");
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  if (!late.AlphaBlend(dc, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top, source, 0, 0,
                       size.width, size.height, blend))
    throw CallFailed("AlphaBlend");
}

void GdiCanvas::DrawLine(PixelPoint from, PixelPoint to, int width, Color rgb, const PixelRect& clip) {
  if (const std::optional<PixelRect> band = StraightLineBand(from, to, width)) {
    const PixelRect visible = band->Intersect(clip);
    if (!visible.Empty()) FillRect(visible, rgb);
    return;
  }
  const ScopedPen pen(CreatePen(PS_SOLID, width, rgb));
  if (!pen) throw CallFailed("CreatePen");
  const ScopedClip clipped(dc_, ToRect(clip));  // restored before the pen is deleted
  if (!clipped) throw CallFailed("IntersectClipRect");
  const ScopedSelect selected(dc_, pen.Get());
  if (!selected) throw CallFailed("SelectObject");
  MoveToEx(dc_, from.x, from.y, nullptr);
  if (!LineTo(dc_, to.x, to.y)) throw CallFailed("LineTo");
}

}  // namespace corvane::win32
