// A window's look and reach beyond its own pixels: its opacity and click-through (layered
// window styles), and the one system-wide hot key that gives the keyboard a way back.
#include "platform/win32/win32_window.h"

namespace corvane::win32 {

// Below 100 % the window is layered with one constant alpha. At 100 % it stays layered only
// while it lets the mouse through (WS_EX_TRANSPARENT works on layered windows alone), at full
// alpha; otherwise it becomes an ordinary window again.
void Win32Window::SetOpacity(int percent) {
  opacity_ = percent;
  ApplyLayeredAlpha();
}

void Win32Window::ApplyLayeredAlpha() {
  if (!hwnd_) return;
  const LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  if (opacity_ < 100 || (ex & WS_EX_TRANSPARENT)) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    const auto alpha = static_cast<BYTE>((opacity_ * 255 + 50) / 100);
    if (!SetLayeredWindowAttributes(hwnd_, 0, alpha, LWA_ALPHA)) throw Failed("SetLayeredWindowAttributes");
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

// WS_EX_LAYERED with WS_EX_TRANSPARENT is what Windows documents for a window the mouse
// passes through; a window not yet layered is made so at full opacity. Only the styles added
// here are taken away again, so a layered window's own opacity stays as it was.
void Win32Window::SetClickThrough(bool on) {
  if (!hwnd_) return;
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  if (!on) {
    if (addedExStyle_ == 0) return;
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle & ~addedExStyle_));
    // A window that stops being layered is drawn again in full.
    if (addedExStyle_ & WS_EX_LAYERED)
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    addedExStyle_ = 0;
    return;
  }
  addedExStyle_ = (WS_EX_LAYERED | WS_EX_TRANSPARENT) & ~exStyle;
  if (addedExStyle_ == 0) return;
  SetLastError(0);
  if (!SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle | addedExStyle_)) && GetLastError() != 0) {
    addedExStyle_ = 0;
    throw Failed("SetWindowLongPtr");
  }
  if ((addedExStyle_ & WS_EX_LAYERED) && !SetLayeredWindowAttributes(hwnd_, 0, 255, LWA_ALPHA)) {
    const Error error = Failed("SetLayeredWindowAttributes");
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
    addedExStyle_ = 0;
    throw error;
  }
}

bool Win32Window::RegisterHotKey(int modifiers, char letter) {
  UnregisterHotKey();
  UINT keys = MOD_NOREPEAT;
  if (modifiers & kCtrl) keys |= MOD_CONTROL;
  if (modifiers & kAlt) keys |= MOD_ALT;
  if (modifiers & kShift) keys |= MOD_SHIFT;
  if (::RegisterHotKey(hwnd_, kHotKeyId, keys, static_cast<UINT>(static_cast<unsigned char>(letter)))) return true;
  const DWORD error = GetLastError();
  if (error == ERROR_HOTKEY_ALREADY_REGISTERED) return false;
  throw Failed("RegisterHotKey", error);
}

void Win32Window::UnregisterHotKey() {
  if (hwnd_) ::UnregisterHotKey(hwnd_, kHotKeyId);
}

}  // namespace corvane::win32
