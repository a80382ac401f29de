// The program's folder and the settings file's operations: directory search, and binary
// read-write access that never truncates.
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

namespace {

class Win32File : public BinaryFile {
 public:
  explicit Win32File(ScopedKernelHandle handle) : handle_(std::move(handle)) {}

  void Write(std::uint64_t offset, const std::string& bytes) override {
    if (bytes.size() > MAXDWORD) throw Error("Win32: WriteFile cannot take " + std::to_string(bytes.size()) + " bytes");
    Seek(offset);
    DWORD written = 0;
    if (!WriteFile(handle_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
      throw CallFailed("WriteFile");
    if (written != bytes.size()) throw StoppedShort("WriteFile", written, bytes.size());
  }

  // A file that ends before `count` bytes at `offset` is an error whose text says how many
  // bytes were there.
  std::string Read(std::uint64_t offset, std::size_t count) override {
    if (count > MAXDWORD) throw Error("Win32: ReadFile cannot take " + std::to_string(count) + " bytes");
    Seek(offset);
    std::string bytes(count, '\0');
    DWORD read = 0;
    if (count && !ReadFile(handle_.Get(), bytes.data(), static_cast<DWORD>(count), &read, nullptr))
      throw CallFailed("ReadFile");
    if (read != count) throw StoppedShort("ReadFile", read, count);
    return bytes;
  }

 private:
  void Seek(std::uint64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_.Get(), to, nullptr, FILE_BEGIN)) throw CallFailed("SetFilePointerEx");
  }

  ScopedKernelHandle handle_;
};

}  // namespace

std::string ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) throw CallFailed("GetModuleFileName");
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
    throw CallFailed("CreateFile", ERROR_ACCESS_DENIED);
  ScopedKernelHandle handle(FileOrNull(CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!handle) throw CallFailed("CreateFile");
  return std::make_unique<Win32File>(std::move(handle));
}

std::unique_ptr<BinaryFile> OpenBinaryFileToRead(const std::string& path) {
  ScopedKernelHandle handle(
      FileOrNull(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!handle) throw CallFailed("CreateFile");
  return std::make_unique<Win32File>(std::move(handle));
}

std::string StoredFileName(const std::string& path) {
  WIN32_FIND_DATAW found{};
  const ScopedSearch search(FileOrNull(FindFirstFileW(Widen(path).c_str(), &found)));
  if (!search) return {};
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {};
  return Narrow(found.cFileName);
}

}  // namespace corvane::win32
