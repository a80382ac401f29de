// Top-level windows: one window procedure for every form, double-buffered painting of the
// invalid area, mouse and keys routed to the form, and a tooltip that asks the form for the
// text of the control under the pointer.
#include "platform/win32/win32_internal.h"

#include <commctrl.h>
#include <windowsx.h>

#include <optional>

#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

namespace {

constexpr wchar_t kClassWithIcon[] = L"CorvaneWindow";
constexpr wchar_t kClassWithoutIcon[] = L"CorvaneMenuWindow";
// Window properties: the screen point of the window's last left press.
constexpr wchar_t kLeftPressX[] = L"Corvane.LeftPressX";
constexpr wchar_t kLeftPressY[] = L"Corvane.LeftPressY";
constexpr wchar_t kLeftPressed[] = L"Corvane.LeftPressed";
// The one timer a window keeps for its form (WM_TIMER comes only when no input waits).
constexpr UINT_PTR kFormTimer = 1;
// The one system-wide hot key a window may hold.
constexpr int kFormHotKey = 1;

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

class Win32Window : public NativeWindow {
 public:
  Win32Window(HINSTANCE instance, const WindowLayout& layout, WindowEvents& events, FontCache& fonts, LateBound& late)
      : instance_(instance), events_(events), fonts_(fonts), late_(late) {
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
    if (!hwnd_) throw CallFailed("CreateWindowEx");
  }

  ~Win32Window() override { Destroy(); }

  void Destroy() override {
    if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
  }

  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

  PixelRect Frame() const override {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return {r.left, r.top, r.right, r.bottom};
  }

  PixelSize ClientSize() const override {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return {r.right, r.bottom};
  }

  void MoveTo(PixelPoint p) override {
    SetWindowPos(hwnd_, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void SetClientSize(PixelSize size) override {
    RECT outer{0, 0, size.width, size.height};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void Show() override {
    // The tooltip comes with the first mouse move over the shown window (no start waits for
    // the common controls), after the window's load has made it top-most: Wine ignores
    // HWND_TOPMOST for a window that already owns a top-most popup.
    tooltipWanted_ = true;
    ShowWindow(hwnd_, SW_SHOW);
    TakeKeyboard();
  }

  void Hide() override { ShowWindow(hwnd_, SW_HIDE); }

  void Activate() override { TakeKeyboard(); }

  bool IsVisible() const override { return hwnd_ && IsWindowVisible(hwnd_); }

  void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

  void Invalidate(const PixelRect& r) override {
    const RECT rect{r.left, r.top, r.right, r.bottom};
    InvalidateRect(hwnd_, &rect, FALSE);
  }

  void RefreshTooltip() override {
    if (!tooltip_) return;
    // Deactivating and reactivating resets the tooltip, so the control now under the pointer
    // gets its own tip after the usual delay.
    SendMessageW(tooltip_, TTM_POP, 0, 0);
    SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
    SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
  }

  // What DragAcceptFiles does, without loading the shell for it at start: the extended style
  // is what makes the system send WM_DROPFILES.
  void AcceptFileDrops() override {
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
  }

  void StartTimer(int milliseconds) override {
    if (!hwnd_) return;
    if (milliseconds <= 0) {
      KillTimer(hwnd_, kFormTimer);
    } else if (!SetTimer(hwnd_, kFormTimer, static_cast<UINT>(milliseconds), nullptr)) {
      throw CallFailed("SetTimer");
    }
  }

  // Below 100 % the window is layered with one constant alpha. At 100 % it stays layered only
  // while it lets the mouse through (WS_EX_TRANSPARENT works on layered windows alone), at full
  // alpha; otherwise it becomes an ordinary window again.
  void SetOpacity(int percent) override {
    opacity_ = percent;
    ApplyLayeredAlpha();
  }

  void ApplyLayeredAlpha() {
    if (!hwnd_) return;
    const LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    if (opacity_ < 100 || (ex & WS_EX_TRANSPARENT)) {
      if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
      const auto alpha = static_cast<BYTE>((opacity_ * 255 + 50) / 100);
      if (!SetLayeredWindowAttributes(hwnd_, 0, alpha, LWA_ALPHA)) throw CallFailed("SetLayeredWindowAttributes");
    } else if (ex & WS_EX_LAYERED) {
      SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
  }

  // WS_EX_LAYERED with WS_EX_TRANSPARENT is what Windows documents for a window the mouse
  // passes through; a window not yet layered is made so at full opacity. Only the styles added
  // here are taken away again, so a layered window's own opacity stays as it was.
  void SetClickThrough(bool on) override {
    if (!hwnd_) return;
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    if (!on) {
      if (addedExStyle_ == 0) return;
      SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle & ~addedExStyle_));
      // A window that stops being layered is drawn again in full.
      if (addedExStyle_ & WS_EX_LAYERED) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
      addedExStyle_ = 0;
      return;
    }
    addedExStyle_ = (WS_EX_LAYERED | WS_EX_TRANSPARENT) & ~exStyle;
    if (addedExStyle_ == 0) return;
    SetLastError(0);
    if (!SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle | addedExStyle_)) &&
        GetLastError() != 0) {
      addedExStyle_ = 0;
      throw CallFailed("SetWindowLongPtr");
    }
    if ((addedExStyle_ & WS_EX_LAYERED) && !SetLayeredWindowAttributes(hwnd_, 0, 255, LWA_ALPHA)) {
      const Error error = CallFailed("SetLayeredWindowAttributes");
      SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
      addedExStyle_ = 0;
      throw error;
    }
  }

