// Loading a picture file: a look at its first and last bytes and a walk over its container's
// lengths, then WIC, then the system's OLE picture loader (bmp, dib, gif, jpg, wmf, emf, ico,
// cur) for what WIC does not take.
#include "platform/win32/win32_internal.h"

#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <functional>
#include <span>

#include "pictures/container_walk.h"
#include "pictures/picture_extensions.h"
#include "pictures/picture_header.h"
#include "platform/win32/win32_scoped.h"

namespace corvane::win32 {

namespace {

constexpr long kHimetricPerInch = 2540;

PixelSize IconSize(HICON icon, PixelSize fallback) {
  const ScopedIconInfo info(icon);
  BITMAP mask{};
  if (!info || !GetObjectW(info.Mask(), sizeof mask, &mask)) return fallback;
  // Without a colour bitmap the mask holds the AND and XOR halves one above the other.
  return {mask.bmWidth, info.Color() ? mask.bmHeight : mask.bmHeight / 2};
}

// Raises the failure of one of the loaded picture's own calls, naming the file.
void CheckPictureCall(HRESULT hr, const char* call, const std::string& path) {
  if (FAILED(hr)) throw CallFailedOn(call, path, static_cast<DWORD>(hr));
}

class Win32Picture : public GdiPicture {
 public:
  Win32Picture(ComPtr<IPicture> picture, int dpi, const std::string& path) : picture_(std::move(picture)) {
    CheckPictureCall(picture_->get_Width(&himetricWidth_), "IPicture::get_Width", path);
    CheckPictureCall(picture_->get_Height(&himetricHeight_), "IPicture::get_Height", path);
    CheckPictureCall(picture_->get_Type(&type_), "IPicture::get_Type", path);
    DWORD attributes = 0;
    CheckPictureCall(picture_->get_Attributes(&attributes), "IPicture::get_Attributes", path);
    transparent_ = (attributes & PICTURE_TRANSPARENT) != 0;
    // Bitmaps and icons keep their own pixels at any screen scale; metafiles are measured in
    // hundredths of a millimetre and take the screen's pixels.
    size_ = {MulDiv(himetricWidth_, dpi, kHimetricPerInch), MulDiv(himetricHeight_, dpi, kHimetricPerInch)};
    OLE_HANDLE handle = 0;
    if (SUCCEEDED(picture_->get_Handle(&handle)) && handle != 0) {
      const auto raw = static_cast<UINT_PTR>(handle);
      if (type_ == PICTYPE_BITMAP) {
        BITMAP info{};
        if (GetObjectW(reinterpret_cast<HBITMAP>(raw), sizeof info, &info)) size_ = {info.bmWidth, info.bmHeight};
        if (!transparent_) KeepBitmapOnly(reinterpret_cast<HBITMAP>(raw));
      } else if (type_ == PICTYPE_ICON) {
        size_ = IconSize(reinterpret_cast<HICON>(raw), size_);
      }
    }
  }

  PixelSize Size() const override { return size_; }
  const char* Loader() const override { return "OLE"; }

  void Render(HDC dc, int x, int y, const RECT& clip) const override {
    RECT part{};
    const RECT whole{x, y, x + size_.width, y + size_.height};
    if (!IntersectRect(&part, &whole, &clip)) return;
    if (bitmap_) {
      // An opaque bitmap: copy just the part asked for.
      const BitmapSource source(dc, bitmap_.Get());
      if (!BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, source.Get(), part.left - x,
                  part.top - y, SRCCOPY))
        throw CallFailed("BitBlt");
      return;
    }
    // Icons, cursors, metafiles and transparent bitmaps draw only their own pixels, so the
    // window's ground shows through.
    DrawObject(dc, {x, y, x + size_.width, y + size_.height}, part);
  }

  void RenderScaled(HDC dc, const RECT& shown, const RECT& clip) const override {
    RECT part{};
    if (!IntersectRect(&part, &shown, &clip)) return;
    if (bitmap_) {
      const BitmapSource source(dc, bitmap_.Get());
      StretchPicture(dc, shown, part, source.Get(), size_);
      return;
    }
    // The loader's object draws at any size: metafiles from their records, icons through
    // the system's own stretching.
    DrawObject(dc, shown, part);
  }

