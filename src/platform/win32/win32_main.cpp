// The Windows entry point.
#include "platform/win32/win32_platform.h"

#include <commctrl.h>
#include <ole2.h>

#include "app/startup.h"
#include "platform/win32/win32_scoped.h"

namespace {

// The name of the kernel object that marks a running Corvane in the user's session.
constexpr wchar_t kInstanceMarker[] = L"Local\\Corvane.SingleInstance.8F1C2A4E";

// OLE (the picture loader and the open-file dialog need it) and the common controls (the
// tooltips); a failure of either ends the start with the call named.
void PrepareSystem(const corvane::win32::ScopedOleInitialize& ole) {
  if (FAILED(ole.Result())) throw corvane::win32::CallFailed("OleInitialize", static_cast<DWORD>(ole.Result()));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  if (!InitCommonControlsEx(&controls)) throw corvane::win32::CallFailed("InitCommonControlsEx");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Asked first of all; the marker lives as long as the process.
  const corvane::win32::InstanceMarker marker(kInstanceMarker);
  const bool prevInstance = marker.AnotherInstanceRuns();
  try {
    const corvane::win32::ScopedOleInitialize ole;
    PrepareSystem(ole);
    corvane::win32::Win32Platform platform(instance, prevInstance);
    const corvane::InstalledPlatform installed(platform);
    corvane::RunApplication();
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, corvane::win32::Widen(e.what()).c_str(), L"Corvane", MB_OK | MB_ICONERROR);
    return 1;
  }
  return 0;
}
