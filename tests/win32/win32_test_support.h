// Helpers for tests that run on Windows (under Wine here): the shared test pictures and
// throw-away folders.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/win32/win32_internal.h"

namespace corvane::win32::testing {

// The folder of test pictures the build made (a Unix path reaches the program as Z:).
inline std::string FixturePath(const std::string& name) {
  const char* dir = std::getenv("CORVANE_FIXTURES");
  std::string path = dir ? dir : "";
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path + "\\" + name;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    for (unsigned n = GetTickCount();; ++n) {
      path_ = Narrow(base) + "corvane-test-" + std::to_string(n);
      if (CreateDirectoryW(Widen(path_).c_str(), nullptr)) break;
    }
  }
  ~TempFolder() { Remove(Widen(path_)); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  static void Remove(const std::wstring& dir) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring full = dir + L"\\" + name;
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Remove(full);
        } else {
          DeleteFileW(full.c_str());
        }
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
  }
  std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file =
      CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

inline std::string ReadBytes(const std::string& path) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return bytes;
}

}  // namespace corvane::win32::testing
