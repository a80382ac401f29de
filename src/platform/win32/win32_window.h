// Top-level windows: one window procedure for every form, double-buffered painting of the
// invalid area, mouse and keys routed to the form, and a tooltip that asks the form for the
// text of the control under the pointer (win32_window.cpp); opacity, click-through and the hot
// key (win32_click_through.cpp); the system move a drag starts (win32_drag.cpp). Only files in this folder include it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_hand_over.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_late_bound.h"

namespace corvane::win32 {

// Registers the window classes; `icon` is the application icon of the framed and picture
// windows.
void RegisterWindowClasses(HINSTANCE instance, HICON icon);
// The window keeps `fonts`, `late` and `handOver` (which hears the hand-overs the window
// takes; none without), which must outlive it.
std::unique_ptr<NativeWindow> CreateWin32Window(HINSTANCE instance, const WindowLayout& layout, WindowEvents& events,
                                                FontCache& fonts, LateBound& late,
                                                const HandOverListener* handOver = nullptr);
// The class of the windows that show pictures: a second start looks for one.
extern const wchar_t* const kPictureWindowClass;

class Win32Window : public NativeWindow {
 public:
  Win32Window(HINSTANCE instance, const WindowLayout& layout, WindowEvents& events, FontCache& fonts, LateBound& late,
              const HandOverListener* handOver);
  ~Win32Window() override { Destroy(); }
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  void Destroy() override;
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }
  PixelRect Frame() const override;
  PixelSize ClientSize() const override;
  void MoveTo(PixelPoint p) override;
  void SetClientSize(PixelSize size) override;
  void Show() override;
  void Hide() override { ShowWindow(hwnd_, SW_HIDE); }
  void Activate() override { TakeKeyboard(); }
  bool IsVisible() const override { return hwnd_ && IsWindowVisible(hwnd_); }
  void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  void Invalidate(const PixelRect& r) override;
  void RefreshTooltip() override;
  void AcceptFileDrops() override;
  int Dpi() const override;
  void StartTimer(int milliseconds) override;
  void SetOpacity(int percent) override;
  void SetClickThrough(bool on) override;
  bool RegisterHotKey(int modifiers, char letter) override;
  void UnregisterHotKey() override;

  // The one window procedure of both classes.
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

 private:
  // The one system-wide hot key a window may hold (win32_click_through.cpp).
  static constexpr int kHotKeyId = 1;

  LRESULT Handle(UINT msg, WPARAM wparam, LPARAM lparam);
  // WM_COPYDATA: TRUE when it was a hand-over the program takes.
  LRESULT TakeHandOver(HWND sender, const COPYDATASTRUCT& data);
  // WM_DROPFILES: the files, where they were let go and the modifier keys held.
  FileDrop ReadDrop(HDROP drop);
  void Paint();
  void ApplyLayeredAlpha();
  void TakeKeyboard();
  void StartTooltip(WPARAM wparam, LPARAM lparam);
  void CreateTooltip();
  // A failed call on this window, named by its title.
  Error Failed(const char* call) const;
  Error Failed(const char* call, DWORD code) const;

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  bool tooltipWanted_ = false;  // shown, and no tooltip made yet
  std::wstring tipText_;
  int opacity_ = 100;
  int wheel_ = 0;           // wheel turns not yet a whole notch
  DWORD addedExStyle_ = 0;  // what click-through added to the extended style
  WindowEvents& events_;
  FontCache& fonts_;
  LateBound& late_;
  const HandOverListener* handOver_;
};

// --- The system move (win32_drag.cpp) ---

// Notes where on the screen the window's last left press was, for a system move it may start.
void NoteLeftPress(HWND window, POINT screen);
// Forgets it, when the window goes.
void ForgetLeftPress(HWND window);

// Starts the system's move of `window` as a press on its title bar would (WM_NCLBUTTONDOWN
// with HTCAPTION) once the pointer leaves the drag rectangle of its last left press with the
// button still down, the window first catching up with the pointer. A click, however short,
// moves nothing; a drag released before the program saw it moves the window as far as the
// pointer went. No move outlives its press: one begun after the release would leave the window
// following the pointer until the next click, which it would swallow.
// Returns the message's result, 0 when no system move started.
LRESULT MoveWhilePressed(HWND window);
// True while the primary mouse button is physically down.
bool PrimaryButtonStillDown();

}  // namespace corvane::win32
