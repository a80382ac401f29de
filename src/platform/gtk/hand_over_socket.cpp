#include "platform/gtk/hand_over_socket.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/gtk/settings_place.h"

namespace corvane::gtk {

namespace {

constexpr std::string_view kLockEnding = ".lock";

// The address of `path`; throws Error when the path is too long for one.
sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(address.sun_path))
    throw Error("The hand-over socket's path does not fit a socket address (" + std::to_string(sizeof(address.sun_path) - 1) +
                " bytes at most): " + path);
  std::memcpy(address.sun_path, path.data(), path.size());
  return address;
}

ScopedFd NewSocket(int flags, const std::string& path) {
  ScopedFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0));
  if (!fd) throw SystemCallFailed("socket", path, errno);
  return fd;
}

}  // namespace

std::string HandOverSocketPath(const std::string& lockPath) {
  std::string path = lockPath;
  if (path.size() >= kLockEnding.size() && path.compare(path.size() - kLockEnding.size(), kLockEnding.size(), kLockEnding) == 0)
    path.resize(path.size() - kLockEnding.size());
  return path + ".socket";
}

ScopedFd ListenForHandOvers(const std::string& path) {
  const sockaddr_un address = AddressOf(path);
  ScopedFd fd = NewSocket(SOCK_NONBLOCK, path);
  if (unlink(path.c_str()) != 0 && errno != ENOENT) throw SystemCallFailed("unlink", path, errno);
  if (bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
    throw SystemCallFailed("bind", path, errno);
  // The runtime folder is the user's own already; the file is kept to the user all the same.
  if (chmod(path.c_str(), 0600) != 0) throw SystemCallFailed("chmod", path, errno);
  if (listen(fd.Get(), 16) != 0) throw SystemCallFailed("listen", path, errno);
  return fd;
}

std::optional<uid_t> PeerUser(int fd) {
  ucred peer{};
  socklen_t size = sizeof(peer);
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || size != sizeof(peer)) return std::nullopt;
  return peer.uid;
}

std::optional<ScopedFd> AcceptHandOver(int listening, uid_t uid) {
  int taken = -1;
  do {
    taken = accept4(listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  } while (taken < 0 && errno == EINTR);
  if (taken < 0) {
    // A peer that gave up before it was taken counts as none waiting.
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED) return std::nullopt;
    throw SystemCallFailed("accept4", "the hand-over socket", errno);
  }
  ScopedFd connection(taken);
  if (PeerUser(connection.Get()) != uid) return ScopedFd();
  return connection;
}

bool SendHandOver(const std::string& path, const std::string& message) {
  const sockaddr_un address = AddressOf(path);
  // Only a socket of this user's is taken for the running Corvane (the folder may be /tmp).
  struct stat info{};
  if (lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) || info.st_uid != getuid()) return false;
  ScopedFd fd = NewSocket(0, path);
  int rc = 0;
  do {
    rc = connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    if (errno == ENOENT || errno == ECONNREFUSED) return false;
    throw SystemCallFailed("connect", path, errno);
  }
  std::size_t done = 0;
  while (done < message.size()) {
    // MSG_NOSIGNAL: a receiver that drops the message ends the write with EPIPE, not the program.
    const ssize_t n = send(fd.Get(), message.data() + done, message.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw SystemCallFailed("send", path, errno);
    done += static_cast<std::size_t>(n);
  }
  if (close(fd.Take()) != 0) throw SystemCallFailed("close", path, errno);
  return true;
}

HandOverReader::HandOverReader(ScopedFd connection, std::size_t limit) : connection_(std::move(connection)), limit_(limit) {}

HandOverReader::Step HandOverReader::ReadAvailable() {
  char chunk[65536];
  for (;;) {
    const ssize_t n = read(connection_.Get(), chunk, sizeof(chunk));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Step::More;
    if (n < 0) return Step::Dropped;
    if (n == 0) return Step::Whole;
    if (message_.size() + static_cast<std::size_t>(n) > limit_) {
      message_.clear();
      return Step::Dropped;
    }
    message_.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace corvane::gtk
