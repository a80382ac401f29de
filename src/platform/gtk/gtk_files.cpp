// The program's folder, the settings file's operations (read and write in place, never
// shortened) and the addresses handed to the desktop.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/gtk/gtk_internal.h"
#include "platform/gtk/settings_place.h"

namespace corvane::gtk {

namespace {

class PosixFile : public BinaryFile {
 public:
  PosixFile(ScopedFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

  void Write(std::uint64_t offset, const std::string& bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = pwrite(fd_.Get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw SystemCallFailed("pwrite", path_, n < 0 ? errno : ENOSPC);
      done += static_cast<std::size_t>(n);
    }
  }

  std::string Read(std::uint64_t offset, std::size_t count) override {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
      const ssize_t n = pread(fd_.Get(), bytes.data() + done, count - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw SystemCallFailed("pread", path_, errno);
      if (n == 0) throw Error("The settings file ends before the record it holds: pread found the end of " + path_);
      done += static_cast<std::size_t>(n);
    }
    return bytes;
  }

 private:
  ScopedFd fd_;
  std::string path_;
};

bool HasScheme(const std::string& target) {
  const std::size_t colon = target.find(':');
  if (colon == std::string::npos || colon == 0) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = target[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                    (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::string ProgramFolder() {
  const ScopedString exe(g_file_read_link("/proc/self/exe", nullptr));
  std::string path = exe ? exe.Get() : ".";
  path.erase(path.find_last_of('/') + 1);
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path.empty() ? "/" : path;
}

std::unique_ptr<BinaryFile> OpenPosixFile(const std::string& path) {
  // A file nobody may write is never written, even by a user (root) whose rights would let it.
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    throw Error(path + " is read-only (no one may write it): " + std::strerror(EACCES));
  }
  ScopedFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (!fd) throw SystemCallFailed("open", path, errno);
  return std::make_unique<PosixFile>(std::move(fd), path);
}

std::unique_ptr<BinaryFile> OpenPosixFileToRead(const std::string& path) {
  ScopedFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) throw SystemCallFailed("open", path, errno);
  return std::make_unique<PosixFile>(std::move(fd), path);
}

std::string StoredFileName(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  return path.substr(path.find_last_of('/') + 1);
}

std::string DocumentUri(const std::string& target) {
  if (!target.empty() && target.front() == '/') {
    const ScopedString uri(g_filename_to_uri(target.c_str(), nullptr, nullptr));
    return uri ? uri.Get() : target;
  }
  if (HasScheme(target)) return target;
  if (target.find('@') != std::string::npos && target.find('/') == std::string::npos) return "mailto:" + target;
  return "http://" + target;
}

}  // namespace corvane::gtk
