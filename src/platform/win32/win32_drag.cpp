// The system move a drag on a window starts: the window catches up with the pointer once it
// leaves the press's drag rectangle, then the system's own move loop follows it while the
// button stays down.
#include <optional>

#include "platform/win32/win32_window.h"

namespace corvane::win32 {

namespace {

// Window properties: the screen point of the window's last left press.
constexpr wchar_t kLeftPressX[] = L"Corvane.LeftPressX";
constexpr wchar_t kLeftPressY[] = L"Corvane.LeftPressY";
constexpr wchar_t kLeftPressed[] = L"Corvane.LeftPressed";

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

void NoteLeftPress(HWND window, POINT screen) {
  SetPropW(window, kLeftPressX, reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(screen.x)));
  SetPropW(window, kLeftPressY, reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(screen.y)));
  SetPropW(window, kLeftPressed, reinterpret_cast<HANDLE>(1));
}

void ForgetLeftPress(HWND window) {
  RemovePropW(window, kLeftPressX);
  RemovePropW(window, kLeftPressY);
  RemovePropW(window, kLeftPressed);
}

bool PrimaryButtonStillDown() {
  // GetAsyncKeyState reads the physical buttons: with the buttons swapped the primary one is
  // the right-hand button.
  const int primary = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (GetAsyncKeyState(primary) & 0x8000) != 0;
}

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

}  // namespace corvane::win32
