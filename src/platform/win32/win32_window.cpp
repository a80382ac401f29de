// Top-level windows: one window procedure for every form, double-buffered painting of the
// invalid area, mouse and keys routed to the form, and a tooltip that asks the form for the
// text of the control under the pointer.
#include "platform/win32/win32_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>

#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

namespace {

constexpr wchar_t kClassWithIcon[] = L"CorvaneWindow";
constexpr wchar_t kClassWithoutIcon[] = L"CorvaneMenuWindow";

// The arrow keys the form moves a window with; Key::Tab for any other key.
Key ArrowKey(WPARAM vk) {
  switch (vk) {
    case VK_LEFT: return Key::Left;
    case VK_RIGHT: return Key::Right;
    case VK_UP: return Key::Up;
    case VK_DOWN: return Key::Down;
    default: return Key::Tab;
  }
}
// The one timer a window keeps for its form (WM_TIMER comes only when no input waits).
constexpr UINT_PTR kFormTimer = 1;

int ShiftState() {
  int shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= kShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= kCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= kAlt;
  return shift;
}

int HeldButtons(WPARAM wparam) {
  int buttons = 0;
  if (wparam & MK_LBUTTON) buttons |= static_cast<int>(MouseButton::Left);
  if (wparam & MK_RBUTTON) buttons |= static_cast<int>(MouseButton::Right);
  if (wparam & MK_MBUTTON) buttons |= static_cast<int>(MouseButton::Middle);
  return buttons;
}

MouseEvent MakeMouseEvent(int button, LPARAM lparam) {
  return {button, ShiftState(), {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}};
}

// The letter or digit of a key, for a shortcut with Ctrl; 0 for any other key.
char ShortcutKey(WPARAM vk) {
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return static_cast<char>(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<char>('0' + (vk - VK_NUMPAD0));
  return 0;
}

// Ctrl+V and Shift+Insert, the system's paste keys.
bool IsPasteKey(WPARAM key) {
  const int shift = ShiftState();
  if (shift & kAlt) return false;
  return (key == 'V' && shift == kCtrl) || (key == VK_INSERT && shift == kShift);
}

int ButtonOf(UINT msg) {
  switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: return static_cast<int>(MouseButton::Right);
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: return static_cast<int>(MouseButton::Middle);
    default: return static_cast<int>(MouseButton::Left);
  }
}

bool IsKeyCharacter(WPARAM c) {
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// The window's title, to name it in a failure.
std::string WindowName(HWND window) {
  std::wstring title(256, L'\0');
  title.resize(
      static_cast<std::size_t>(std::max(0, GetWindowTextW(window, title.data(), static_cast<int>(title.size())))));
  return "window \"" + Narrow(title) + "\"";
}

// Says what escaped the handling of a window's message, where a debugger (or DebugView) sees
// it: the window, the message and the failure.
void ReportEscaped(HWND window, UINT msg, const char* what) {
  char message[32];
  std::snprintf(message, sizeof message, "message 0x%04X", msg);
  OutputDebugStringW(Widen("Corvane: " + WindowName(window) + ", " + message + ": " + what + "\n").c_str());
}

}  // namespace

const wchar_t* const kPictureWindowClass = kClassWithIcon;

Win32Window::Win32Window(HINSTANCE instance, const WindowLayout& layout, WindowEvents& events, FontCache& fonts,
                         LateBound& late, const HandOverListener* handOver)
    : instance_(instance), events_(events), fonts_(fonts), late_(late), handOver_(handOver) {
  DWORD style = WS_POPUP | WS_CLIPCHILDREN;
  DWORD exStyle = 0;
  const wchar_t* windowClass = kClassWithIcon;
  int x = 0;
  int y = 0;
  if (layout.kind == WindowKind::ToolPopup) {
    exStyle = WS_EX_TOOLWINDOW;
    windowClass = kClassWithoutIcon;
  } else if (layout.kind == WindowKind::Framed) {
    style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    x = y = CW_USEDEFAULT;
  }
  RECT outer{0, 0, layout.clientSize.width, layout.clientSize.height};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  // An owned window stays above its owner: a click on the owner never buries it.
  hwnd_ = CreateWindowExW(exStyle, windowClass, Widen(layout.title).c_str(), style, x, y, outer.right - outer.left,
                          outer.bottom - outer.top, reinterpret_cast<HWND>(layout.owner), nullptr, instance, this);
  if (!hwnd_) throw CallFailedOn("CreateWindowEx", "window \"" + layout.title + "\"");
}

void Win32Window::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
}

