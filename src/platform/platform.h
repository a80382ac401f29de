// The one interface between Corvane's windows and the operating system.
//
// Everything above this header (the control model, the windows, the application) is portable
// C++ and names no OS API. Three backends implement it side by side:
//   win32/     the Windows program (the only code that includes <windows.h>)
//   gtk/       the Linux program on GTK 3 (the only code that includes GTK and X headers)
//   headless/  an in-memory system for unit tests: records requests, answers from a script
//
// Text is UTF-8 throughout; a backend converts at its edge. Geometry here is in pixels; the
// control model converts to and from twips.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A failure the platform raises; its text names what failed and why.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// 0x00BBGGRR, or 0x800000nn for the system colour with index nn.
using Color = std::uint32_t;
constexpr Color kSystemColorFlag = 0x80000000u;
constexpr bool IsSystemColor(Color c) { return (c & kSystemColorFlag) != 0; }

struct PixelPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool Contains(PixelPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  PixelRect Intersect(const PixelRect& o) const;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The pixels a horizontal or vertical line `width` pixels thick covers, centred on its segment
// from `from` to `to` (both ends included); nullopt for a slanting line.
std::optional<PixelRect> StraightLineBand(PixelPoint from, PixelPoint to, int width);

// Every text in the program uses one face in the Western character set; only size, weight and
// underline vary.
inline constexpr const char* kFontFace = "MS Sans Serif";

struct FontSpec {
  float points = 8.25f;
  bool bold = false;
  bool underline = false;
  int dpi = 0;  // the resolution it is measured and drawn at (96 at 100 %); 0 for the screen's
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

struct FontMetrics {
  int height = 0;  // one line, internal leading included
  int ascent = 0;
};

// A decoded picture file. It keeps its natural size and draws itself at 1:1.
class Picture {
 public:
  virtual ~Picture() = default;
  virtual PixelSize Size() const = 0;
  // For an animation: how long the frame now shown stays, in milliseconds. 0 for a still
  // picture, and for an animation that has shown its last frame for good.
  virtual int FrameDelay() const { return 0; }
  // Moves an animation on to its next frame and returns the part of the picture that changed
  // (empty for a still picture).
  virtual PixelRect NextFrame() { return {}; }
};

// Drawing surface for one paint pass, in client pixels. Every operation is clipped to `clip`.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void FillRect(const PixelRect& r, Color rgb) = 0;
  // Draws one line of text with its top-left corner at (x, y) on a transparent background.
  virtual void DrawString(int x, int y, std::string_view text, const FontSpec& font, Color rgb,
                          const PixelRect& clip) = 0;
  virtual void DrawPicture(const Picture& picture, int x, int y, const PixelRect& clip) = 0;
  // Draws the whole picture stretched over `shown` (its scaled place and size): smoothly when
  // it shrinks or grows by a fraction, as sharp square pixels when it grows a whole number of
  // times.
  virtual void DrawPictureScaled(const Picture& picture, const PixelRect& shown, const PixelRect& clip) = 0;
  // A solid line `width` pixels thick, centred on the segment from `from` to `to`.
  virtual void DrawLine(PixelPoint from, PixelPoint to, int width, Color rgb, const PixelRect& clip) = 0;
};

enum class MouseButton : int { Left = 1, Right = 2, Middle = 4 };

enum ShiftMask : int { kShift = 1, kCtrl = 2, kAlt = 4 };

struct MouseEvent {
  int button = 0;  // one MouseButton value; 0 for a move without a button
  int shift = 0;   // ShiftMask bits
  PixelPoint pos;  // client pixels
};

// Shortcut: a letter or digit pressed with Ctrl and without Alt (upper case in `character`).
// Paste: the system's paste keys (Ctrl+V, Shift+Insert).
// Left, Right, Up, Down: the arrow keys, with the ShiftMask bits held.
enum class Key { Tab, Character, AccessKey, Shortcut, Paste, Left, Right, Up, Down };

struct KeyEvent {
  Key key = Key::Tab;
  int shift = 0;
  char character = 0;  // for Character, AccessKey (Alt held) and Shortcut (Ctrl held)
};

// Files dropped on a window: their full paths, in the order given (empty when what was dropped
// names no file on this computer), where the pointer let go and the modifier keys held then.
struct FileDrop {
  std::vector<std::string> paths;
  PixelPoint screen;  // screen pixels
  int shift = 0;      // ShiftMask bits
};

// The mouse wheel turned over a window.
struct WheelEvent {
  int notches = 0;  // whole notches: positive away from the user, negative towards
  int shift = 0;    // ShiftMask bits
  PixelPoint pos;   // client pixels
};

// The resolution a window is drawn at changed: the system moved it to a monitor of another
// scale, or the monitor's scale changed.
struct DpiChange {
  int dpi = 96;         // the new resolution, 96 at 100 %
  PixelRect suggested;  // the outer rectangle the system proposes at that resolution
};

// What a native window reports to the control model that owns it.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual void OnPaint(Canvas& canvas, const PixelRect& dirty) = 0;
  virtual void OnMouseDown(const MouseEvent& e) = 0;
  virtual void OnMouseUp(const MouseEvent& e) = 0;
  virtual void OnMouseMove(const MouseEvent& e) = 0;
  virtual void OnDoubleClick(const MouseEvent& e) = 0;
  // Returns false when the key means nothing to the window, so the system's default applies.
  virtual bool OnKey(const KeyEvent& e) = 0;
  // The user or the system asked the window to close (close box, Alt+F4).
  virtual void OnCloseRequest() = 0;
  virtual std::string TooltipAt(PixelPoint client) = 0;
  // Runs the backend's own work for one delivery from the window system (a paint pass, say)
  // on the program's one handler path: a failure that escapes `work` is reported there like
  // any handler's, never dropped by the backend.
  virtual void Deliver(const std::function<void()>& work) = 0;
  // The time asked for with NativeWindow::StartTimer has come.
  virtual void OnTimer() = 0;
  virtual void OnWheel(const WheelEvent&) {}
  // The system-wide hot key registered with NativeWindow::RegisterHotKey was pressed.
  virtual void OnHotKey() {}
  // Files were dropped on a window that accepts them (NativeWindow::AcceptFileDrops).
  virtual void OnFilesDropped(const FileDrop& drop) { (void)drop; }
  // The window's resolution changed (NativeWindow::Dpi): it lays itself out again at the new
  // one and takes the suggested rectangle.
  virtual void OnDpiChanged(const DpiChange& change) { (void)change; }
};

