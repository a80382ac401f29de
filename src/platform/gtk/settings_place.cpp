#include "platform/gtk/settings_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/gtk/posix_scoped.h"

namespace corvane::gtk {

Error SystemCallFailed(std::string_view call, std::string_view object, int code) {
  return Error(std::string(call) + " failed on " + std::string(object) + ": " + std::strerror(code));
}

std::string XdgBaseFolder(const std::string& value, const std::string& home, const char* fallback) {
  std::string base = !value.empty() && value.front() == '/' ? value : home + fallback;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base;
}

namespace {

// The system's own program folders: a copy there is installed, shared by every user.
bool SystemFolder(const std::string& folder) {
  return folder == "/bin" || folder == "/sbin" || folder == "/usr" || folder.starts_with("/usr/");
}

}  // namespace

std::string SettingsFolder(const SettingsPlaceFacts& facts) {
  if (facts.programFolderWritable && !SystemFolder(facts.programFolder)) return facts.programFolder;
  const std::string base = XdgBaseFolder(facts.xdgConfigHome, facts.home, "/.config");
  return (base == "/" ? std::string() : base) + "/corvane";
}

SettingsPlaceFacts CurrentSettingsPlaceFacts(const std::string& programFolder) {
  SettingsPlaceFacts facts;
  facts.programFolder = programFolder;
  facts.programFolderWritable = access(programFolder.c_str(), W_OK) == 0;
  if (const char* config = std::getenv("XDG_CONFIG_HOME")) facts.xdgConfigHome = config;
  if (const char* home = std::getenv("HOME")) facts.home = home;
  return facts;
}

void MakeFolders(const std::string& folder) {
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      throw Error("Cannot create the folder " + part + ": mkdir failed: " + std::strerror(errno));
    }
  }
}

void WriteNewFile(const std::string& path, std::string_view bytes, mode_t mode) {
  ScopedFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
  if (!fd) throw SystemCallFailed("open", path, errno);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const Error failed = SystemCallFailed("write", path, n < 0 ? errno : ENOSPC);
      fd.Reset();
      unlink(path.c_str());
      throw failed;
    }
    done += static_cast<std::size_t>(n);
  }
  // The last write's error may come only with the close, so it is made here and checked.
  if (close(fd.Take()) != 0) {
    const Error failed = SystemCallFailed("close", path, errno);
    unlink(path.c_str());
    throw failed;
  }
}

std::string AbsolutePath(const std::string& folder, const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  return folder + (!folder.empty() && folder.back() == '/' ? "" : "/") + path;
}

std::string WorkingFolder() {
  std::string folder(256, '\0');
  while (getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) throw SystemCallFailed("getcwd", "the working folder", errno);
    folder.resize(folder.size() * 2);
  }
  folder.resize(std::strlen(folder.c_str()));
  return folder;
}

}  // namespace corvane::gtk
