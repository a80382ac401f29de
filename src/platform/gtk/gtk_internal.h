// Shared pieces of the GTK backend. Only files in this folder include it; no GTK or X header
// is seen above this folder.
#pragma once

#include <gtk/gtk.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/gtk/font_cache.h"
#include "platform/gtk/font_map.h"
#include "platform/gtk/gtk_scoped.h"
#include "platform/platform.h"

namespace corvane::gtk {

// "GTK: <call> failed on <object>: <reason>", the reason being the error's message.
Error CallFailed(std::string_view call, std::string_view object, const GError* error);

// The one face at the layouts' sizes, measured and drawn with cairo on FreeType. fontconfig
// picks the face as it would for any program; its glyphs are set side by side at their hinted,
// whole-pixel advances, without kerning, as GDI sets the Windows program's text. Each font is a
// cairo scaled font with the options GTK's own drawing surfaces give, so that text is drawn
// with exactly the glyphs it was measured with. A thread finds and loads the layouts' fonts
// (kLayoutFonts) while GTK sets up the first window; the first text asked for waits for it.
// fontconfig's answers are kept from one start to the next (font_cache.h).
class Fonts {
 public:
  // Made once the display is open: the fonts take the screen's resolution and font options.
  explicit Fonts(double dpi);
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
  FontMetrics Metrics(const FontSpec& font) const;
  // The advance of `text` in whole pixels.
  int Width(const FontSpec& font, std::string_view text) const;
  // Draws `text` in the source of `cr`, the top of its line at `y`.
  void Draw(cairo_t* cr, int x, int y, const FontSpec& font, std::string_view text) const;
  double Dpi() const { return dpi_; }
  // Takes the screen's font options again, after the desktop's font settings changed. True when
  // they differ: every font is then loaded afresh with them, and text must be drawn again.
  bool FollowScreenOptions();

 private:
  struct Face {
    ScopedScaledFont font;  // empty where no face could be loaded: nothing is drawn
    int ascent = 0;
    int descent = 0;
    int underlineTop = 0;  // below the baseline
    int underlineHeight = 1;
  };
  struct Run {
    std::vector<cairo_glyph_t> glyphs;  // from the origin, on the baseline
    int width = 0;
  };
  // The face for `font`, loaded at the first call. Answers fontconfig gives afresh are saved
  // at once unless `save` is false (the loading thread saves them all at its end).
  const Face& FaceOf(const FontSpec& font, bool save = true) const;
  Face LoadFace(const FontSpec& font) const;
  Face FaceOfMatch(FcPattern* match, const FaceChoice& choice) const;
  // The kept answers (font_cache.h), read at the first face asked for while they still hold.
  void ReadAnswers() const;
  void SaveAnswers() const;
  const Run& RunOf(const FontSpec& font, const Face& face, std::string_view text) const;
  void LoadLayoutFonts() const;
  // Ends the loading thread (it stops after the font it is loading) and waits for it.
  void TakeFonts() const;

