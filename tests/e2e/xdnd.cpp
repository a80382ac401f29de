#include "xdnd.h"

#include <cstdio>
#include <thread>
#include <vector>

#include "input.h"

// After the harness headers, which include GoogleTest: Xlib's macros clash with it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace corvane::e2e {

namespace {

constexpr long kXdndVersion = 5;

Atom Intern(const char* name) { return XInternAtom(XDisplay(), name, False); }

// The XDND version the window declares, 0 when it takes no drops.
long AwareVersion(Window window) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  long version = 0;
  if (XGetWindowProperty(XDisplay(), window, Intern("XdndAware"), 0, 1, False, AnyPropertyType, &type, &format, &count,
                         &after, &data) == Success &&
      data && count == 1 && format == 32) {
    version = reinterpret_cast<long*>(data)[0];
  }
  if (data) XFree(data);
  return version;
}

void Send(Window target, Window source, const char* message, long l1, long l2, long l3, long l4) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.display = XDisplay();
  e.xclient.window = target;
  e.xclient.message_type = Intern(message);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(source);
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(XDisplay(), target, False, NoEventMask, &e);
  XFlush(XDisplay());
}

// The drag's source: an unmapped window that owns XdndSelection and hands out the list.
class DragSource {
 public:
  explicit DragSource(std::string uriList) : list_(std::move(uriList)) {
    Display* d = XDisplay();
    window_ = XCreateSimpleWindow(d, DefaultRootWindow(d), -10, -10, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, Intern("XdndSelection"), window_, CurrentTime);
    XFlush(d);
  }
  ~DragSource() {
    XDestroyWindow(XDisplay(), window_);
    XFlush(XDisplay());
  }
  DragSource(const DragSource&) = delete;
  DragSource& operator=(const DragSource&) = delete;

  Window Id() const { return window_; }

  // Answers pending requests for the data; returns the next client message from the target
  // of the given type, if one came.
  bool Poll(const char* message, XClientMessageEvent* found) {
    Display* d = XDisplay();
    XEvent e{};
    while (XCheckTypedWindowEvent(d, window_, SelectionRequest, &e)) Answer(e.xselectionrequest);
    const Atom wanted = Intern(message);
    while (XCheckTypedWindowEvent(d, window_, ClientMessage, &e)) {
      if (e.xclient.message_type == wanted) {
        *found = e.xclient;
        return true;
      }
    }
    return false;
  }

  int requests = 0;  // how often the target asked for the list

 private:
  void Answer(const XSelectionRequestEvent& request) {
    Display* d = XDisplay();
    const Atom uriList = Intern("text/uri-list");
    const Atom targets = Intern("TARGETS");
    const Atom property = request.property != None ? request.property : request.target;
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = d;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    if (request.target == uriList) {
      XChangeProperty(d, request.requestor, property, uriList, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(list_.data()), static_cast<int>(list_.size()));
      reply.property = property;
      ++requests;
    } else if (request.target == targets) {
      const Atom offered[] = {targets, uriList};
      XChangeProperty(d, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(offered), 2);
      reply.property = property;
    }
    XSendEvent(d, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(d);
  }

  std::string list_;
  Window window_ = 0;
};

}  // namespace

std::string FileUri(const std::filesystem::path& path) {
  std::string uri = "file://";
  for (const char c : path.string()) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                       c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      uri += c;
    } else {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", byte);
      uri += escape;
    }
  }
  return uri;
}

testing::AssertionResult DropUriList(XWindowId target, Point at, const std::string& uriList, Millis timeout) {
  const long theirs = AwareVersion(target);
  if (theirs < 3)
    return testing::AssertionFailure() << "window " << target << " takes no drops (XdndAware " << theirs << ")";
  const long version = std::min(theirs, kXdndVersion);
  DragSource source(uriList);
  const long position = static_cast<long>(at.x) << 16 | at.y;
  MoveTo(at);  // where a person's drag would have the pointer
  Send(target, source.Id(), "XdndEnter", version << 24, static_cast<long>(Intern("text/uri-list")), 0, 0);
  Send(target, source.Id(), "XdndPosition", 0, position, CurrentTime, static_cast<long>(Intern("XdndActionCopy")));

  XClientMessageEvent status{};
  const bool answered = Eventually(
      "the target's XdndStatus", [&] { return source.Poll("XdndStatus", &status); }, timeout);
  if (!answered) return testing::AssertionFailure() << "the target never answered the drag";
  if ((status.data.l[1] & 1) == 0) {
    Send(target, source.Id(), "XdndLeave", 0, 0, 0, 0);
    return testing::AssertionFailure() << "the target refuses the drop";
  }
  Send(target, source.Id(), "XdndDrop", 0, CurrentTime, 0, 0);
  XClientMessageEvent finished{};
  if (!Eventually(
          "the target's XdndFinished", [&] { return source.Poll("XdndFinished", &finished); }, timeout)) {
    return testing::AssertionFailure() << "the target never finished the drop";
  }
  if (source.requests == 0) return testing::AssertionFailure() << "the target finished without asking for the files";
  return testing::AssertionSuccess();
}

}  // namespace corvane::e2e
