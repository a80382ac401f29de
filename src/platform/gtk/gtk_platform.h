// The GTK 3 backend of the platform, for Linux desktops on X11 (XWayland under Wayland).
//
// Implements: the window-manager requests through EWMH (keep-above, the WM's move, the pointer),
// the portal-capable open-file dialog, documents through the desktop's URI handlers, screen
// resolution and colours, the one face (gtk_fonts.cpp), windows (gtk_window.cpp), cairo painting
// (gtk_canvas.cpp), gdk-pixbuf pictures (gtk_picture.cpp), message dialogs, the event loops,
// the program's folder and the settings file's place and operations (gtk_files.cpp). Text on
// Linux is UTF-8 end to end: the "ANSI" code page is UTF-8 (a path that is not valid UTF-8 is
// kept as its bytes) and no name has a short form.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/gtk/gtk_internal.h"

namespace corvane::gtk {

class HandOverListener;  // gtk_hand_over.cpp

// How long a second start goes on trying to reach a Corvane that holds the lock but may not
// listen yet, and how often, in microseconds.
inline constexpr gint64 kHandOverWaitMicroseconds = 3'000'000;
inline constexpr gulong kHandOverRetryMicroseconds = 50'000;

class GtkPlatform : public Platform, public WindowRegistry {
 public:
  // `handOverSocket`: where the running instance takes a second start's message
  // (HandOverSocketPath); empty for none.
  GtkPlatform(bool prevInstance, std::string handOverSocket);
  ~GtkPlatform() override;
  GtkPlatform(const GtkPlatform&) = delete;
  GtkPlatform& operator=(const GtkPlatform&) = delete;

  void MakeTopMost(std::uintptr_t window, std::optional<PixelPoint> place) override;
  void BeginSystemMove(std::uintptr_t window) override;
  CursorPoint CursorPosition() override;
  OpenFileAnswer ChooseFileToOpen(const OpenFileRequest& request) override;
  void OpenDocument(std::uintptr_t owner, const std::string& target, ShowState show) override;

  float TwipsPerPixelX() const override;
  float TwipsPerPixelY() const override;
  Color SystemColor(int index) const override;
  FontMetrics MeasureFont(const FontSpec& font) override;
  int TextWidth(const FontSpec& font, std::string_view text) override;
  bool IsOnAnyMonitor(const PixelRect& screen) const override;
  std::vector<PixelRect> Monitors() const override;
  char DecimalSeparator() const override;

  std::unique_ptr<NativeWindow> CreateNativeWindow(const WindowLayout& layout, WindowEvents& events) override;
  void RunEventLoop(const std::function<void()>& idle) override;
  void RunModalLoop(const std::function<bool()>& done) override;
  [[noreturn]] void EndProgram() override;

  void ShowMessage(std::uintptr_t owner, const std::string& text, const std::string& title) override;
  std::shared_ptr<Picture> LoadPicture(const std::string& path) override;
  std::vector<std::string> PictureExtensions() override;

  std::string AppPath() const override { return programFolder_; }
  bool PrevInstance() const override { return prevInstance_; }
  bool HandOverToRunningInstance(const std::string& message) override;  // gtk_hand_over.cpp
  void ListenForHandOver(std::function<void(const std::string&)> receive) override;
  std::string FullPath(const std::string& path) const override;

  std::string SettingsFilePath(const std::string& fileName) const override;
  std::string FindFileName(const std::string& path) override;
  std::unique_ptr<BinaryFile> OpenReadWrite(const std::string& path) override;
  std::unique_ptr<BinaryFile> OpenToRead(const std::string& path) override;
  std::optional<std::string> ToAnsi(std::string_view text) const override;
  std::string FromAnsi(std::string_view bytes) const override;
  std::string ShortPathName(const std::string&) const override { return {}; }
  ClipboardPicture ReadClipboardPicture() override;  // gtk_clipboard.cpp
  LocalTime Now() const override;

  // WindowRegistry
  void Forget(GtkNativeWindow* window) override;
  GtkWindow* MainWindow() const override;

 private:
  GtkNativeWindow* Find(std::uintptr_t handle) const;
  // Binds the hand-over socket when this is the instance that runs (gtk_hand_over.cpp).
  void StartHandOverSocket();
  // Stops taking messages and removes the socket file.
  void EndHandOver();
  static void OnFontOptions(GObject* screen, GParamSpec* property, GtkPlatform* self);

  bool prevInstance_;
  std::string handOverSocket_;
  ScopedFd handOverListening_;                  // bound at start, until ListenForHandOver
  std::unique_ptr<HandOverListener> handOver_;  // serving it on the event loop
  std::string programFolder_;
  Fonts fonts_;
  std::vector<GtkNativeWindow*> windows_;  // live windows, in creation order
  ScopedSignal fontOptionsChanged_;
  // The settings file's folder, decided at the first time it is asked for.
  mutable std::optional<std::string> settingsFolder_;
};

}  // namespace corvane::gtk
