// The headless backend: the whole platform in memory, for unit tests.
//
// Implements: windows (geometry, visibility, enabled state, top-most), a recording canvas,
// a fixed font metric, pictures by path, the message box, the open-file dialog, documents
// opened, the cursor, the system move, an in-memory file system with attributes, a
// Latin-1 "ANSI" code page, monitors, and modal loops fed from a queue of test actions.
//
// It records every request the program makes in `calls`, in order, and answers from the
// script fields a test sets.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "pictures/animation.h"
#include "platform/platform.h"

namespace corvane {

// Thrown by EndProgram: the program has ended. Not an std::exception, so that no handler's
// error trap can catch it.
struct ProgramEnded {};

class HeadlessWindow;

struct RecordedCall {
  std::string name;
  std::vector<std::string> args;
};

struct DrawOp {
  enum Kind { Fill, Text, Picture, LineOp, ScaledPicture } kind = Fill;
  PixelRect rect;  // fill: the rectangle; text and picture: the clip; line: from/to in left/top, right/bottom
  std::string text;
  FontSpec font;
  Color color = 0;
  PixelPoint at;
  int width = 0;
  PixelRect shown;  // scaled picture: where the whole picture is stretched to
};

class HeadlessPlatform : public Platform {
 public:
  HeadlessPlatform();
  ~HeadlessPlatform() override;

  // --- Script ---
  float twipsPerPixel = 15.0f;
  CursorPoint cursor;
  // Where the system drag takes the window: its top-left corner moves by this many pixels.
  PixelPoint dragOffset;
  std::map<std::string, PixelSize> pictureFiles;  // path → natural size; other paths fail to load
  // Animated pictures by path: their frames (the canvas is the whole picture) and loop count.
  struct Animation {
    PixelSize size;
    std::vector<pictures::AnimationFrame> frames;
    int repeats = pictures::AnimationClock::kForever;
  };
  std::map<std::string, Animation> animatedPictures;
  std::vector<std::string> pictureExtensions{"bmp", "gif", "jpg", "jpeg", "png", "wmf"};
  std::function<OpenFileAnswer(const OpenFileRequest&)> dialog;  // default: cancelled
  bool shellThrows = false;                                      // the request to open a document cannot even be made
  bool prevInstance = false;
  // What second starts handed over, and where the messages handed to this program go.
  std::vector<std::string> handedOver;
  std::function<void(const std::string&)> handOverReceiver;
  // The folder the program was started in: relative paths are taken against it.
  std::string workingFolder = "C:\\Users\\me";
  std::string appPath = "C:\\Corvane";
  char decimalSeparator = '.';
  std::vector<PixelRect> monitors{{0, 0, 1280, 1024}};
  // Each monitor's own resolution, in the order of `monitors` (96 at 100 %), as a system that
  // scales each monitor on its own has them; empty: every window has the screen's.
  std::vector<int> monitorDpis;
  std::map<std::string, std::string> shortPaths;  // long path → short path
  // Font metric: a line is `points * 5 / 3` pixels high, a character half that wide (one more
  // when bold); a test may replace the width rule.
  std::function<int(const FontSpec&, std::string_view)> textWidth;
  // Click-through: the hot keys other programs hold ("Ctrl+Alt+T", modifiers as HotKeyText
  // writes them), and whether the system refuses every hot key outright.
  std::vector<std::string> takenHotKeys;
  bool hotKeysFail = false;
  bool clickThroughFails = false;  // the system refuses to let the mouse through
  static std::string HotKeyText(int modifiers, char letter);
  // Actions run, in order, by modal loops (a modal loop returns when its window closes or the
  // queue runs dry).
  std::deque<std::function<void()>> modalActions;

  // The clipboard: a copied file's path, else a picture of this size, else nothing; with
  // `clipboardError` set, reading it fails with that text.
  std::string clipboardFile;
  std::optional<PixelSize> clipboardImage;
  std::string clipboardImageExtension = "png";  // what the clipboard picture is kept as
  std::string clipboardError;
  LocalTime now{2026, 12, 10, 16, 43, 5};

  // --- Record ---
  std::vector<RecordedCall> calls;
  bool ended = false;
  std::vector<std::string> CallNames() const;
  // How a window handle or other number appears in `calls`.
  static std::string HandleText(std::uintptr_t value);
  const RecordedCall* LastCall(const std::string& name) const;
  int CountCalls(const std::string& name) const;

  // --- Files ---
  struct File {
    std::string storedName;  // the name as the file system keeps it (letter case)
    std::string bytes;
    bool readOnly = false;
    bool hidden = false;
    bool system = false;
    bool directory = false;
  };
  // Keyed by the full path in lower case, as a case-insensitive file system finds it.
  std::map<std::string, File> files;
  bool folderReadOnly = false;
  File* FindFile(const std::string& path);
  void PutFile(const std::string& path, const std::string& bytes);

  // --- Windows ---
  HeadlessWindow* WindowOf(std::uintptr_t handle) const;
  std::vector<HeadlessWindow*> windows;  // live native windows, in creation order

