// probe.exe: tells the end-to-end tests what an X screenshot cannot, from inside Wine.
//
//   probe windows [--pid N | --title T]   top-level windows of the Corvane process(es)
//   probe syscolor N...                   GetSysColor for each index
//   probe cursor                          GetCursorPos
//   probe tooltip [--pid N | --title T]   visible tooltips and their text
//   probe dialog [--pid N | --title T]    visible dialogs (#32770) and their child controls
//   probe click-button DIALOG BUTTON      presses a dialog's button (BM_CLICK)
//   probe set-text DIALOG ID TEXT         sets the text of a dialog's control (WM_SETTEXT)
//                                         (DIALOG: a title, or a handle such as 0x2007a)
//   probe processes                       Windows processes with their image paths
//   probe logpixels                       LogPixels in the registry and the screen's DPI
//   probe set-logpixels USER CONFIG       writes both LogPixels values ("-" deletes one)
//   probe click-target L T R B            a plain window there, not top-most, that prints
//                                         "ready", then "click" with the client point of each
//                                         left press; runs until killed
//   probe hold-hotkey KEY                 holds a system-wide hot key such as ctrl+alt+T (the
//                                         last part a letter) and prints "held"; runs until
//                                         killed
//
// Without --pid or --title, "the Corvane processes" are those owning a top-level window whose
// class or title starts with "Corvane". Output: one record per line, a kind first, then
// key=value fields, all separated by tabs, UTF-8. Tabs, newlines and backslashes inside values
// are written as \t, \n and \\. Rectangles are left,top,right,bottom in screen pixels: the probe
// is DPI-aware, so they are the pixels X shows at any LogPixels. Failures go to stderr with a
// non-zero exit status.
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr UINT kMessageTimeoutMs = 3000;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring Wide(const char* text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), size);
  out.resize(static_cast<size_t>(size > 0 ? size - 1 : 0));
  return out;
}

std::string Escape(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

// One output line: Record("window").Add("hwnd", ...).Print().
class Record {
 public:
  explicit Record(const char* kind) : line_(kind) {}
  Record& Add(const char* key, const std::string& value) {
    line_ += '\t';
    line_ += key;
    line_ += '=';
    line_ += Escape(value);
    return *this;
  }
  Record& Add(const char* key, const std::wstring& value) { return Add(key, Utf8(value)); }
  Record& Add(const char* key, long long value) { return Add(key, std::to_string(value)); }
  Record& Add(const char* key, const RECT& r) {
    return Add(key, std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                        std::to_string(r.bottom));
  }
  Record& Hex(const char* key, unsigned long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", value);
    return Add(key, std::string(text));
  }
  void Print() {
    line_ += '\n';
    std::fwrite(line_.data(), 1, line_.size(), stdout);
  }

 private:
  std::string line_;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "probe: %s\n", message.c_str());
  return 2;
}

unsigned long long HandleValue(const void* handle) {
  return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle));
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

// The window's text, asked with WM_GETTEXT so that controls and tooltips of other processes
// answer too (GetWindowText only reads another process's caption).
std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           kMessageTimeoutMs, &copied)) {
    return {};
  }
  text.resize(copied);
  return text;
}

DWORD PidOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

bool StartsWithCorvane(const std::wstring& text) { return text.rfind(L"Corvane", 0) == 0; }

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND hwnd, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// --- which processes to look at -----------------------------------------------------------------

struct Selection {
  std::set<DWORD> pids;
  std::vector<std::string> rest;  // the arguments that are not options
};

