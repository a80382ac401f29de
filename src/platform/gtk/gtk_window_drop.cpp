// Files dropped on a window: XDND through GTK, the one target text/uri-list.
#include <string>
#include <vector>

#include "platform/gtk/gtk_window.h"
#include "platform/gtk/uri_list.h"

namespace corvane::gtk {

namespace {

// The one target is named here rather than taken from gtk_drag_dest_add_uri_targets, which adds
// the document portal's file-transfer type too: making that one connects to the session bus
// there and then, a blocking round trip at start (and a dbus-launch where no bus runs), for a
// type this handler does not read.
const GtkTargetEntry kUriList[] = {{const_cast<gchar*>("text/uri-list"), 0, 0}};

}  // namespace

// A drop of files (text/uri-list) onto the window's surface.
void FormWindow::AcceptFileDrops() {
  if (!area_) return;
  gtk_drag_dest_set(area_, GTK_DEST_DEFAULT_ALL, kUriList, 1, GDK_ACTION_COPY);
  Connect(area_, "drag-data-received", G_CALLBACK(OnDragDataReceived));
}

void FormWindow::OnDragDataReceived(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData* data, guint, guint,
                                    FormWindow* self) {
  const guchar* bytes = gtk_selection_data_get_data(data);
  const gint length = gtk_selection_data_get_length(data);
  const std::string list = bytes && length > 0
                               ? std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length))
                               : std::string();
  self->dropped_ = LocalPathsOfUriList(list, g_get_host_name());
  // Handed on once the drop has finished, so the source is not kept waiting while a message
  // about the file is shown.
  if (!self->dropIdle_) self->dropIdle_.Reset(g_idle_add(OnDropIdle, self));
}

gboolean FormWindow::OnDropIdle(gpointer data) {
  auto* self = static_cast<FormWindow*>(data);
  static_cast<void>(self->dropIdle_.Take());  // the source ends with this call
  const std::vector<std::string> paths = std::move(self->dropped_);
  self->dropped_.clear();
  if (self->enabled_) Guard([&] { self->events_.OnFilesDropped(paths); });
  return G_SOURCE_REMOVE;
}

}  // namespace corvane::gtk
