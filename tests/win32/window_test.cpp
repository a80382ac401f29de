// The window procedure's side of the handler path: a failure while painting reaches the
// handler path (the form's, here a recording stand-in) instead of being dropped, and a
// failure that escapes a handler goes no further than the window procedure.
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

// A tool window of the backend's own, taking its messages to `events`, with the fonts and
// libraries it keeps.
class TestWindow {
 public:
  TestWindow(WindowEvents& events, const char* title) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClasses(instance, nullptr);
    window_ = CreateWin32Window(instance, {WindowKind::ToolPopup, title, {64, 48}}, events, fonts_, late_);
  }
  NativeWindow* operator->() const { return window_.get(); }
  HWND Handle() const { return reinterpret_cast<HWND>(window_->Handle()); }

 private:
  FontCache fonts_{96};
  LateBound late_;
  std::unique_ptr<NativeWindow> window_;  // first to go
};

// Every failed pass is reported once, with its own failure (not one of the backend's that it
// caused), and the pass is ended, so the window does not wait for paint again.
TEST(WindowPainting, AFailedPaintPassIsReportedAndEnded) {
  FailingPaint events;
  const TestWindow window(events, "paint test");
  const HWND hwnd = window.Handle();
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

// Window events whose mouse press fails outside the handler path, as a handler with a bug
// would.
class FailingPress : public FailingPaint {
 public:
  void OnMouseDown(const MouseEvent&) override {
    ++presses;
    throw Error("the press failed on purpose");
  }
  int presses = 0;
};

// What escapes a window's message is stopped in the window procedure (and reported there), so
// the system never unwinds and the window goes on taking its messages.
TEST(WindowMessages, AFailureThatEscapesAHandlerStopsInTheWindowProcedure) {
  FailingPress events;
  const TestWindow window(events, "press test");
  const HWND hwnd = window.Handle();
  for (int i = 0; i < 2; ++i) {
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  }
  EXPECT_EQ(events.presses, 2) << "the window stopped taking presses after a failure";
  EXPECT_TRUE(IsWindow(hwnd));
}

}  // namespace
}  // namespace corvane::win32
