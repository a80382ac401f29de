#include "platform/win32/win32_hand_over.h"

#include <vector>

#include "app/hand_over.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

namespace {

// UTF-16 to UTF-8, refusing an unpaired surrogate instead of replacing it.
std::optional<std::string> StrictNarrow(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int length = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::nullopt;
  std::string utf8(static_cast<std::size_t>(n), '\0');
  if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, utf8.data(), n, nullptr, nullptr) != n)
    return std::nullopt;
  return utf8;
}

// The user a process token belongs to (TOKEN_USER and the SID after it), empty when the token
// cannot be asked.
std::vector<BYTE> TokenUser(LateBound& late, HANDLE process) {
  HANDLE opened = nullptr;
  if (!late.OpenProcessToken(process, TOKEN_QUERY, &opened)) return {};
  const ScopedKernelHandle token(opened);
  DWORD size = 0;
  late.GetTokenInformation(token.Get(), ::TokenUser, nullptr, 0, &size);
  if (size < sizeof(TOKEN_USER)) return {};
  std::vector<BYTE> user(size);
  if (!late.GetTokenInformation(token.Get(), ::TokenUser, user.data(), size, &size)) return {};
  return user;
}

}  // namespace

std::wstring HandOverToWide(std::string_view message) {
  std::wstring wide;
  wide.reserve(message.size());
  while (!message.empty()) {
    const std::size_t end = message.find('\0');
    wide += Widen(message.substr(0, end));
    if (end == std::string_view::npos) break;
    wide.push_back(L'\0');
    message.remove_prefix(end + 1);
  }
  return wide;
}

std::optional<std::string> HandOverFromWide(const void* data, std::size_t size) {
  if (size % sizeof(wchar_t) != 0 || size > kLongestHandOver * sizeof(wchar_t)) return std::nullopt;
  if (size == 0) return std::string();
  if (!data) return std::nullopt;
  // The system's copy need not be aligned for wchar_t: read it through a copy of our own.
  std::wstring wide(size / sizeof(wchar_t), L'\0');
  CopyMemory(wide.data(), data, size);
  std::string message;
  std::wstring_view rest = wide;
  while (!rest.empty()) {
    const std::size_t end = rest.find(L'\0');
    const std::optional<std::string> part = StrictNarrow(rest.substr(0, end));
    if (!part) return std::nullopt;
    message += *part;
    if (end == std::wstring_view::npos) break;
    message.push_back('\0');
    rest.remove_prefix(end + 1);
  }
  if (message.size() > kLongestHandOver) return std::nullopt;
  return message;
}

HWND FindWindowOfOtherProcess(const wchar_t* windowClass) {
  struct Search {
    const wchar_t* windowClass;
    HWND found;
  } search{windowClass, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t name[64] = {};
        if (GetClassNameW(window, name, 64) == 0 || lstrcmpW(name, s.windowClass) != 0) return TRUE;
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        // A second start has windows of its own by now: they are not the Corvane running.
        if (process == 0 || process == GetCurrentProcessId()) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool SendHandOver(HWND target, HWND from, std::string_view message) {
  std::wstring wide = HandOverToWide(message);
  COPYDATASTRUCT data{};
  data.dwData = kHandOverData;
  data.cbData = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
  data.lpData = wide.data();
  DWORD_PTR answer = 0;
  // A Corvane that hangs must not hang the start that hands over to it.
  const LRESULT sent = SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                                           reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                           kHandOverTimeoutMs, &answer);
  return sent != 0 && answer == TRUE;
}

bool SentBySameUser(LateBound& late, HWND sender) {
  if (!sender || !IsWindow(sender)) return false;
  DWORD processId = 0;
  GetWindowThreadProcessId(sender, &processId);
  if (processId == 0) return false;
  try {
    const ScopedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return false;
    std::vector<BYTE> theirs = TokenUser(late, process.Get());
    std::vector<BYTE> ours = TokenUser(late, GetCurrentProcess());
    if (theirs.empty() || ours.empty()) return false;
    return late.EqualSid(reinterpret_cast<TOKEN_USER*>(theirs.data())->User.Sid,
                         reinterpret_cast<TOKEN_USER*>(ours.data())->User.Sid) != FALSE;
  } catch (const Error&) {
    return false;  // the security calls could not even be loaded
  }
}

std::optional<std::string> HandOverListener::Take(LateBound& late, HWND sender, const COPYDATASTRUCT& data) const {
  if (!receive_ || data.dwData != kHandOverData) return std::nullopt;
  std::optional<std::string> message = HandOverFromWide(data.lpData, data.cbData);
  if (!message || !SentBySameUser(late, sender)) return std::nullopt;
  return message;
}

}  // namespace corvane::win32
