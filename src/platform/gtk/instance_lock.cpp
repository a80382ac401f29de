#include "platform/gtk/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace corvane::gtk {

std::string InstanceLockPath(const std::string& runtimeDir, const std::string& display, unsigned uid) {
  std::string name;
  for (const char c : display.empty() ? std::string("default") : display) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
                       c == '-';
    name += plain ? c : '_';
  }
  if (!runtimeDir.empty() && runtimeDir.front() == '/')
    return runtimeDir + (runtimeDir.back() == '/' ? "" : "/") + "corvane-" + name + ".lock";
  return "/tmp/corvane-" + std::to_string(uid) + "-" + name + ".lock";
}

InstanceLock::InstanceLock(const std::string& path) {
  fd_.Reset(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd_) return;
  int rc = 0;
  do {
    rc = flock(fd_.Get(), LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc == 0) return;
  another_ = errno == EWOULDBLOCK;
  fd_.Reset();
}

}  // namespace corvane::gtk
