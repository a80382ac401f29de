// The GTK platform: window-manager requests, dialogs, screen facts, fonts, the event loops,
// files and text.
#include "platform/gtk/gtk_platform.h"

#include <langinfo.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/gtk/gtk_hand_over.h"
#include "platform/gtk/gtk_layer.h"
#include "platform/gtk/settings_place.h"

namespace corvane::gtk {

namespace {

double ScreenDpi() {
  const double dpi = gdk_screen_get_resolution(gdk_screen_get_default());
  return dpi > 0 ? dpi : 96.0;
}

// Every pattern in its lower and upper case: "*.jpg" also admits "PHOTO.JPG", as the
// case-blind file systems of Windows do.
void AddPatterns(GtkFileFilter* filter, const std::string& patterns) {
  std::size_t start = 0;
  while (start <= patterns.size()) {
    const std::size_t end = std::min(patterns.find(';', start), patterns.size());
    std::string pattern = patterns.substr(start, end - start);
    if (!pattern.empty()) {
      gtk_file_filter_add_pattern(filter, pattern.c_str());
      const ScopedString upper(g_utf8_strup(pattern.c_str(), -1));
      if (pattern != upper.Get()) gtk_file_filter_add_pattern(filter, upper.Get());
    }
    start = end + 1;
  }
}

}  // namespace

Error CallFailed(std::string_view call, std::string_view object, const GError* error) {
  const char* reason = error && error->message ? error->message : "unknown error";
  return Error("GTK: " + std::string(call) + " failed on " + std::string(object) + ": " + reason);
}

// The desktop's font settings (antialiasing, hinting, subpixel order) changed while the program
// runs: its text is drawn again with them, as every other program's is.
GtkPlatform::GtkPlatform(bool prevInstance, std::string handOverSocket)
    : prevInstance_(prevInstance),
      handOverSocket_(std::move(handOverSocket)),
      programFolder_(ProgramFolder()),
      fonts_(ScreenDpi()),
      fontOptionsChanged_(gdk_screen_get_default(), "notify::font-options", G_CALLBACK(OnFontOptions), this) {
  StartHandOverSocket();
}

GtkPlatform::~GtkPlatform() { EndHandOver(); }

void GtkPlatform::OnFontOptions(GObject*, GParamSpec*, GtkPlatform* self) {
  if (!self->fonts_.FollowScreenOptions()) return;
  for (GtkNativeWindow* w : self->windows_) {
    if (w->Widget()) gtk_widget_queue_draw(GTK_WIDGET(w->Widget()));
  }
}

GtkNativeWindow* GtkPlatform::Find(std::uintptr_t handle) const {
  for (GtkNativeWindow* w : windows_) {
    if (w->Handle() == handle && handle != 0) return w;
  }
  return nullptr;
}

void GtkPlatform::Forget(GtkNativeWindow* window) { std::erase(windows_, window); }

GtkWindow* GtkPlatform::MainWindow() const {
  for (GtkNativeWindow* w : windows_) {
    if (w->Kind() == WindowKind::Popup && w->Widget()) return w->Widget();
  }
  return nullptr;
}

void GtkPlatform::MakeTopMost(std::uintptr_t window, std::optional<PixelPoint> place) {
  GtkNativeWindow* w = Find(window);
  if (!w || !w->Widget()) return;
  gtk_window_set_keep_above(w->Widget(), TRUE);  // _NET_WM_STATE_ABOVE
  if (place) w->MoveTo(*place);
}

void GtkPlatform::BeginSystemMove(std::uintptr_t window) {
  if (GtkNativeWindow* w = Find(window)) w->BeginMove();
}

CursorPoint GtkPlatform::CursorPosition() {
  if (LayerShellInUse()) {
    const PixelPoint p = LastPointer();
    return {p.x, p.y};
  }
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
  int x = 0;
  int y = 0;
  if (pointer) gdk_device_get_position(pointer, nullptr, &x, &y);
  return {x, y};
}

OpenFileAnswer GtkPlatform::ChooseFileToOpen(const OpenFileRequest& request) {
  GtkNativeWindow* owner = Find(request.owner);
  const GRef<GtkFileChooserNative> dialog(gtk_file_chooser_native_new(
      request.title.c_str(), owner ? owner->Widget() : nullptr, GTK_FILE_CHOOSER_ACTION_OPEN, nullptr, nullptr));
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog.Get());
  for (const FileFilter& f : request.filters) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, f.description.c_str());
    AddPatterns(filter, f.patterns);
    gtk_file_chooser_add_filter(chooser, filter);  // takes the filter over; the first one added is in force
  }
  if (!request.initialFolder.empty()) gtk_file_chooser_set_current_folder(chooser, request.initialFolder.c_str());
  gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(dialog.Get()), TRUE);
  OpenFileAnswer answer;
  const gint response = gtk_native_dialog_run(GTK_NATIVE_DIALOG(dialog.Get()));
  if (response == GTK_RESPONSE_ACCEPT) {
    if (const ScopedString path{gtk_file_chooser_get_filename(chooser)}) {
      answer.outcome = OpenFileAnswer::Outcome::Chosen;
      answer.path = path.Get();
    } else {
      // A choice with no local path (a remote place the portal offered) cannot be shown.
      answer.outcome = OpenFileAnswer::Outcome::Failed;
      answer.failure = 1;
    }
  }
  return answer;
}

