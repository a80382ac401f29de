// Shared pieces of the Win32 backend. Only files in this folder include it.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// The system's text for an error code, without the trailing line break.
std::string ErrorText(DWORD code);
// "Win32: <call> failed: <reason>" for the calling thread's last error.
Error CallFailed(const char* call);
// The same for an error code the caller has.
Error CallFailed(const char* call, DWORD code);
// "Win32: <call>(<object>) failed: <reason>": the call and what it failed on (a path, a
// window), for the calling thread's last error or an error code the caller has.
Error CallFailedOn(std::string_view call, std::string_view object);
Error CallFailedOn(std::string_view call, std::string_view object, DWORD code);
// "Win32: <call> stopped short: <done> of <asked> bytes". A short transfer is a success to the
// system, so the thread's last error says nothing about it and is not consulted.
Error StoppedShort(std::string_view call, DWORD done, std::size_t asked);

// The full paths of the files in a drop or a copied-files clipboard entry, in their order.
std::vector<std::string> DroppedFilePaths(LateBound& late, HDROP drop);

// The face a font really got, the height of its characters (its line height without the
// internal leading) and whether it is a bitmap face.
struct FontFacts {
  std::wstring face;
  int emHeight = 0;
  bool bitmap = false;
};
FontFacts InspectFont(HFONT font);
// "MS Sans Serif 8.25 pt bold": the font asked for, to name it in a failure.
std::string FontName(const FontSpec& font);

// Fonts of the one face, made once per size, weight, underline and resolution.
class FontCache {
 public:
  // `dpi`: the screen's, for fonts that name none of their own.
  explicit FontCache(int dpi) : dpi_(dpi) {}
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;
  // The font, made on first use; throws Error when the system cannot make it.
  HFONT Get(const FontSpec& font);

 private:
  int dpi_;
  std::map<std::tuple<float, bool, bool, int>, ScopedFont> fonts_;
};

// A decoded picture the GDI canvas draws.
class GdiPicture : public Picture {
 public:
  // Draws the picture with its top-left corner at (x, y), touching only `clip`.
  virtual void Render(HDC dc, int x, int y, const RECT& clip) const = 0;
  // Draws the whole picture stretched over `shown`, touching only `clip`: halftoned when it
  // shrinks or grows by a fraction, pixel for pixel when it grows a whole number of times.
  virtual void RenderScaled(HDC dc, const RECT& shown, const RECT& clip) const = 0;
  // Which loader made it: "WIC" or "OLE".
  virtual const char* Loader() const = 0;
  // Bits per pixel of the bitmap the picture is kept in; 0 when it keeps none of its own.
  virtual int HeldBitsPerPixel() const { return 0; }
};

// A picture refused on sight (its claimed size); no other loader is tried.
class RefusedPicture : public Error {
 public:
  using Error::Error;
};

// A file's first and last bytes and its length: enough to know its format, the size it
// claims and whether it ends too early, before any decoder runs.
struct FileGlance {
  std::vector<std::uint8_t> head;
  std::vector<std::uint8_t> tail;
  std::uint64_t size = 0;
};
// Throws Error naming the call, the file and the reason when it cannot be read, or saying it
// is empty.
FileGlance GlanceAtFile(const std::string& path);

// Every picture: refused on sight when its header claims an absurd or empty size or its file
// ends too early; otherwise decoded by WIC, else by the OLE loader (metafiles, cursors, and
// anything WIC refuses). The message for a file nobody reads lists the kinds this system reads.
// The picture keeps `late` for drawing: it must outlive the picture.
std::shared_ptr<Picture> LoadPictureFile(LateBound& late, const std::string& path, int dpi);
// WIC alone: nullptr when no WIC decoder takes the file's content; throws Error when one does
// and fails, RefusedPicture when the picture is too large.
std::shared_ptr<Picture> LoadWicPicture(LateBound& late, const std::string& path, const FileGlance& glance);
// The system's OLE picture loader alone.
std::shared_ptr<Picture> LoadOlePicture(LateBound& late, const std::string& path, int dpi);
// The extensions of WIC's installed decoders, lower case, without dots, as WIC lists them.
std::vector<std::string> WicExtensions(LateBound& late);
// Every extension LoadPictureFile reads on this system, the most common first.
std::vector<std::string> PictureFileExtensions(LateBound& late);

