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

HandOverListener::HandOverListener(const std::string& path, std::function<void(const std::string&)> receive)
    : path_(path), receive_(std::move(receive)), listening_(ListenForHandOvers(path)) {
  watch_.Reset(g_unix_fd_add(listening_.Get(), G_IO_IN, OnConnection, this));
}

HandOverListener::~HandOverListener() {
  // The sources go before the descriptors they watch.
  connections_.clear();
  watch_.Reset();
}

void HandOverListener::RemoveSocketFile() const { unlink(path_.c_str()); }

gboolean HandOverListener::OnConnection(gint, GIOCondition, gpointer data) {
  auto* self = static_cast<HandOverListener*>(data);
  try {
    while (std::optional<ScopedFd> taken = AcceptHandOver(self->listening_.Get(), getuid())) {
      if (!*taken) continue;  // another user's: closed unread
      Connection& c = self->connections_.emplace_back(std::move(*taken), self);
      c.watch.Reset(g_unix_fd_add(c.reader.Descriptor(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR), OnData, &c));
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
  return SendHandOver(handOverSocket_, message);
}

void GtkPlatform::ListenForHandOver(std::function<void(const std::string&)> receive) {
  // Only the lock's holder serves the socket: a second start must never take it from the
  // program it hands its message to.
  if (prevInstance_ || handOverSocket_.empty()) return;
  try {
    handOver_ = std::make_unique<HandOverListener>(handOverSocket_, std::move(receive));
  } catch (const Error& e) {
    // Without the socket the program runs all the same; later starts then open their own.
    std::fprintf(stderr, "Corvane: %s\n", e.what());
  }
}

void GtkPlatform::EndHandOver() {
  if (handOver_) handOver_->RemoveSocketFile();
  handOver_.reset();
}

}  // namespace corvane::gtk
