// popup_floor.exe: the least a Windows program does to put a top-most popup of one colour on
// the screen, the floor Corvane.exe's help panel start is held against.
//
//   popup_floor.exe LEFT TOP WIDTH HEIGHT RRGGBB      place and size in screen pixels
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (__argc != 6) {
    MessageBoxW(nullptr, L"usage: popup_floor.exe LEFT TOP WIDTH HEIGHT RRGGBB", L"popup_floor", MB_OK);
    return 2;
  }
  SetProcessDPIAware();
  const unsigned long rgb = std::wcstoul(__wargv[5], nullptr, 16);
  // The class brush paints the whole window as it is erased: no WM_PAINT work of its own.
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = CreateSolidBrush(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  windowClass.lpszClassName = L"PopupFloor";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"popup_floor", WS_POPUP, _wtoi(__wargv[1]),
                                _wtoi(__wargv[2]), _wtoi(__wargv[3]), _wtoi(__wargv[4]), nullptr, nullptr, instance,
                                nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNORMAL);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
