// The Win32 platform: the system calls, screen facts, fonts, the event loops, dialogs, the
// application's facts, files and the ANSI code page.
#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_scoped.h"
#include "platform/win32/win32_window.h"

namespace corvane::win32 {

namespace {

int ScreenDpi() {
  const ScopedWindowDC screen(nullptr);
  if (!screen) throw CallFailedOn("GetDC", "the screen");
  const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSX);
  return dpi > 0 ? dpi : 96;
}

// The program's icon from its resources, shared by the system (never destroyed by us).
HICON ProgramIcon(HINSTANCE instance) {
  HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
  if (!icon) throw CallFailedOn("LoadImage", "the program's icon");
  return static_cast<HICON>(icon);
}

}  // namespace

std::unique_ptr<OpenFileRecord> MakeOpenFileRecord(const OpenFileRequest& request, HINSTANCE instance) {
  auto record = std::make_unique<OpenFileRecord>();
  for (const FileFilter& f : request.filters) {
    record->filter += Widen(f.description);
    record->filter.push_back(L'\0');
    record->filter += Widen(f.patterns);
    record->filter.push_back(L'\0');
  }
  record->filter.push_back(L'\0');
  record->file.assign(OpenFileRecord::kFileBufferChars, L'\0');
  record->fileTitle.assign(OpenFileRecord::kFileBufferChars, L'\0');
  record->initialDir = Widen(request.initialFolder);
  record->title = Widen(request.title);
  OPENFILENAMEW& ofn = record->ofn;
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  ofn.hwndOwner = reinterpret_cast<HWND>(request.owner);
  ofn.hInstance = instance;
  ofn.lpstrFilter = record->filter.c_str();
  ofn.nMaxCustFilter = 0;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = record->file.data();
  ofn.nMaxFile = OpenFileRecord::kFileBufferChars - 1;
  ofn.lpstrFileTitle = record->fileTitle.data();
  ofn.nMaxFileTitle = OpenFileRecord::kFileBufferChars - 1;
  ofn.lpstrInitialDir = record->initialDir.c_str();
  ofn.lpstrTitle = record->title.c_str();
  ofn.Flags = 0;
  return record;
}

Win32Platform::Win32Platform(HINSTANCE instance, bool prevInstance)
    : instance_(instance),
      prevInstance_(prevInstance),
      dpi_(ScreenDpi()),
      fonts_(dpi_),
      screen_(CompatibleMemoryDC(nullptr)) {
  RegisterWindowClasses(instance, ProgramIcon(instance));
}

Win32Platform::~Win32Platform() = default;

void Win32Platform::MakeTopMost(std::uintptr_t window, std::optional<PixelPoint> place) {
  const UINT flags = place ? SWP_NOSIZE : SWP_NOMOVE | SWP_NOSIZE;
  ::SetWindowPos(reinterpret_cast<HWND>(window), HWND_TOPMOST, place ? place->x : 0, place ? place->y : 0, 0, 0, flags);
}

// The press becomes one on the title bar once the pointer is dragged: the system's own move
// loop follows the pointer while the button stays down (MoveWhilePressed: only while it does).
void Win32Platform::BeginSystemMove(std::uintptr_t window) {
  ::ReleaseCapture();
  MoveWhilePressed(reinterpret_cast<HWND>(window));
}

CursorPoint Win32Platform::CursorPosition() {
  POINT p{};
  ::GetCursorPos(&p);
  return {p.x, p.y};
}

OpenFileAnswer Win32Platform::ChooseFileToOpen(const OpenFileRequest& request) {
  // The Unicode dialog takes the same record as the ANSI one; the path it returns is whole,
  // even where the ANSI code page cannot spell it.
  const std::unique_ptr<OpenFileRecord> record = MakeOpenFileRecord(request, instance_);
  OpenFileAnswer answer;
  // The Explorer-style dialog hosts COM objects: OLE must be running.
  late_.RequireOle();
  if (late_.GetOpenFileNameW(&record->ofn)) {
    answer.outcome = OpenFileAnswer::Outcome::Chosen;
    answer.path = Narrow(record->file.c_str());
    return answer;
  }
  answer.failure = late_.CommDlgExtendedError();
  answer.outcome = answer.failure ? OpenFileAnswer::Outcome::Failed : OpenFileAnswer::Outcome::Cancelled;
  return answer;
}

