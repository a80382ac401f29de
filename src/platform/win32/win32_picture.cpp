// Pictures through the system's OLE picture loader: bmp, dib, gif, jpg, wmf, emf, ico, cur.
#include "platform/win32/win32_internal.h"

#include <ole2.h>
#include <olectl.h>

namespace corvane::win32 {

namespace {

constexpr long kHimetricPerInch = 2540;

PixelSize IconSize(HICON icon, PixelSize fallback) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return fallback;
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  // Without a colour bitmap the mask holds the AND and XOR halves one above the other.
  const PixelSize size{mask.bmWidth, info.hbmColor ? mask.bmHeight : mask.bmHeight / 2};
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return size;
}

class Win32Picture : public OlePicture {
 public:
  Win32Picture(IPicture* picture, int dpi) : picture_(picture) {
    picture_->get_Width(&himetricWidth_);
    picture_->get_Height(&himetricHeight_);
    picture_->get_Type(&type_);
    DWORD attributes = 0;
    picture_->get_Attributes(&attributes);
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
  ~Win32Picture() override {
    if (picture_) picture_->Release();
    if (bitmap_) DeleteObject(bitmap_);
  }
  Win32Picture(const Win32Picture&) = delete;
  Win32Picture& operator=(const Win32Picture&) = delete;

  PixelSize Size() const override { return size_; }

  // An opaque bitmap needs nothing but its pixels: the loader's object, which also keeps a copy
  // of the whole file, goes.
  void KeepBitmapOnly(HBITMAP loaded) {
    bitmap_ = static_cast<HBITMAP>(CopyImage(loaded, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap_) return;  // then the loader's object draws it
    picture_->Release();
    picture_ = nullptr;
  }

  void Render(HDC dc, int x, int y, const RECT& clip) const override {
    RECT part{};
    const RECT whole{x, y, x + size_.width, y + size_.height};
    if (!IntersectRect(&part, &whole, &clip)) return;
    if (bitmap_) {
      // An opaque bitmap: copy just the part asked for.
      HDC source = CreateCompatibleDC(dc);
      const HGDIOBJ old = SelectObject(source, bitmap_);
      BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, source, part.left - x,
             part.top - y, SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
      return;
    }
    // Icons, cursors, metafiles and transparent bitmaps draw only their own pixels, so the
    // window's ground shows through.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, part.left, part.top, part.right, part.bottom);
    picture_->Render(dc, x, y, size_.width, size_.height, 0, himetricHeight_, himetricWidth_, -himetricHeight_, nullptr);
    RestoreDC(dc, saved);
  }

 private:
  IPicture* picture_;
  OLE_XSIZE_HIMETRIC himetricWidth_ = 0;
  OLE_YSIZE_HIMETRIC himetricHeight_ = 0;
  SHORT type_ = PICTYPE_NONE;
  bool transparent_ = false;
  HBITMAP bitmap_ = nullptr;
  PixelSize size_;
};

std::string ReadWholeFile(const std::string& path, HGLOBAL& memory) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ErrorText(GetLastError());
  std::string failure;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) {
    failure = ErrorText(GetLastError());
  } else if (size.QuadPart == 0) {
    failure = "The file is empty.";
  } else if (size.QuadPart > 0x7FFFFFFF) {
    failure = "The file is too large to be a picture Corvane can show.";
  } else {
    const auto bytes = static_cast<DWORD>(size.QuadPart);
    memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* data = memory ? GlobalLock(memory) : nullptr;
    DWORD read = 0;
    if (!data) {
      failure = "There is not enough memory to read the file.";
    } else {
      if (!ReadFile(file, data, bytes, &read, nullptr) || read != bytes) failure = ErrorText(GetLastError());
      GlobalUnlock(memory);
    }
  }
  CloseHandle(file);
  return failure;
}

}  // namespace

std::shared_ptr<Picture> LoadOlePicture(const std::string& path, int dpi) {
  HGLOBAL memory = nullptr;
  const std::string failure = ReadWholeFile(path, memory);
  if (!failure.empty()) {
    if (memory) GlobalFree(memory);
    throw Error(failure);
  }
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    throw Error("There is not enough memory to read the file.");
  }
  IPicture* picture = nullptr;
  const HRESULT hr = OleLoadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
  stream->Release();
  if (hr == E_OUTOFMEMORY) throw Error("The picture is too large to fit in memory.");
  if (FAILED(hr) || !picture)
    throw Error("The file is not a picture Corvane can show (bmp, gif, jpg, dib, wmf, emf, ico or cur).");
  return std::make_shared<Win32Picture>(picture, dpi);
}

}  // namespace corvane::win32
