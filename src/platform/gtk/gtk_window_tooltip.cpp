// The window's tooltip: GTK asks the form for the text at the pointer.
#include <string>

#include "platform/gtk/gtk_window.h"

namespace corvane::gtk {

// Only a shown window can have a tooltip to bring up to date; asking costs a server grab and a
// round trip to find the window under the pointer.
void FormWindow::RefreshTooltip() {
  if (area_ && gtk_widget_get_mapped(area_)) gtk_widget_trigger_tooltip_query(area_);
}

// The pointer's tooltip only: the keyboard never asks for one.
gboolean FormWindow::OnQueryTooltip(GtkWidget*, gint x, gint y, gboolean keyboard, GtkTooltip* tooltip,
                                    FormWindow* self) {
  if (keyboard) return FALSE;
  std::string text;
  Guard([&] { text = self->events_.TooltipAt({x, y}); });
  if (text.empty()) return FALSE;
  gtk_tooltip_set_text(tooltip, text.c_str());
  return TRUE;
}

}  // namespace corvane::gtk