void Win32Platform::OpenDocument(std::uintptr_t owner, const std::string& target, ShowState show) {
  const auto ansi = [this](const std::string& text) {
    std::optional<std::string> converted = ToAnsi(text);
    if (!converted) throw Error("the request cannot be written in the system's code page");
    return *converted;
  };
  const std::string op = ansi("open"), file = ansi(target), params = ansi(""), dir = ansi("");
  // The shell may hand the address to an extension that needs COM.
  late_.RequireOle();
  late_.ShellExecuteA(reinterpret_cast<HWND>(owner), op.c_str(), file.c_str(), params.c_str(), dir.c_str(),
                      show == ShowState::Minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
}

float Win32Platform::TwipsPerPixelX() const { return 1440.0f / static_cast<float>(dpi_); }
float Win32Platform::TwipsPerPixelY() const { return 1440.0f / static_cast<float>(dpi_); }

Color Win32Platform::SystemColor(int index) const { return GetSysColor(index); }

FontMetrics Win32Platform::MeasureFont(const FontSpec& font) {
  const ScopedSelect selected(screen_.Get(), fonts_.Get(font));
  if (!selected) throw CallFailedOn("SelectObject", FontName(font));
  TEXTMETRICW tm{};
  if (!GetTextMetricsW(screen_.Get(), &tm)) throw CallFailedOn("GetTextMetrics", FontName(font));
  return {tm.tmHeight, tm.tmAscent};
}

int Win32Platform::TextWidth(const FontSpec& font, std::string_view text) {
  if (text.empty()) return 0;
  const std::wstring wide = Widen(text);
  const ScopedSelect selected(screen_.Get(), fonts_.Get(font));
  if (!selected) throw CallFailedOn("SelectObject", FontName(font));
  SIZE size{};
  if (!GetTextExtentPoint32W(screen_.Get(), wide.c_str(), static_cast<int>(wide.size()), &size))
    throw CallFailedOn("GetTextExtentPoint32", FontName(font));
  return size.cx;
}

bool Win32Platform::IsOnAnyMonitor(const PixelRect& screen) const {
  const RECT r{screen.left, screen.top, screen.right, screen.bottom};
  return MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
}

std::vector<PixelRect> Win32Platform::Monitors() const {
  std::vector<PixelRect> monitors;
  const auto add = [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    auto& list = *reinterpret_cast<std::vector<PixelRect>*>(data);
    const PixelRect r{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
      list.insert(list.begin(), r);
    } else {
      list.push_back(r);
    }
    return TRUE;
  };
  EnumDisplayMonitors(nullptr, nullptr, add, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

char Win32Platform::DecimalSeparator() const {
  wchar_t separator[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 0 && separator[0] < 0x80 && separator[0])
    return static_cast<char>(separator[0]);
  return '.';
}

std::unique_ptr<NativeWindow> Win32Platform::CreateNativeWindow(const WindowLayout& layout, WindowEvents& events) {
  return CreateWin32Window(instance_, layout, events, fonts_, late_, &handOver_);
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

std::shared_ptr<Picture> Win32Platform::LoadPicture(const std::string& path) {
  return LoadPictureFile(late_, path, dpi_);
}

std::vector<std::string> Win32Platform::PictureExtensions() {
  if (pictureExtensions_.empty()) pictureExtensions_ = PictureFileExtensions(late_);
  return pictureExtensions_;
}

std::string Win32Platform::AppPath() const { return ProgramDirectory(); }

bool Win32Platform::HandOverToRunningInstance(const std::string& message) {
  // The receiver asks whose program this is through the window it names: a message-only
  // window of our own, which no search for a running Corvane finds.
  const HWND from = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, nullptr);
  if (!from) throw CallFailedOn("CreateWindowEx", "the hand-over's sender");
  // Several pictures opened at once from Explorer start as many Corvanes together: the first
  // may not show its window, or listen, for a moment yet.
  const ULONGLONG deadline = GetTickCount64() + kHandOverWaitMs;
  bool taken = false;
  for (;;) {
    const HWND running = FindWindowOfOtherProcess(kPictureWindowClass);
    taken = running && SendHandOver(running, from, message);
    if (taken || GetTickCount64() >= deadline) break;
    Sleep(kHandOverRetryMs);
  }
  DestroyWindow(from);
  return taken;
}

std::string Win32Platform::FullPath(const std::string& path) const {
  const std::wstring wide = Widen(path);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) throw CallFailedOn("GetFullPathName", path);
    if (n < full.size()) {
      full.resize(n);
      return Narrow(full);
    }
    full.assign(n, L'\0');  // n counts the terminating NUL when the buffer was too small
  }
}

std::string Win32Platform::SettingsFilePath(const std::string& fileName) const { return AppPath() + "\\" + fileName; }

std::string Win32Platform::FindFileName(const std::string& path) { return StoredFileName(path); }

std::unique_ptr<BinaryFile> Win32Platform::OpenReadWrite(const std::string& path) { return OpenBinaryFile(path); }
std::unique_ptr<BinaryFile> Win32Platform::OpenToRead(const std::string& path) { return OpenBinaryFileToRead(path); }

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
