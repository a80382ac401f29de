// One Corvane per user session and display: a lock file in $XDG_RUNTIME_DIR held with flock.
//
// The kernel drops the lock when the process ends in any way (exit, crash, kill), so a file
// left behind never blocks a start. The descriptor is closed on exec, so a browser or mail
// program the user opens from Corvane does not keep holding it after Corvane ends.
#pragma once

#include <string>

#include "platform/gtk/posix_scoped.h"

namespace corvane::gtk {

// The lock file for `display` (an X display name such as ":0") under `runtimeDir`; with no
// runtime folder, /tmp with the user's id in the name.
std::string InstanceLockPath(const std::string& runtimeDir, const std::string& display, unsigned uid);

class InstanceLock {
 public:
  // Tries to take the lock at `path`. A lock that cannot even be made (no such folder, no
  // room) never keeps the program from starting: it then counts as held.
  explicit InstanceLock(const std::string& path);
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when another process holds the lock: another Corvane runs in this session.
  bool AnotherInstanceRuns() const { return another_; }
  int Descriptor() const { return fd_.Get(); }

 private:
  ScopedFd fd_;
  bool another_ = false;
};

}  // namespace corvane::gtk
