// The Win32 platform: the system calls, screen facts, fonts, the event loops, dialogs, the
// application's facts, files and the ANSI code page.
#include "platform/win32/win32_platform.h"

#include <commdlg.h>
#include <shellapi.h>

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

namespace {

int ScreenDpi() {
  const ScopedWindowDC screen(nullptr);
  if (!screen) throw CallFailed("GetDC");
  const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSX);
  return dpi > 0 ? dpi : 96;
}

// The program's icon from its resources, shared by the system (never destroyed by us).
HICON ProgramIcon(HINSTANCE instance) {
  HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
  if (!icon) throw CallFailed("LoadImage");
  return static_cast<HICON>(icon);
}

ScopedMemoryDC MeasuringContext() {
  ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
  if (!dc) throw CallFailed("CreateCompatibleDC");
  return dc;
}

std::wstring MultiString(const std::string& text) {
  std::wstring wide = Widen(text);
  wide.push_back(L'\0');
  wide.push_back(L'\0');
  return wide;
}

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance, bool prevInstance)
    : instance_(instance), prevInstance_(prevInstance), dpi_(ScreenDpi()), fonts_(dpi_), screen_(MeasuringContext()) {
  RegisterWindowClasses(instance, ProgramIcon(instance));
}

Win32Platform::~Win32Platform() = default;

std::intptr_t Win32Platform::SetWindowPos(std::uintptr_t hwnd, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                                          unsigned flags) {
  return ::SetWindowPos(reinterpret_cast<HWND>(hwnd), reinterpret_cast<HWND>(insertAfter), x, y, cx, cy, flags);
}

std::intptr_t Win32Platform::ReleaseCapture() { return ::ReleaseCapture(); }

std::intptr_t Win32Platform::SendMessageA(std::uintptr_t hwnd, unsigned msg, std::uintptr_t wparam, std::intptr_t lparam) {
  if (msg == WM_NCLBUTTONDOWN && wparam == HTCAPTION) return BeginSystemMove(reinterpret_cast<HWND>(hwnd), lparam);
  return ::SendMessageA(reinterpret_cast<HWND>(hwnd), msg, wparam, lparam);
}

std::intptr_t Win32Platform::GetCursorPos(CursorPoint& point) {
  POINT p{};
  const BOOL ok = ::GetCursorPos(&p);
  point.x = p.x;
  point.y = p.y;
  return ok;
}

OpenFileResult Win32Platform::ShowOpenFileDialog(OpenFileRequest& request) {
  // The Unicode dialog takes the same request as the ANSI one; the path it returns is whole,
  // even where the ANSI code page cannot spell it.
  const std::wstring filter = MultiString(request.filter);
  std::wstring file(request.maxFile + 1, L'\0');
  std::wstring fileTitle(request.maxFileTitle + 1, L'\0');
  const std::wstring initialDir = Widen(request.initialDir);
  const std::wstring title = Widen(request.title);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = request.structSize == OpenFileRequest::kFirstPublishedSize ? OPENFILENAME_SIZE_VERSION_400W
                                                                                : sizeof(OPENFILENAMEW);
  ofn.hwndOwner = reinterpret_cast<HWND>(request.owner);
  ofn.hInstance = reinterpret_cast<HINSTANCE>(request.instance);
  ofn.lpstrFilter = filter.c_str();
  ofn.nMaxCustFilter = request.maxCustomFilter;
  ofn.nFilterIndex = request.filterIndex;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = request.maxFile;
  ofn.lpstrFileTitle = fileTitle.data();
  ofn.nMaxFileTitle = request.maxFileTitle;
  ofn.lpstrInitialDir = initialDir.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = request.flags;
  OpenFileResult result;
  result.result = GetOpenFileNameW(&ofn);
  if (result.result) {
    request.file = Narrow(file.c_str());
  } else {
    result.failure = CommDlgExtendedError();
  }
  return result;
}

