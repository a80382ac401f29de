// The Win32 backend of the platform: the system calls behind each of the seam's requests
// (win32_platform.cpp), top-level windows (win32_window.cpp, the system move in
// win32_drag.cpp), GDI painting (win32_canvas.cpp), fonts and text (win32_text.cpp), pictures
// (win32_picture.cpp: the first look and the OLE loader; win32_wic_picture.cpp: WIC), dropped
// files and the clipboard's picture (win32_clipboard.cpp), the settings file operations
// (win32_files.cpp), and a second start's hand-over (win32_hand_over.cpp). It owns the libraries loaded on first use (win32_late_bound.h), which
// outlive every window and picture it made.
#pragma once

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_hand_over.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

class Win32Platform : public Platform {
 public:
  Win32Platform(HINSTANCE instance, bool prevInstance);
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

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

  std::string AppPath() const override;
  bool PrevInstance() const override { return prevInstance_; }
  bool HandOverToRunningInstance(const std::string& message) override;
  void ListenForHandOver(std::function<void(const std::string&)> receive) override {
    handOver_.Listen(std::move(receive));
  }
  std::string FullPath(const std::string& path) const override;

  std::string SettingsFilePath(const std::string& fileName) const override;
  std::string FindFileName(const std::string& path) override;
  std::unique_ptr<BinaryFile> OpenReadWrite(const std::string& path) override;
  std::unique_ptr<BinaryFile> OpenToRead(const std::string& path) override;
  std::optional<std::string> ToAnsi(std::string_view text) const override;
  std::string FromAnsi(std::string_view bytes) const override;
  std::string ShortPathName(const std::string& path) const override;
  ClipboardPicture ReadClipboardPicture() override;  // win32_clipboard.cpp
  LocalTime Now() const override;

 private:
  LateBound late_;  // first: freed last, after everything that calls into its libraries
  HINSTANCE instance_;
  bool prevInstance_;
  int dpi_;
  FontCache fonts_;
  ScopedMemoryDC screen_;                       // for measuring text
  std::vector<std::string> pictureExtensions_;  // asked of WIC once
  HandOverListener handOver_;                   // every window passes what it is handed to it
};

}  // namespace corvane::win32
