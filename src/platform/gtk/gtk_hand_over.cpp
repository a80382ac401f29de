// A second start's message, received on the main loop: the listening socket and each
// connection are GLib sources on their descriptors, read only as their bytes arrive, so a slow
// or stuck sender never holds up the windows.
#include <unistd.h>

#include <glib-unix.h>

#include <cstdio>

#include "app/hand_over.h"
#include "platform/gtk/gtk_hand_over.h"
#include "platform/gtk/gtk_platform.h"
#include "platform/gtk/hand_over_socket.h"

namespace corvane::gtk {

HandOverListener::Connection::Connection(ScopedFd fd, HandOverListener* owner)
    : reader(std::move(fd), kLongestHandOver), listener(owner) {}

HandOverListener::HandOverListener(ScopedFd listening, std::function<void(const std::string&)> receive)
    : receive_(std::move(receive)), listening_(std::move(listening)) {
  watch_.Reset(g_unix_fd_add(listening_.Get(), G_IO_IN, OnConnection, this));
}

HandOverListener::~HandOverListener() {
  // The sources go before the descriptors they watch.
  connections_.clear();
  watch_.Reset();
}

gboolean HandOverListener::OnConnection(gint, GIOCondition, gpointer data) {
  auto* self = static_cast<HandOverListener*>(data);
  try {
    while (std::optional<ScopedFd> taken = AcceptHandOver(self->listening_.Get(), getuid())) {
      if (!*taken) continue;  // another user's: closed unread
      Connection& c = self->connections_.emplace_back(std::move(*taken), self);
      c.watch.Reset(
          g_unix_fd_add(c.reader.Descriptor(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), OnData, &c));
    }
  } catch (const std::exception& e) {
    // The running program carries on; only this second start's message is lost.
    std::fprintf(stderr, "Corvane: %s\n", e.what());
  }
  return G_SOURCE_CONTINUE;
}

gboolean HandOverListener::OnData(gint, GIOCondition, gpointer data) {
  auto* c = static_cast<Connection*>(data);
  const HandOverReader::Step step = c->reader.ReadAvailable();
  if (step == HandOverReader::Step::More) return G_SOURCE_CONTINUE;
  HandOverListener* self = c->listener;
  const std::string message = step == HandOverReader::Step::Whole ? c->reader.Message() : std::string();
  static_cast<void>(c->watch.Take());  // the source ends with this call
  self->connections_.remove_if([c](const Connection& each) { return &each == c; });
  if (step != HandOverReader::Step::Whole) return G_SOURCE_REMOVE;
  try {
    self->receive_(message);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Corvane: taking a second start's pictures failed: %s\n", e.what());
  }
  return G_SOURCE_REMOVE;
}

bool GtkPlatform::HandOverToRunningInstance(const std::string& message) {
  // Several pictures opened together start as many Corvanes at once: the one holding the lock
  // may not listen yet for a moment, so a refused connection is tried again for a while.
  const gint64 deadline = g_get_monotonic_time() + kHandOverWaitMicroseconds;
  for (;;) {
    if (SendHandOver(handOverSocket_, message)) return true;
    if (g_get_monotonic_time() >= deadline) return false;
    g_usleep(kHandOverRetryMicroseconds);
  }
}

void GtkPlatform::StartHandOverSocket() {
  // Only the lock's holder serves the socket: a second start must never take it from the
  // program it hands its message to. Bound at once, before any window: a second start's
  // connection then waits in the socket's queue until the event loop takes it.
  if (prevInstance_ || handOverSocket_.empty()) return;
  try {
    handOverListening_ = ListenForHandOvers(handOverSocket_);
  } catch (const Error& e) {
    // Without the socket the program runs all the same; second starts then find no one.
    std::fprintf(stderr, "Corvane: %s\n", e.what());
  }
}

void GtkPlatform::ListenForHandOver(std::function<void(const std::string&)> receive) {
  if (!handOverListening_) return;
  handOver_ = std::make_unique<HandOverListener>(std::move(handOverListening_), std::move(receive));
}

// Takes the socket file away as the program ends, while it still holds the instance lock.
void GtkPlatform::EndHandOver() {
  if (handOver_ || handOverListening_) unlink(handOverSocket_.c_str());
  handOver_.reset();
  handOverListening_.Reset();
}

}  // namespace corvane::gtk
