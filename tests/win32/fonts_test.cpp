// Text in "MS Sans Serif": the bitmap face where it has the size, a scalable face of the same
// kind where it does not, so that text grows with the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/win32/win32_scoped.h"
#include "win32_test_support.h"

namespace corvane::win32::testing {
namespace {

TEST(Fonts, EveryLayoutSizeGetsCharactersOfItsHeightAtEveryScale) {
  struct Case {
    int dpi;
    FontSpec font;
    int emHeight;
  };
  const Case cases[] = {
      {96, {12, false, false}, 16},    {96, {12, true, false}, 16},   {96, {9.75f, true, true}, 13},
      {96, {13.5f, false, false}, 18}, {144, {12, false, false}, 24}, {144, {9.75f, true, true}, 20},
      {120, {12, false, false}, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dpi) + " dpi, " + std::to_string(c.font.points) + " points");
    FontCache fonts(c.dpi);
    EXPECT_NEAR(InspectFont(fonts.Get(c.font)).emHeight, c.emHeight, 1);
  }
}

TEST(Fonts, TheBitmapFaceIsKeptWhereItHasTheSize) {
  FontCache fonts(96);
  EXPECT_EQ(InspectFont(fonts.Get({12, false, false})).face, L"MS Sans Serif");
  EXPECT_EQ(InspectFont(fonts.Get({9.75f, true, true})).face, L"MS Sans Serif");
}

// The ink of `text` drawn black on white with `font`, beside the width GDI measures for it.
struct Drawn {
  int measured = 0;
  int inkWidth = 0;
  int inkHeight = 0;
  int widestGap = 0;  // the most blank columns between two inked ones
};

Drawn DrawText(HFONT font, const std::wstring& text) {
  const ScopedMemoryDC dc = CompatibleMemoryDC(nullptr);
  const ScopedSelect selected(dc.Get(), font);
  SIZE extent{};
  GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
  const int width = extent.cx + 40, height = extent.cy + 40;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const ScopedBitmap bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const ScopedSelect drawnOn(dc.Get(), bitmap.Get());
  const RECT all{0, 0, width, height};
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc.Get(), TRANSPARENT);
  SetTextColor(dc.Get(), 0);
  ExtTextOutW(dc.Get(), 20, 20, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  Drawn drawn{extent.cx};
  int left = width, right = -1, top = height, bottom = -1, gap = 0;
  for (int x = 0; x < width; ++x) {
    bool inked = false;
    for (int y = 0; y < height; ++y) {
      if ((pixels[y * width + x] & 0xFF) >= 0x80) continue;
      inked = true;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
    if (!inked) {
      ++gap;
      continue;
    }
    if (right >= 0) drawn.widestGap = std::max(drawn.widestGap, gap);
    left = std::min(left, x);
    right = x;
    gap = 0;
  }
  drawn.inkWidth = right - left + 1;
  drawn.inkHeight = bottom - top + 1;
  return drawn;
}

// At every scale the text is drawn with the face it is measured with: its ink spans the
// measured width, stands as tall as the font's letters and keeps its letters together (a bitmap
// face stretched to a size it lacks spaces small letters by large widths).
TEST(Fonts, TextIsDrawnAsMeasuredAtEveryScale) {
  const std::wstring text = L"Imitate to show the results";
  for (const int dpi : {96, 120, 144, 168, 192}) {
    FontCache fonts(dpi);
    for (const FontSpec font : {FontSpec{8.25f}, FontSpec{12}, FontSpec{12, true}, FontSpec{9.75f, true, true}}) {
      SCOPED_TRACE(std::to_string(dpi) + " dpi, " + FontName(font));
      const HFONT handle = fonts.Get(font);
      const int em = static_cast<int>(font.points * static_cast<float>(dpi) / 72.0f + 0.5f);
      const Drawn drawn = DrawText(handle, text);
      EXPECT_GE(drawn.inkWidth, drawn.measured * 85 / 100) << "measured " << drawn.measured;
      EXPECT_LE(drawn.inkWidth, drawn.measured + 2);
      EXPECT_GE(drawn.inkHeight, em * 6 / 10) << "characters " << em << " pixels high";
      EXPECT_LE(drawn.widestGap, em * 6 / 10);
      // A font at another resolution than the cache's own is the one that resolution asks for.
      FontSpec atOther = font;
      atOther.dpi = 96;
      EXPECT_NEAR(InspectFont(fonts.Get(atOther)).emHeight, static_cast<int>(font.points * 96 / 72 + 0.5f), 1);
    }
  }
}

}  // namespace
}  // namespace corvane::win32::testing