// Reads --pid N and --title T from args; with neither, picks every process that owns a window
// whose class or title starts with "Corvane".
bool Select(const std::vector<std::string>& args, Selection& out, std::string& error) {
  std::wstring title;
  bool byTitle = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--pid" && i + 1 < args.size()) {
      out.pids.insert(static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 0)));
    } else if (args[i] == "--title" && i + 1 < args.size()) {
      title = Wide(args[++i].c_str());
      byTitle = true;
    } else {
      out.rest.push_back(args[i]);
    }
  }
  if (!out.pids.empty()) return true;
  for (HWND hwnd : TopLevelWindows()) {
    wchar_t caption[512] = {};
    GetWindowTextW(hwnd, caption, 512);  // a top-level window's caption needs no message
    const bool match = byTitle ? title == caption : StartsWithCorvane(caption) || StartsWithCorvane(ClassOf(hwnd));
    if (match) out.pids.insert(PidOf(hwnd));
  }
  if (byTitle && out.pids.empty()) {
    error = "no top-level window is titled \"" + Utf8(title) + "\"";
    return false;
  }
  return true;
}

// --- windows --------------------------------------------------------------------------------------

// The class icon: icon=1 with its size and colour depth, icon=0 when the class has none, or
// icon=unreadable. Wine does not give out the class icon of another process's window
// (GetClassLongPtr fails with ERROR_INVALID_HANDLE) nor read another process's icon; the X
// window's _NET_WM_ICON, which Wine makes from the class icon, shows it there.
void AddIcon(Record& record, HWND hwnd) {
  SetLastError(ERROR_SUCCESS);
  const HICON icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICON));
  if (!icon && GetLastError() != ERROR_SUCCESS) {
    record.Add("icon", std::string("unreadable"));
    return;
  }
  if (!icon) {
    record.Add("icon", 0);
    return;
  }
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) {
    record.Add("icon", std::string("unreadable"));
    return;
  }
  record.Add("icon", 1);
  BITMAP color{};
  BITMAP mask{};
  if (info.hbmColor) GetObjectW(info.hbmColor, sizeof color, &color);
  if (info.hbmMask) GetObjectW(info.hbmMask, sizeof mask, &mask);
  // A monochrome icon has only a mask, twice the icon's height.
  const bool hasColor = info.hbmColor != nullptr;
  record.Add("icon_width", hasColor ? color.bmWidth : mask.bmWidth)
      .Add("icon_height", hasColor ? color.bmHeight : mask.bmHeight / 2)
      .Add("icon_bpp", hasColor ? color.bmBitsPixel * color.bmPlanes : 1);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
}

RECT ClientOnScreen(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

void PrintWindow(HWND hwnd) {
  wchar_t caption[512] = {};
  GetWindowTextW(hwnd, caption, 512);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  const LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  Record record("window");
  record.Hex("hwnd", HandleValue(hwnd))
      .Add("pid", static_cast<long long>(PidOf(hwnd)))
      .Add("title", std::wstring(caption))
      .Add("class", ClassOf(hwnd))
      .Add("rect", rect)
      .Add("client", ClientOnScreen(hwnd))
      .Hex("style", static_cast<unsigned long long>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & 0xffffffffu)
      .Hex("exstyle", static_cast<unsigned long long>(exStyle) & 0xffffffffu)
      .Add("visible", IsWindowVisible(hwnd) ? 1 : 0)
      .Add("enabled", IsWindowEnabled(hwnd) ? 1 : 0)
      .Add("topmost", (exStyle & WS_EX_TOPMOST) ? 1 : 0)
      .Hex("owner", HandleValue(GetWindow(hwnd, GW_OWNER)))
      .Add("foreground", GetForegroundWindow() == hwnd ? 1 : 0)
      .Add("dpi", static_cast<long long>(GetDpiForWindow(hwnd)));
  // A layered window's constant alpha (0 to 255); -1 when it is not layered or has none.
  BYTE alpha = 0;
  DWORD layeredFlags = 0;
  const bool hasAlpha = (exStyle & WS_EX_LAYERED) && GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &layeredFlags) &&
                        (layeredFlags & LWA_ALPHA);
  record.Add("alpha", hasAlpha ? static_cast<long long>(alpha) : -1LL);
  AddIcon(record, hwnd);
  record.Print();
}

