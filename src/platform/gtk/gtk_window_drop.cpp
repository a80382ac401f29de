// Files dropped on a window: XDND through GTK, the one target text/uri-list.
#include <string>
#include <utility>
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

void FormWindow::OnDragDataReceived(GtkWidget* widget, GdkDragContext* context, gint x, gint y, GtkSelectionData* data,
                                    guint, guint, FormWindow* self) {
  const guchar* bytes = gtk_selection_data_get_data(data);
  const gint length = gtk_selection_data_get_length(data);
  const std::string list = bytes && length > 0 ? std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length)) : std::string();
  self->dropped_.paths = LocalPathsOfUriList(list, g_get_host_name());
  // The drop point is in the surface's coordinates; the screen's adds the surface's origin.
  GdkWindow* surface = gtk_widget_get_window(widget);
  gint left = 0;
  gint top = 0;
  if (surface) gdk_window_get_origin(surface, &left, &top);
  self->dropped_.screen = {left + x, top + y};
  // The keys held as the button was let go: the drag's pointer's state now.
  GdkModifierType state{};
  GdkDevice* pointer = gdk_drag_context_get_device(context);
  if (surface && pointer) gdk_window_get_device_position(surface, pointer, nullptr, nullptr, &state);
  self->dropped_.shift = ShiftState(state);
  // Handed on once the drop has finished, so the source is not kept waiting while a message
  // about the file is shown.
  if (!self->dropIdle_) self->dropIdle_.Reset(g_idle_add(OnDropIdle, self));
}

gboolean FormWindow::OnDropIdle(gpointer data) {
  auto* self = static_cast<FormWindow*>(data);
  static_cast<void>(self->dropIdle_.Take());  // the source ends with this call
  const FileDrop drop = std::exchange(self->dropped_, FileDrop{});
  if (self->enabled_) Guard([&] { self->events_.OnFilesDropped(drop); });
  return G_SOURCE_REMOVE;
}

}  // namespace corvane::gtk