  double dpi_;
  ScopedFontOptions options_;
  mutable std::unordered_map<int, Face> faces_;  // by pixel size and weight
  mutable bool answersRead_ = false;
  mutable std::string answersPath_;
  mutable FontAnswers answers_;
  mutable bool answersChanged_ = false;
  // The runs set so far, by face and text: a label's text is measured word by word as it is
  // wrapped, at every paint, and then drawn. Emptied when it reaches kCachedRuns.
  static constexpr std::size_t kCachedRuns = 1024;
  mutable std::unordered_map<std::string, Run> runs_;
  mutable std::atomic<bool> stop_{false};
  mutable std::thread loading_;
};

// A picture decoded by gdk-pixbuf; an animation moves on a frame when the program asks.
class PixbufPicture : public Picture {
 public:
  virtual void Render(cairo_t* cr, int x, int y) const = 0;
  // Makes the pixels now shown (an animation's current frame) cairo's source, their top-left
  // corner at the origin.
  virtual void SetSource(cairo_t* cr) const = 0;
};
std::shared_ptr<Picture> LoadPixbufPicture(const std::string& path);
// A JPEG file decoded by libjpeg into an RGB24 image surface, turned upright as its Exif
// orientation says; null when libjpeg cannot decode it cleanly (the caller then takes
// gdk-pixbuf's way).
ScopedSurface DecodeJpegSurface(const std::string& path);
// What one enabled gdk-pixbuf loader reads.
struct PixbufFormatFacts {
  std::string name;  // "png", "jpeg"...
  std::vector<std::string> extensions;
  std::vector<std::string> mimeTypes;
};
// The loaders installed and enabled, as gdk-pixbuf lists them.
std::vector<PixbufFormatFacts> EnabledPixbufFormats();
// What the loader opens, for the message about a file it cannot: "png, jpeg, gif, ...".
std::string PictureFormatNames();
// The file name extensions of every installed loader, the common kinds first.
std::vector<std::string> PixbufExtensions();
// The MIME types the loaders read, image/png first.
std::vector<std::string> PixbufMimeTypes();

class CairoCanvas : public Canvas {
 public:
  CairoCanvas(cairo_t* cr, const Fonts& fonts) : cr_(cr), fonts_(fonts) {}
  void FillRect(const PixelRect& r, Color rgb) override;
  void DrawString(int x, int y, std::string_view text, const FontSpec& font, Color rgb, const PixelRect& clip) override;
  void DrawPicture(const Picture& picture, int x, int y, const PixelRect& clip) override;
  void DrawPictureScaled(const Picture& picture, const PixelRect& shown, const PixelRect& clip) override;
  void DrawLine(PixelPoint from, PixelPoint to, int width, Color rgb, const PixelRect& clip) override;

 private:
  cairo_t* cr_;
  const Fonts& fonts_;
};

class GtkNativeWindow;
class WindowRegistry {
 public:
  virtual ~WindowRegistry() = default;
  virtual void Forget(GtkNativeWindow* window) = 0;
  // The window others belong to (the first plain popup still alive), or null.
  virtual GtkWindow* MainWindow() const = 0;
};

std::unique_ptr<GtkNativeWindow> CreateGtkWindow(const WindowLayout& layout, WindowEvents& events, const Fonts& fonts,
                                                 WindowRegistry& registry);

// The program's window as the platform sees it, with what the system move needs.
class GtkNativeWindow : public NativeWindow {
 public:
  virtual GtkWindow* Widget() const = 0;
  virtual WindowKind Kind() const = 0;
  // Starts the window manager's move from the last left press, if the button is still down.
  virtual void BeginMove() = 0;
};

// EWMH: ends the window manager's move of `window` at once (after a release it never saw).
// Only gtk_x11.cpp sees the X headers, whose macros clash with plain names.
void CancelWindowManagerMove(GdkWindow* window);

// A system-wide hot key, held until destroyed.
class HotKeyGrab {
 public:
  virtual ~HotKeyGrab() = default;
};
// Grabs `letter` with the ShiftMask `modifiers` on the root window, whatever NumLock and
// CapsLock are, and calls `pressed` at each press. Null when another client holds the key;
// throws Error when X refuses for another reason.
std::unique_ptr<HotKeyGrab> GrabHotKey(int modifiers, char letter, std::function<void()> pressed);

// The folder holding the running program; '/' only at the root.
std::string ProgramFolder();

std::unique_ptr<BinaryFile> OpenPosixFile(const std::string& path);
std::unique_ptr<BinaryFile> OpenPosixFileToRead(const std::string& path);
std::string StoredFileName(const std::string& path);

// The target as a URI the desktop can open: addresses without a scheme become http(s)/mailto,
// a local path a file URI.
std::string DocumentUri(const std::string& target);

}  // namespace corvane::gtk
