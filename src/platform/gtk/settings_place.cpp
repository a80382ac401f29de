#include "platform/gtk/settings_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace corvane::gtk {

std::string XdgBaseFolder(const std::string& value, const std::string& home, const char* fallback) {
  std::string base = !value.empty() && value.front() == '/' ? value : home + fallback;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base;
}

std::string SettingsFolder(const SettingsPlaceFacts& facts) {
  if (facts.programFolderWritable) return facts.programFolder;
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
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
      throw Error("Cannot create the folder " + part + ": " + std::strerror(errno));
  }
}

void WriteNewFile(const std::string& path, std::string_view bytes, mode_t mode) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) throw Error(std::strerror(errno));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      close(fd);
      unlink(path.c_str());
      throw Error(std::strerror(error));
    }
    done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0) {
    const int error = errno;
    unlink(path.c_str());
    throw Error(std::strerror(error));
  }
}

}  // namespace corvane::gtk