 private:
  // An opaque bitmap needs nothing but its pixels: the loader's object, which also keeps a copy
  // of the whole file, goes.
  void KeepBitmapOnly(HBITMAP loaded) {
    bitmap_.Reset(static_cast<HBITMAP>(CopyImage(loaded, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (bitmap_) picture_.Reset();  // else the loader's object draws it
  }

  // The loader's object drawn over `shown`, touching only `part`.
  void DrawObject(HDC dc, const RECT& shown, const RECT& part) const {
    const ScopedClip clipped(dc, part);
    if (!clipped) throw CallFailed("IntersectClipRect");
    const HRESULT hr = picture_->Render(dc, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top,
                                        0, himetricHeight_, himetricWidth_, -himetricHeight_, nullptr);
    if (FAILED(hr)) throw CallFailed("IPicture::Render", static_cast<DWORD>(hr));
  }

  ComPtr<IPicture> picture_;
  OLE_XSIZE_HIMETRIC himetricWidth_ = 0;
  OLE_YSIZE_HIMETRIC himetricHeight_ = 0;
  SHORT type_ = PICTYPE_NONE;
  bool transparent_ = false;
  ScopedBitmap bitmap_;
  PixelSize size_;
};

// A file opened for reading (FILE_SHARE_READ); empty when it cannot be, the reason in the
// thread's last error.
ScopedKernelHandle OpenToRead(const std::string& path, DWORD flags) {
  return ScopedKernelHandle(FileOrNull(
      CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr)));
}

// A whole file in movable global memory, as CreateStreamOnHGlobal takes it; or, when it could
// not be read, why.
struct WholeFile {
  ScopedGlobalMemory memory;
  std::string failure;
};

WholeFile ReadWholeFile(const std::string& path) {
  WholeFile whole;
  const ScopedKernelHandle file = OpenToRead(path, FILE_ATTRIBUTE_NORMAL);
  LARGE_INTEGER size{};
  if (!file) {
    whole.failure = CallFailedOn("CreateFile", path).what();
  } else if (!GetFileSizeEx(file.Get(), &size)) {
    whole.failure = CallFailedOn("GetFileSizeEx", path).what();
  } else if (size.QuadPart == 0) {
    whole.failure = "The file is empty.";
  } else if (size.QuadPart > 0x7FFFFFFF) {
    whole.failure = "The file is too large to be a picture Corvane can show.";
  } else {
    const auto bytes = static_cast<DWORD>(size.QuadPart);
    whole.memory.Reset(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!whole.memory) {
      whole.failure =
          "There is not enough memory to read the file: " + std::string(CallFailedOn("GlobalAlloc", path).what());
      return whole;
    }
    DWORD read = 0;
    BOOL wasRead = FALSE;
    {
      const ScopedGlobalLock data(whole.memory.Get());
      if (!data.Bytes()) {
        whole.failure = CallFailedOn("GlobalLock", path).what();
      } else {
        wasRead = ReadFile(file.Get(), data.WritableBytes(), bytes, &read, nullptr);
        if (!wasRead) whole.failure = CallFailedOn("ReadFile", path).what();
      }
    }
    if (wasRead && read != bytes) whole.failure = StoppedShort("ReadFile(" + path + ")", read, bytes).what();
  }
  if (!whole.failure.empty()) whole.memory.Reset();
  return whole;
}

}  // namespace

std::shared_ptr<Picture> LoadOlePicture(LateBound& late, const std::string& path, int dpi) {
  WholeFile whole = ReadWholeFile(path);
  if (!whole.failure.empty()) throw Error(whole.failure);
  late.RequireOle();
  ComPtr<IStream> stream;
  // The stream frees the memory when it ends, once it has taken it.
  const HRESULT made = late.CreateStreamOnHGlobal(whole.memory.Get(), TRUE, stream.Put());
  if (FAILED(made)) throw CallFailedOn("CreateStreamOnHGlobal", path, static_cast<DWORD>(made));
  whole.memory.Release();
  ComPtr<IPicture> picture;
  const HRESULT hr = late.OleLoadPicture(stream.Get(), 0, FALSE, IID_IPicture, picture.PutVoid());
  stream.Reset();
  if (hr == E_OUTOFMEMORY) throw Error("The picture is too large to fit in memory.");
  if (FAILED(hr) || !picture)
    throw Error("The file is not a picture Corvane can show (bmp, gif, jpg, dib, wmf, emf, ico or cur): " +
                std::string(CallFailedOn("OleLoadPicture", path, static_cast<DWORD>(hr)).what()));
  return std::make_shared<Win32Picture>(std::move(picture), dpi, path);
}

FileGlance GlanceAtFile(const std::string& path) {
  const ScopedKernelHandle file = OpenToRead(path, FILE_ATTRIBUTE_NORMAL);
  if (!file) throw CallFailedOn("CreateFile", path);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) throw CallFailedOn("GetFileSizeEx", path);
  // Refused before anything is read: the same limit as on every path and in both programs.
  if (const std::string problem = pictures::FileSizeProblem(static_cast<std::uint64_t>(size.QuadPart));
      !problem.empty())
    throw Error(problem);
  FileGlance glance;
  glance.size = static_cast<std::uint64_t>(size.QuadPart);
  const auto read = [&](std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& into) {
    into.resize(count);
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) throw CallFailedOn("SetFilePointerEx", path);
    if (!ReadFile(file.Get(), into.data(), static_cast<DWORD>(count), &got, nullptr))
      throw CallFailedOn("ReadFile", path);
    into.resize(got);
  };
  read(0, static_cast<std::size_t>(std::min<std::uint64_t>(glance.size, pictures::kHeadBytes)), glance.head);
  const std::uint64_t tail = std::min<std::uint64_t>(glance.size, pictures::kTailBytes);
  read(glance.size - tail, static_cast<std::size_t>(tail), glance.tail);
  return glance;
}

