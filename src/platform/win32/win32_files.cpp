// The program's folder and the settings file's operations: directory search, and binary
// read-write access that never truncates.
#include "platform/win32/win32_internal.h"

namespace corvane::win32 {

namespace {

class Win32File : public BinaryFile {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  void Write(std::uint64_t offset, const std::string& bytes) override {
    Seek(offset);
    DWORD written = 0;
    if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) throw CallFailed("WriteFile");
    if (written != bytes.size()) throw Error("Win32: WriteFile wrote only part of the record");
  }

  std::string Read(std::uint64_t offset, std::size_t count) override {
    Seek(offset);
    std::string bytes(count, '\0');
    DWORD read = 0;
    if (count && !ReadFile(handle_, bytes.data(), static_cast<DWORD>(count), &read, nullptr)) throw CallFailed("ReadFile");
    if (read != count) throw Error("The settings file ends before the record it holds.");
    return bytes;
  }

 private:
  void Seek(std::uint64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN)) throw CallFailed("SetFilePointerEx");
  }

  HANDLE handle_;
};

}  // namespace

std::string ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  path.erase(path.find_last_of(L"\\/") + 1);
  // Keep the separator only at a drive's root ("C:\").
  if (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return Narrow(path);
}

std::unique_ptr<BinaryFile> OpenBinaryFile(const std::string& path) {
  const std::wstring wide = Widen(path);
  // A read-only file is never written, even by a process whose privileges would let it.
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    throw Error(ErrorText(ERROR_ACCESS_DENIED));
  HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw Error(ErrorText(GetLastError()));
  return std::make_unique<Win32File>(handle);
}

std::string StoredFileName(const std::string& path) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(Widen(path).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  FindClose(search);
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {};
  return Narrow(found.cFileName);
}

}  // namespace corvane::win32
