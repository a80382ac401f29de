// The window procedure's side of the handler path: a failure while painting reaches the
// handler path (the form's, here a recording stand-in) instead of being dropped, and a
// failure that escapes a handler goes no further than the window procedure. And what the
// window procedure makes of keys, dropped files and a second start's hand-over.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>  // DROPFILES

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_window.h"

namespace corvane::win32 {
namespace {

using namespace std::string_literals;

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
  TestWindow(WindowEvents& events, const char* title, const HandOverListener* handOver = nullptr) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClasses(instance, nullptr);
    window_ = CreateWin32Window(instance, {WindowKind::ToolPopup, title, {64, 48}}, events, fonts_, late_, handOver);
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

// Window events that note the keys and drops they are given.
class Recorder : public FailingPaint {
 public:
  bool OnKey(const KeyEvent& e) override {
    keys.push_back(e);
    return true;
  }
  void OnFilesDropped(const FileDrop& drop) override { drops.push_back(drop); }
  std::vector<KeyEvent> keys;
  std::vector<FileDrop> drops;
};

// Holds the modifier keys down in the thread's key state, as GetKeyState reads it, and lets
// them go at the end.
class HeldModifiers {
 public:
  explicit HeldModifiers(int shift) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    const auto hold = [&](int vk, bool down) { state[vk] = down ? 0x80 : 0; };
    hold(VK_SHIFT, shift & kShift);
    hold(VK_CONTROL, shift & kCtrl);
    hold(VK_MENU, shift & kAlt);
    SetKeyboardState(state);
  }
  ~HeldModifiers() {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = state[VK_CONTROL] = state[VK_MENU] = 0;
    SetKeyboardState(state);
  }
  HeldModifiers(const HeldModifiers&) = delete;
  HeldModifiers& operator=(const HeldModifiers&) = delete;
};

TEST(WindowKeys, EachKeyReachesTheFormAsTheKeyItMeans) {
  struct Case {
    const char* what;
    WPARAM vk;
    int held;
    Key key;
    int shift;
    char character;
  };
  const std::vector<Case> cases = {
      {"Ctrl+N", 'N', kCtrl, Key::Shortcut, kCtrl, 'N'},
      {"Ctrl+W", 'W', kCtrl, Key::Shortcut, kCtrl, 'W'},
      {"Ctrl+Shift+V", 'V', kCtrl | kShift, Key::Shortcut, kCtrl | kShift, 'V'},
      {"Ctrl+V", 'V', kCtrl, Key::Paste, kCtrl, 0},
      {"Shift+Insert", VK_INSERT, kShift, Key::Paste, kShift, 0},
      {"Left", VK_LEFT, 0, Key::Left, 0, 0},
      {"Shift+Right", VK_RIGHT, kShift, Key::Right, kShift, 0},
      {"Up", VK_UP, 0, Key::Up, 0, 0},
      {"Ctrl+Down", VK_DOWN, kCtrl, Key::Down, kCtrl, 0},
      {"Tab", VK_TAB, 0, Key::Tab, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Recorder events;
    const TestWindow window(events, "key test");
    const HeldModifiers held(c.held);
    EXPECT_EQ(SendMessageW(window.Handle(), WM_KEYDOWN, c.vk, 1), 0);
    ASSERT_EQ(events.keys.size(), 1u);
    EXPECT_EQ(events.keys[0].key, c.key);
    EXPECT_EQ(events.keys[0].shift, c.shift);
    EXPECT_EQ(events.keys[0].character, c.character);
  }
}

// A drop as the shell hands it over: DROPFILES, then the paths, each NUL-ended, then a NUL.
HGLOBAL MakeDrop(POINT at, const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  const std::size_t size = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
  files->pFiles = sizeof(DROPFILES);
  files->pt = at;
  files->fNC = FALSE;
  files->fWide = TRUE;
  std::memcpy(files + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return memory;
}

TEST(WindowDrops, TheFormHearsThePathsTheScreenPointAndTheModifiersHeld) {
  Recorder events;
  const TestWindow window(events, "drop test");
  window->MoveTo({-300, -200});
  const HeldModifiers held(kCtrl);
  // The drop's point is in the window's client area; the window has no frame.
  SendMessageW(window.Handle(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({10, 7}, {L"C:\\pics\\a.png", L"C:\\gr\u00FC\u00DF.gif"})), 0);
  ASSERT_EQ(events.drops.size(), 1u);
  EXPECT_EQ(events.drops[0].paths, (std::vector<std::string>{"C:\\pics\\a.png", "C:\\gr\xC3\xBC\xC3\x9F.gif"}));
  EXPECT_EQ(events.drops[0].screen, (PixelPoint{-290, -193}));
  EXPECT_EQ(events.drops[0].shift, kCtrl);
}

// Window events whose handler path notes that it ran, for the hand-over.
class HandOverEvents : public FailingPaint {
 public:
  void Deliver(const std::function<void()>& work) override {
    ++delivered;
    FailingPaint::Deliver(work);
  }
  int delivered = 0;
};

// A window that listens for hand-overs, noting what it hears, and another to send from.
struct HandOverPair {
  HandOverPair() {
    listener.Listen([this](const std::string& message) { received.push_back(message); });
  }
  std::vector<std::string> received;
  HandOverListener listener;
  HandOverEvents events;
  const TestWindow receiver{events, "receiver", &listener};
  Recorder senderEvents;
  const TestWindow sender{senderEvents, "sender"};
};

TEST(WindowHandOver, AMessageSentToAWindowReachesTheListenerOnTheHandlerPath) {
  HandOverPair pair;
  const std::string message = "corvane\0open\0C:\\a.png\0C:\\\xE5\x86\x99.jpg\0"s;
  EXPECT_TRUE(SendHandOver(pair.receiver.Handle(), pair.sender.Handle(), message));
  EXPECT_EQ(pair.received, std::vector<std::string>{message});
  EXPECT_EQ(pair.events.delivered, 1);
}

TEST(WindowHandOver, WhatIsNotAHandOverFromAWindowOfThisUserIsRefused) {
  HandOverPair pair;
  std::wstring wide = L"corvane\0open\0C:\\a.png\0"s;
  struct Case {
    const char* what;
    ULONG_PTR kind;
    DWORD bytes;
    HWND from;
  };
  const DWORD whole = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
  HWND gone = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  const std::vector<Case> cases = {
      {"another kind of data", kHandOverData + 1, whole, pair.sender.Handle()},
      {"an odd byte count", kHandOverData, whole - 1, pair.sender.Handle()},
      {"no sending window, so no user to check", kHandOverData, whole, nullptr},
      {"a sending window that is gone", kHandOverData, whole, gone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    COPYDATASTRUCT data{c.kind, c.bytes, wide.data()};
    EXPECT_EQ(SendMessageW(pair.receiver.Handle(), WM_COPYDATA, reinterpret_cast<WPARAM>(c.from),
                           reinterpret_cast<LPARAM>(&data)),
              FALSE);
  }
  // A window without a listener takes nothing either.
  COPYDATASTRUCT data{kHandOverData, whole, wide.data()};
  EXPECT_EQ(SendMessageW(pair.sender.Handle(), WM_COPYDATA, reinterpret_cast<WPARAM>(pair.receiver.Handle()),
                         reinterpret_cast<LPARAM>(&data)),
            FALSE);
  EXPECT_TRUE(pair.received.empty());
  EXPECT_EQ(pair.events.delivered, 0);
}

TEST(WindowHandOver, TheSearchForTheRunningCorvaneSkipsThisProcesssOwnWindows) {
  HandOverEvents events;
  const TestWindow own(events, "own window");
  wchar_t name[64] = {};
  GetClassNameW(own.Handle(), name, 64);
  ASSERT_NE(FindWindowW(name, nullptr), nullptr);
  EXPECT_EQ(FindWindowOfOtherProcess(name), nullptr);
  // A window of this process's user passes the check the receiver makes.
  LateBound late;
  EXPECT_TRUE(SentBySameUser(late, own.Handle()));
}

}  // namespace
}  // namespace corvane::win32