int Windows(const std::vector<std::string>& args) {
  Selection selection;
  std::string error;
  if (!Select(args, selection, error)) return Fail(error);
  for (HWND hwnd : TopLevelWindows()) {
    if (selection.pids.count(PidOf(hwnd))) PrintWindow(hwnd);
  }
  return 0;
}

// --- system facts ---------------------------------------------------------------------------------

int SysColor(const std::vector<std::string>& args) {
  if (args.empty()) return Fail("syscolor needs one or more colour indexes");
  for (const std::string& arg : args) {
    const int index = std::atoi(arg.c_str());
    const COLORREF color = GetSysColor(index);
    char rgb[8];
    std::snprintf(rgb, sizeof rgb, "%02x%02x%02x", GetRValue(color), GetGValue(color), GetBValue(color));
    Record("syscolor").Add("index", index).Add("rgb", std::string(rgb)).Print();
  }
  return 0;
}

int Cursor() {
  POINT p{};
  if (!GetCursorPos(&p)) return Fail("GetCursorPos failed");
  Record("cursor").Add("x", p.x).Add("y", p.y).Print();
  return 0;
}

int Processes() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return Fail("CreateToolhelp32Snapshot failed");
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    std::wstring path;
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
      wchar_t buffer[MAX_PATH * 2] = {};
      DWORD size = MAX_PATH * 2;
      if (QueryFullProcessImageNameW(process, 0, buffer, &size)) path.assign(buffer, size);
      CloseHandle(process);
    }
    Record("process")
        .Add("pid", static_cast<long long>(entry.th32ProcessID))
        .Add("name", std::wstring(entry.szExeFile))
        .Add("path", path)
        .Print();
  }
  CloseHandle(snapshot);
  return 0;
}

// --- tooltips and dialogs ---------------------------------------------------------------------------

int Tooltips(const std::vector<std::string>& args) {
  Selection selection;
  std::string error;
  if (!Select(args, selection, error)) return Fail(error);
  for (HWND hwnd : TopLevelWindows()) {
    if (!selection.pids.count(PidOf(hwnd)) || ClassOf(hwnd) != TOOLTIPS_CLASSW || !IsWindowVisible(hwnd)) continue;
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    Record("tooltip").Hex("hwnd", HandleValue(hwnd)).Add("rect", rect).Add("text", TextOf(hwnd)).Print();
  }
  return 0;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

bool IsDialog(HWND hwnd) { return ClassOf(hwnd) == L"#32770"; }

int Dialogs(const std::vector<std::string>& args) {
  Selection selection;
  std::string error;
  if (!Select(args, selection, error)) return Fail(error);
  for (HWND dialog : TopLevelWindows()) {
    if (!selection.pids.count(PidOf(dialog)) || !IsDialog(dialog) || !IsWindowVisible(dialog)) continue;
    wchar_t caption[512] = {};
    GetWindowTextW(dialog, caption, 512);
    RECT rect{};
    GetWindowRect(dialog, &rect);
    Record("dialog")
        .Hex("hwnd", HandleValue(dialog))
        .Add("pid", static_cast<long long>(PidOf(dialog)))
        .Add("title", std::wstring(caption))
        .Add("rect", rect)
        .Hex("owner", HandleValue(GetWindow(dialog, GW_OWNER)))
        .Print();
    for (HWND control : Descendants(dialog)) {
      RECT r{};
      GetWindowRect(control, &r);
      Record("control")
          .Hex("dialog", HandleValue(dialog))
          .Hex("hwnd", HandleValue(control))
          .Hex("parent", HandleValue(GetParent(control)))
          .Add("class", ClassOf(control))
          .Add("id", GetDlgCtrlID(control))
          .Add("text", TextOf(control))
          .Add("visible", IsWindowVisible(control) ? 1 : 0)
          .Add("enabled", IsWindowEnabled(control) ? 1 : 0)
          .Add("rect", r)
          .Print();
    }
  }
  return 0;
}

// A visible dialog by its title, or by its handle ("0x2007a") for one without a title.
HWND FindDialog(const std::string& titleOrHandle) {
  const std::wstring title = Wide(titleOrHandle.c_str());
  for (HWND hwnd : TopLevelWindows()) {
    wchar_t caption[512] = {};
    GetWindowTextW(hwnd, caption, 512);
    if (IsDialog(hwnd) && IsWindowVisible(hwnd) && title == caption) return hwnd;
  }
  if (titleOrHandle.rfind("0x", 0) == 0) {
    HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(titleOrHandle.c_str(), nullptr, 16)));
    if (IsWindow(hwnd) && IsDialog(hwnd) && IsWindowVisible(hwnd)) return hwnd;
  }
  return nullptr;
}

