// Owners for the GTK backend's handles (GObject references, cairo and fontconfig objects, GLib
// memory, signal handlers and event sources), so that no handle is paired with its release by
// hand. Built on the owner template of posix_scoped.h. Only files in this folder include it.
#pragma once

#include <fontconfig/fontconfig.h>
#include <gtk/gtk.h>

#include "platform/gtk/posix_scoped.h"

namespace corvane::gtk {

inline void UnrefObject(gpointer object) { g_object_unref(object); }
inline void FreeMemory(gpointer memory) { g_free(memory); }
inline void FreeStrings(gchar** strings) { g_strfreev(strings); }
inline void FreeList(GSList* list) { g_slist_free(list); }
inline void FreeError(GError* error) { g_error_free(error); }
inline void UnrefDateTime(GDateTime* time) { g_date_time_unref(time); }
inline void RemoveSource(guint source) { g_source_remove(source); }
inline void DestroyWidget(GtkWidget* widget) { gtk_widget_destroy(widget); }
inline void FreeSelectionData(GtkSelectionData* data) { gtk_selection_data_free(data); }

// One reference of a GObject.
template <typename T>
using GRef = Scoped<T*, UnrefObject>;
// Memory GLib allocated for the caller: a string, an array of atoms.
template <typename T>
using ScopedGMemory = Scoped<T*, FreeMemory>;
using ScopedString = ScopedGMemory<gchar>;
// A null-terminated array of strings (g_strfreev).
using ScopedStrings = Scoped<gchar**, FreeStrings>;
// A list whose cells belong to the caller, not the data they point to.
using ScopedList = Scoped<GSList*, FreeList>;
// A GError reported through a GError** (pass Put()).
using ScopedError = Scoped<GError*, FreeError>;
using ScopedDateTime = Scoped<GDateTime*, UnrefDateTime>;
// A GLib event source (a timeout or an idle call) that must not run once its owner has gone.
// A source that ends itself (its callback returns G_SOURCE_REMOVE) is given up with Take().
using ScopedSource = Scoped<guint, RemoveSource, 0u>;
// A toplevel window GTK holds (a message dialog), destroyed at the end.
using ScopedWidget = Scoped<GtkWidget*, DestroyWidget>;
// A toplevel window the program holds a reference of (taken with g_object_ref_sink): destroyed,
// then the reference dropped.
inline void DestroyToplevel(GtkWindow* window) {
  gtk_widget_destroy(GTK_WIDGET(window));
  g_object_unref(window);
}
using ScopedToplevel = Scoped<GtkWindow*, DestroyToplevel>;
// A clipboard target's contents.
using ScopedSelectionData = Scoped<GtkSelectionData*, FreeSelectionData>;

inline void DestroySurface(cairo_surface_t* surface) { cairo_surface_destroy(surface); }
inline void DestroyRegion(cairo_region_t* region) { cairo_region_destroy(region); }
inline void DestroyFontOptions(cairo_font_options_t* options) { cairo_font_options_destroy(options); }
inline void DestroyFontFace(cairo_font_face_t* face) { cairo_font_face_destroy(face); }
inline void DestroyScaledFont(cairo_scaled_font_t* font) { cairo_scaled_font_destroy(font); }
inline void FreeGlyphs(cairo_glyph_t* glyphs) { cairo_glyph_free(glyphs); }

using ScopedSurface = Scoped<cairo_surface_t*, DestroySurface>;
using ScopedRegion = Scoped<cairo_region_t*, DestroyRegion>;
using ScopedFontOptions = Scoped<cairo_font_options_t*, DestroyFontOptions>;
using ScopedFontFace = Scoped<cairo_font_face_t*, DestroyFontFace>;
using ScopedScaledFont = Scoped<cairo_scaled_font_t*, DestroyScaledFont>;
// Glyphs cairo allocated for the caller (cairo_scaled_font_text_to_glyphs).
using ScopedGlyphs = Scoped<cairo_glyph_t*, FreeGlyphs>;

inline void DestroyPattern(FcPattern* pattern) { FcPatternDestroy(pattern); }
inline void FreeFcString(FcChar8* text) { FcStrFree(text); }
inline void DoneStrList(FcStrList* list) { FcStrListDone(list); }

using ScopedPattern = Scoped<FcPattern*, DestroyPattern>;
// A string fontconfig allocated for the caller (FcNameUnparse).
using ScopedFcString = Scoped<FcChar8*, FreeFcString>;
using ScopedStrList = Scoped<FcStrList*, DoneStrList>;

// A GValue of one type, unset at the end.
class ScopedValue {
 public:
  explicit ScopedValue(GType type) { g_value_init(&value_, type); }
  ~ScopedValue() { g_value_unset(&value_); }
  ScopedValue(const ScopedValue&) = delete;
  ScopedValue& operator=(const ScopedValue&) = delete;
  GValue* Get() { return &value_; }
  const GValue* Get() const { return &value_; }

 private:
  GValue value_ = G_VALUE_INIT;
};

// A signal handler, disconnected at the end. The instance must outlive the owner.
class ScopedSignal {
 public:
  ScopedSignal() = default;
  ScopedSignal(gpointer instance, const char* signal, GCallback callback, gpointer data)
      : instance_(instance), handler_(g_signal_connect(instance, signal, callback, data)) {}
  ~ScopedSignal() {
    if (handler_ != 0) g_signal_handler_disconnect(instance_, handler_);
  }
  ScopedSignal(const ScopedSignal&) = delete;
  ScopedSignal& operator=(const ScopedSignal&) = delete;

 private:
  gpointer instance_ = nullptr;
  gulong handler_ = 0;
};

// The drawing state of a cairo context (clip, source, matrix), saved when made and restored at
// the end.
class ScopedCairoState {
 public:
  explicit ScopedCairoState(cairo_t* cr) : cr_(cr) { cairo_save(cr); }
  ~ScopedCairoState() { cairo_restore(cr_); }
  ScopedCairoState(const ScopedCairoState&) = delete;
  ScopedCairoState& operator=(const ScopedCairoState&) = delete;

 private:
  cairo_t* cr_;
};

// A pixbuf loader, closed at the end when the caller has not closed it (gdk-pixbuf warns about
// a loader finalized open).
class ScopedPixbufLoader {
 public:
  ScopedPixbufLoader() : loader_(gdk_pixbuf_loader_new()) {}
  ~ScopedPixbufLoader() {
    if (open_) gdk_pixbuf_loader_close(loader_.Get(), nullptr);
  }
  ScopedPixbufLoader(const ScopedPixbufLoader&) = delete;
  ScopedPixbufLoader& operator=(const ScopedPixbufLoader&) = delete;
  GdkPixbufLoader* Get() const { return loader_.Get(); }
  // Ends the data; false, with the reason in `error`, when the picture cannot be read.
  bool Close(GError** error) {
    open_ = false;
    return gdk_pixbuf_loader_close(loader_.Get(), error) != FALSE;
  }

 private:
  GRef<GdkPixbufLoader> loader_;
  bool open_ = true;
};

}  // namespace corvane::gtk
