// A window told by Windows that its DPI changed (WM_DPICHANGED, as a per-monitor aware program
// hears when it is moved to a monitor of another scale) lays itself out again at the new DPI,
// measures and draws its text there, and takes the rectangle Windows suggests.
#include <windows.h>
#include <gtest/gtest.h>

#include <cmath>

#include "controls/runtime.h"
#include "platform/win32/win32_platform.h"
#include "windows/about/about_window.h"

namespace corvane::win32 {
namespace {

RECT WindowRectangle(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

TEST(DpiChange, TheAboutWindowLaysItselfOutAtTheNewDpiAndTakesTheSuggestedRectangle) {
  Win32Platform platform(GetModuleHandleW(nullptr), false);
  ControlRuntime runtime(platform, "Corvane");
  AboutWindow about(runtime, [] { return nullptr; });
  about.Show();
  const HWND hwnd = reinterpret_cast<HWND>(about.hWnd());
  const int screenDpi = static_cast<int>(std::lround(1440.0 / platform.TwipsPerPixelX()));
  const PixelRect productBefore = about.ProductLine.PixelBounds();
  const RECT before = WindowRectangle(hwnd);

  // Half as large again, at a place of Windows' choosing.
  const int dpi = screenDpi * 3 / 2;
  const auto grown = [](LONG length) { return static_cast<LONG>(std::lround(length * 1.5)); };
  RECT suggested{200, 150, 200 + grown(before.right - before.left), 150 + grown(before.bottom - before.top)};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

  EXPECT_EQ(about.Dpi(), dpi);
  const RECT taken = WindowRectangle(hwnd);
  EXPECT_EQ(taken.left, suggested.left);
  EXPECT_EQ(taken.top, suggested.top);
  EXPECT_EQ(taken.right, suggested.right);
  EXPECT_EQ(taken.bottom, suggested.bottom);

  // "Corvane Standard v0.002" at 720, 120 twips, fitted to its bold text measured at the new
  // DPI: in the same place in twips, about half as large again in pixels.
  const PixelRect product = about.ProductLine.PixelBounds();
  EXPECT_EQ(product.left, 720 * dpi / 1440);
  EXPECT_EQ(product.top, 120 * dpi / 1440);
  const FontSpec bold{12, true, false, dpi};
  EXPECT_EQ(product.Height(), platform.MeasureFont(bold).height);
  EXPECT_EQ(product.Width(), platform.TextWidth(bold, "Corvane Standard v0.002"));
  EXPECT_NEAR(product.Width(), productBefore.Width() * 1.5, productBefore.Width() * 0.15);
  EXPECT_NEAR(product.Height(), productBefore.Height() * 1.5, productBefore.Height() * 0.2);

  // Back at the screen's DPI, everything is as it was.
  RECT back = before;
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(screenDpi, screenDpi), reinterpret_cast<LPARAM>(&back));
  EXPECT_EQ(about.Dpi(), 0);
  EXPECT_EQ(about.ProductLine.PixelBounds(), productBefore);
  about.Unload();
}

}  // namespace
}  // namespace corvane::win32
