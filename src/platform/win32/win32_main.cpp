// The Windows entry point.
#include "platform/win32/win32_platform.h"

#include "app/application.h"
#include "platform/win32/win32_scoped.h"
#include "windows/maker.h"

namespace {

// The name of the kernel object that marks a running Corvane in the user's session.
constexpr wchar_t kInstanceMarker[] = L"Local\\Corvane.SingleInstance.8F1C2A4E";

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Asked first of all; the marker lives as long as the process.
  const corvane::win32::InstanceMarker marker(kInstanceMarker);
  const bool prevInstance = marker.AnotherInstanceRuns();
  try {
    // OLE and the common controls start when first needed (win32_late_bound.h): the help
    // panel needs neither.
    corvane::win32::Win32Platform platform(instance, prevInstance);
    corvane::ControlRuntime runtime(platform, corvane::kAppTitle);
    corvane::Application app(runtime);
    app.Run();
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, corvane::win32::Widen(e.what()).c_str(), L"Corvane", MB_OK | MB_ICONERROR);
    return 1;
  }
  return 0;
}