  bool RegisterHotKey(int modifiers, char letter) override {
    UnregisterHotKey();
    UINT keys = MOD_NOREPEAT;
    if (modifiers & kCtrl) keys |= MOD_CONTROL;
    if (modifiers & kAlt) keys |= MOD_ALT;
    if (modifiers & kShift) keys |= MOD_SHIFT;
    if (::RegisterHotKey(hwnd_, kFormHotKey, keys, static_cast<UINT>(static_cast<unsigned char>(letter)))) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_HOTKEY_ALREADY_REGISTERED) return false;
    throw CallFailed("RegisterHotKey", error);
  }

  void UnregisterHotKey() override {
    if (hwnd_) ::UnregisterHotKey(hwnd_, kFormHotKey);
  }

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_NCCREATE) {
      auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wparam, lparam);
    if (msg == WM_NCDESTROY) {
      ::UnregisterHotKey(hwnd, kFormHotKey);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      RemovePropW(hwnd, kLeftPressX);
      RemovePropW(hwnd, kLeftPressY);
      RemovePropW(hwnd, kLeftPressed);
      self->hwnd_ = nullptr;
      self->tooltip_ = nullptr;
      return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
    // Nothing may unwind through the system, which cannot pass an exception on. The form's
    // handlers report their own failures; the backend's own work for a delivery (the paint
    // pass, a tooltip's text) runs on the same handler path through Deliver.
    try {
      return self->Handle(msg, wparam, lparam);
    } catch (...) {
      return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
  }

 private:
  // Brings the window to the front with the keyboard, so that keys typed now reach it and not
  // the window that had them before: the foreground and active window of the thread, with the
  // focus on the window itself (its controls are drawn, not windows of their own).
  void TakeKeyboard() {
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
    SetFocus(hwnd_);
  }

  // Makes the tooltip and hands it the mouse move that asked for it, which its own watch over
  // the window's messages (TTF_SUBCLASS) comes too late to see. A failure to make it is
  // reported like any other.
  void StartTooltip(WPARAM wparam, LPARAM lparam) {
    tooltipWanted_ = false;
    events_.Deliver([this] { CreateTooltip(); });
    if (!tooltip_) return;
    const DWORD at = GetMessagePos();
    MSG move{hwnd_, WM_MOUSEMOVE, wparam, lparam, static_cast<DWORD>(GetMessageTime()),
             {GET_X_LPARAM(at), GET_Y_LPARAM(at)}};
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
  }

  void CreateTooltip() {
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

  LRESULT Handle(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
      case WM_PAINT:
        events_.Deliver([this] { Paint(); });
        return 0;
      case WM_ERASEBKGND:
        return 1;  // the paint pass covers every pixel
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        if (msg == WM_LBUTTONDOWN) NoteLeftPress(lparam);
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
        events_.OnFilesDropped(DroppedFilePaths(late_, drop.Get()));
        return 0;
      }
      case WM_CHAR:
        if (IsKeyCharacter(wparam)) events_.OnKey({Key::Character, ShiftState(), static_cast<char>(wparam)});
        return 0;
      case WM_SYSCHAR:
        if (IsKeyCharacter(wparam) && events_.OnKey({Key::AccessKey, ShiftState(), static_cast<char>(wparam)})) return 0;
        break;
      case WM_CLOSE:
        events_.OnCloseRequest();
        return 0;
      case WM_HOTKEY:
        if (wparam != kFormHotKey) break;
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
            if (!GetCursorPos(&p)) throw CallFailed("GetCursorPos");
            ScreenToClient(hwnd_, &p);
            tipText_ = Widen(events_.TooltipAt({p.x, p.y}));
          });
          reinterpret_cast<NMTTDISPINFOW*>(lparam)->lpszText = tipText_.data();
          return 0;
        }
        break;
      }
      default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wparam, lparam);
  }

  // Where on the screen the last left press was, for a system move it may start.
  void NoteLeftPress(LPARAM lparam) {
    POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    ClientToScreen(hwnd_, &p);
    SetPropW(hwnd_, kLeftPressX, reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(p.x)));
    SetPropW(hwnd_, kLeftPressY, reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(p.y)));
    SetPropW(hwnd_, kLeftPressed, reinterpret_cast<HANDLE>(1));
  }

  // The letter or digit of a key, for a shortcut with Ctrl; 0 for any other key.
  static char ShortcutKey(WPARAM vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return static_cast<char>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<char>('0' + (vk - VK_NUMPAD0));
    return 0;
  }

  // Ctrl+V and Shift+Insert, the system's paste keys.
  static bool IsPasteKey(WPARAM key) {
    const int shift = ShiftState();
    if (shift & kAlt) return false;
    return (key == 'V' && shift == kCtrl) || (key == VK_INSERT && shift == kShift);
  }

  static bool IsKeyCharacter(WPARAM c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

  static int ButtonOf(UINT msg) {
    switch (msg) {
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_RBUTTONDBLCLK:
        return static_cast<int>(MouseButton::Right);
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_MBUTTONDBLCLK:
        return static_cast<int>(MouseButton::Middle);
      default:
        return static_cast<int>(MouseButton::Left);
    }
  }

  // Draws the invalid area off-screen and copies it in one go, so nothing flickers and a
  // window larger than the screen costs only what is shown. A failure is raised (and so
  // reported by the handler path); the owners give everything back on the way out.
  void Paint() {
    const ScopedPaint paint(hwnd_);
    if (!paint.Get()) throw CallFailed("BeginPaint");
    const RECT& r = paint.Dirty();
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return;
    const ScopedMemoryDC memory(CreateCompatibleDC(paint.Get()));
    if (!memory) throw CallFailed("CreateCompatibleDC");
    const ScopedBitmap bitmap(CreateCompatibleBitmap(paint.Get(), width, height));
    if (!bitmap) throw CallFailed("CreateCompatibleBitmap");
    const ScopedSelect selected(memory.Get(), bitmap.Get());
    if (!selected) throw CallFailed("SelectObject");
    SetViewportOrgEx(memory.Get(), -r.left, -r.top, nullptr);
    GdiCanvas canvas(memory.Get(), fonts_);
    events_.OnPaint(canvas, {r.left, r.top, r.right, r.bottom});
    SetViewportOrgEx(memory.Get(), 0, 0, nullptr);
    if (!BitBlt(paint.Get(), r.left, r.top, width, height, memory.Get(), 0, 0, SRCCOPY)) throw CallFailed("BitBlt");
  }

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  bool tooltipWanted_ = false;  // shown, and no tooltip made yet
  std::wstring tipText_;
  int opacity_ = 100;
  int wheel_ = 0;  // wheel turns not yet a whole notch
  DWORD addedExStyle_ = 0;  // what click-through added to the extended style
  WindowEvents& events_;
  FontCache& fonts_;
  LateBound& late_;
};

}  // namespace

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
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) throw CallFailed("RegisterClassEx");
  wc.hIcon = nullptr;
  wc.hIconSm = nullptr;
  wc.lpszClassName = kClassWithoutIcon;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) throw CallFailed("RegisterClassEx");
}

