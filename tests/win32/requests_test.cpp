// How the Win32 backend turns the program's window-manager and dialog requests into the
// system's calls: the top-most request and the open-file dialog's record.
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "win32_test_support.h"

namespace corvane::win32::testing {
namespace {

// A plain top-level window, destroyed with the object.
class PlainWindow {
 public:
  PlainWindow()
      : hwnd_(CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP | WS_VISIBLE, 200, 150, 120, 80, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr)) {}
  ~PlainWindow() { DestroyWindow(hwnd_); }
  PlainWindow(const PlainWindow&) = delete;
  PlainWindow& operator=(const PlainWindow&) = delete;
  HWND Handle() const { return hwnd_; }
  std::uintptr_t Id() const { return reinterpret_cast<std::uintptr_t>(hwnd_); }
  RECT Rect() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r;
  }
  bool TopMost() const { return (GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

 private:
  HWND hwnd_;
};

TEST(WindowRequests, TopMostKeepsThePlaceOrMovesThereAndAlwaysKeepsTheSize) {
  Win32Platform platform(GetModuleHandleW(nullptr), false);
  PlainWindow kept;
  ASSERT_NE(kept.Handle(), nullptr);
  platform.MakeTopMost(kept.Id(), std::nullopt);
  EXPECT_TRUE(kept.TopMost());
  EXPECT_EQ(kept.Rect().left, 200);
  EXPECT_EQ(kept.Rect().top, 150);
  EXPECT_EQ(kept.Rect().right - kept.Rect().left, 120);

  PlainWindow moved;
  platform.MakeTopMost(moved.Id(), PixelPoint{30, 40});
  EXPECT_TRUE(moved.TopMost());
  EXPECT_EQ(moved.Rect().left, 30);
  EXPECT_EQ(moved.Rect().top, 40);
  EXPECT_EQ(moved.Rect().bottom - moved.Rect().top, 80);
}

TEST(WindowRequests, TheOpenFileRecordIsTheFirstPublishedOneWithRoomForAnyPath) {
  OpenFileRequest request;
  request.owner = 0x1234;
  request.title = "Pick one";
  request.filters = {{"Pictures (bmp;gif)", "*.bmp;*.gif"}, {"All", "*.*"}};
  request.initialFolder = "C:\\caf\xC3\xA9";
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const std::unique_ptr<OpenFileRecord> record = MakeOpenFileRecord(request, instance);
  const OPENFILENAMEW& ofn = record->ofn;
  EXPECT_EQ(ofn.lStructSize, OPENFILENAME_SIZE_VERSION_400W) << "the first published layout, at this pointer width";
  EXPECT_LT(ofn.lStructSize, sizeof(OPENFILENAMEW));
  EXPECT_EQ(ofn.hwndOwner, reinterpret_cast<HWND>(0x1234));
  EXPECT_EQ(ofn.hInstance, instance);
  const std::wstring filter(L"Pictures (bmp;gif)\0*.bmp;*.gif\0All\0*.*\0\0", 40);
  EXPECT_EQ(std::wstring(ofn.lpstrFilter, filter.size()), filter);
  EXPECT_EQ(ofn.nMaxCustFilter, 0u);
  EXPECT_EQ(ofn.nFilterIndex, 1u);
  EXPECT_GE(ofn.nMaxFile, 32767u) << "room for the longest path the system returns";
  EXPECT_EQ(record->file.size(), ofn.nMaxFile + 1u);
  EXPECT_EQ(ofn.lpstrFile[0], L'\0');
  EXPECT_EQ(record->fileTitle.size(), ofn.nMaxFileTitle + 1u);
  EXPECT_EQ(std::wstring(ofn.lpstrInitialDir), L"C:\\caf\u00e9");
  EXPECT_EQ(std::wstring(ofn.lpstrTitle), L"Pick one");
  EXPECT_EQ(ofn.Flags, 0u);
}

}  // namespace
}  // namespace corvane::win32::testing