std::intptr_t Win32Platform::ShellExecuteA(std::uintptr_t hwnd, const std::string& operation, const std::string& file,
                                           const std::string& parameters, const std::string& directory, int showCommand) {
  const auto ansi = [this](const std::string& text) {
    std::optional<std::string> converted = ToAnsi(text);
    if (!converted) throw Error("the request cannot be written in the system's code page");
    return *converted;
  };
  const std::string op = ansi(operation), target = ansi(file), params = ansi(parameters), dir = ansi(directory);
  return reinterpret_cast<std::intptr_t>(
      ::ShellExecuteA(reinterpret_cast<HWND>(hwnd), op.c_str(), target.c_str(), params.c_str(), dir.c_str(), showCommand));
}

float Win32Platform::TwipsPerPixelX() const { return 1440.0f / static_cast<float>(dpi_); }
float Win32Platform::TwipsPerPixelY() const { return 1440.0f / static_cast<float>(dpi_); }

Color Win32Platform::SystemColor(int index) const { return GetSysColor(index); }

FontMetrics Win32Platform::MeasureFont(const FontSpec& font) {
  const ScopedSelect selected(screen_.Get(), fonts_.Get(font));
  if (!selected) throw CallFailed("SelectObject");
  TEXTMETRICW tm{};
  if (!GetTextMetricsW(screen_.Get(), &tm)) throw CallFailed("GetTextMetrics");
  return {tm.tmHeight, tm.tmAscent};
}

int Win32Platform::TextWidth(const FontSpec& font, std::string_view text) {
  if (text.empty()) return 0;
  const std::wstring wide = Widen(text);
  const ScopedSelect selected(screen_.Get(), fonts_.Get(font));
  if (!selected) throw CallFailed("SelectObject");
  SIZE size{};
  if (!GetTextExtentPoint32W(screen_.Get(), wide.c_str(), static_cast<int>(wide.size()), &size))
    throw CallFailed("GetTextExtentPoint32");
  return size.cx;
}

bool Win32Platform::IsOnAnyMonitor(const PixelRect& screen) const {
  const RECT r{screen.left, screen.top, screen.right, screen.bottom};
  return MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
}

char Win32Platform::DecimalSeparator() const {
  wchar_t separator[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 0 && separator[0] < 0x80 && separator[0])
    return static_cast<char>(separator[0]);
  return '.';
}

std::unique_ptr<NativeWindow> Win32Platform::CreateNativeWindow(const WindowLayout& layout, WindowEvents& events) {
  return CreateWin32Window(instance_, layout, events, fonts_);
}

void Win32Platform::RunEventLoop(const std::function<void()>& idle) {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    idle();
  }
}

void Win32Platform::RunModalLoop(const std::function<bool()>& done) {
  MSG msg{};
  while (!done()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop ends too
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Win32Platform::EndProgram() { ExitProcess(0); }

void Win32Platform::ShowMessage(std::uintptr_t owner, const std::string& text, const std::string& title) {
  MessageBoxW(reinterpret_cast<HWND>(owner), Widen(text).c_str(), Widen(title).c_str(), MB_OK);
}

std::shared_ptr<Picture> Win32Platform::LoadPicture(const std::string& path) { return LoadOlePicture(path, dpi_); }

std::string Win32Platform::AppPath() const { return ProgramDirectory(); }

std::string Win32Platform::FindFileName(const std::string& path) { return StoredFileName(path); }

std::unique_ptr<BinaryFile> Win32Platform::OpenReadWrite(const std::string& path) { return OpenBinaryFile(path); }

std::optional<std::string> Win32Platform::ToAnsi(std::string_view text) const { return ToAnsiCodePage(text); }

std::string Win32Platform::FromAnsi(std::string_view bytes) const { return FromAnsiCodePage(bytes); }

std::string Win32Platform::ShortPathName(const std::string& path) const {
  const std::wstring wide = Widen(path);
  const DWORD n = GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring shortPath(n, L'\0');
  const DWORD written = GetShortPathNameW(wide.c_str(), shortPath.data(), n);
  if (written == 0 || written >= n) return {};
  shortPath.resize(written);
  return Narrow(shortPath);
}

}  // namespace corvane::win32