PixelRect Win32Window::Frame() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

PixelSize Win32Window::ClientSize() const {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return {r.right, r.bottom};
}

void Win32Window::MoveTo(PixelPoint p) {
  SetWindowPos(hwnd_, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::SetClientSize(PixelSize size) {
  RECT outer{0, 0, size.width, size.height};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::Show() {
  // The tooltip comes with the first mouse move over the shown window (no start waits for
  // the common controls), after the window's load has made it top-most: Wine ignores
  // HWND_TOPMOST for a window that already owns a top-most popup.
  tooltipWanted_ = true;
  ShowWindow(hwnd_, SW_SHOW);
  TakeKeyboard();
}

void Win32Window::Invalidate(const PixelRect& r) {
  const RECT rect{r.left, r.top, r.right, r.bottom};
  InvalidateRect(hwnd_, &rect, FALSE);
}

void Win32Window::RefreshTooltip() {
  if (!tooltip_) return;
  // Deactivating and reactivating resets the tooltip, so the control now under the pointer
  // gets its own tip after the usual delay.
  SendMessageW(tooltip_, TTM_POP, 0, 0);
  SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
  SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
}

// What DragAcceptFiles does, without loading the shell for it at start: the extended style
// is what makes the system send WM_DROPFILES.
void Win32Window::AcceptFileDrops() {
  if (!hwnd_) return;
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
}

void Win32Window::StartTimer(int milliseconds) {
  if (!hwnd_) return;
  if (milliseconds <= 0) {
    KillTimer(hwnd_, kFormTimer);
  } else if (!SetTimer(hwnd_, kFormTimer, static_cast<UINT>(milliseconds), nullptr)) {
    throw Failed("SetTimer");
  }
}

int Win32Window::Dpi() const {
  // GetDpiForWindow (Windows 10 1607 and later) is looked up rather than imported, so that the
  // program still starts on older systems, where every window has the screen's DPI.
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto getDpi = user32 ? reinterpret_cast<GetDpiForWindowFunction>(
                                   reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")))
                             : nullptr;
  return getDpi && hwnd_ ? static_cast<int>(getDpi(hwnd_)) : 0;
}

LRESULT CALLBACK Win32Window::Procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wparam, lparam);
  if (msg == WM_NCDESTROY) {
    ::UnregisterHotKey(hwnd, kHotKeyId);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    ForgetLeftPress(hwnd);
    self->hwnd_ = nullptr;
    self->tooltip_ = nullptr;
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
  // Nothing may unwind through the system, which cannot pass an exception on. The form's
  // handlers report their own failures; the backend's own work for a delivery (the paint
  // pass, a tooltip's text) runs on the same handler path through Deliver. Whatever escapes
  // even so is reported, and the message gets the system's own answer.
  try {
    return self->Handle(msg, wparam, lparam);
  } catch (const std::exception& e) {
    ReportEscaped(hwnd, msg, e.what());
  } catch (...) {
    ReportEscaped(hwnd, msg, "an exception of unknown type");
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// Brings the window to the front with the keyboard, so that keys typed now reach it and not
// the window that had them before: the foreground and active window of the thread, with the
// focus on the window itself (its controls are drawn, not windows of their own).
void Win32Window::TakeKeyboard() {
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  SetFocus(hwnd_);
}

// Makes the tooltip and hands it the mouse move that asked for it, which its own watch over
// the window's messages (TTF_SUBCLASS) comes too late to see. A failure to make it is
// reported like any other.
void Win32Window::StartTooltip(WPARAM wparam, LPARAM lparam) {
  tooltipWanted_ = false;
  events_.Deliver([this] { CreateTooltip(); });
  if (!tooltip_) return;
  const DWORD at = GetMessagePos();
  MSG move{
      hwnd_, WM_MOUSEMOVE, wparam, lparam, static_cast<DWORD>(GetMessageTime()), {GET_X_LPARAM(at), GET_Y_LPARAM(at)}};
  SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
}

void Win32Window::CreateTooltip() {
  late_.RequireCommonControls();
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_,
                             nullptr);
  if (!tooltip_) return;  // the window works without tips
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = 1;
  tool.rect = {0, 0, 32767, 32767};
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 1024);
}

LRESULT Win32Window::Handle(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT: events_.Deliver([this] { Paint(); }); return 0;
    case WM_ERASEBKGND: return 1;  // the paint pass covers every pixel
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (msg == WM_LBUTTONDOWN) {
        POINT screen{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        ClientToScreen(hwnd_, &screen);
        NoteLeftPress(hwnd_, screen);
      }
      SetCapture(hwnd_);
      events_.OnMouseDown(MakeMouseEvent(ButtonOf(msg), lparam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (GetCapture() == hwnd_ && (wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) ReleaseCapture();
      events_.OnMouseUp(MakeMouseEvent(ButtonOf(msg), lparam));
      return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      SetCapture(hwnd_);
      events_.OnDoubleClick(MakeMouseEvent(ButtonOf(msg), lparam));
      return 0;
    case WM_MOUSEMOVE:
      if (!tooltip_ && tooltipWanted_) StartTooltip(wparam, lparam);
      events_.OnMouseMove(MakeMouseEvent(HeldButtons(wparam), lparam));
      return 0;
    case WM_KEYDOWN:
      if (wparam == VK_TAB) {
        events_.OnKey({Key::Tab, ShiftState(), 0});
        return 0;
      }
      if (IsPasteKey(wparam)) {
        events_.OnKey({Key::Paste, ShiftState(), 0});
        return 0;
      }
      if (const char key = ShortcutKey(wparam); key && (ShiftState() & (kCtrl | kAlt)) == kCtrl) {
        if (events_.OnKey({Key::Shortcut, ShiftState(), key})) return 0;
      }
      if (const Key arrow = ArrowKey(wparam); arrow != Key::Tab) {
        if (events_.OnKey({arrow, ShiftState(), 0})) return 0;
      }
      break;
    case WM_MOUSEWHEEL: {
      // Whole notches; a fine wheel's smaller turns add up to them.
      wheel_ += GET_WHEEL_DELTA_WPARAM(wparam);
      const int notches = wheel_ / WHEEL_DELTA;
      wheel_ -= notches * WHEEL_DELTA;
      POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      ScreenToClient(hwnd_, &p);
      if (notches != 0) events_.OnWheel({notches, ShiftState(), {p.x, p.y}});
      return 0;
    }
    case WM_DROPFILES: {
      const ScopedDrop drop(late_, reinterpret_cast<HDROP>(wparam));
      events_.OnFilesDropped(ReadDrop(drop.Get()));
      return 0;
    }
    case WM_COPYDATA:
      if (!lparam) break;
      return TakeHandOver(reinterpret_cast<HWND>(wparam), *reinterpret_cast<const COPYDATASTRUCT*>(lparam));
    case WM_CHAR:
      if (IsKeyCharacter(wparam)) events_.OnKey({Key::Character, ShiftState(), static_cast<char>(wparam)});
      return 0;
    case WM_SYSCHAR:
      if (IsKeyCharacter(wparam) && events_.OnKey({Key::AccessKey, ShiftState(), static_cast<char>(wparam)})) return 0;
      break;
    case WM_CLOSE: events_.OnCloseRequest(); return 0;
    case WM_DPICHANGED: {
      // The window moved to a monitor of another scale (or its scale changed): it lays itself
      // out again at the new DPI and takes the rectangle Windows suggests.
      if (!lparam) break;
      const RECT& r = *reinterpret_cast<const RECT*>(lparam);
      events_.OnDpiChanged({LOWORD(wparam), {r.left, r.top, r.right, r.bottom}});
      return 0;
    }
    case WM_HOTKEY:
      if (wparam != kHotKeyId) break;
      events_.OnHotKey();
      return 0;
    case WM_TIMER:
      if (wparam != kFormTimer) break;
      KillTimer(hwnd_, kFormTimer);  // one-shot: the form asks again for the next time
      events_.OnTimer();
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->hwndFrom == tooltip_ && header->code == TTN_GETDISPINFOW) {
        tipText_.clear();
        events_.Deliver([this] {
          POINT p{};
          if (!GetCursorPos(&p)) throw Failed("GetCursorPos");
          ScreenToClient(hwnd_, &p);
          tipText_ = Widen(events_.TooltipAt({p.x, p.y}));
        });
        reinterpret_cast<NMTTDISPINFOW*>(lparam)->lpszText = tipText_.data();
        return 0;
      }
      break;
    }
    default: break;
  }
  return DefWindowProcW(hwnd_, msg, wparam, lparam);
}

FileDrop Win32Window::ReadDrop(HDROP drop) {
  FileDrop files;
  files.paths = DroppedFilePaths(late_, drop);
  // The point is in the client area of the window the files were dropped on.
  POINT at{};
  late_.DragQueryPoint(drop, &at);
  ClientToScreen(hwnd_, &at);
  files.screen = {at.x, at.y};
  files.shift = ShiftState();
  return files;
}

LRESULT Win32Window::TakeHandOver(HWND sender, const COPYDATASTRUCT& data) {
  if (!handOver_) return FALSE;
  const std::optional<std::string> message = handOver_->Take(late_, sender, data);
  if (!message) return FALSE;
  // The message is taken on the handler path, which keeps its pictures until no handler
  // runs; the sender is answered at once and the event loop woken to open them.
  events_.Deliver([&] { handOver_->Receive(*message); });
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  return TRUE;
}

// Draws the invalid area off-screen and copies it in one go, so nothing flickers and a
// window larger than the screen costs only what is shown. A failure is raised (and so
// reported by the handler path); the owners give everything back on the way out.
Error Win32Window::Failed(const char* call) const { return Failed(call, GetLastError()); }

Error Win32Window::Failed(const char* call, DWORD code) const { return CallFailedOn(call, WindowName(hwnd_), code); }

void Win32Window::Paint() {
  const ScopedPaint paint(hwnd_);
  if (!paint.Get()) throw Failed("BeginPaint");
  const RECT& r = paint.Dirty();
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return;
  const ScopedMemoryDC memory(CreateCompatibleDC(paint.Get()));
  if (!memory) throw Failed("CreateCompatibleDC");
  const ScopedBitmap bitmap(CreateCompatibleBitmap(paint.Get(), width, height));
  if (!bitmap) throw Failed("CreateCompatibleBitmap");
  const ScopedSelect selected(memory.Get(), bitmap.Get());
  if (!selected) throw Failed("SelectObject");
  SetViewportOrgEx(memory.Get(), -r.left, -r.top, nullptr);
  GdiCanvas canvas(memory.Get(), fonts_);
  events_.OnPaint(canvas, {r.left, r.top, r.right, r.bottom});
  SetViewportOrgEx(memory.Get(), 0, 0, nullptr);
  if (!BitBlt(paint.Get(), r.left, r.top, width, height, memory.Get(), 0, 0, SRCCOPY)) throw Failed("BitBlt");
}

void RegisterWindowClasses(HINSTANCE instance, HICON icon) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = Win32Window::Procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = icon;
  wc.hIconSm = icon;
  wc.lpszClassName = kClassWithIcon;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw CallFailedOn("RegisterClassEx", Narrow(kClassWithIcon));
  wc.hIcon = nullptr;
  wc.hIconSm = nullptr;
  wc.lpszClassName = kClassWithoutIcon;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw CallFailedOn("RegisterClassEx", Narrow(kClassWithoutIcon));
}

std::unique_ptr<NativeWindow> CreateWin32Window(HINSTANCE instance, const WindowLayout& layout, WindowEvents& events,
                                                FontCache& fonts, LateBound& late, const HandOverListener* handOver) {
  return std::make_unique<Win32Window>(instance, layout, events, fonts, late, handOver);
}

}  // namespace corvane::win32