  // --- Platform ---
  void MakeTopMost(std::uintptr_t window, std::optional<PixelPoint> place) override;
  void BeginSystemMove(std::uintptr_t window) override;
  CursorPoint CursorPosition() override;
  OpenFileAnswer ChooseFileToOpen(const OpenFileRequest& request) override;
  void OpenDocument(std::uintptr_t owner, const std::string& target, ShowState show) override;
  float TwipsPerPixelX() const override { return twipsPerPixel; }
  float TwipsPerPixelY() const override { return twipsPerPixel; }
  Color SystemColor(int index) const override;
  FontMetrics MeasureFont(const FontSpec& font) override;
  int TextWidth(const FontSpec& font, std::string_view text) override;
  bool IsOnAnyMonitor(const PixelRect& screen) const override;
  std::vector<PixelRect> Monitors() const override { return monitors; }
  char DecimalSeparator() const override { return decimalSeparator; }
  std::unique_ptr<NativeWindow> CreateNativeWindow(const WindowLayout& layout, WindowEvents& events) override;
  void RunEventLoop(const std::function<void()>& idle) override;
  void RunModalLoop(const std::function<bool()>& done) override;
  [[noreturn]] void EndProgram() override;
  // The resolution of the monitor holding most of `frame`; 0 without monitorDpis.
  int MonitorDpi(const PixelRect& frame) const;
  void ShowMessage(std::uintptr_t owner, const std::string& text, const std::string& title) override;
  std::shared_ptr<Picture> LoadPicture(const std::string& path) override;
  std::vector<std::string> PictureExtensions() override { return pictureExtensions; }
  std::string AppPath() const override { return appPath; }
  bool PrevInstance() const override { return prevInstance; }
  bool HandOverToRunningInstance(const std::string& message) override;
  void ListenForHandOver(std::function<void(const std::string&)> receive) override {
    handOverReceiver = std::move(receive);
  }
  std::string FullPath(const std::string& path) const override;
  std::string SettingsFilePath(const std::string& fileName) const override { return appPath + "\\" + fileName; }
  std::string FindFileName(const std::string& path) override;
  std::unique_ptr<BinaryFile> OpenReadWrite(const std::string& path) override;
  std::unique_ptr<BinaryFile> OpenToRead(const std::string& path) override;
  std::optional<std::string> ToAnsi(std::string_view text) const override;
  std::string FromAnsi(std::string_view bytes) const override;
  std::string ShortPathName(const std::string& path) const override;
  ClipboardPicture ReadClipboardPicture() override;
  LocalTime Now() const override { return now; }

 private:
  friend class HeadlessWindow;
  void Record(std::string name, std::vector<std::string> args = {});
  // The points of `font` at the screen's resolution.
  float PointsOnScreen(const FontSpec& font) const;
  std::uintptr_t nextHandle_ = 0x10010;
};

class HeadlessWindow : public NativeWindow {
 public:
  HeadlessWindow(HeadlessPlatform& platform, const WindowLayout& layout, WindowEvents& events, std::uintptr_t handle);
  ~HeadlessWindow() override;

  void Destroy() override;
  std::uintptr_t Handle() const override { return handle_; }
  PixelRect Frame() const override;
  PixelSize ClientSize() const override { return client_; }
  void MoveTo(PixelPoint outerTopLeft) override;
  void SetClientSize(PixelSize size) override;
  void Show() override;
  void Hide() override;
  void Activate() override { platform_.Record("Activate", {layout_.title}); }
  bool IsVisible() const override { return visible_ && !destroyed_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  void Invalidate(const PixelRect& r) override { invalidated.push_back(r); }
  void RefreshTooltip() override {}
  void StartTimer(int milliseconds) override;
  void SetOpacity(int percent) override;
  void SetClickThrough(bool on) override;
  bool RegisterHotKey(int modifiers, char letter) override;
  void UnregisterHotKey() override;
  void AcceptFileDrops() override {
    acceptsDrops = true;
    platform_.Record("AcceptFileDrops", {layout_.title});
  }
  int Dpi() const override { return dpi_; }
  // Delivers a change of resolution as the system would, after taking it.
  void ChangeDpi(const DpiChange& change);

  const WindowLayout& Layout() const { return layout_; }
  bool acceptsDrops = false;
  bool Enabled() const { return enabled_ && !destroyed_; }
  bool Destroyed() const { return destroyed_; }
  bool topMost = false;
  int opacity = 100;
  // Every rectangle invalidated, in order (a test may clear it).
  std::vector<PixelRect> invalidated;
  // The pending timer's delay; 0 when none is asked for.
  int timerMs = 0;
  // Delivers the pending timer as the system would; false when none was pending.
  bool FireTimer();
  WindowEvents& Events() { return events_; }
  // Click-through as the system has it, and the hot key the window holds ("" for none).
  bool clickThrough = false;
  std::string hotKey;
  // Delivers the window's hot key as the system would; false when it holds none.
  bool PressHotKey();
  // Paints the whole client area and returns what was drawn.
  std::vector<DrawOp> Render();

  // Frame thickness of a framed window: sides and bottom, and the title bar on top.
  static constexpr int kBorder = 4;
  static constexpr int kTitleBar = 22;

 private:
  HeadlessPlatform& platform_;
  WindowLayout layout_;
  WindowEvents& events_;
  std::uintptr_t handle_;
  PixelPoint origin_{100, 80};  // where a new window appears
  PixelSize client_;
  bool visible_ = false;
  bool enabled_ = true;
  bool destroyed_ = false;
  int dpi_ = 0;  // that of the monitor it lies on; 0 without monitorDpis
};

}  // namespace corvane
