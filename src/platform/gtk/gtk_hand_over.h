// The running instance's end of the hand-over socket (hand_over_socket.h), on the main loop.
#pragma once

#include <glib.h>

#include <functional>
#include <list>
#include <string>

#include "platform/gtk/gtk_scoped.h"
#include "platform/gtk/hand_over_socket.h"

namespace corvane::gtk {

// Listens at `path` from construction (throws Error naming the call and the path when it
// cannot) and calls `receive` once with each connection's whole message; a message longer
// than the hand-over's limit, or from another user, is dropped.
class HandOverListener {
 public:
  HandOverListener(const std::string& path, std::function<void(const std::string&)> receive);
  ~HandOverListener();
  HandOverListener(const HandOverListener&) = delete;
  HandOverListener& operator=(const HandOverListener&) = delete;

  // Takes the socket file away as the program ends, while it still holds the instance lock.
  void RemoveSocketFile() const;

 private:
  struct Connection {
    Connection(ScopedFd fd, HandOverListener* owner);
    HandOverReader reader;
    HandOverListener* listener;
    ScopedSource watch;  // declared last: removed before the reader closes its descriptor
  };

  static gboolean OnConnection(gint fd, GIOCondition condition, gpointer data);
  static gboolean OnData(gint fd, GIOCondition condition, gpointer data);

  std::string path_;
  std::function<void(const std::string&)> receive_;
  ScopedFd listening_;
  std::list<Connection> connections_;
  ScopedSource watch_;
};

}  // namespace corvane::gtk