std::wstring WithoutAccessKeys(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

// Matches a button's text as shown, with or without its "&" access-key marks.
int ClickButton(const std::vector<std::string>& args) {
  if (args.size() != 2) return Fail("click-button needs a dialog title and a button text");
  HWND dialog = FindDialog(args[0]);
  if (!dialog) return Fail("no visible dialog titled \"" + args[0] + "\"");
  const std::wstring wanted = Wide(args[1].c_str());
  for (HWND control : Descendants(dialog)) {
    if (ClassOf(control) != L"Button" || !IsWindowVisible(control)) continue;
    const std::wstring text = TextOf(control);
    if (text != wanted && WithoutAccessKeys(text) != wanted) continue;
    // Posted, not sent: the click may open a nested modal loop (a message box) that would
    // otherwise keep this call from returning.
    if (!PostMessageW(control, BM_CLICK, 0, 0)) return Fail("PostMessage(BM_CLICK) failed");
    Record("clicked").Hex("hwnd", HandleValue(control)).Add("text", text).Print();
    return 0;
  }
  return Fail("dialog \"" + args[0] + "\" has no visible button \"" + args[1] + "\"");
}

int SetText(const std::vector<std::string>& args) {
  if (args.size() != 3) return Fail("set-text needs a dialog title, a control id and a text");
  HWND dialog = FindDialog(args[0]);
  if (!dialog) return Fail("no visible dialog titled \"" + args[0] + "\"");
  const int id = static_cast<int>(std::strtol(args[1].c_str(), nullptr, 0));
  const std::wstring text = Wide(args[2].c_str());
  for (HWND control : Descendants(dialog)) {
    if (GetDlgCtrlID(control) != id) continue;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &result)) {
      return Fail("WM_SETTEXT timed out");
    }
    Record("set-text")
        .Hex("hwnd", HandleValue(control))
        .Add("class", ClassOf(control))
        .Add("text", TextOf(control))
        .Print();
    return 0;
  }
  return Fail("dialog \"" + args[0] + "\" has no control with id " + args[1]);
}

// --- screen resolution ------------------------------------------------------------------------------

struct LogPixelsKey {
  const char* name;
  HKEY root;
  const wchar_t* path;
};

// Wine keeps the screen resolution in the user's desktop settings and mirrors it under the
// current hardware profile; both are read and written.
const LogPixelsKey kLogPixelsKeys[] = {
    {"user", HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
    {"config", HKEY_CURRENT_CONFIG, L"Software\\Fonts"},
};

std::string ReadLogPixels(const LogPixelsKey& key) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(key.root, key.path, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return "-";
  }
  return std::to_string(value);
}

int LogPixels() {
  HDC screen = GetDC(nullptr);
  const int device = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  Record("logpixels")
      .Add("user", ReadLogPixels(kLogPixelsKeys[0]))
      .Add("config", ReadLogPixels(kLogPixelsKeys[1]))
      .Add("device", device)
      .Print();
  return 0;
}