void GtkPlatform::OpenDocument(std::uintptr_t owner, const std::string& target, ShowState) {
  // How the opened program's window first appears is its own and the window manager's affair.
  GtkNativeWindow* w = Find(owner);
  const std::string uri = DocumentUri(target);
  ScopedError error;
  if (!gtk_show_uri_on_window(w ? w->Widget() : nullptr, uri.c_str(), GDK_CURRENT_TIME, error.Put())) {
    throw CallFailed("gtk_show_uri_on_window", uri, error.Get());
  }
}

float GtkPlatform::TwipsPerPixelX() const { return static_cast<float>(1440.0 / fonts_.Dpi()); }
float GtkPlatform::TwipsPerPixelY() const { return static_cast<float>(1440.0 / fonts_.Dpi()); }

// The colours Windows shows by default for the indices the layouts use, so that both programs
// look alike; any other index is the window ground.
Color GtkPlatform::SystemColor(int index) const {
  switch (index) {
    case 2: return 0xD1B499;   // active title
    case 3: return 0xDBCDBF;   // inactive title
    case 9: return 0x000000;   // title text
    case 18: return 0x000000;  // button text
    default: return 0xF0F0F0;  // menu, button face
  }
}

FontMetrics GtkPlatform::MeasureFont(const FontSpec& font) { return fonts_.Metrics(font); }

int GtkPlatform::TextWidth(const FontSpec& font, std::string_view text) { return fonts_.Width(font, text); }

bool GtkPlatform::IsOnAnyMonitor(const PixelRect& screen) const {
  GdkDisplay* display = gdk_display_get_default();
  for (int n = 0; n < gdk_display_get_n_monitors(display); ++n) {
    GdkRectangle g{};
    gdk_monitor_get_geometry(gdk_display_get_monitor(display, n), &g);
    if (!PixelRect{g.x, g.y, g.x + g.width, g.y + g.height}.Intersect(screen).Empty()) return true;
  }
  return false;
}

std::vector<PixelRect> GtkPlatform::Monitors() const {
  GdkDisplay* display = gdk_display_get_default();
  std::vector<PixelRect> monitors;
  for (int n = 0; n < gdk_display_get_n_monitors(display); ++n) {
    GdkMonitor* monitor = gdk_display_get_monitor(display, n);
    GdkRectangle g{};
    gdk_monitor_get_geometry(monitor, &g);
    const PixelRect r{g.x, g.y, g.x + g.width, g.y + g.height};
    if (gdk_monitor_is_primary(monitor)) {
      monitors.insert(monitors.begin(), r);
    } else {
      monitors.push_back(r);
    }
  }
  return monitors;
}

char GtkPlatform::DecimalSeparator() const {
  const char* radix = nl_langinfo(RADIXCHAR);
  return radix && radix[0] && !radix[1] ? radix[0] : '.';
}

std::unique_ptr<NativeWindow> GtkPlatform::CreateNativeWindow(const WindowLayout& layout, WindowEvents& events) {
  std::unique_ptr<GtkNativeWindow> window = CreateGtkWindow(layout, events, fonts_, *this);
  windows_.push_back(window.get());
  return window;
}

void GtkPlatform::RunEventLoop(const std::function<void()>& idle) {
  for (;;) {
    gtk_main_iteration_do(TRUE);
    idle();
  }
}

void GtkPlatform::RunModalLoop(const std::function<bool()>& done) {
  while (!done()) gtk_main_iteration_do(TRUE);
}

void GtkPlatform::EndProgram() {
  EndHandOver();
  std::fflush(nullptr);
  // Ends at once, as the Windows program does; the kernel releases the instance lock.
  std::_Exit(0);
}

void GtkPlatform::ShowMessage(std::uintptr_t owner, const std::string& text, const std::string& title) {
  GtkNativeWindow* w = Find(owner);
  GtkWindow* parent = w && w->Widget() ? w->Widget() : MainWindow();
  const ScopedWidget dialog(
      gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s", text.c_str()));
  gtk_window_set_title(GTK_WINDOW(dialog.Get()), title.c_str());
  gtk_window_set_keep_above(GTK_WINDOW(dialog.Get()), TRUE);
  gtk_dialog_run(GTK_DIALOG(dialog.Get()));
}

std::shared_ptr<Picture> GtkPlatform::LoadPicture(const std::string& path) { return LoadPixbufPicture(path); }

std::vector<std::string> GtkPlatform::PictureExtensions() { return PixbufExtensions(); }

std::string GtkPlatform::SettingsFilePath(const std::string& fileName) const {
  // Decided once, so that the file read at the start is the one written at the end.
  if (!settingsFolder_) settingsFolder_ = SettingsFolder(CurrentSettingsPlaceFacts(programFolder_));
  const std::string& folder = *settingsFolder_;
  if (folder != programFolder_) MakeFolders(folder);
  return (folder == "/" ? std::string() : folder) + "/" + fileName;
}

std::string GtkPlatform::FullPath(const std::string& path) const { return AbsolutePath(WorkingFolder(), path); }

std::string GtkPlatform::FindFileName(const std::string& path) { return StoredFileName(path); }

std::unique_ptr<BinaryFile> GtkPlatform::OpenReadWrite(const std::string& path) { return OpenPosixFile(path); }
std::unique_ptr<BinaryFile> GtkPlatform::OpenToRead(const std::string& path) { return OpenPosixFileToRead(path); }

// A Linux path is the file system's bytes, valid UTF-8 or not (a name written under another
// locale): the record keeps them as they are, so the picture that showed comes back.
std::optional<std::string> GtkPlatform::ToAnsi(std::string_view text) const { return std::string(text); }

std::string GtkPlatform::FromAnsi(std::string_view bytes) const { return std::string(bytes); }

}  // namespace corvane::gtk