enum class WindowKind {
  Popup,      // borderless, taskbar button, application icon
  ToolPopup,  // borderless, no taskbar button, no icon
  Framed,     // title bar with icon and close box, sizable frame
};

struct WindowLayout {
  WindowKind kind = WindowKind::Popup;
  std::string title;
  PixelSize clientSize;
  // The window this one belongs to (a native handle, 0 for none). An owned window always stays
  // above its owner, whatever the window manager does with a click on the owner.
  std::uintptr_t owner = 0;
};

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;
  // Destroys the system's window; the object stays valid, inert, until it is deleted.
  virtual void Destroy() = 0;
  virtual std::uintptr_t Handle() const = 0;
  virtual PixelRect Frame() const = 0;  // outer rectangle on the screen
  virtual PixelSize ClientSize() const = 0;
  virtual void MoveTo(PixelPoint outerTopLeft) = 0;
  virtual void SetClientSize(PixelSize size) = 0;
  virtual void Show() = 0;  // shows and activates
  virtual void Activate() = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void Invalidate(const PixelRect& client) = 0;
  // The control under the pointer changed: the tooltip must ask TooltipAt again.
  virtual void RefreshTooltip() = 0;
  // Calls WindowEvents::OnTimer once, `milliseconds` from now, in place of any earlier request;
  // 0 cancels. The call waits behind input: it never delays the mouse or the keys.
  virtual void StartTimer(int milliseconds) = 0;
  // How opaque the whole window is, 10 to 100 percent (100: not see-through at all). On
  // Windows a window below 100 % is a layered window with that constant alpha.
  virtual void SetOpacity(int percent) = 0;

  // Click-through. While on, every mouse event goes through the window to the windows beneath;
  // the window stays shown and above them. Off gives the window back exactly as it was.
  virtual void SetClickThrough(bool on) = 0;
  // Makes `letter` (upper case) with the ShiftMask `modifiers` a system-wide hot key that
  // reaches WindowEvents::OnHotKey wherever the keyboard is, in place of the one the window
  // held. False when another program holds that key; throws Error when the system refuses for
  // another reason. The window gives it up when destroyed.
  virtual bool RegisterHotKey(int modifiers, char letter) = 0;
  virtual void UnregisterHotKey() = 0;
  // Lets the user drop files on the window: WindowEvents::OnFilesDropped receives them.
  virtual void AcceptFileDrops() = 0;
  // The resolution the window is drawn at, that of the monitor it is on where the system
  // scales each monitor on its own (96 at 100 %); 0 where every window has the screen's.
  virtual int Dpi() const { return 0; }
};

