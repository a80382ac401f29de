// The Windows entry point.
#include "platform/win32/win32_platform.h"

#include <string>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_scoped.h"
#include "windows/maker.h"

namespace {

using corvane::win32::Narrow;
using corvane::win32::Widen;

// The name of the kernel object that marks a running Corvane in the user's session.
constexpr wchar_t kInstanceMarker[] = L"Local\\Corvane.SingleInstance.8F1C2A4E";

constexpr char kSettingsPlace[] = "The settings live in corvane.ini beside Corvane.exe.";

// The arguments after the program's name, as the shell split them, in UTF-8.
std::vector<std::string> Arguments(corvane::win32::LateBound& late) {
  int count = 0;
  LPWSTR* argv = late.CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) throw corvane::win32::CallFailed("CommandLineToArgvW");
  const corvane::win32::ScopedLocalMemory owned(static_cast<void*>(argv));
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Narrow(argv[i]));
  return arguments;
}

// Writes `text` to `handle`: as characters to a console, as UTF-8 to a file or pipe. False when
// nothing takes it.
bool WriteTo(HANDLE handle, const std::string& text) {
  if (!handle || handle == INVALID_HANDLE_VALUE || GetFileType(handle) == FILE_TYPE_UNKNOWN) return false;
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = Widen(text);
    DWORD written = 0;
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
  }
  DWORD written = 0;
  return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
         written == text.size();
}

// Answers where the starter can read it: its redirected output, else its console, else a
// message box (started from Explorer or a shortcut, there is nothing to write to).
void Answer(const std::string& text, DWORD stream, UINT icon) {
  if (WriteTo(GetStdHandle(stream), text)) return;
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    const corvane::win32::ScopedKernelHandle console(corvane::win32::FileOrNull(
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr)));
    const bool written = WriteTo(console.Get(), text);
    FreeConsole();
    if (written) return;
  }
  // A box needs no line break to end its text.
  std::string shown = text;
  while (!shown.empty() && shown.back() == '\n') shown.pop_back();
  MessageBoxW(nullptr, Widen(shown).c_str(), L"Corvane", MB_OK | icon);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  corvane::CommandLine line;
  {
    corvane::win32::LateBound shell;
    try {
      line = corvane::ParseCommandLine(Arguments(shell));
    } catch (const std::exception& e) {
      MessageBoxW(nullptr, Widen(e.what()).c_str(), L"Corvane", MB_OK | MB_ICONERROR);
      return 1;
    }
  }
  // Answered before anything else: no window, no single-instance mark.
  switch (line.action) {
    case corvane::CommandLine::Action::Help:
      Answer(corvane::UsageText("Corvane.exe", kSettingsPlace), STD_OUTPUT_HANDLE, MB_ICONINFORMATION);
      return 0;
    case corvane::CommandLine::Action::Version:
      Answer(corvane::VersionText() + "\n", STD_OUTPUT_HANDLE, MB_ICONINFORMATION);
      return 0;
    case corvane::CommandLine::Action::Mistake:
      Answer("Corvane.exe: " + line.mistake + "\n\n" + corvane::UsageText("Corvane.exe", kSettingsPlace),
             STD_ERROR_HANDLE, MB_ICONERROR);
      return 2;
    case corvane::CommandLine::Action::Run: break;
  }

  // Asked first of all that runs the program; the marker lives as long as the process.
  const corvane::win32::InstanceMarker marker(kInstanceMarker);
  const bool prevInstance = marker.AnotherInstanceRuns();
  try {
    // OLE and the common controls start when first needed (win32_late_bound.h): the help
    // panel needs neither.
    corvane::win32::Win32Platform platform(instance, prevInstance);
    std::vector<std::string> paths;
    for (const std::string& path : line.paths) {
      try {
        paths.push_back(platform.FullPath(path));
      } catch (const corvane::Error&) {
        paths.push_back(path);  // the picture's own load tells the user what is wrong with it
      }
    }
    corvane::ControlRuntime runtime(platform, corvane::kAppTitle);
    corvane::Application app(runtime);
    app.OpenAtStart(std::move(paths));
    app.ClickThroughAtStart(line.clickThrough);
    app.Run();
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, Widen(e.what()).c_str(), L"Corvane", MB_OK | MB_ICONERROR);
    return 1;
  }
  return 0;
}