bool PrimaryButtonStillDown() {
  // GetAsyncKeyState reads the physical buttons: with the buttons swapped the primary one is
  // the right-hand button.
  const int primary = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (GetAsyncKeyState(primary) & 0x8000) != 0;
}

namespace {

// The screen point of the window's last left press (NoteLeftPress), if it was pressed.
std::optional<POINT> LeftPressPoint(HWND window) {
  if (!GetPropW(window, kLeftPressed)) return std::nullopt;
  const auto read = [&](const wchar_t* name) {
    return static_cast<LONG>(reinterpret_cast<LONG_PTR>(GetPropW(window, name)));
  };
  return POINT{read(kLeftPressX), read(kLeftPressY)};
}

// Moves the window by (dx, dy), keeping its size and stacking.
void ShiftWindow(HWND window, LONG dx, LONG dy) {
  RECT frame{};
  if ((dx || dy) && GetWindowRect(window, &frame)) {
    SetWindowPos(window, nullptr, frame.left + dx, frame.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// How waiting for the pointer to leave the press's drag rectangle ended.
enum class DragStart { Dragged, NoDrag };

// Holds the mouse and waits, as DragDetect does, until the pointer leaves the rectangle of
// SM_CXDRAG by SM_CYDRAG pixels on either side of `press` with the primary button held
// (Dragged, the point it left at in `reached`), or the press ends without that: the button
// released, another button pressed, Escape, the mouse taken by another window (NoDrag). The
// moves inside the rectangle are the wait's own; the message that ends it without a drag stays
// queued for the window. Paint and timers go on meanwhile.
DragStart AwaitDrag(HWND window, POINT press, POINT* reached) {
  const int dragX = GetSystemMetrics(SM_CXDRAG);
  const int dragY = GetSystemMetrics(SM_CYDRAG);
  const RECT still{press.x - dragX, press.y - dragY, press.x + dragX + 1, press.y + dragY + 1};
  SetCapture(window);
  for (;;) {
    const bool down = PrimaryButtonStillDown();
    MSG msg{};
    if (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE)) {
      if (msg.message != WM_MOUSEMOVE) return DragStart::NoDrag;
      PeekMessageW(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
      if ((msg.wParam & MK_LBUTTON) && !PtInRect(&still, msg.pt)) {
        *reached = msg.pt;
        return DragStart::Dragged;
      }
      continue;
    }
    if (PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && msg.wParam == VK_ESCAPE) {
      PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
      return DragStart::NoDrag;
    }
    if (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE) ||
        PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
      DispatchMessageW(&msg);
      continue;
    }
    // Released where no message of it comes (the mouse taken away), or taken by another window.
    if (!down || GetCapture() != window) return DragStart::NoDrag;
    MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace

LRESULT MoveWhilePressed(HWND window) {
  // The system's move starts only once the pointer has left the press's drag rectangle with
  // the button held: a click, however short, never starts one. A window manager (Wine hands it
  // the move) takes the move a moment after it is asked, and one asked for just before a quick
  // release would otherwise miss that release and keep the window on the pointer until the
  // next click, which it would swallow. The window first catches up with the pointer, so the
  // move goes on from where the press was.
  const std::optional<POINT> press = LeftPressPoint(window);
  if (!press) return 0;
  POINT reached{};
  const DragStart start = AwaitDrag(window, *press, &reached);
  ReleaseCapture();
  if (start == DragStart::NoDrag) return 0;
  ShiftWindow(window, reached.x - press->x, reached.y - press->y);
  // A drag quicker than this thread, its release queued already, moves the window as far as the
  // pointer went, as the system's move would when it took the queued input; one released since
  // moves nothing further. Nothing goes on following the pointer.
  MSG release{};
  if (PeekMessageW(&release, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE | PM_NOYIELD)) {
    ShiftWindow(window, release.pt.x - reached.x, release.pt.y - reached.y);
    return 0;
  }
  if (!PrimaryButtonStillDown()) return 0;
  return SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

std::unique_ptr<NativeWindow> CreateWin32Window(HINSTANCE instance, const WindowLayout& layout, WindowEvents& events,
                                                FontCache& fonts, LateBound& late) {
  return std::make_unique<Win32Window>(instance, layout, events, fonts, late);
}

}  // namespace corvane::win32
