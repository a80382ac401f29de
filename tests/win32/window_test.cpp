// The window procedure's side of the handler path: a failure while painting reaches the
// handler path (the form's, here a recording stand-in) instead of being dropped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_window.h"

namespace corvane::win32 {
namespace {

// Window events whose paint pass fails, and whose handler path notes the failures instead of
// ending the program.
class FailingPaint : public WindowEvents {
 public:
  void OnPaint(Canvas& canvas, const PixelRect& dirty) override {
    canvas.FillRect(dirty, 0x00FF00);
    throw Error("the paint pass failed on purpose");
  }
  void OnMouseDown(const MouseEvent&) override {}
  void OnMouseUp(const MouseEvent&) override {}
  void OnMouseMove(const MouseEvent&) override {}
  void OnDoubleClick(const MouseEvent&) override {}
  bool OnKey(const KeyEvent&) override { return false; }
  void OnCloseRequest() override {}
  void OnTimer() override {}
  std::string TooltipAt(PixelPoint) override { return {}; }
  void Deliver(const std::function<void()>& work) override {
    try {
      work();
    } catch (const std::exception& e) {
      reported.push_back(e.what());
    }
  }

  std::vector<std::string> reported;
};

// Every failed pass is reported once, with its own failure (not one of the backend's that it
// caused), and the pass is ended, so the window does not wait for paint again.
TEST(WindowPainting, AFailedPaintPassIsReportedAndEnded) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClasses(instance, nullptr);
  FontCache fonts(96);
  LateBound late;
  FailingPaint events;
  const auto window = CreateWin32Window(instance, {WindowKind::ToolPopup, "paint test", {64, 48}}, events, fonts, late);
  const HWND hwnd = reinterpret_cast<HWND>(window->Handle());
  // Shown (only a shown window is painted), off the screen.
  window->MoveTo({-400, -400});
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  constexpr int kPasses = 200;
  for (int i = 0; i < kPasses; ++i) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
  }
  ASSERT_EQ(events.reported.size(), static_cast<std::size_t>(kPasses)) << "a paint pass failed without a report";
  std::size_t planted = 0;
  for (const std::string& text : events.reported) planted += text == "the paint pass failed on purpose";
  EXPECT_EQ(planted, events.reported.size()) << "another failure: " << events.reported.back();
  RECT dirty{};
  EXPECT_FALSE(GetUpdateRect(hwnd, &dirty, FALSE)) << "the failed pass left the window waiting for paint";
}

}  // namespace
}  // namespace corvane::win32