// Paints into a device context; the paint pass sets the clip region to the dirty area.
class GdiCanvas : public Canvas {
 public:
  GdiCanvas(HDC dc, FontCache& fonts) : dc_(dc), fonts_(fonts) {}
  void FillRect(const PixelRect& r, Color rgb) override;
  void DrawString(int x, int y, std::string_view text, const FontSpec& font, Color rgb, const PixelRect& clip) override;
  void DrawPicture(const Picture& picture, int x, int y, const PixelRect& clip) override;
  void DrawPictureScaled(const Picture& picture, const PixelRect& shown, const PixelRect& clip) override;
  void DrawLine(PixelPoint from, PixelPoint to, int width, Color rgb, const PixelRect& clip) override;

 private:
  HDC dc_;
  FontCache& fonts_;
};

// A memory device context compatible with `dc` (with the screen when it is null). Throws Error
// naming CreateCompatibleDC when it cannot be made.
ScopedMemoryDC CompatibleMemoryDC(HDC dc);

// A bitmap selected into a memory device context compatible with `dc`, to copy from; the
// bitmap is deselected and the context deleted at the end. Throws Error naming
// CreateCompatibleDC or SelectObject when it cannot be made.
class BitmapSource {
 public:
  BitmapSource(HDC dc, HBITMAP bitmap);
  BitmapSource(const BitmapSource&) = delete;
  BitmapSource& operator=(const BitmapSource&) = delete;
  HDC Get() const { return memory_.Get(); }

 private:
  ScopedMemoryDC memory_;
  ScopedSelect selected_;  // deselected before the context goes
};

// Stretches `size` pixels of `source` (selected into a memory DC) over `shown` on `dc`, clipped
// to `part`: HALFTONE filtering unless the picture grows a whole number of times, which keeps
// square pixels.
void StretchPicture(HDC dc, const RECT& shown, const RECT& part, HDC source, PixelSize size);
// The same with the source's premultiplied alpha over what `dc` holds (AlphaBlend).
void BlendPictureScaled(LateBound& late, HDC dc, const RECT& shown, const RECT& part, HDC source, PixelSize size);

// The Unicode open-file dialog's record for a request, with the buffers it points into. It
// is the record the program has always passed: the first published size, no custom filter,
// the first filter in force, room for the longest path the system returns, no flags.
struct OpenFileRecord {
  static constexpr DWORD kFileBufferChars = 65536;
  std::wstring filter;  // pairs of description and patterns, each closed by a NUL, then a NUL
  std::wstring file;
  std::wstring fileTitle;
  std::wstring initialDir;
  std::wstring title;
  OPENFILENAMEW ofn{};
};
std::unique_ptr<OpenFileRecord> MakeOpenFileRecord(const OpenFileRequest& request, HINSTANCE instance);

// The folder holding the running program; a trailing separator only at a drive's root.
std::string ProgramDirectory();

std::unique_ptr<BinaryFile> OpenBinaryFile(const std::string& path);
std::unique_ptr<BinaryFile> OpenBinaryFileToRead(const std::string& path);
std::string StoredFileName(const std::string& path);

// UTF-8 to and from the system's ANSI code page; nullopt when the code page cannot hold it.
std::optional<std::string> ToAnsiCodePage(std::string_view utf8);
std::string FromAnsiCodePage(std::string_view bytes);

// A named kernel object in the user's session that marks a running program. The first holder
// of the name is alone; later ones learn that another instance runs.
class InstanceMarker {
 public:
  explicit InstanceMarker(const wchar_t* name);
  bool AnotherInstanceRuns() const { return another_; }

 private:
  ScopedKernelHandle handle_;
  bool another_ = false;
};

}  // namespace corvane::win32
