// The running instance's end of the hand-over socket (hand_over_socket.h), on the main loop.
#pragma once

#include <glib.h>

#include <functional>
#include <list>
#include <string>

#include "platform/gtk/gtk_scoped.h"
#include "platform/gtk/hand_over_socket.h"

namespace corvane::gtk {

// Serves `listening` (ListenForHandOvers) on the main loop from construction and
// calls `receive` once with each connection's whole message; a message longer than the
// hand-over's limit, or from another user, is dropped.
class HandOverListener {
 public:
  HandOverListener(ScopedFd listening, std::function<void(const std::string&)> receive);
  ~HandOverListener();
  HandOverListener(const HandOverListener&) = delete;
  HandOverListener& operator=(const HandOverListener&) = delete;

 private:
  struct Connection {
    Connection(ScopedFd fd, HandOverListener* owner);
    HandOverReader reader;
    HandOverListener* listener;
    ScopedSource watch;  // declared last: removed before the reader closes its descriptor
  };

  static gboolean OnConnection(gint fd, GIOCondition condition, gpointer data);
  static gboolean OnData(gint fd, GIOCondition condition, gpointer data);

  std::function<void(const std::string&)> receive_;
  ScopedFd listening_;
  std::list<Connection> connections_;
  ScopedSource watch_;
};

}  // namespace corvane::gtk