// A file opened for binary, byte-addressed reading and writing; closed when destroyed.
class BinaryFile {
 public:
  virtual ~BinaryFile() = default;
  virtual void Write(std::uint64_t offset, const std::string& bytes) = 0;
  // Throws Error when fewer than `count` bytes lie at `offset`.
  virtual std::string Read(std::uint64_t offset, std::size_t count) = 0;
};

struct CursorPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// One entry of the open-file dialog's list of file types.
struct FileFilter {
  std::string description;  // what the user reads, "Pictures (bmp;gif;jpg)"
  std::string patterns;     // the names it admits, separated by ';': "*.bmp;*.gif;*.jpg"
};

// What the program asks of the open-file dialog.
struct OpenFileRequest {
  std::uintptr_t owner = 0;  // the window the dialog belongs to; it stays blocked meanwhile
  std::string title;
  std::vector<FileFilter> filters;  // the first one is in force when the dialog opens
  std::string initialFolder;
};

struct OpenFileAnswer {
  enum class Outcome { Chosen, Cancelled, Failed };
  Outcome outcome = Outcome::Cancelled;
  // Chosen: the path in full (UTF-8), so that a name the ANSI code page cannot hold is seen
  // for what it is.
  std::string path;
  std::uint32_t failure = 0;  // Failed: the dialog's error code
};

// A picture taken from the clipboard, held until it is written out.
class ClipboardImage {
 public:
  virtual ~ClipboardImage() = default;
  // The kind of file Save writes, as a file name extension without the dot: "png", or the
  // picture's own kind when it is kept as it came (an animation, which a PNG would stop).
  virtual std::string Extension() const { return "png"; }
  // Writes the picture, transparency kept, as a new file of that kind at `path`; an existing
  // file is never replaced. Throws Error naming what failed.
  virtual void Save(const std::string& path) const = 0;
};

// What the clipboard offers as a picture: a copied file, a picture, or neither.
struct ClipboardPicture {
  std::string file;                       // a copied file's full path
  std::unique_ptr<ClipboardImage> image;  // a bitmap or picture, when no file is given
};

// The local date and time, to the second.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// How a window that opens a document first appears.
enum class ShowState { Normal, Minimized };

class Platform {
 public:
  virtual ~Platform() = default;

  // Window-manager requests.
  // Keeps the window above every ordinary window. With `place`, its outer top-left corner
  // moves there at the same time; without, it keeps its place. Its size is kept.
  virtual void MakeTopMost(std::uintptr_t window, std::optional<PixelPoint> place) = 0;
  // Called while the left button is down on the window: the system moves the window with the
  // pointer, as if its title bar had been pressed, until the button is released.
  virtual void BeginSystemMove(std::uintptr_t window) = 0;
  // The pointer's place on the screen, in pixels.
  virtual CursorPoint CursorPosition() = 0;
  // The system's open-file dialog, modal for `request.owner`.
  virtual OpenFileAnswer ChooseFileToOpen(const OpenFileRequest& request) = 0;
  // Opens a web or mail address or a document with the user's program for it. Throws Error
  // when the request cannot even be made; whether the program then starts is not reported.
  virtual void OpenDocument(std::uintptr_t owner, const std::string& target, ShowState show) = 0;