int SetLogPixels(const std::vector<std::string>& args) {
  if (args.size() != 2) return Fail("set-logpixels needs two values (user, config), each a number or -");
  for (size_t i = 0; i < 2; ++i) {
    const LogPixelsKey& key = kLogPixelsKeys[i];
    HKEY handle = nullptr;
    if (RegCreateKeyExW(key.root, key.path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
      return Fail(std::string("cannot open the ") + key.name + " LogPixels key");
    }
    LSTATUS status = ERROR_SUCCESS;
    if (args[i] == "-") {
      status = RegDeleteValueW(handle, L"LogPixels");
      if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    } else {
      const DWORD value = static_cast<DWORD>(std::strtoul(args[i].c_str(), nullptr, 0));
      status = RegSetValueExW(handle, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS) return Fail(std::string("cannot write the ") + key.name + " LogPixels value");
  }
  return LogPixels();
}

// --- helpers that keep running: a window beneath, a hot key held --------------------------------------

// Runs the thread's messages until the process is killed.
int RunMessages() {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

LRESULT CALLBACK ClickTargetProcedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_LBUTTONDOWN) {
    Record("click").Add("x", static_cast<short>(LOWORD(lparam))).Add("y", static_cast<short>(HIWORD(lparam))).Print();
    std::fflush(stdout);
    return 0;
  }
  // A press leaves the window where it is: Wine without a window manager raises an activated
  // window over every other, top-most or not, which Windows never does.
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

int ClickTarget(const std::vector<std::string>& args) {
  if (args.size() != 4) return Fail("click-target needs left, top, right and bottom");
  const int l = std::atoi(args[0].c_str());
  const int t = std::atoi(args[1].c_str());
  const int r = std::atoi(args[2].c_str());
  const int b = std::atoi(args[3].c_str());
  WNDCLASSW wc{};
  wc.lpfnWndProc = ClickTargetProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"ProbeClickTarget";
  if (!RegisterClassW(&wc)) return Fail("RegisterClass failed");
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"Click target", WS_POPUP, l, t,
                              r - l, b - t, nullptr, nullptr, wc.hInstance, nullptr);
  if (!hwnd) return Fail("CreateWindowEx failed");
  // Under every top-most window, and shown without taking the keyboard from anyone.
  SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Record("ready").Hex("hwnd", HandleValue(hwnd)).Print();
  std::fflush(stdout);
  return RunMessages();
}

int HoldHotKey(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty()) return Fail("hold-hotkey needs a key such as ctrl+alt+T");
  const std::string& key = args[0];
  UINT modifiers = 0;
  if (key.find("ctrl+") != std::string::npos) modifiers |= MOD_CONTROL;
  if (key.find("alt+") != std::string::npos) modifiers |= MOD_ALT;
  if (key.find("shift+") != std::string::npos) modifiers |= MOD_SHIFT;
  if (!RegisterHotKey(nullptr, 1, modifiers, static_cast<UINT>(key.back()))) {
    return Fail("RegisterHotKey failed: error " + std::to_string(GetLastError()));
  }
  Record("held").Add("key", key).Print();
  std::fflush(stdout);
  return RunMessages();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Fail("usage: probe COMMAND [ARGS...] (see the top of probe.cpp)");
  // Physical pixels everywhere, whatever the screen resolution: the same numbers X shows.
  SetProcessDPIAware();
  const std::string command = Utf8(argv[1]);
  std::vector<std::string> args;
  for (int i = 2; i < argc; ++i) args.push_back(Utf8(argv[i]));
  int status = 0;
  if (command == "windows") status = Windows(args);
  else if (command == "syscolor") status = SysColor(args);
  else if (command == "cursor") status = Cursor();
  else if (command == "tooltip") status = Tooltips(args);
  else if (command == "dialog") status = Dialogs(args);
  else if (command == "click-button") status = ClickButton(args);
  else if (command == "set-text") status = SetText(args);
  else if (command == "processes") status = Processes();
  else if (command == "logpixels") status = LogPixels();
  else if (command == "set-logpixels") status = SetLogPixels(args);
  else if (command == "click-target") status = ClickTarget(args);
  else if (command == "hold-hotkey") status = HoldHotKey(args);
  else status = Fail("unknown command " + command);
  std::fflush(stdout);
  return status;
}