namespace {

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
  return text;
}

// Why no loader took the file, and what this system can show instead.
std::string NoDecoderText(pictures::PictureFormat format, const std::vector<std::string>& extensions) {
  const std::string known = "Corvane shows these kinds of picture on this system: " + Joined(extensions) + ".";
  const std::string name = pictures::FormatName(format);
  if (name.empty()) return "The file is not a picture Corvane can show. " + known;
  const std::string extension = pictures::FormatExtension(format);
  if (std::find(extensions.begin(), extensions.end(), extension) != extensions.end())
    return "The file looks like a " + name + " picture, but it is damaged or cut short: no decoder can read it.";
  return "The file is a " + name + " picture, and this system has no decoder for " + name + " pictures. " + known;
}

// Reads the file at the offsets asked, for the walk over its structure: the same handle for
// every read, opened for reading in order.
class SequentialReader {
 public:
  explicit SequentialReader(const std::string& path) : file_(OpenToRead(path, FILE_FLAG_SEQUENTIAL_SCAN)) {}

  std::size_t operator()(std::uint64_t offset, std::span<std::uint8_t> into) const {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!file_ || !SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN)) return 0;
    std::size_t done = 0;
    while (done < into.size()) {
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(into.size() - done, 1u << 20));
      if (!ReadFile(file_.Get(), into.data() + done, want, &got, nullptr) || got == 0) break;
      done += got;
    }
    return done;
  }

 private:
  ScopedKernelHandle file_;
};

void CheckClaimedSize(std::int64_t width, std::int64_t height) {
  const std::string problem = pictures::SizeProblem(width, height);
  if (!problem.empty()) throw RefusedPicture(problem);
}

}  // namespace

std::shared_ptr<Picture> LoadPictureFile(LateBound& late, const std::string& path, int dpi) {
  const FileGlance glance = GlanceAtFile(path);
  const SequentialReader reader(path);
  const pictures::PictureFileCheck check =
      pictures::CheckPictureFile(glance.head, glance.tail, glance.size, std::cref(reader));
  const pictures::PictureHeader& header = check.header;
  // Refused before any decoder allocates for it.
  if (header.sizeKnown) CheckClaimedSize(header.width, header.height);
  if (!check.problem.empty()) throw Error(check.problem);
  std::string wicFailure;
  try {
    if (std::shared_ptr<Picture> picture = LoadWicPicture(late, path, glance)) return picture;
  } catch (const RefusedPicture&) {
    throw;
  } catch (const Error& e) {
    wicFailure = e.what();  // the OLE loader may still read it, as it did before WIC was asked
  }
  std::shared_ptr<Picture> picture;
  try {
    picture = LoadOlePicture(late, path, dpi);
  } catch (const Error&) {
    if (!wicFailure.empty()) throw Error(wicFailure);
    // Asked only now: enumerating the decoders is no part of showing a picture.
    throw Error(NoDecoderText(header.format, PictureFileExtensions(late)));
  }
  // A metafile's frame gives its size: empty, inverted or absurd frames show nothing usable.
  CheckClaimedSize(picture->Size().width, picture->Size().height);
  return picture;
}

std::vector<std::string> PictureFileExtensions(LateBound& late) {
  // The common kinds first, then the rest of WIC's in its own order, then what only the OLE
  // loader reads.
  std::vector<std::string> all = pictures::CommonExtensionsFirst(WicExtensions(late));
  for (const char* e : {"bmp", "dib", "gif", "jpg", "wmf", "emf", "ico", "cur"}) pictures::AddExtension(all, e);
  return all;
}

}  // namespace corvane::win32