  // Screen and drawing.
  virtual float TwipsPerPixelX() const = 0;
  virtual float TwipsPerPixelY() const = 0;
  virtual Color SystemColor(int index) const = 0;
  virtual FontMetrics MeasureFont(const FontSpec& font) = 0;
  virtual int TextWidth(const FontSpec& font, std::string_view text) = 0;
  // True when some part of the rectangle (screen pixels) lies on a monitor.
  virtual bool IsOnAnyMonitor(const PixelRect& screen) const = 0;
  // Every monitor's rectangle in screen pixels, the primary one first.
  virtual std::vector<PixelRect> Monitors() const = 0;
  virtual char DecimalSeparator() const = 0;

  // Windows and the event loop.
  virtual std::unique_ptr<NativeWindow> CreateNativeWindow(const WindowLayout& layout, WindowEvents& events) = 0;
  // Runs until the program ends; `idle` runs after each event.
  virtual void RunEventLoop(const std::function<void()>& idle) = 0;
  // Runs events until `done` holds.
  virtual void RunModalLoop(const std::function<bool()>& done) = 0;
  [[noreturn]] virtual void EndProgram() = 0;

  // Dialogs and pictures.
  virtual void ShowMessage(std::uintptr_t owner, const std::string& text, const std::string& title) = 0;
  virtual std::shared_ptr<Picture> LoadPicture(const std::string& path) = 0;  // throws Error
  // The file name extensions (lower case, without the dot) of every format LoadPicture can
  // read on this system, the most common first.
  virtual std::vector<std::string> PictureExtensions() = 0;

  // Application facts.
  virtual std::string AppPath() const = 0;  // trailing separator only at a drive root
  virtual bool PrevInstance() const = 0;
  // Hands `message` (app/hand_over.h) to the Corvane already running for this user, as a
  // second start does; false when none takes it.
  virtual bool HandOverToRunningInstance(const std::string& message) = 0;
  // From now on, each message a second start hands over reaches `receive`, on the event loop,
  // exactly as the sender wrote it. Only the same user's programs can hand one over.
  virtual void ListenForHandOver(std::function<void(const std::string&)> receive) = 0;
  // `path` made absolute against the working folder the program was started in.
  virtual std::string FullPath(const std::string& path) const = 0;

  // Files.
  // The full path of the settings file called `fileName`: beside the program on Windows; on
  // other systems wherever their rules put it.
  virtual std::string SettingsFilePath(const std::string& fileName) const = 0;
  // The stored name of the file that `path` names (letter case as stored, any attributes), or
  // the empty text when there is none or it is a folder.
  virtual std::string FindFileName(const std::string& path) = 0;
  // Opens for reading and writing, creating a missing file; never truncates. Throws Error.
  virtual std::unique_ptr<BinaryFile> OpenReadWrite(const std::string& path) = 0;
  // Opens an existing file for reading only, a read-only file too; its Write throws. Throws
  // Error when it is missing or cannot be read.
  virtual std::unique_ptr<BinaryFile> OpenToRead(const std::string& path) = 0;
  // Text in the system's ANSI code page; nullopt when the code page cannot hold it.
  virtual std::optional<std::string> ToAnsi(std::string_view text) const = 0;
  virtual std::string FromAnsi(std::string_view bytes) const = 0;
  // The file's short (8.3) path, or the empty text when it has none.
  virtual std::string ShortPathName(const std::string& path) const = 0;

  // Pasting.
  // The picture on the clipboard: a copied file first named, else a picture (at most the size
  // every picture is held to), else neither. Throws Error when the clipboard holds a picture
  // that cannot be taken (too large, damaged).
  virtual ClipboardPicture ReadClipboardPicture() = 0;
  virtual LocalTime Now() const = 0;
};

}  // namespace corvane
