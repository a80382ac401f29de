// The way a second start of the Linux program hands its message (app/hand_over.h) to the
// Corvane already running for this user and display: a Unix stream socket beside the instance
// lock, which only the running instance (the lock's holder) binds.
//
// A socket rather than GApplication activation over D-Bus: a session bus is not always there
// (a bare X session, a test run, a remote display), while the runtime folder and the lock that
// decides which process runs always are. The socket file is mode 0600 in the user's own
// runtime folder, and the receiving end also checks each peer's user id (SO_PEERCRED).
//
// GTK-free: the GTK backend watches the descriptors on its main loop.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>

#include "platform/gtk/posix_scoped.h"

namespace corvane::gtk {

// The socket beside the lock file at `lockPath` (InstanceLockPath): the same name with
// ".socket" in place of ".lock".
std::string HandOverSocketPath(const std::string& lockPath);

// Binds and listens on `path` for the running instance, non-blocking and closed on exec, mode
// 0600. A file already at `path` is removed first: a socket left by a Corvane that ended
// without cleaning up, which no other process can still be serving while the caller holds the
// instance lock. Throws Error naming the call and the path.
ScopedFd ListenForHandOvers(const std::string& path);

// A connection waiting on `listening`: nullopt when none waits; an empty descriptor for one
// taken and closed at once because its peer runs as a user other than `uid`; else the
// connection, non-blocking. Throws Error naming the call when accepting fails otherwise.
std::optional<ScopedFd> AcceptHandOver(int listening, uid_t uid);

// The user id of the process at the other end of the connected Unix socket `fd`; nullopt
// when the system does not say.
std::optional<uid_t> PeerUser(int fd);

// Connects to `path`, writes `message` whole and closes: false when nothing listens there (no
// socket, one left behind, or one that is not this user's). Throws Error naming the call and the path when the message
// cannot be written (the receiver dropped it).
bool SendHandOver(const std::string& path, const std::string& message);

// One connection's bytes, read as they arrive until the peer closes.
class HandOverReader {
 public:
  enum class Step {
    More,     // everything there is read; more may come
    Whole,    // the peer closed: Message() holds all it wrote
    Dropped,  // more than the limit arrived, or reading failed: the message is not taken
  };

  HandOverReader(ScopedFd connection, std::size_t limit);

  // Reads what has arrived without waiting.
  Step ReadAvailable();
  int Descriptor() const { return connection_.Get(); }
  const std::string& Message() const { return message_; }

 private:
  ScopedFd connection_;
  std::size_t limit_;
  std::string message_;
};

}  // namespace corvane::gtk
